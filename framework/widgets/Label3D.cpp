#include "framework/widgets/Label3D.h"

#include <QPainter>

namespace widgets {

namespace {
constexpr int kDepth = 1;
}

Label3D::Label3D(QWidget* parent, const QString& name, const QString& caption)
    : Label(parent, name, caption) {}

QSize Label3D::sizeHint() const {
    return Label::sizeHint() + QSize(2 * kDepth, 2 * kDepth);
}

void Label3D::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setFont(font());
    const QRect r = rect().adjusted(kDepth, kDepth, -kDepth, -kDepth);
    const int flags = static_cast<int>(alignment());
    p.setPen(palette().color(QPalette::Light));
    p.drawText(r.translated(-kDepth, -kDepth), flags, text());
    p.setPen(palette().color(QPalette::Shadow));
    p.drawText(r.translated(kDepth, kDepth), flags, text());
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(r, flags, text());
}

} // namespace widgets
