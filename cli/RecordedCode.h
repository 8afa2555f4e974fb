#pragma once
// The structure a dictionary recorded for one table, in the form the code generator
// takes, so that the creation code lost at the end of a session can be had again
// without the original files. A dictionary cannot give back everything: a name
// longer than its 12 characters, and the options of an index whose label it may have
// inherited from the index before it (such an index is written without options).

#include "capture/TableStructure.h"
#include "cli/RecordedTable.h"

namespace cli {

// Throws std::runtime_error when a field entry holds a type no table can have.
capture::TableStructure recordedStructure(const RecordedTable& recorded);

} // namespace cli
