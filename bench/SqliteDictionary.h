#pragma once
// The SQLite twin of the dictionary (INTEGER PRIMARY KEY, index on Tbl COLLATE
// NOCASE) and the statements of a capture: the duplicate-name check on a table
// entry, the highest number, the insert. The benchmarks' embedded-engine bar.

#include "bench/DictionaryFixture.h"

#include <sqlite3.h>

#include <filesystem>
#include <string>

namespace bench {

class SqliteDictionary {
public:
    // A fresh file; `pragmas` are run before the schema is made.
    SqliteDictionary(const std::filesystem::path& file, const std::string& pragmas = {}) {
        std::filesystem::remove(file);
        sqlite3_open(file.string().c_str(), &m_db);
        if (!pragmas.empty())
            exec(pragmas.c_str());
        exec("CREATE TABLE d(NoEnreg INTEGER PRIMARY KEY, Tbl TEXT, Description TEXT, Champ TEXT,"
             " Type TEXT, Longueur INTEGER, CT INTEGER, CC INTEGER);"
             "CREATE INDEX ix ON d(Tbl COLLATE NOCASE);");
        sqlite3_prepare_v2(m_db, "SELECT 1 FROM d WHERE Tbl=?1 COLLATE NOCASE LIMIT 1", -1, &m_find,
                           nullptr);
        sqlite3_prepare_v2(m_db, "SELECT max(NoEnreg) FROM d", -1, &m_last, nullptr);
        sqlite3_prepare_v2(m_db, "INSERT INTO d VALUES(?1,?2,?3,?4,?5,?6,?7,?8)", -1, &m_insert,
                           nullptr);
    }
    ~SqliteDictionary() {
        sqlite3_finalize(m_find);
        sqlite3_finalize(m_last);
        sqlite3_finalize(m_insert);
        sqlite3_close(m_db);
    }
    SqliteDictionary(const SqliteDictionary&) = delete;
    SqliteDictionary& operator=(const SqliteDictionary&) = delete;

    void exec(const char* sql) { sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr); }

    // One row the way a capture writes it.
    void captureRow(const DictRow& r) {
        if (r.ct) {
            sqlite3_bind_text(m_find, 1, r.table.c_str(), -1, SQLITE_STATIC);
            step(m_find);
        }
        step(m_last);
        sqlite3_bind_int(m_insert, 1, r.key);
        sqlite3_bind_text(m_insert, 2, r.table.c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_text(m_insert, 3, r.description.c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_text(m_insert, 4, r.field.c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_text(m_insert, 5, r.type.c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_int(m_insert, 6, r.length);
        sqlite3_bind_int(m_insert, 7, r.ct);
        sqlite3_bind_int(m_insert, 8, r.cc);
        step(m_insert);
    }

private:
    static void step(sqlite3_stmt* s) {
        sqlite3_step(s);
        sqlite3_reset(s);
    }

    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_find = nullptr;
    sqlite3_stmt* m_last = nullptr;
    sqlite3_stmt* m_insert = nullptr;
};

} // namespace bench
