#pragma once

#include "framework/dataset/DataSource.h"
#include "framework/dataset/Table.h"

#include <QObject>
#include <QPointer>
#include <QSizeF>

#include <vector>

namespace reporting {

class ReportBand;
class ReportDetailLink;
class ReportPreviewWindow;

// A banded report: its bands and detail links are its children, in the
// order they stand on the form; its data source gives one detail band per
// row. The page is portrait, one column, no frame; margins in report units.
class Report : public QObject {
    Q_OBJECT

public:
    Report(QObject* form, const QString& name);

    dataset::DataSource* DataSource() const { return m_source; }
    void setDataSource(dataset::DataSource* source) { m_source = source; }
    // Names the print job; shown while pages are prepared.
    QString ReportTitle() const { return m_title; }
    void setReportTitle(const QString& title) { m_title = title; }

    QSizeF pageSize() const { return m_pageSize; }
    void setPageSize(QSizeF units) { m_pageSize = units; }
    double LeftMargin() const { return m_leftMargin; }
    void setLeftMargin(double units) { m_leftMargin = units; }
    double TopMargin() const { return m_topMargin; }
    void setTopMargin(double units) { m_topMargin = units; }
    double BottomMargin() const { return m_bottomMargin; }
    void setBottomMargin(double units) { m_bottomMargin = units; }

    std::vector<ReportBand*> bands() const;
    std::vector<ReportDetailLink*> detailLinks() const;

    // Prepares the first page under the progress window, then shows it in the
    // preview window, maximised, which lays the other pages out behind it.
    // Returns that window (it deletes itself when closed, and with `owner`),
    // or nullptr when the user stopped the preparation.
    ReportPreviewWindow* Preview(QWidget* owner = nullptr);

    // The default printer's paper, or the locale's usual one without a printer.
    static QSizeF defaultPageSize();

private:
    QPointer<dataset::DataSource> m_source;
    QString m_title;
    QSizeF m_pageSize;
    double m_leftMargin = 0;
    // About a centimetre, so that printers that cannot print to the paper's
    // edge keep the title and the footer.
    double m_topMargin = 38;
    double m_bottomMargin = 38;
};

} // namespace reporting
