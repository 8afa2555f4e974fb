#pragma once

#include "framework/reporting/PageModel.h"

#include <QPointer>
#include <QWidget>

#include <memory>

class QAction;
class QSpinBox;
class QToolBar;

namespace reporting {

class PageStore;
class PageView;
class Report;
class ReportLayout;

// The preview of prepared pages: a tool bar (whole page, 100 %, page width;
// first, previous, current page, next, last; print; save and load of a
// prepared report; "&Quitter") over the pages. The page view draws with the
// same page painter as the printer and the PDF, only the pages in sight, so
// that a long report shows its first page at once.
class ReportPreviewWindow : public QWidget {
    Q_OBJECT

public:
    explicit ReportPreviewWindow(std::unique_ptr<PageStore> pages, QWidget* parent = nullptr);
    explicit ReportPreviewWindow(const PreparedReport& report, QWidget* parent = nullptr);
    ~ReportPreviewWindow() override;

    // The pages; a layout still running is finished first.
    const PageStore& pages() const;
    // Every page read back at once: for tests and short reports.
    PreparedReport report() const;
    // Lays the rest of `report`'s pages out from the event loop, a slice at a
    // time, the pages shown growing as they come. Printing, saving, the last
    // page and the calls above finish it at once; closing the window or the
    // report going away stops it.
    void continueLayout(std::unique_ptr<ReportLayout> layout, Report* report);
    bool layingOut() const { return m_layout != nullptr; }
    PageView* pageView() const { return m_view; }
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
    void pageChanged();
    void updatePageBox() const;
    void layOutSlice();
    void finishLayout() const;
    void endLayout(bool stopped) const;

    std::unique_ptr<PageStore> m_pages;
    QToolBar* m_bar = nullptr;
    PageView* m_view = nullptr;
    QSpinBox* m_pageBox = nullptr;
    // The layout going on behind the pages shown (mutable: reading the pages
    // finishes it).
    mutable std::unique_ptr<ReportLayout> m_layout;
    QPointer<Report> m_layoutReport;
};

} // namespace reporting
