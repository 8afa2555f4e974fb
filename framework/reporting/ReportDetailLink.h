#pragma once

#include "framework/dataset/DataSource.h"
#include "framework/dataset/Table.h"
#include "framework/reporting/ReportBand.h"

#include <QObject>
#include <QPointer>

namespace reporting {

// Prints a sub-detail band once per row of its data source after each
// master detail band: the view, tied to the master's, shows the rows that
// belong to the master row being printed.
class ReportDetailLink : public QObject {
    Q_OBJECT

public:
    ReportDetailLink(QObject* report, const QString& name);

    dataset::DataSource* DataSource() const { return m_source; }
    void setDataSource(dataset::DataSource* source) { m_source = source; }
    ReportBand* DetailBand() const { return m_band; }
    void setDetailBand(ReportBand* band) { m_band = band; }

private:
    QPointer<dataset::DataSource> m_source;
    QPointer<ReportBand> m_band;
};

} // namespace reporting
