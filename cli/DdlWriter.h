#pragma once
// The SQL statements that make a table: CREATE TABLE with its primary key, one
// CREATE INDEX per secondary index, and the descriptions (COMMENT ON in PostgreSQL,
// "--" comments beside the definitions in SQLite, which has no COMMENT statement).

#include "cli/SqlDialect.h"
#include "cli/SqlTable.h"

#include <string>

namespace cli {

class DdlWriter {
public:
    explicit DdlWriter(SqlDialect dialect) : m_dialect(dialect) {}

    // Everything about one table, statements ended by ";\n".
    std::string schema(const SqlTable& table) const;
    std::string createTable(const SqlTable& table) const;
    std::string createIndexes(const SqlTable& table) const;
    std::string comments(const SqlTable& table) const; // empty for SQLite

    const SqlDialect& dialect() const { return m_dialect; }
    // The index's name in the target unless one was chosen: the table's name, '_' and
    // the index's name (or its fields' names).
    static std::string indexBaseName(const SqlTable& table, const SqlIndex& index);

private:
    std::string columnLine(const SqlColumn& column, bool last) const;
    std::string primaryKeyLine(const SqlTable& table) const;
    std::string createIndex(const SqlTable& table, const SqlIndex& index,
                            const std::string& name) const;

    SqlDialect m_dialect;
};

} // namespace cli
