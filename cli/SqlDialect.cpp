#include "cli/SqlDialect.h"

#include "cli/VisibleText.h"

#include "engine/CodePage.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <stdexcept>
#include <string_view>

namespace cli {

namespace {

using engine::FieldType;

// Words that cannot stand bare as a name in either dialect (the reserved words the
// two share, plus the ones a Paradox field is likely to be called).
bool isReserved(std::string lower) {
    static constexpr std::array<std::string_view, 64> words = {
        "abort",        "add",          "all",
        "alter",        "and",          "as",
        "asc",          "between",      "by",
        "case",         "cast",         "check",
        "collate",      "column",       "constraint",
        "create",       "cross",        "current",
        "current_date", "current_time", "current_timestamp",
        "current_user", "default",      "delete",
        "desc",         "distinct",     "do",
        "drop",         "else",         "end",
        "except",       "exists",       "false",
        "for",          "foreign",      "from",
        "full",         "group",        "having",
        "in",           "index",        "inner",
        "insert",       "intersect",    "into",
        "is",           "join",         "key",
        "left",         "like",         "limit",
        "not",          "null",         "offset",
        "on",           "or",           "order",
        "primary",      "references",   "select",
        "table",        "user",         "where"};
    static constexpr std::array<std::string_view, 12> more = {
        "then",  "to",     "true", "union", "unique", "update",
        "using", "values", "when", "with",  "right",  "natural"};
    return std::find(words.begin(), words.end(), lower) != words.end() ||
           std::find(more.begin(), more.end(), lower) != more.end();
}

bool isPlainName(const std::string& name, bool lowerOnly) {
    if (name.empty() || std::isdigit(static_cast<unsigned char>(name[0])))
        return false;
    for (char ch : name) {
        const auto c = static_cast<unsigned char>(ch);
        if (!(std::isalnum(c) || c == '_') || c >= 0x80)
            return false;
        // PostgreSQL folds bare names to lower case: a capital letter needs quotes.
        if (lowerOnly && std::isupper(c))
            return false;
    }
    return true;
}

std::string lowered(std::string s) {
    for (char& c : s)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// The text is valid UTF-8 (see validUtf8).
bool holdsControl(const std::string& utf8) {
    size_t i = 0;
    char32_t c = 0;
    while (i < utf8.size())
        if (!engine::nextUtf8(utf8, i, c) || isControl(c))
            return true;
    return false;
}

std::string quotedWith(const std::string& text, char quote) {
    std::string out(1, quote);
    for (char c : text) {
        if (c == quote)
            out += quote;
        out += c;
    }
    return out + quote;
}

// PostgreSQL's U&"..." and U&'...' forms: each control character as \XXXX, so that
// no line break or escape sequence stands raw in the script, and the backslash
// itself doubled. The name or text reads back exactly.
std::string unicodeQuoted(const std::string& utf8, char quote) {
    std::string out = std::string("U&") + quote;
    for (size_t i = 0; i < utf8.size();) {
        const size_t start = i;
        char32_t c = 0;
        if (!engine::nextUtf8(utf8, i, c)) { // not expected: the caller made it valid
            out += "\xEF\xBF\xBD";
            ++i;
        } else if (c == '\\') {
            out += "\\\\";
        } else if (isControl(c)) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\%04X", unsigned(c));
            out += buf;
        } else {
            if (c == char32_t(quote))
                out += quote;
            out.append(utf8, start, i - start);
        }
    }
    return out + quote;
}

bool isText(const SqlColumn* c) {
    return c && (c->type == FieldType::Alpha || c->type == FieldType::Memo);
}

std::string sqliteType(const SqlColumn& c) {
    switch (c.type) {
    case FieldType::Alpha:
    case FieldType::Memo:
    case FieldType::Bcd:
        return "TEXT";
    case FieldType::Short:
        return "SMALLINT";
    case FieldType::Long:
    case FieldType::AutoInc:
        // Not "INTEGER": as a primary key that would make the column the row number,
        // which turns a blank key into a made-up number.
        return "INT";
    case FieldType::Number:
    case FieldType::Money:
        return "REAL";
    case FieldType::Logical:
        return "BOOLEAN";
    case FieldType::Date:
        return "DATE";
    case FieldType::Time:
        return "TIME";
    case FieldType::Timestamp:
        return "TIMESTAMP";
    default:
        return "BLOB";
    }
}

std::string postgresqlType(const SqlColumn& c) {
    switch (c.type) {
    case FieldType::Alpha:
        return c.size > 0 ? "varchar(" + std::to_string(c.size) + ")" : "text";
    case FieldType::Memo:
        return "text";
    case FieldType::Bcd:
        return c.size >= 0 ? "numeric(32," + std::to_string(c.size) + ")" : "numeric";
    case FieldType::Short:
        return "smallint";
    case FieldType::Long:
        return "integer";
    case FieldType::AutoInc:
        return "integer GENERATED BY DEFAULT AS IDENTITY";
    case FieldType::Number:
    case FieldType::Money:
        return "double precision";
    case FieldType::Logical:
        return "boolean";
    case FieldType::Date:
        return "date";
    case FieldType::Time:
        return "time(3)";
    case FieldType::Timestamp:
        return "timestamp(3)";
    default:
        return "bytea";
    }
}

} // namespace

std::optional<SqlDialect> SqlDialect::named(const std::string& name) {
    const std::string n = lowered(name);
    if (n == "sqlite" || n == "sqlite3")
        return SqlDialect(Kind::Sqlite);
    if (n == "postgresql" || n == "postgres" || n == "pg")
        return SqlDialect(Kind::Postgresql);
    return std::nullopt;
}

std::string SqlDialect::identifier(const std::string& name) const {
    const std::string utf8 = validUtf8(name);
    if (utf8.find('\0') != std::string::npos)
        throw std::runtime_error("le nom « " + visibleText(utf8) +
                                 " » contient un caractère nul, qu'aucun nom SQL ne peut porter");
    if (isPlainName(utf8, isPostgresql()) && !isReserved(lowered(utf8)))
        return utf8;
    if (!holdsControl(utf8))
        return quotedWith(utf8, '"');
    if (!isPostgresql())
        throw std::runtime_error("le nom « " + visibleText(utf8) +
                                 " » contient un caractère de contrôle, que SQLite ne permet "
                                 "d'écrire dans aucun nom");
    return unicodeQuoted(utf8, '"');
}

std::string SqlDialect::literal(const std::string& text) {
    std::string utf8 = validUtf8(text);
    std::erase(utf8, '\0'); // PostgreSQL text cannot hold it
    return holdsControl(utf8) ? unicodeQuoted(utf8, '\'') : quotedWith(utf8, '\'');
}

std::string SqlDialect::columnType(const SqlColumn& column) const {
    return isPostgresql() ? postgresqlType(column) : sqliteType(column);
}

std::string SqlDialect::indexColumn(const SqlColumn* column, const std::string& name,
                                    unsigned options) const {
    std::string out = identifier(column ? column->name : name);
    // Ignoring case only means something for text; SQLite's NOCASE folds ASCII
    // letters, PostgreSQL indexes the lower-case image.
    if ((options & engine::ixCaseInsensitive) && isText(column))
        out = isPostgresql() ? "lower(" + out + ")" : out + " COLLATE NOCASE";
    if (options & engine::ixDescending)
        out += " DESC";
    return out;
}

} // namespace cli
