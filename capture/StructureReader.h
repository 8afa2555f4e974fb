#pragma once

#include "capture/TableStructure.h"

namespace capture {

// Reads the fields and indexes of the Paradox table at `path` through the
// engine, without reading any row. The table name is the file name cut to
// the dictionary's table width. Throws engine::EngineError when the file
// cannot be opened as a table.
TableStructure ReadTableStructure(const QString& path);

} // namespace capture
