#pragma once

#include <QColor>
#include <QString>

class QWidget;

namespace widgets {

// Small helpers to give a control the look its window describes: fonts are
// given by character height in pixels, colours by name or value.
void setPixelFont(QWidget* control, const QString& family, int pixelHeight, bool bold = false,
                  bool italic = false);
void setTextColor(QWidget* control, const QColor& color);

} // namespace widgets
