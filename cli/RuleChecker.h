#pragma once
// Finds the rows of a table that break its validity rules before they are loaded:
// old data often does, and a constraint the rows break would refuse the whole load.
// Each rule broken gets its count of rows (SqlRule::brokenRows), so that PostgreSQL
// adds it NOT VALID and SQLite keeps it as a comment, and is reported with the
// numbers of its first rows (1 = the first row in the table's order).

#include "cli/SqlTable.h"

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

namespace engine {
class TableFile;
}

namespace cli {

class RuleChecker {
public:
    // Pictures are only checked where they become constraints (PostgreSQL).
    RuleChecker(SqlTable& schema, bool pictures) : m_schema(schema), m_pictures(pictures) {}

    // Reads every row of the table (and the key of every parent it refers to).
    void check(const engine::TableFile& table);
    // One line per rule broken, on err; true when any.
    bool report(const std::string& path, bool postgresql, std::ostream& err) const;

    static constexpr size_t kRowsShown = 20;

private:
    struct Broken {
        size_t rule = 0;
        std::vector<uint64_t> rows; // the first kRowsShown
    };

    bool checked(const SqlRule& rule) const;

    SqlTable& m_schema;
    bool m_pictures;
    std::vector<Broken> m_broken;
};

} // namespace cli
