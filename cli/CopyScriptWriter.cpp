#include "cli/CopyScriptWriter.h"

#include "cli/DdlWriter.h"
#include "cli/ProgressBar.h"
#include "cli/ValueText.h"

#include "engine/TableFile.h"

#include <charconv>
#include <cmath>

namespace cli {

namespace {

// COPY's text format: backslash escapes for the characters that end a value or a
// line. PostgreSQL text cannot hold a NUL, which a damaged memo may carry: it is left out.
void appendEscaped(std::string& out, const std::string& text) {
    for (char c : text) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\0':
            break;
        default:
            out += c;
        }
    }
}

void appendHex(std::string& out, const std::string& raw) {
    static const char digits[] = "0123456789abcdef";
    out += "\\\\x"; // bytea's \x form, its backslash escaped for COPY
    for (char c : raw) {
        const auto b = static_cast<unsigned char>(c);
        out += digits[b >> 4];
        out += digits[b & 15];
    }
}

void appendDouble(std::string& out, double d) {
    if (std::isnan(d)) {
        out += "NaN";
    } else if (std::isinf(d)) {
        out += d > 0 ? "Infinity" : "-Infinity";
    } else {
        char buf[32];
        auto res = std::to_chars(buf, buf + sizeof buf, d);
        out.append(buf, res.ptr);
    }
}

void appendValue(std::string& out, const engine::Value& v) {
    using K = engine::Value::Kind;
    switch (v.kind) {
    case K::Null:
        out += "\\N";
        break;
    case K::Text:
        appendEscaped(out, v.text);
        break;
    case K::Bcd:
        out += v.text;
        break;
    case K::Integer:
        out += std::to_string(v.integer);
        break;
    case K::Float:
        appendDouble(out, v.real);
        break;
    case K::Boolean:
        out += v.boolean ? 't' : 'f';
        break;
    case K::Date:
        out += dateText(v.integer);
        break;
    case K::Time:
        out += timeText(v.integer);
        break;
    case K::Timestamp:
        out += timestampText(v.integer);
        break;
    case K::Bytes:
        appendHex(out, v.text);
        break;
    }
}

std::string columnList(const SqlTable& table, const SqlDialect& dialect) {
    std::string out;
    for (size_t i = 0; i < table.columns.size(); ++i)
        out += (i ? ", " : "") + dialect.identifier(table.columns[i].name);
    return out;
}

// COPY gives identity columns their values; the counter must then start after them.
std::string identityCounters(const SqlTable& table, const SqlDialect& dialect) {
    std::string sql;
    const std::string name = dialect.identifier(table.name);
    for (const SqlColumn& c : table.columns) {
        if (c.type != engine::FieldType::AutoInc)
            continue;
        const std::string column = dialect.identifier(c.name);
        sql += "SELECT setval(pg_get_serial_sequence(" + SqlDialect::literal(name) + ", " +
               SqlDialect::literal(column) + "), COALESCE(MAX(" + column +
               "), 0) + 1, false) FROM " + name + ";\n";
    }
    return sql;
}

} // namespace

std::string CopyScriptWriter::preamble() {
    return "SET client_encoding = 'UTF8';\nSET standard_conforming_strings = on;\n\n";
}

std::string CopyScriptWriter::tableBlock(const engine::TableFile& table, ProgressBar& progress,
                                         uint64_t& rows) {
    const SqlTable schema = SqlTable::fromTable(table);
    const DdlWriter ddl(SqlDialect(SqlDialect::Kind::Postgresql));
    const std::string name = ddl.dialect().identifier(schema.name);
    std::string out = "BEGIN;\nDROP TABLE IF EXISTS " + name + ";\n" + ddl.createTable(schema);
    out += "COPY " + name + " (" + columnList(schema, ddl.dialect()) + ") FROM stdin;\n";
    rows = 0;
    progress.start(schema.name, table.recordCount());
    try {
        table.forEachRow([&](const engine::Row& row) {
            for (size_t i = 0; i < row.size(); ++i) {
                if (i)
                    out += '\t';
                appendValue(out, row[i]);
            }
            out += '\n';
            progress.advance(++rows);
            return true;
        });
    } catch (...) {
        progress.finish();
        throw;
    }
    progress.finish();
    out += "\\.\n" + ddl.createIndexes(schema) + identityCounters(schema, ddl.dialect()) +
           "COMMIT;\n\n";
    return out;
}

} // namespace cli
