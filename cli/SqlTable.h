#pragma once
// A table as the SQL writers see it, whether it comes from a live table (exact types:
// Alpha length, BCD decimals) or from what a dictionary recorded (type names and
// lengths, one option label per index, descriptions).

#include "cli/SqlRule.h"

#include "engine/FieldInfo.h"
#include "engine/IndexInfo.h"
#include "engine/ValidityRules.h"

#include <filesystem>
#include <string>
#include <vector>

namespace engine {
class TableFile;
}

namespace cli {

struct RecordedTable;

struct SqlColumn {
    std::string name;
    engine::FieldType type = engine::FieldType::Alpha;
    int size = -1; // Alpha and Bytes length, BCD decimals; -1 when not known
    std::string description;
    std::optional<engine::Value> defaultValue;
};

struct SqlIndex {
    std::string name; // empty for the primary key
    std::vector<std::string> fields;
    unsigned options = 0; // engine::IndexOption bits
    std::string sqlName;  // the name given in the target; empty: made from the table's

    bool has(unsigned option) const { return (options & option) != 0; }
};

struct SqlTable {
    std::string name; // the file name without its extension, in UTF-8
    std::string description;
    std::vector<SqlColumn> columns;
    std::vector<SqlIndex> indexes;  // the primary key first, when there is one
    int64_t lastCounter = 0;        // the last number the table's counter gave (0: none known)
    std::string file;               // the live table's file; "" from a dictionary
    engine::ValidityRules validity; // what its NAME.VAL says (live tables)
    std::vector<SqlRule> rules;     // the checks, then the references once planned

    static SqlTable fromTable(const engine::TableFile& table);
    static SqlTable fromRecorded(const RecordedTable& recorded);
    // "ORDERS.DB" -> "ORDERS"; a name the dictionary cut inside its extension loses the
    // part of the extension that is left ("SearchIndex." -> "SearchIndex").
    static std::string nameOfFile(const std::string& fileName);
    // A file name as text: valid UTF-8 stays, every other byte is read as the
    // Windows-1252 letter it most likely was (as capture records names), so that a
    // script or a DDL never carries a byte that is not UTF-8.
    static std::string readableFileName(const std::filesystem::path& file);

    const SqlIndex* primaryKey() const;
    const SqlColumn* column(const std::string& name) const; // case-insensitive
    // The constraint's name in the target: the table's, the column's (or the link's)
    // and the rule's.
    std::string ruleName(const SqlRule& rule) const;
};

} // namespace cli
