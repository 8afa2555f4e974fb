#include "cli/FieldTypeNames.h"

namespace cli {

std::string fieldTypeName(int typeCode)
{
    static const char *const names[22] = {
        "ftUnknow",  "ftString",   "ftSmallInt", "ftInteger",  "ftWord",       "ftBoolean",
        "ftFloat",   "ftCurrency", "ftBCD",      "ftDate",     "ftTime",       "ftDateTime",
        "ftBytes",   "ftVarBytes", "ftAutoInc",  "ftBLOB",     "ftMemo",       "ftGraphic",
        "ftFmtMemo", "ftParadoxOle", "ftDBaseOle", "ftTypedBinary"};
    return typeCode >= 0 && typeCode < 22 ? names[typeCode] : names[0];
}

} // namespace cli
