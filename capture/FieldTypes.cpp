#include "capture/FieldTypes.h"

#include <QStringList>

#include <array>

namespace capture {

namespace {
// Indexed by type code. The odd spellings (no final n in "ftUnknow", a capital
// I in "ftSmallInt", "ftBLOB" in capitals) are the ones the dictionaries and
// the generated code have always carried.
constexpr std::array<const char*, 22> kTypeNames = {
    "ftUnknow",  "ftString",     "ftSmallInt", "ftInteger",    "ftWord", "ftBoolean",
    "ftFloat",   "ftCurrency",   "ftBCD",      "ftDate",       "ftTime", "ftDateTime",
    "ftBytes",   "ftVarBytes",   "ftAutoInc",  "ftBLOB",       "ftMemo", "ftGraphic",
    "ftFmtMemo", "ftParadoxOle", "ftDBaseOle", "ftTypedBinary"};
} // namespace

QString FieldTypeName(int typeCode) {
    if (typeCode < 0 || typeCode >= int(kTypeNames.size()))
        typeCode = 0;
    return QLatin1String(kTypeNames[size_t(typeCode)]);
}

int FieldTypeCode(const QString& typeName) {
    for (size_t code = 0; code < kTypeNames.size(); ++code)
        if (typeName == QLatin1String(kTypeNames[code]))
            return int(code);
    return -1;
}

int RecordedFieldSize(const QString& typeName, int displayWidth) {
    static const QStringList zeroSized = {
        QStringLiteral("ftInteger"), QStringLiteral("ftSmallInt"), QStringLiteral("ftCurrency"),
        QStringLiteral("ftDate"),    QStringLiteral("ftAutoInc"),  QStringLiteral("ftFloat"),
        QStringLiteral("ftBoolean")};
    return zeroSized.contains(typeName) ? 0 : displayWidth;
}

QString FieldTypeText(const QString& typeName) {
    return typeName.mid(2);
}

} // namespace capture
