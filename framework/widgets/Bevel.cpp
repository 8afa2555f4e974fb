#include "framework/widgets/Bevel.h"

#include "framework/widgets/Component.h"

#include <QPainter>

namespace widgets {

Bevel::Bevel(QWidget* parent, const QString& name, Shape shape, Style style)
    : QWidget(parent), m_shape(shape), m_style(style) {
    adopt(this, name, parent);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void Bevel::setShape(Shape shape) {
    m_shape = shape;
    update();
}

void Bevel::setStyle(Style style) {
    m_style = style;
    update();
}

void Bevel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QColor first = palette().color(m_style == bsLowered ? QPalette::Dark : QPalette::Light);
    const QColor second = palette().color(m_style == bsLowered ? QPalette::Light : QPalette::Dark);
    const QRect r = rect().adjusted(0, 0, -1, -1);
    auto line = [&p](const QColor& c, QPoint a, QPoint b) {
        p.setPen(c);
        p.drawLine(a, b);
    };
    switch (m_shape) {
    case bsBox:
        line(first, r.topLeft(), r.topRight());
        line(first, r.topLeft(), r.bottomLeft());
        line(second, r.bottomLeft(), r.bottomRight());
        line(second, r.topRight(), r.bottomRight());
        break;
    case bsFrame:
        p.setPen(first);
        p.drawRect(r.adjusted(0, 0, -1, -1));
        p.setPen(second);
        p.drawRect(r.adjusted(1, 1, 0, 0));
        break;
    case bsTopLine:
        line(first, r.topLeft(), r.topRight());
        line(second, r.topLeft() + QPoint(0, 1), r.topRight() + QPoint(0, 1));
        break;
    case bsBottomLine:
        line(first, r.bottomLeft() - QPoint(0, 1), r.bottomRight() - QPoint(0, 1));
        line(second, r.bottomLeft(), r.bottomRight());
        break;
    case bsLeftLine:
        line(first, r.topLeft(), r.bottomLeft());
        line(second, r.topLeft() + QPoint(1, 0), r.bottomLeft() + QPoint(1, 0));
        break;
    case bsRightLine:
        line(first, r.topRight() - QPoint(1, 0), r.bottomRight() - QPoint(1, 0));
        line(second, r.topRight(), r.bottomRight());
        break;
    }
}

} // namespace widgets
