#include "framework/reporting/PageCanvas.h"

#include "framework/reporting/PagePainter.h"

#include <QPaintEvent>
#include <QPainter>

namespace reporting {

PageCanvas::PageCanvas(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("pageCanvas"));
    setAutoFillBackground(false);
}

void PageCanvas::setReport(const PreparedReport* report) {
    m_report = report;
    resizeToPages();
}

void PageCanvas::setScale(double scale) {
    m_scale = scale;
    resizeToPages();
}

int PageCanvas::pageCount() const {
    return m_report ? int(m_report->pages.size()) : 0;
}

QRect PageCanvas::pageRect(int index) const {
    if (!m_report)
        return {};
    const QSize page = (m_report->pageSize * m_scale).toSize();
    const int left = qMax(kGap, (width() - page.width()) / 2);
    return QRect(QPoint(left, kGap + index * (page.height() + kGap)), page);
}

void PageCanvas::resizeToPages() {
    if (!m_report) {
        resize(0, 0);
        return;
    }
    const QSize page = (m_report->pageSize * m_scale).toSize();
    const int count = pageCount();
    setMinimumSize(page.width() + 2 * kGap, kGap + count * (page.height() + kGap));
    resize(qMax(width(), minimumWidth()), minimumHeight());
    update();
}

void PageCanvas::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), palette().color(QPalette::Dark));
    if (!m_report || m_report->pages.empty())
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
        PagePainter(painter, m_scale).paint(m_report->pages[size_t(i)]);
        painter.restore();
    }
}

} // namespace reporting
