#include "cli/DdlWriter.h"

#include "cli/VisibleText.h"

#include <set>

namespace cli {

namespace {

// A description on one line, as a comment ends at the end of its line; the other
// control characters spelled out, as a script is also read on a terminal.
std::string oneLine(const std::string& text) {
    std::string out = text;
    for (char& c : out)
        if (c == '\n' || c == '\r' || c == '\t')
            c = ' ';
    return visibleText(out);
}

std::string joined(const std::vector<std::string>& names, const char* separator) {
    std::string out;
    for (size_t i = 0; i < names.size(); ++i)
        out += (i ? separator : "") + names[i];
    return out;
}

} // namespace

std::string DdlWriter::columnLine(const SqlColumn& column, bool last) const {
    std::string line = "    " + m_dialect.identifier(column.name) + ' ' +
                       m_dialect.columnType(column) + (last ? "" : ",");
    if (!m_dialect.isPostgresql() && !column.description.empty())
        line += " -- " + oneLine(column.description);
    return line + '\n';
}

std::string DdlWriter::primaryKeyLine(const SqlTable& table) const {
    const SqlIndex* key = table.primaryKey();
    if (!key || key->fields.empty())
        return {};
    std::vector<std::string> names;
    for (const std::string& f : key->fields)
        names.push_back(m_dialect.identifier(f));
    return "    PRIMARY KEY (" + joined(names, ", ") + ")\n";
}

std::string DdlWriter::createTable(const SqlTable& table) const {
    // Inside the statement, where SQLite keeps it (in sqlite_master) with the table.
    std::string sql = "CREATE TABLE " + m_dialect.identifier(table.name) + " (";
    if (!m_dialect.isPostgresql() && !table.description.empty())
        sql += " -- " + oneLine(table.description);
    sql += '\n';
    const std::string key = primaryKeyLine(table);
    for (size_t i = 0; i < table.columns.size(); ++i)
        sql += columnLine(table.columns[i], key.empty() && i + 1 == table.columns.size());
    return sql + key + ");\n";
}

std::string DdlWriter::createIndex(const SqlTable& table, const SqlIndex& index,
                                   const std::string& name) const {
    std::vector<std::string> columns;
    for (const std::string& f : index.fields)
        columns.push_back(m_dialect.indexColumn(table.column(f), f, index.options));
    const bool unique = index.has(engine::ixUnique);
    return std::string("CREATE ") + (unique ? "UNIQUE " : "") + "INDEX " +
           m_dialect.identifier(name) + " ON " + m_dialect.identifier(table.name) + " (" +
           joined(columns, ", ") + ");\n";
}

std::string DdlWriter::indexBaseName(const SqlTable& table, const SqlIndex& index) {
    if (!index.sqlName.empty())
        return index.sqlName;
    return table.name + '_' + (index.name.empty() ? joined(index.fields, "_") : index.name);
}

std::string DdlWriter::createIndexes(const SqlTable& table) const {
    std::string sql;
    std::set<std::string> used; // index names are per schema: prefixed by the table
    for (const SqlIndex& index : table.indexes) {
        // The primary key is in the table; an expression index has no fields to give.
        if (index.has(engine::ixPrimary) || index.fields.empty())
            continue;
        const std::string base = indexBaseName(table, index);
        std::string name = base;
        for (int n = 2; !used.insert(name).second; ++n)
            name = base + '_' + std::to_string(n);
        sql += createIndex(table, index, name);
    }
    return sql;
}

std::string DdlWriter::comments(const SqlTable& table) const {
    if (!m_dialect.isPostgresql())
        return {};
    std::string sql;
    const std::string tableName = m_dialect.identifier(table.name);
    if (!table.description.empty())
        sql += "COMMENT ON TABLE " + tableName + " IS " + SqlDialect::literal(table.description) +
               ";\n";
    for (const SqlColumn& c : table.columns)
        if (!c.description.empty())
            sql += "COMMENT ON COLUMN " + tableName + '.' + m_dialect.identifier(c.name) + " IS " +
                   SqlDialect::literal(c.description) + ";\n";
    return sql;
}

std::string DdlWriter::schema(const SqlTable& table) const {
    return createTable(table) + createIndexes(table) + comments(table);
}

} // namespace cli
