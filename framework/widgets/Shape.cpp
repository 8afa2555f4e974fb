#include "framework/widgets/Shape.h"

#include "framework/widgets/Component.h"

#include <QPainter>

namespace widgets {

Shape::Shape(QWidget* parent, const QString& name) : QWidget(parent) {
    adopt(this, name, parent);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void Shape::setColors(const QColor& pen, const QColor& brush) {
    pen_ = pen;
    brush_ = brush;
    update();
}

void Shape::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setPen(pen_);
    p.setBrush(brush_);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

} // namespace widgets
