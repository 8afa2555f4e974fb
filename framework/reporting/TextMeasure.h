#pragma once

#include "framework/reporting/ReportFont.h"

#include <QFont>
#include <QString>

namespace reporting {

// The Qt font that draws a report font at `unitsToDevice` device pixels per
// report unit. Arial resolves to the metric-compatible face installed with
// the program, so widths match the layout's.
QFont qtFont(const ReportFont& font, double unitsToDevice = 1.0);
// Lets "Arial" resolve to a metric-compatible free face where Arial itself
// is missing, so that texts keep the widths the report was designed for.
void registerFontSubstitutes();
// The advance of `text` in report units.
double textWidth(const ReportFont& font, const QString& text);

} // namespace reporting
