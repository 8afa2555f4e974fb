#pragma once
// Copies tables into an SQLite database file: each table in one transaction, made
// from its structure (an existing table of the same name is dropped in that same
// transaction, when the user asked for it), every row, then its indexes. A table
// that fails leaves the database as it was before it.

#include "cli/ExportPart.h"

#include <cstdint>
#include <string>

struct sqlite3;

namespace engine {
class TableFile;
}

namespace cli {

class ProgressBar;
struct SqlTable;

class SqliteExporter {
public:
    // Opens the database, creating the file when it is missing and `create` allows.
    // Throws std::runtime_error when it cannot be opened.
    explicit SqliteExporter(const std::string& file, bool create = true);
    ~SqliteExporter();
    SqliteExporter(const SqliteExporter&) = delete;
    SqliteExporter& operator=(const SqliteExporter&) = delete;

    // The name of the table or view already in the database that SQLite would take
    // for `name` (letter case aside); empty when there is none.
    std::string existing(const std::string& name) const;

    // Why the rows of `schema` could not be added to a table already there (no such
    // table, a column missing); empty when they can. Nothing is written.
    std::string cannotReceive(const SqlTable& schema) const;

    // Drop a table of the same name first; otherwise CREATE TABLE fails on it.
    void setReplacing(bool replacing) { m_replacing = replacing; }
    void setPart(ExportPart part) { m_part = part; }

    // The rows written into the table `schema` describes (its name as chosen for this
    // database). Throws (after rolling the table back) when the table cannot be read
    // to its end or SQLite refuses a row.
    uint64_t exportTable(const engine::TableFile& table, const SqlTable& schema,
                         ProgressBar& progress);

private:
    void execute(const std::string& sql);
    uint64_t copyRows(const engine::TableFile& table, const SqlTable& schema,
                      ProgressBar& progress);
    [[noreturn]] void fail(const std::string& what);

    sqlite3* m_db = nullptr;
    bool m_replacing = false;
    ExportPart m_part = ExportPart::Everything;
};

} // namespace cli
