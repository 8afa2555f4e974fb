#include "framework/widgets/Shape.h"

#include "framework/widgets/Component.h"

#include <QPainter>

namespace widgets {

Shape::Shape(QWidget* parent, const QString& name) : QWidget(parent) {
    adopt(this, name, parent);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void Shape::setColors(const QColor& pen, const QColor& brush) {
    m_pen = pen;
    m_brush = brush;
    update();
}

void Shape::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setPen(m_pen);
    p.setBrush(m_brush);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

} // namespace widgets
