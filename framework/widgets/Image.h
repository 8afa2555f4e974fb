#pragma once

#include <QLabel>

namespace widgets {

// A picture drawn from the top-left corner of its box, cut off at its edges.
class Image : public QLabel {
    Q_OBJECT
    Q_PROPERTY(QString Hint READ hint WRITE setHint)

public:
    Image(QWidget* parent, const QString& name);

    QString hint() const { return toolTip(); }
    void setHint(const QString& hint) { setToolTip(hint); }
    void setPicture(const QPixmap& picture);
};

} // namespace widgets
