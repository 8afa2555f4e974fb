#pragma once

#include <QColor>
#include <QWidget>

namespace widgets {

// A filled rectangle with a pen colour and a brush colour.
class Shape : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString Hint READ hint WRITE setHint)

public:
    Shape(QWidget* parent, const QString& name);

    QString hint() const { return toolTip(); }
    void setHint(const QString& hint) { setToolTip(hint); }
    void setColors(const QColor& pen, const QColor& brush);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_pen = Qt::black;
    QColor m_brush = Qt::white;
};

} // namespace widgets
