#include "framework/widgets/Look.h"

#include <QFont>
#include <QPalette>
#include <QWidget>

namespace widgets {

void setPixelFont(QWidget* control, const QString& family, int pixelHeight, bool bold,
                  bool italic) {
    QFont font(family);
    font.setPixelSize(pixelHeight);
    font.setBold(bold);
    font.setItalic(italic);
    control->setFont(font);
}

void setTextColor(QWidget* control, const QColor& color) {
    QPalette palette = control->palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::Text, color);
    palette.setColor(QPalette::ButtonText, color);
    control->setPalette(palette);
}

} // namespace widgets
