// Export to SQLite: korvanta-cli's exporter (engine read -> SQLite insert, one
// transaction per table, the table's primary key and indexes made) against the pxlib
// path (pxlib read -> the same CREATE TABLE -> SQLite insert, one transaction), on the
// same files in the same run: the dictionary-shaped fixture at 10k and 100k rows and
// every table of the shared corpus that pxlib can read (no BLOB file, not encrypted).
// Both paths must leave the same row count in SQLite before any figure is printed.
//
//   bench_export [--manual]       (--manual adds 1M rows)

#include "bench/BenchSupport.h"
#include "bench/DictionaryFixture.h"

#include "cli/DdlWriter.h"
#include "cli/ProgressBar.h"
#include "cli/SqlTable.h"
#include "cli/SqliteExporter.h"

#include "engine/TableFile.h"

#include <sqlite3.h>

#include <cstring>
#include <filesystem>
#include <iostream>

extern "C" {
#include <paradox.h>
}

namespace {

namespace fs = std::filesystem;

void pxlibError(pxdoc_t*, int, const char* msg, void*) {
    std::fprintf(stderr, "pxlib: %s\n", msg);
}

int64_t countRows(const std::string& dbFile, const std::string& table) {
    sqlite3* db = nullptr;
    sqlite3_open(dbFile.c_str(), &db);
    sqlite3_stmt* s = nullptr;
    int64_t n = -1;
    const std::string sql = "SELECT count(*) FROM \"" + table + "\"";
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr) == SQLITE_OK &&
        sqlite3_step(s) == SQLITE_ROW)
        n = sqlite3_column_int64(s, 0);
    sqlite3_finalize(s);
    sqlite3_close(db);
    return n;
}

void freshFile(const std::string& file) {
    fs::remove(file);
    fs::remove(file + "-journal");
}

int64_t exportEngine(const std::string& table, const std::string& dbFile) {
    freshFile(dbFile);
    std::ostringstream quiet;
    cli::ProgressBar progress(quiet, false);
    cli::SqliteExporter exporter(dbFile);
    const auto source = engine::TableFile::open(table);
    return int64_t(exporter.exportTable(*source, cli::SqlTable::fromTable(*source), progress));
}

// One pxlib field into one bound parameter, with the getter pxlib offers for its type.
void bindPxField(pxdoc_t* px, sqlite3_stmt* s, int at, const pxfield_t& f, char* p) {
    switch (f.px_ftype) {
    case pxfAlpha:
    case pxfBytes: {
        char* v = nullptr;
        const int got = f.px_ftype == pxfAlpha ? PX_get_data_alpha(px, p, f.px_flen, &v)
                                               : PX_get_data_bytes(px, p, f.px_flen, &v);
        if (got > 0 && v) {
            sqlite3_bind_text(s, at, v, -1, SQLITE_TRANSIENT);
            px->free(px, v);
        } else {
            sqlite3_bind_null(s, at);
        }
        break;
    }
    case pxfShort: {
        short v = 0;
        PX_get_data_short(px, p, f.px_flen, &v) > 0 ? sqlite3_bind_int(s, at, v)
                                                    : sqlite3_bind_null(s, at);
        break;
    }
    case pxfLogical: {
        char v = 0;
        PX_get_data_byte(px, p, f.px_flen, &v) > 0 ? sqlite3_bind_int(s, at, v ? 1 : 0)
                                                   : sqlite3_bind_null(s, at);
        break;
    }
    case pxfCurrency:
    case pxfNumber:
    case pxfTimestamp: {
        double v = 0;
        PX_get_data_double(px, p, f.px_flen, &v) > 0 ? sqlite3_bind_double(s, at, v)
                                                     : sqlite3_bind_null(s, at);
        break;
    }
    case pxfBCD: {
        char* v = nullptr;
        if (PX_get_data_bcd(px, reinterpret_cast<unsigned char*>(p), f.px_fdc, &v) > 0 && v) {
            sqlite3_bind_text(s, at, v, -1, SQLITE_TRANSIENT);
            px->free(px, v);
        } else {
            sqlite3_bind_null(s, at);
        }
        break;
    }
    default: { // Long, AutoInc, Date, Time
        long v = 0;
        PX_get_data_long(px, p, f.px_flen, &v) > 0 ? sqlite3_bind_int64(s, at, v)
                                                   : sqlite3_bind_null(s, at);
    }
    }
}

