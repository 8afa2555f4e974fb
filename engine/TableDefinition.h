#pragma once
// Creating, indexing and deleting tables.

#include <filesystem>
#include <string>
#include <vector>

#include "engine/FieldInfo.h"

namespace engine {

struct FieldDef {
    std::string name; // UTF-8, 1-25 characters, unique (case-insensitive)
    FieldType type = FieldType::Alpha;
    int size = 0;     // Alpha/Bytes: length 1-255; Bcd: decimals 0-32; BLOB: leader 0-240
                      // (Memo 1-240, 0 means 10 for BLOB types); others: ignored
    bool required = false; // accepted; not enforced by the engine
};

struct IndexDef {
    std::string name;                // secondary: the index name; primary: ignored
    std::vector<std::string> fields; // field names
    unsigned options = 0;            // IndexOption bits
};

// Creates the table (level 7, code page 1252, binary Windows sort order), replacing
// any table of that name with all its companion files. A primary index (ixPrimary)
// must name the first fields in order; other IndexDefs are added as by addIndex.
// Throws Locked when the table is open in this process.
void createTable(const std::filesystem::path &file, const std::vector<FieldDef> &fields,
                 const std::vector<IndexDef> &indexes);

// Adds a secondary index to a keyed table that is not open in this process.
// A single field with no options and a name equal to the field's (or empty) gives a
// .Xnn index; anything else a named .XGn index. Both are maintained.
void addIndex(const std::filesystem::path &tableFile, const IndexDef &index);

// Deletes the table with every companion file (.DB .PX .Xnn .Ynn .XGn .YGn .MB .VAL
// .TV, any case of extension). Throws Locked when it is open in this process.
void deleteTable(const std::filesystem::path &tableFile);

} // namespace engine
