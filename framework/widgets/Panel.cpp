#include "framework/widgets/Panel.h"

#include "framework/widgets/Align.h"
#include "framework/widgets/Component.h"

#include <QPainter>

namespace widgets {

namespace {
void drawBevel(QPainter& p, QRect& r, Panel::Bevel bevel, int width, const QPalette& pal) {
    if (bevel == Panel::bvNone)
        return;
    const QColor light =
        bevel == Panel::bvRaised ? pal.color(QPalette::Light) : pal.color(QPalette::Dark);
    const QColor dark =
        bevel == Panel::bvRaised ? pal.color(QPalette::Dark) : pal.color(QPalette::Light);
    for (int k = 0; k < width; ++k) {
        p.setPen(light);
        p.drawLine(r.topLeft(), r.topRight());
        p.drawLine(r.topLeft(), r.bottomLeft());
        p.setPen(dark);
        p.drawLine(r.bottomLeft(), r.bottomRight());
        p.drawLine(r.topRight(), r.bottomRight());
        r.adjust(1, 1, -1, -1);
    }
}
} // namespace

Panel::Panel(QWidget* parent, const QString& name) : QFrame(parent) {
    adopt(this, name, parent);
    setAutoFillBackground(true);
    setContentInset(this, bevelSpace());
}

void Panel::setCaption(const QString& caption) {
    m_caption = caption;
    update();
}

void Panel::setBevels(Bevel outer, Bevel inner, int width) {
    m_outer = outer;
    m_inner = inner;
    m_bevelWidth = width;
    setContentInset(this, bevelSpace());
    update();
}

int Panel::bevelSpace() const {
    return ((m_outer != bvNone) + (m_inner != bvNone)) * m_bevelWidth;
}

void Panel::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter p(this);
    QRect r = rect();
    drawBevel(p, r, m_outer, m_bevelWidth, palette());
    drawBevel(p, r, m_inner, m_bevelWidth, palette());
    if (!m_caption.isEmpty()) {
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(r, Qt::AlignCenter | Qt::TextShowMnemonic, m_caption);
    }
}

void Panel::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    realign(this);
}

} // namespace widgets
