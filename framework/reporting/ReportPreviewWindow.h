#pragma once

#include "framework/reporting/PageModel.h"

#include <QWidget>

#include <memory>

class QAction;
class QPrinter;
class QPrintPreviewWidget;
class QSpinBox;
class QToolBar;

namespace reporting {

// The preview of prepared pages: a tool bar (whole page, 100 %, page width;
// first, previous, current page, next, last; print; save and load of a
// prepared report; "&Quitter") over the pages. The page view is Qt's print
// preview, fed by the same page painter as the printer and the PDF.
class ReportPreviewWindow : public QWidget {
    Q_OBJECT

public:
    explicit ReportPreviewWindow(PreparedReport report, QWidget* parent = nullptr);
    ~ReportPreviewWindow() override;

    const PreparedReport& report() const { return m_report; }
    QPrintPreviewWidget* pageView() const { return m_view; }
    int currentPage() const;

    // The tool bar's commands.
    void zoomWholePage();
    void zoomActualSize();
    void zoomPageWidth();
    void goToPage(int page);
    void printReport();
    void saveReport();
    void loadReport();

private:
    void createToolBar();
    QAction* addCommand(const QString& name, const QString& text, int icon);
    void paintPages(QPrinter* printer);
    void showReport();
    void pageChanged();

    PreparedReport m_report;
    std::unique_ptr<QPrinter> m_previewPrinter;
    QToolBar* m_bar = nullptr;
    QPrintPreviewWidget* m_view = nullptr;
    QSpinBox* m_pageBox = nullptr;
};

} // namespace reporting
