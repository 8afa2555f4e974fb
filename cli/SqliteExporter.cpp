#include "cli/SqliteExporter.h"

#include "cli/DdlWriter.h"
#include "cli/ProgressBar.h"
#include "cli/ValueText.h"

#include "engine/TableFile.h"

#include <sqlite3.h>
#include <stdexcept>

namespace cli {

namespace {

// Finalises the statement on every way out.
class Statement {
public:
    Statement(sqlite3* db, const std::string& sql,
              const char* refusal = "SQLite refuse l'insertion : ") {
        if (sqlite3_prepare_v2(db, sql.c_str(), int(sql.size()), &m_stmt, nullptr) != SQLITE_OK)
            throw std::runtime_error(refusal + std::string(sqlite3_errmsg(db)));
    }
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    sqlite3_stmt* get() const { return m_stmt; }

private:
    sqlite3_stmt* m_stmt = nullptr;
};

void bindText(sqlite3_stmt* s, int at, const std::string& text) {
    sqlite3_bind_text(s, at, text.data(), int(text.size()), SQLITE_TRANSIENT);
}

// Values are stored in the forms rows --json gives them: dates and times as ISO
// text, BCD as its decimal text (exact), bytes and BLOBs as BLOBs.
void bindValue(sqlite3_stmt* s, int at, const engine::Value& v) {
    using K = engine::Value::Kind;
    switch (v.kind) {
    case K::Null:
        sqlite3_bind_null(s, at);
        break;
    case K::Text:
    case K::Bcd:
        sqlite3_bind_text(s, at, v.text.data(), int(v.text.size()), SQLITE_STATIC);
        break;
    case K::Integer:
        sqlite3_bind_int64(s, at, v.integer);
        break;
    case K::Float:
        sqlite3_bind_double(s, at, v.real);
        break;
    case K::Boolean:
        sqlite3_bind_int(s, at, v.boolean ? 1 : 0);
        break;
    case K::Date:
        bindText(s, at, dateText(v.integer));
        break;
    case K::Time:
        bindText(s, at, timeText(v.integer));
        break;
    case K::Timestamp:
        bindText(s, at, timestampText(v.integer));
        break;
    case K::Bytes:
        sqlite3_bind_blob64(s, at, v.text.data(), v.text.size(), SQLITE_STATIC);
        break;
    }
}

// Columns named, so that rows also go into a table the user made, whatever the order
// of its columns.
std::string insertStatement(const SqlTable& table, const SqlDialect& dialect) {
    std::string sql = "INSERT INTO " + dialect.identifier(table.name) + " (";
    for (size_t i = 0; i < table.columns.size(); ++i)
        sql += (i ? ", " : "") + dialect.identifier(table.columns[i].name);
    sql += ") VALUES (";
    for (size_t i = 0; i < table.columns.size(); ++i)
        sql += i ? ",?" : "?";
    return sql + ")";
}

} // namespace

SqliteExporter::SqliteExporter(const std::string& file, bool create) {
    const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
    if (sqlite3_open_v2(file.c_str(), &m_db, flags, nullptr) != SQLITE_OK) {
        const std::string why = m_db ? sqlite3_errmsg(m_db) : "mémoire insuffisante";
        sqlite3_close(m_db);
        throw std::runtime_error("la base SQLite " + file + " ne peut pas être ouverte : " + why);
    }
    sqlite3_busy_timeout(m_db, 5000);
}

SqliteExporter::~SqliteExporter() {
    sqlite3_close(m_db);
}

std::string SqliteExporter::existing(const std::string& name) const {
    Statement find(m_db,
                   "SELECT name FROM sqlite_master WHERE type IN ('table', 'view') AND name = ?1 "
                   "COLLATE NOCASE",
                   "SQLite ne peut pas lire la base : ");
    bindText(find.get(), 1, name);
    if (sqlite3_step(find.get()) != SQLITE_ROW)
        return {};
    return reinterpret_cast<const char*>(sqlite3_column_text(find.get(), 0));
}

void SqliteExporter::execute(const std::string& sql) {
    char* message = nullptr;
    if (sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string why = message ? message : sqlite3_errmsg(m_db);
        sqlite3_free(message);
        fail(why);
    }
}

void SqliteExporter::fail(const std::string& what) {
    throw std::runtime_error("SQLite refuse la table : " + what);
}

std::string SqliteExporter::cannotReceive(const SqlTable& schema) const {
    try {
        Statement insert(m_db, insertStatement(schema, SqlDialect(SqlDialect::Kind::Sqlite)));
    } catch (const std::exception& e) {
        return e.what();
    }
    return {};
}

uint64_t SqliteExporter::copyRows(const engine::TableFile& table, const SqlTable& schema,
                                  ProgressBar& progress) {
    Statement insert(m_db, insertStatement(schema, SqlDialect(SqlDialect::Kind::Sqlite)));
    uint64_t rows = 0;
    progress.start(schema.name, table.recordCount());
    table.forEachRow([&](const engine::Row& row) {
        for (size_t i = 0; i < row.size(); ++i)
            bindValue(insert.get(), int(i + 1), row[i]);
        if (sqlite3_step(insert.get()) != SQLITE_DONE)
            fail(sqlite3_errmsg(m_db));
        sqlite3_reset(insert.get());
        progress.advance(++rows);
        return true;
    });
    progress.finish();
    return rows;
}

uint64_t SqliteExporter::exportTable(const engine::TableFile& table, const SqlTable& schema,
                                     ProgressBar& progress) {
    const DdlWriter ddl{SqlDialect(SqlDialect::Kind::Sqlite)};
    uint64_t rows = 0;
    execute("BEGIN IMMEDIATE");
    try {
        if (m_part != ExportPart::DataOnly && m_replacing)
            execute("DROP TABLE IF EXISTS " + ddl.dialect().identifier(schema.name));
        if (m_part != ExportPart::DataOnly)
            execute(ddl.createTable(schema));
        if (m_part != ExportPart::SchemaOnly)
            rows = copyRows(table, schema, progress);
        if (m_part != ExportPart::DataOnly)
            execute(ddl.createIndexes(schema));
        execute("COMMIT");
    } catch (...) {
        progress.finish();
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
    return rows;
}

} // namespace cli
