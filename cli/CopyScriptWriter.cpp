#include "cli/CopyScriptWriter.h"

#include "cli/DdlWriter.h"
#include "cli/ProgressBar.h"
#include "cli/ValueText.h"
#include "cli/VisibleText.h"

#include "engine/CodePage.h"
#include "engine/TableFile.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace cli {

namespace {

void appendByteEscapes(std::string& out, std::string_view bytes) {
    static const char digits[] = "0123456789abcdef";
    for (char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        out += "\\x";
        out += digits[b >> 4];
        out += digits[b & 15];
    }
}

// COPY's text format: backslash escapes for the characters that end a value or a
// line. As every backslash of the data is doubled, no data line can read as the
// "\." that ends the block. The other control characters (C1 included, byte by
// byte) go as \xHH too, so that nothing in the script can drive a terminal that
// shows it. PostgreSQL text cannot hold a NUL, which a damaged memo may carry: it is
// left out; a byte that is not UTF-8 becomes U+FFFD, as the server would refuse the
// whole line.
bool isPlainAscii(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char ch) {
        const auto c = static_cast<unsigned char>(ch);
        return c >= 0x20 && c < 0x7F && c != '\\';
    });
}

void appendEscaped(std::string& out, const std::string& text) {
    if (isPlainAscii(text)) { // most values: nothing to look at character by character
        out += text;
        return;
    }
    const std::string utf8 = validUtf8(text);
    for (size_t i = 0; i < utf8.size();) {
        const size_t start = i;
        char32_t c = 0;
        if (!engine::nextUtf8(utf8, i, c)) { // not expected: made valid above
            ++i;
            continue;
        }
        if (c == 0)
            continue;
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\t')
            out += "\\t";
        else if (isControl(c))
            appendByteEscapes(out, std::string_view(utf8).substr(start, i - start));
        else
            out.append(utf8, start, i - start);
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

// COPY gives identity columns their values; the counter must then start after them,
// and after the last number the table itself handed out (rows deleted at the end
// of a table must not see their numbers given again).
std::string identityCounters(const SqlTable& table, const SqlDialect& dialect) {
    std::string sql;
    const std::string name = dialect.identifier(table.name);
    for (const SqlColumn& c : table.columns) {
        if (c.type != engine::FieldType::AutoInc)
            continue;
        const std::string column = dialect.identifier(c.name);
        // The function parses the table's name as SQL (quote_ident makes it one name,
        // whatever it holds) but takes the column's as it is.
        sql += "SELECT setval(pg_get_serial_sequence(quote_ident(" +
               SqlDialect::literal(table.name) + "), " + SqlDialect::literal(c.name) +
               "), GREATEST(MAX(" + column + "), " + std::to_string(table.lastCounter) +
               ") + 1, false) FROM " + name + ";\n";
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

// Rows in COPY's text format, each line ended by a line feed, handed to `flush` a
// piece of about kPiece bytes at a time (the whole text at once when kPiece is 0).
constexpr size_t kPiece = 1 << 20;

void copyData(const engine::TableFile& table, const std::string& label,
              std::vector<bool>& holdsNull, ProgressBar& progress, uint64_t& rows, size_t piece,
              const CopyScriptWriter::Sink& flush) {
    std::string data;
    rows = 0;
    progress.start(label, table.recordCount());
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
            if (piece && data.size() >= piece) {
                flush(data);
                data.clear();
            }
            return true;
        });
    } catch (...) {
        progress.finish();
        throw;
    }
    progress.finish();
    flush(data);
}

// The columns that may hold NULL, read without keeping any row.
std::vector<bool> nullsOf(const engine::TableFile& table, size_t columns) {
    std::vector<bool> holdsNull(columns, false);
    table.forEachRow([&](const engine::Row& row) {
        for (size_t i = 0; i < row.size() && i < columns; ++i)
            holdsNull[i] = holdsNull[i] || row[i].isNull();
        return true;
    });
    return holdsNull;
}

} // namespace

// psql must stop at the first error, whatever its command line says: a statement
// that failed would otherwise let the lines after it, COPY data included, be read
// as SQL. And one transaction for the whole script, so that a failure leaves the
// database as it was.
std::string CopyScriptWriter::preamble() {
    return "\\set ON_ERROR_STOP on\nSET client_encoding = 'UTF8';\n"
           "SET standard_conforming_strings = on;\nBEGIN;\n\n";
}

std::string CopyScriptWriter::epilogue() {
    return "COMMIT;\n";
}

void CopyScriptWriter::writeTable(const engine::TableFile& table, const SqlTable& named,
                                  bool replacing, ExportPart part, ProgressBar& progress,
                                  uint64_t& rows, const Sink& sink, uint64_t wholeTableBytes) {
    SqlTable schema = named;
    rows = 0;
    const bool withRows = part != ExportPart::SchemaOnly;
    const bool inPieces =
        withRows &&
        table.recordCount() * uint64_t(std::max(table.recordSize(), 1)) > wholeTableBytes;
    std::vector<bool> holdsNull(schema.columns.size(), false);
    std::string data;
    if (inPieces)
        holdsNull = nullsOf(table, schema.columns.size());
    else if (withRows)
        copyData(table, schema.name, holdsNull, progress, rows, 0,
                 [&](const std::string& all) { data = all; });
    if (part == ExportPart::Everything)
        admitNulls(schema, holdsNull);
    DdlWriter ddl{SqlDialect(SqlDialect::Kind::Postgresql)};
    ddl.setRulesAfterRows(true);
    const std::string name = ddl.dialect().identifier(schema.name);
    std::string head;
    if (part != ExportPart::DataOnly)
        head += (replacing ? "DROP TABLE IF EXISTS " + name + ";\n" : std::string()) +
                ddl.createTable(schema);
    if (withRows)
        head += "COPY " + name + " (" + columnList(schema, ddl.dialect()) + ") FROM stdin;\n";
    sink(head);
    if (inPieces) {
        try {
            copyData(table, schema.name, holdsNull, progress, rows, kPiece, sink);
        } catch (const Broken&) {
            throw;
        } catch (const std::exception& e) {
            // Half the rows are in the script already: end the data, then make psql
            // stop and roll the whole load back.
            sink("\\.\nDO $$ BEGIN RAISE EXCEPTION 'export incomplete: a table could not be "
                 "read to its end'; END $$;\n");
            throw Broken(e.what());
        }
    } else {
        sink(data);
    }
    std::string tail = withRows ? "\\.\n" : std::string();
    if (part != ExportPart::DataOnly)
        tail += ddl.addChecks(schema) + ddl.createIndexes(schema) + ddl.comments(schema);
    sink(tail + identityCounters(schema, ddl.dialect()) + "\n");
}

} // namespace cli
