#include "framework/reporting/PageView.h"

#include "framework/reporting/PageCanvas.h"
#include "framework/reporting/PageStore.h"

#include <QScrollBar>

namespace reporting {

PageView::PageView(QWidget* parent) : QScrollArea(parent), m_canvas(new PageCanvas) {
    setObjectName(QStringLiteral("pages"));
    setWidget(m_canvas);
    setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    setBackgroundRole(QPalette::Dark);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
        const int page = currentPage();
        if (page != m_lastPage) {
            m_lastPage = page;
            emit currentPageChanged(page);
        }
    });
}

void PageView::setPages(const PageStore* pages) {
    m_pages = pages;
    m_canvas->setPages(pages);
    applyZoom();
    setCurrentPage(1);
}

void PageView::setZoom(Zoom zoom) {
    const int page = currentPage();
    m_zoom = zoom;
    applyZoom();
    setCurrentPage(page);
}

double PageView::scale() const {
    return m_canvas->scale();
}

void PageView::pagesAdded() {
    const int page = currentPage();
    m_canvas->pagesAdded();
    if (page > 0)
        setCurrentPage(page);
}

int PageView::pageCount() const {
    return m_canvas->pageCount();
}

int PageView::currentPage() const {
    const int count = pageCount();
    if (count == 0)
        return 0;
    const int pitch = m_canvas->pageRect(1).top() - m_canvas->pageRect(0).top();
    const int probe = verticalScrollBar()->value() + viewport()->height() / 3;
    return qBound(1, probe / qMax(1, pitch) + 1, count);
}

void PageView::setCurrentPage(int page) {
    if (pageCount() == 0)
        return;
    page = qBound(1, page, pageCount());
    verticalScrollBar()->setValue(m_canvas->pageRect(page - 1).top() - PageCanvas::kGap);
    if (page != m_lastPage) {
        m_lastPage = page;
        emit currentPageChanged(page);
    }
}

void PageView::resizeEvent(QResizeEvent* event) {
    // The page shown last, not one worked out from the scroll position: that
    // mixes the old scale with the new height (a long report first shown
    // maximised would open on page 2).
    const int page = m_lastPage > 0 ? m_lastPage : currentPage();
    QScrollArea::resizeEvent(event);
    if (m_zoom != Zoom::ActualSize) {
        applyZoom();
        setCurrentPage(page);
    }
}

double PageView::scaleFor(Zoom zoom) const {
    if (!m_pages || m_pages->pageSize().isEmpty())
        return 1.0;
    const double actual = logicalDpiX() / kUnitsPerInch;
    const QSizeF room(viewport()->width() - 2 * PageCanvas::kGap,
                      viewport()->height() - 2 * PageCanvas::kGap);
    const double toWidth = room.width() / m_pages->pageSize().width();
    switch (zoom) {
    case Zoom::ActualSize:
        return actual;
    case Zoom::PageWidth:
        // Leave room for the scroll bar that a page-wide view always needs.
        return (room.width() - verticalScrollBar()->sizeHint().width()) /
               m_pages->pageSize().width();
    case Zoom::WholePage:
        break;
    }
    return qMin(toWidth, room.height() / m_pages->pageSize().height());
}

void PageView::applyZoom() {
    m_canvas->setScale(qMax(0.05, scaleFor(m_zoom)));
    m_canvas->resize(qMax(m_canvas->minimumWidth(), viewport()->width()),
                     m_canvas->minimumHeight());
}

} // namespace reporting