// pxlib reads, SQLite stores: the same table definition as the exporter's, one
// transaction, one prepared insert.
int64_t exportPxlib(const std::string& table, const std::string& dbFile) {
    freshFile(dbFile);
    const cli::SqlTable schema = cli::SqlTable::fromTable(*engine::TableFile::open(table));
    const cli::DdlWriter ddl{cli::SqlDialect(cli::SqlDialect::Kind::Sqlite)};
    pxdoc_t* px = PX_new2(pxlibError, nullptr, nullptr, nullptr);
    if (PX_open_file(px, table.c_str()) < 0) {
        PX_delete(px);
        return -1;
    }
    sqlite3* db = nullptr;
    sqlite3_open(dbFile.c_str(), &db);
    sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    sqlite3_exec(db, ddl.createTable(schema).c_str(), nullptr, nullptr, nullptr);
    std::string insert = "INSERT INTO " + ddl.dialect().identifier(schema.name) + " VALUES (";
    const int nf = PX_get_num_fields(px);
    for (int f = 0; f < nf; ++f)
        insert += f ? ",?" : "?";
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, (insert + ")").c_str(), -1, &s, nullptr);
    pxfield_t* fields = PX_get_fields(px);
    std::vector<char> rec(size_t(PX_get_recordsize(px)));
    const int n = PX_get_num_records(px);
    int64_t rows = 0;
    for (int i = 0; i < n && PX_get_record(px, i, rec.data()); ++i) {
        char* p = rec.data();
        for (int f = 0; f < nf; ++f) {
            bindPxField(px, s, f + 1, fields[f], p);
            p += fields[f].px_flen;
        }
        if (sqlite3_step(s) == SQLITE_DONE)
            ++rows;
        sqlite3_reset(s);
    }
    sqlite3_finalize(s);
    sqlite3_exec(db, ddl.createIndexes(schema).c_str(), nullptr, nullptr, nullptr);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    PX_close(px);
    PX_delete(px);
    return rows;
}

// Tables of the corpus both readers take: no BLOB file (pxlib stops at it), not
// encrypted, not empty.
std::vector<std::string> pxlibReadableCorpus() {
    std::vector<std::string> out;
    const fs::path corpus = fs::path(KV_SOURCE_DIR) / ".." / "shared" / "corpus";
    std::error_code ec;
    if (!fs::is_directory(corpus, ec))
        return out;
    for (const auto& e : fs::recursive_directory_iterator(corpus)) {
        std::string ext = e.path().extension().string();
        for (char& c : ext)
            c = char(std::tolower(static_cast<unsigned char>(c)));
        if (ext != ".db" || e.path().string().find("/reference/") != std::string::npos)
            continue;
        try {
            auto t = engine::TableFile::open(e.path());
            bool blobs = false;
            for (const auto& f : t->fields())
                blobs = blobs || engine::isBlobType(f.type);
            if (!blobs && !t->isEncrypted() && t->recordCount() > 0)
                out.push_back(e.path().string());
        } catch (const std::exception&) {
        }
    }
    std::sort(out.begin(), out.end());
    return out;
}

struct Totals {
    int64_t rowsEngine = 0, rowsPxlib = 0;
    double secondsEngine = 0, secondsPxlib = 0;
};

bool measure(const std::string& table, const std::string& dbFile, int runs, Totals& t) {
    const std::string name = cli::SqlTable::nameOfFile(fs::path(table).filename().string());
    const int64_t e = exportEngine(table, dbFile);
    const int64_t countE = countRows(dbFile, name);
    const int64_t p = exportPxlib(table, dbFile);
    const int64_t countP = countRows(dbFile, name);
    if (e != countE || p != countP || countE != countP) {
        std::fprintf(stderr, "%s: rows differ (engine %lld, pxlib %lld)\n", table.c_str(),
                     (long long)countE, (long long)countP);
        return false;
    }
    t.rowsEngine += e;
    t.rowsPxlib += p;
    t.secondsEngine += bench::bestSeconds(runs, [&] { exportEngine(table, dbFile); });
    t.secondsPxlib += bench::bestSeconds(runs, [&] { exportPxlib(table, dbFile); });
    return true;
}

void reportTotals(const char* variant, long long n, const Totals& t) {
    bench::report("export", n, std::string(variant) + "-engine", "rows_per_s",
                  double(t.rowsEngine) / t.secondsEngine, "pxlib",
                  double(t.rowsPxlib) / t.secondsPxlib);
    bench::report("export", n, std::string(variant) + "-pxlib", "rows_per_s",
                  double(t.rowsPxlib) / t.secondsPxlib);
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    const bool manual = std::find(args.begin(), args.end(), "--manual") != args.end();
    std::vector<int> sizes = {10000, 100000};
    if (manual)
        sizes.push_back(1000000);
    for (int n : sizes) {
        const fs::path dir = bench::fixtureDir("export-") + std::to_string(n);
        const std::string table = bench::writeDictionary(dir, n).string();
        Totals t;
        if (!measure(table, (dir / "out.sqlite").string(), n >= 1000000 ? 1 : 3, t))
            return 1;
        reportTotals("dictionary", n, t);
    }
    const std::vector<std::string> corpus = pxlibReadableCorpus();
    if (corpus.empty()) {
        std::fprintf(stderr, "bench_export: the shared corpus is absent, corpus figures skipped\n");
        return 0;
    }
    const fs::path dir = bench::fixtureDir("export-corpus");
    fs::create_directories(dir);
    Totals t;
    for (const std::string& table : corpus)
        if (!measure(table, (dir / "out.sqlite").string(), 3, t))
            return 1;
    reportTotals("corpus", t.rowsEngine, t);
    return 0;
}
