#include "framework/reporting/TextMeasure.h"

#include <QFontMetricsF>
#include <QStringList>

namespace reporting {

QFont qtFont(const ReportFont& font, double unitsToDevice) {
    QFont qt(font.family);
    qt.setPixelSize(qMax(1, qRound(font.size * unitsToDevice)));
    qt.setBold(font.bold);
    qt.setItalic(font.italic);
    // No hinting: widths then scale with the device, as the layout assumed.
    qt.setHintingPreference(QFont::PreferNoHinting);
    return qt;
}

void registerFontSubstitutes() {
    QFont::insertSubstitutions(QStringLiteral("Arial"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo")});
}

double textWidth(const ReportFont& font, const QString& text) {
    return QFontMetricsF(qtFont(font)).horizontalAdvance(text);
}

} // namespace reporting
