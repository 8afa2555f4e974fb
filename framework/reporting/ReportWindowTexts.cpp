#include "framework/reporting/ReportWindowTexts.h"

namespace reporting {

QString ReportWindowTexts::progressCaption;
QString ReportWindowTexts::previewCaption;
QString ReportWindowTexts::preparingLine = QStringLiteral("Préparation état");
QString ReportWindowTexts::printingLine = QStringLiteral("Impression état");

} // namespace reporting
