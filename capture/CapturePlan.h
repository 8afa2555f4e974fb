#pragma once

#include "capture/CodeGenerator.h"
#include "capture/TableStructure.h"
#include "store/DicoRow.h"

#include <QList>

namespace capture {

// The dictionary rows one capture writes, in writing order, numbered from
// firstNo: the table entry, one field entry per field, one index row per
// index. Values are already cut to the widths of the dictionary's fields.
QList<store::DicoRow> PlanCaptureRows(const TableStructure& table, int firstNo);

// Runs the generator over a table in the order a capture calls it:
// GenBeginTable, GenField per field, GenEndFields, GenIndex per index,
// GenEndTable. ShowLineCount is left to the caller.
void GenerateTableCode(const TableStructure& table, CodeGenerator& generator);

} // namespace capture
