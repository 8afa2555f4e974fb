#pragma once
// One table as a dictionary recorded it: its table entry, then its field entries and
// its index rows in number order.

#include "store/DicoRow.h"

#include <QList>

namespace cli {

struct RecordedTable {
    store::DicoRow entry;
    QList<store::DicoRow> fields;
    QList<store::DicoRow> indexes;
};

} // namespace cli
