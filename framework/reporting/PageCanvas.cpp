#include "framework/reporting/PageCanvas.h"

#include "framework/reporting/PagePainter.h"
#include "framework/reporting/PageStore.h"

#include <QPaintEvent>
#include <QPainter>

namespace reporting {

PageCanvas::PageCanvas(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("pageCanvas"));
    setAutoFillBackground(false);
}

void PageCanvas::setPages(const PageStore* pages) {
    m_pages = pages;
    resizeToPages();
}

void PageCanvas::setScale(double scale) {
    m_scale = scale;
    resizeToPages();
}

int PageCanvas::pageCount() const {
    return m_pages ? m_pages->pageCount() : 0;
}

QRect PageCanvas::pageRect(int index) const {
    if (!m_pages)
        return {};
    const QSize page = (m_pages->pageSize() * m_scale).toSize();
    const int left = qMax(kGap, (width() - page.width()) / 2);
    return QRect(QPoint(left, kGap + index * (page.height() + kGap)), page);
}

void PageCanvas::resizeToPages() {
    if (!m_pages) {
        resize(0, 0);
        return;
    }
    const QSize page = (m_pages->pageSize() * m_scale).toSize();
    const int count = pageCount();
    setMinimumSize(page.width() + 2 * kGap, kGap + count * (page.height() + kGap));
    resize(qMax(width(), minimumWidth()), minimumHeight());
    update();
}

void PageCanvas::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), palette().color(QPalette::Dark));
    if (pageCount() == 0)
        return;
    const int pitch = pageRect(1).top() - pageRect(0).top();
    const int first = qMax(0, (event->rect().top() - kGap) / pitch);
    const int last = qMin(pageCount() - 1, event->rect().bottom() / pitch);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    for (int i = first; i <= last; ++i) {
        const QRect page = pageRect(i);
        painter.fillRect(page, Qt::white);
        painter.save();
        painter.translate(page.topLeft());
        painter.setClipRect(QRect(QPoint(0, 0), page.size()));
        PagePainter(painter, m_scale).paint(m_pages->page(i));
        painter.restore();
    }
}

} // namespace reporting
