#include "cli/CopyScriptWriter.h"

#include "cli/DdlWriter.h"
#include "cli/ProgressBar.h"
#include "cli/ValueText.h"

#include "engine/TableFile.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

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

// PostgreSQL counts years before year 1 as "BC" (year 0 is 1 BC) and reads no sign.
void appendDate(std::string& out, int64_t days, const std::string& timeOfDay) {
    int year = 0, month = 0, day = 0;
    engine::Value::civilFromDays(days, year, month, day);
    char buf[40];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", year > 0 ? year : 1 - year, month, day);
    out += buf;
    if (!timeOfDay.empty())
        out += ' ' + timeOfDay;
    if (year <= 0)
        out += " BC";
}

void appendTimestamp(std::string& out, int64_t ms) {
    constexpr int64_t msPerDay = 86400000;
    int64_t days = ms / msPerDay;
    if (ms % msPerDay < 0)
        --days;
    appendDate(out, days, timeText(ms - days * msPerDay));
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
        appendDate(out, v.integer, {});
        break;
    case K::Time:
        out += timeText(v.integer);
        break;
    case K::Timestamp:
        appendTimestamp(out, v.integer);
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
        // The function parses the table's name as SQL but takes the column's as it is.
        sql += "SELECT setval(pg_get_serial_sequence(" + SqlDialect::literal(name) + ", " +
               SqlDialect::literal(c.name) + "), COALESCE(MAX(" + column +
               "), 0) + 1, false) FROM " + name + ";\n";
    }
    return sql;
}

// Paradox lets a key field or a counter be blank; PostgreSQL's primary keys and
// identity columns refuse NULL. Such a key stays a unique index (which admits NULLs)
// and such a counter a plain integer, so that every row still goes in.
void admitNulls(SqlTable& schema, const std::vector<bool>& holdsNull) {
    auto blank = [&](const std::string& field) {
        for (size_t i = 0; i < schema.columns.size(); ++i)
            if (holdsNull[i] && schema.columns[i].name == field)
                return true;
        return false;
    };
    for (size_t i = 0; i < schema.columns.size(); ++i)
        if (holdsNull[i] && schema.columns[i].type == engine::FieldType::AutoInc)
            schema.columns[i].type = engine::FieldType::Long;
    for (SqlIndex& index : schema.indexes)
        if (index.has(engine::ixPrimary) &&
            std::any_of(index.fields.begin(), index.fields.end(), blank))
            index.options &= ~unsigned(engine::ixPrimary);
}

} // namespace

std::string CopyScriptWriter::preamble() {
    return "SET client_encoding = 'UTF8';\nSET standard_conforming_strings = on;\n\n";
}

std::string CopyScriptWriter::tableBlock(const engine::TableFile& table, ProgressBar& progress,
                                         uint64_t& rows) {
    SqlTable schema = SqlTable::fromTable(table);
    std::vector<bool> holdsNull(schema.columns.size(), false);
    std::string data;
    rows = 0;
    progress.start(schema.name, table.recordCount());
    try {
        table.forEachRow([&](const engine::Row& row) {
            for (size_t i = 0; i < row.size(); ++i) {
                if (i)
                    data += '\t';
                appendValue(data, row[i]);
                holdsNull[i] = holdsNull[i] || row[i].isNull();
            }
            data += '\n';
            progress.advance(++rows);
            return true;
        });
    } catch (...) {
        progress.finish();
        throw;
    }
    progress.finish();
    admitNulls(schema, holdsNull);
    const DdlWriter ddl(SqlDialect(SqlDialect::Kind::Postgresql));
    const std::string name = ddl.dialect().identifier(schema.name);
    return "BEGIN;\nDROP TABLE IF EXISTS " + name + ";\n" + ddl.createTable(schema) + "COPY " +
           name + " (" + columnList(schema, ddl.dialect()) + ") FROM stdin;\n" + data + "\\.\n" +
           ddl.createIndexes(schema) + identityCounters(schema, ddl.dialect()) + "COMMIT;\n\n";
}

} // namespace cli
