#pragma once

#include "framework/widgets/Label.h"

namespace widgets {

// A label whose text stands out of the window: drawn with a light edge above
// and to the left and a shadow below and to the right.
class Label3D : public Label {
    Q_OBJECT

public:
    Label3D(QWidget* parent, const QString& name, const QString& caption = {});

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace widgets
