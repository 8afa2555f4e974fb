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
    caption_ = caption;
    update();
}

void Panel::setBevels(Bevel outer, Bevel inner, int width) {
    outer_ = outer;
    inner_ = inner;
    bevelWidth_ = width;
    setContentInset(this, bevelSpace());
    update();
}

int Panel::bevelSpace() const {
    return ((outer_ != bvNone) + (inner_ != bvNone)) * bevelWidth_;
}

void Panel::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter p(this);
    QRect r = rect();
    drawBevel(p, r, outer_, bevelWidth_, palette());
    drawBevel(p, r, inner_, bevelWidth_, palette());
    if (!caption_.isEmpty()) {
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(r, Qt::AlignCenter | Qt::TextShowMnemonic, caption_);
    }
}

void Panel::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    realign(this);
}

} // namespace widgets
