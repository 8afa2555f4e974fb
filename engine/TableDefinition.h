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
    int size = 0;          // Alpha/Bytes: length 1-255; Bcd: decimals 0-32; BLOB: leader 0-240
                           // (Memo 1-240, 0 means 10 for BLOB types); others: ignored
    bool required = false; // accepted; not enforced by the engine
};

struct IndexDef {
    std::string name;                // secondary: the index name; primary: ignored
    std::vector<std::string> fields; // field names
    unsigned options = 0;            // IndexOption bits
};

// What createTable does when a table of that name exists.
enum class ExistingTable {
    Replace, // deleted with all its companion files
    Refuse,  // AlreadyExists (the name taken in any letter case)
};

// Creates the table (level 7, code page 1252, binary Windows sort order). A primary
// index (ixPrimary) must name the first fields in order; other IndexDefs are added
// as by addIndex. A symbolic link named as the table is followed: the family is
// made beside the file it points to. Creations of one name are serialised between
// programs. Throws Locked when the table to replace is open here or in another
// program, NotParadox when the hidden folder the family is made in is held by
// something no creation of this table left (see CreationFolder.h).
void createTable(const std::filesystem::path& file, const std::vector<FieldDef>& fields,
                 const std::vector<IndexDef>& indexes,
                 ExistingTable existing = ExistingTable::Replace);

// The file a table name leads to: symbolic links followed (even to a file that
// does not exist yet), so that every companion file goes beside the real one.
std::filesystem::path followLinks(const std::filesystem::path& file);

// Adds a secondary index to a keyed table that is not open in this process.
// A single field with no options and a name equal to the field's (or empty) gives a
// .Xnn index; anything else a named .XGn index. Both are maintained.
void addIndex(const std::filesystem::path& tableFile, const IndexDef& index);

// Deletes the table with every companion file (.DB .PX .Xnn .Ynn .XGn .YGn .MB .VAL
// .TV, any case of extension); a symbolic link named goes with the family it points
// to. Throws Locked when it is open in this process or in another program.
void deleteTable(const std::filesystem::path& tableFile);

} // namespace engine
