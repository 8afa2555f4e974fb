#pragma once

#include <QString>

namespace capture {

// The type name of an engine type code (0 to 21), as the generated code
// spells it: "ftString", "ftSmallInt", "ftBLOB", "ftUnknow", ... A code
// outside the table gives "ftUnknow".
QString FieldTypeName(int typeCode);
// The type code whose name is typeName ("ftString" gives 1); -1 for none.
int FieldTypeCode(const QString& typeName);

// The size a capture records for a field: its display width (the declared
// length of a string, 10 for any other type), forced to 0 for the types
// whose size is implied by the type.
int RecordedFieldSize(const QString& typeName, int displayWidth);

// The type text of a field entry: the type name without its "ft".
QString FieldTypeText(const QString& typeName);

} // namespace capture
