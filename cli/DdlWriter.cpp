#include "cli/DdlWriter.h"

#include "cli/ValueText.h"
#include "cli/VisibleText.h"

#include <charconv>
#include <cmath>
#include <set>

namespace cli {

namespace {

using Kind = SqlRule::Kind;

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

std::string doubleText(double d) {
    char buf[32];
    const auto res = std::to_chars(buf, buf + sizeof buf, d);
    return std::string(buf, res.ptr);
}

bool isRequiredDeclared(const SqlTable& table, size_t at) {
    for (const SqlRule& r : table.rules)
        if (r.kind == Kind::Required && size_t(r.columns[0]) == at && r.brokenRows == 0)
            return true;
    return false;
}

} // namespace

std::string DdlWriter::valueLiteral(const SqlColumn& column, const engine::Value& v) const {
    using K = engine::Value::Kind;
    const bool pg = m_dialect.isPostgresql();
    switch (v.kind) {
    case K::Integer:
        return std::to_string(v.integer);
    case K::Float:
        return std::isfinite(v.real) ? doubleText(v.real) : std::string();
    case K::Boolean:
        return pg ? (v.boolean ? "TRUE" : "FALSE") : (v.boolean ? "1" : "0");
    case K::Bcd:
        return v.text;
    case K::Date:
        return v.integer > 0 ? "'" + dateText(v.integer) + "'" : std::string();
    case K::Time:
        return "'" + timeText(v.integer) + "'";
    case K::Timestamp:
        return v.integer > 0 ? "'" + timestampText(v.integer) + "'" : std::string();
    case K::Text:
        if (pg)
            return SqlDialect::literal(v.text);
        // SQLite has no escape for a control character in a string.
        return visibleText(v.text) == v.text && v.text.find('\'') == std::string::npos
                   ? "'" + v.text + "'"
                   : std::string();
    default:
        (void)column;
        return {};
    }
}

std::string DdlWriter::columnDefinition(const SqlTable& table, size_t at) const {
    const SqlColumn& column = table.columns[at];
    std::string def = m_dialect.identifier(column.name) + ' ' + m_dialect.columnType(column);
    if (column.defaultValue && column.type != engine::FieldType::AutoInc) {
        const std::string value = valueLiteral(column, *column.defaultValue);
        if (!value.empty())
            def += " DEFAULT " + value;
    }
    if (!m_rulesLater && isRequiredDeclared(table, at))
        def += " NOT NULL";
    return def;
}

std::string DdlWriter::primaryKeyLine(const SqlTable& table) const {
    const SqlIndex* key = table.primaryKey();
    if (!key || key->fields.empty())
        return {};
    std::vector<std::string> names;
    for (const std::string& f : key->fields)
        names.push_back(m_dialect.identifier(f));
    return "PRIMARY KEY (" + joined(names, ", ") + ")";
}

std::string DdlWriter::ruleText(const SqlTable& table, const SqlRule& rule) const {
    const std::string column = table.columns[size_t(rule.columns[0])].name;
    switch (rule.kind) {
    case Kind::Required:
        return column + " requis";
    case Kind::Minimum:
        return column + " >= " + valueText(rule.bound);
    case Kind::Maximum:
        return column + " <= " + valueText(rule.bound);
    case Kind::Picture:
        return "masque de " + column + " : " + rule.picture;
    case Kind::Reference:
        break;
    }
    std::vector<std::string> names;
    for (int c : rule.columns)
        names.push_back(table.columns[size_t(c)].name);
    return (rule.lookup ? "table de référence de " : "lien " + rule.linkName + " : ") +
           joined(names, ", ") + " -> " + rule.otherName;
}

std::string DdlWriter::whyNotDeclared(const SqlRule& rule) const {
    if (!rule.commentOnly.empty())
        return rule.commentOnly;
    if (rule.kind == Kind::Picture && !m_dialect.isPostgresql())
        return "SQLite ne connaît pas les expressions régulières";
    if (rule.brokenRows && !m_dialect.isPostgresql())
        return std::to_string(rule.brokenRows) + " lignes ne la respectent pas";
    return {};
}

std::string DdlWriter::checkExpression(const SqlTable& table, const SqlRule& rule) const {
    const SqlColumn& column = table.columns[size_t(rule.columns[0])];
    std::string target = m_dialect.identifier(column.name);
    switch (rule.kind) {
    case Kind::Required:
        return target + " IS NOT NULL";
    case Kind::Picture:
        return target + " ~ " + SqlDialect::literal(*rule.regex);
    default:
        break;
    }
    const std::string value = valueLiteral(column, rule.bound);
    if (value.empty())
        return {};
    const bool text = rule.bound.kind == engine::Value::Kind::Text;
    if (!m_dialect.isPostgresql() && column.type == engine::FieldType::Bcd)
        target = "CAST(" + target + " AS NUMERIC)"; // stored as text
    return target + (rule.kind == Kind::Minimum ? " >= " : " <= ") + value +
           (text && m_dialect.isPostgresql() ? " COLLATE \"C\"" : "");
}

std::string DdlWriter::constraintBody(const SqlTable& table, const SqlRule& rule) const {
    if (rule.kind != Kind::Reference) {
        const std::string check = checkExpression(table, rule);
        return check.empty() ? check : "CHECK (" + check + ")";
    }
    std::vector<std::string> columns, parent;
    for (int c : rule.columns)
        columns.push_back(m_dialect.identifier(table.columns[size_t(c)].name));
    for (const std::string& c : rule.parentColumnNames)
        parent.push_back(m_dialect.identifier(c));
    std::string body = "FOREIGN KEY (" + joined(columns, ", ") + ") REFERENCES " +
                       m_dialect.identifier(rule.parentTable) + " (" + joined(parent, ", ") + ")";
    if (!rule.lookup)
        body += std::string(" ON UPDATE ") + (rule.cascade ? "CASCADE" : "RESTRICT") +
                " ON DELETE RESTRICT";
    return body;
}

std::string DdlWriter::inlineRule(const SqlTable& table, const SqlRule& rule,
                                  std::vector<std::string>& notes) const {
    const std::string why = whyNotDeclared(rule);
    if (!why.empty()) {
        notes.push_back(table.ruleName(rule) + " : " + ruleText(table, rule) + " (" + why + ")");
        return {};
    }
    if (m_rulesLater || rule.kind == Kind::Required || (rule.deferred && m_dialect.isPostgresql()))
        return {};
    const std::string body = constraintBody(table, rule);
    if (body.empty()) {
        notes.push_back(table.ruleName(rule) + " : " + ruleText(table, rule) +
                        " (valeur sans équivalent SQL)");
        return {};
    }
    return "CONSTRAINT " + m_dialect.identifier(table.ruleName(rule)) + ' ' + body;
}

std::string DdlWriter::createTable(const SqlTable& table) const {
    // Inside the statement, where SQLite keeps it (in sqlite_master) with the table.
    std::string sql = "CREATE TABLE " + m_dialect.identifier(table.name) + " (";
    if (!m_dialect.isPostgresql() && !table.description.empty())
        sql += " -- " + oneLine(table.description);
    sql += '\n';
    std::vector<std::pair<std::string, std::string>> lines; // definition, comment
    for (size_t i = 0; i < table.columns.size(); ++i)
        lines.push_back({columnDefinition(table, i),
                         m_dialect.isPostgresql() ? std::string() : table.columns[i].description});
    if (const std::string key = primaryKeyLine(table); !key.empty())
        lines.push_back({key, {}});
    std::vector<std::string> notes;
    for (const SqlRule& rule : table.rules)
        if (const std::string line = inlineRule(table, rule, notes); !line.empty())
            lines.push_back({line, {}});
    for (size_t i = 0; i < lines.size(); ++i) {
        sql += "    " + lines[i].first + (i + 1 == lines.size() ? "" : ",");
        if (!lines[i].second.empty())
            sql += " -- " + oneLine(lines[i].second);
        sql += '\n';
    }
    for (const std::string& note : notes)
        sql += "    -- " + oneLine(note) + '\n';
    return sql + ");\n";
}

std::string DdlWriter::alterAdd(const SqlTable& table, const SqlRule& rule,
                                const std::string& body) const {
    return "ALTER TABLE " + m_dialect.identifier(table.name) + " ADD CONSTRAINT " +
           m_dialect.identifier(table.ruleName(rule)) + ' ' + body +
           (rule.brokenRows ? " NOT VALID" : "") + ";\n";
}

std::string DdlWriter::addChecks(const SqlTable& table) const {
    std::string sql;
    for (const SqlRule& rule : table.rules) {
        if (rule.kind == Kind::Reference || !whyNotDeclared(rule).empty())
            continue;
        if (rule.kind == Kind::Required && rule.brokenRows == 0) {
            sql += "ALTER TABLE " + m_dialect.identifier(table.name) + " ALTER COLUMN " +
                   m_dialect.identifier(table.columns[size_t(rule.columns[0])].name) +
                   " SET NOT NULL;\n";
            continue;
        }
        if (const std::string body = constraintBody(table, rule); !body.empty())
            sql += alterAdd(table, rule, body);
    }
    return sql;
}

std::string DdlWriter::addReferences(const SqlTable& table, bool deferredOnly) const {
    std::string sql;
    for (const SqlRule& rule : table.rules)
        if (rule.kind == Kind::Reference && whyNotDeclared(rule).empty() &&
            (!deferredOnly || rule.deferred))
            sql += alterAdd(table, rule, constraintBody(table, rule));
    return sql;
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
