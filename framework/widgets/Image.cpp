#include "framework/widgets/Image.h"

#include "framework/widgets/Component.h"

namespace widgets {

Image::Image(QWidget* parent, const QString& name) : QLabel(parent) {
    adopt(this, name, parent);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void Image::setPicture(const QPixmap& picture) {
    setPixmap(picture);
}

} // namespace widgets
