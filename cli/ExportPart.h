#pragma once
// What an export writes of each table: its structure and its rows, its structure
// only (for rows loaded another way), or its rows only, into tables the user made.

namespace cli {

enum class ExportPart { Everything, SchemaOnly, DataOnly };

} // namespace cli
