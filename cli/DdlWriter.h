#pragma once
// The SQL statements that make a table: CREATE TABLE with its primary key, one
// CREATE INDEX per secondary index, and the descriptions (COMMENT ON in PostgreSQL,
// "--" comments beside the definitions in SQLite, which has no COMMENT statement).
// Its validity rules: DEFAULT, NOT NULL, CHECK (bounds; pictures as regular
// expressions in PostgreSQL) and FOREIGN KEY, in the CREATE TABLE or, when the rows
// go in first, added after them by ALTER TABLE; a rule that cannot be declared, or
// that rows break in SQLite, stays a comment inside the CREATE TABLE.

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

    // PostgreSQL export: the rules are left out of CREATE TABLE and added after the
    // rows (addChecks, addReferences), NOT VALID when rows break them.
    void setRulesAfterRows(bool later) { m_rulesLater = later; }
    std::string addChecks(const SqlTable& table) const;
    // The foreign keys by ALTER TABLE: all of them, or only those closing a cycle.
    std::string addReferences(const SqlTable& table, bool deferredOnly) const;
    // A constant of the column's type as the dialect writes it; "" when it has none.
    std::string valueLiteral(const SqlColumn& column, const engine::Value& v) const;

    const SqlDialect& dialect() const { return m_dialect; }
    // The index's name in the target unless one was chosen: the table's name, '_' and
    // the index's name (or its fields' names).
    static std::string indexBaseName(const SqlTable& table, const SqlIndex& index);

private:
    std::string columnDefinition(const SqlTable& table, size_t at) const;
    std::string primaryKeyLine(const SqlTable& table) const;
    // The rule as CREATE TABLE holds it: a constraint, or "" with a note instead.
    std::string inlineRule(const SqlTable& table, const SqlRule& rule,
                           std::vector<std::string>& notes) const;
    std::string whyNotDeclared(const SqlRule& rule) const; // "" when it is declared
    std::string constraintBody(const SqlTable& table, const SqlRule& rule) const;
    std::string checkExpression(const SqlTable& table, const SqlRule& rule) const;
    std::string ruleText(const SqlTable& table, const SqlRule& rule) const;
    std::string alterAdd(const SqlTable& table, const SqlRule& rule, const std::string& body) const;
    std::string createIndex(const SqlTable& table, const SqlIndex& index,
                            const std::string& name) const;

    SqlDialect m_dialect;
    bool m_rulesLater = false;
};

} // namespace cli
