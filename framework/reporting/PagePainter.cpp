#include "framework/reporting/PagePainter.h"

#include "framework/reporting/TextMeasure.h"

#include <QFontMetricsF>
#include <QPainter>

namespace reporting {

PagePainter::PagePainter(QPainter& painter, double unitsToDevice)
    : m_painter(painter), m_scale(unitsToDevice) {}

void PagePainter::paint(const ReportPage& page) {
    for (const PageItem& item : page.items) {
        if (item.kind == PageItem::Kind::Line)
            paintLine(item);
        else
            paintText(item);
    }
}

void PagePainter::paintText(const PageItem& item) {
    const QFont font = qtFont(item.font, m_scale);
    m_painter.setFont(font);
    m_painter.setPen(Qt::black);
    const QRectF box = toDevice(item.box);
    const int flags = item.alignment | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip;
    // drawText's own clipping leaves glyphs that straddle the edge whole; the
    // box's edge cuts them, as on the page that was laid out. Most texts fit,
    // and need no clip (a clip costs a saved state on every device).
    if (!item.clipped ||
        QFontMetricsF(font, m_painter.device()).horizontalAdvance(item.text) <= box.width()) {
        m_painter.drawText(box, flags, item.text);
        return;
    }
    m_painter.save();
    m_painter.setClipRect(box, Qt::IntersectClip);
    m_painter.drawText(box, flags, item.text);
    m_painter.restore();
}

void PagePainter::paintLine(const PageItem& item) {
    m_painter.save();
    QPen pen(Qt::black);
    pen.setWidthF(m_scale); // one report unit
    pen.setCapStyle(Qt::FlatCap);
    m_painter.setPen(pen);
    const QRectF box = toDevice(item.box);
    const double y = box.top() + m_scale / 2;
    m_painter.drawLine(QPointF(box.left(), y), QPointF(box.right(), y));
    m_painter.restore();
}

QRectF PagePainter::toDevice(const QRectF& box) const {
    return QRectF(box.left() * m_scale, box.top() * m_scale, box.width() * m_scale,
                  box.height() * m_scale);
}

} // namespace reporting
