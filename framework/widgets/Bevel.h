#pragma once

#include <QWidget>

namespace widgets {

// A decorative frame or rule: a box, or a single line along one edge of its
// rectangle, sunken (lowered) or raised.
class Bevel : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString Hint READ hint WRITE setHint)

public:
    enum Shape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine };
    enum Style { bsLowered, bsRaised };

    Bevel(QWidget* parent, const QString& name, Shape shape = bsBox, Style style = bsLowered);

    QString hint() const { return toolTip(); }
    void setHint(const QString& hint) { setToolTip(hint); }
    Shape shape() const { return m_shape; }
    void setShape(Shape shape);
    Style style() const { return m_style; }
    void setStyle(Style style);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Shape m_shape;
    Style m_style;
};

} // namespace widgets
