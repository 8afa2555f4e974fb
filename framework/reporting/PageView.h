#pragma once

#include <QScrollArea>

namespace reporting {

class PageCanvas;
class PageStore;

// The preview's page view: the pages at one of three zooms, scrolled; the
// current page is the one at the top third of the view.
class PageView : public QScrollArea {
    Q_OBJECT

public:
    enum class Zoom { WholePage, ActualSize, PageWidth };

    explicit PageView(QWidget* parent = nullptr);

    void setPages(const PageStore* pages); // not owned
    void setZoom(Zoom zoom);
    Zoom zoom() const { return m_zoom; }
    // Device pixels per report unit at the current zoom.
    double scale() const;
    int pageCount() const;
    // The store grew (pages laid out while the view shows the first ones).
    void pagesAdded();
    int currentPage() const; // from 1; 0 without pages
    void setCurrentPage(int page);

signals:
    void currentPageChanged(int page);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    double scaleFor(Zoom zoom) const;
    void applyZoom();

    PageCanvas* m_canvas;
    const PageStore* m_pages = nullptr;
    Zoom m_zoom = Zoom::WholePage;
    int m_lastPage = 0;
};

} // namespace reporting
