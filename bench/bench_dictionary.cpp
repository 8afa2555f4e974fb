// The dictionary workloads, engine against pxlib and SQLite in the same run:
//
//   B2  append rows one at a time the way a capture does (look the table name up in
//       the case-insensitive index, read the last key, insert) with the primary and
//       the case-insensitive index maintained; rate, syscalls and latency per post.
//   B3  open a dictionary and position on the first table entry in name order, then
//       on its tied field rows: bytes and blocks read must not grow with N; SQLite's
//       same queries on a fresh connection beside it (instructions, bytes read).
//   B4  case-insensitive lookups of existing (random case) and missing names.
//   B5  delete every row of one table entry through the tied view, then re-append;
//       SQLite's delete of the same rows beside it.
//
//   B3 and B4 run on a dictionary written whole (10k and 100k rows, 1M with --manual)
//   with its SQLite twin in the same folder; B2 and B5 on the one B2 appends.
//
//   bench_dictionary [--manual] [--no-callgrind] [--only B2,B3,...]
//   bench_dictionary --measure append|lookup|tied engine|sqlite PATH N   (internal)

#include "bench/BenchSupport.h"
#include "bench/DictionaryFixture.h"
#include "bench/SqliteDictionary.h"

#include "engine/Cursor.h"
#include "engine/TableDefinition.h"
#include "engine/TableFile.h"
#include "tests/support/ScopedFileSystem.h"

#include <sqlite3.h>

extern "C" {
#include <paradox.h>
}

#include <algorithm>
#include <map>

using engine::Value;
namespace fs = std::filesystem;

namespace {

using bench::dictionaryFields;
using bench::engineRow;

fs::path createDictionary(const fs::path& dir) {
    fs::create_directories(dir);
    const fs::path table = dir / "DICO.DB";
    if (fs::exists(table))
        engine::deleteTable(table);
    engine::createTable(table, dictionaryFields(),
                        {{"", {"NoEnreg"}, engine::ixPrimary | engine::ixUnique},
                         {"IndTable", {"Table"}, engine::ixCaseInsensitive}});
    return table;
}

// ---- B2: appends -----------------------------------------------------------------
struct AppendStats {
    double cpuSeconds = 0;
    std::vector<double> postSeconds; // wall time of each post
};

AppendStats appendEngine(const fs::path& table, int n, bool perPostTiming) {
    AppendStats st;
    auto t = engine::TableFile::open(table);
    t->setDurable(false); // variant (a): each post survives a crash of the process
    engine::Cursor byName(t, {"Table"});
    engine::Cursor byKey(t);
    bench::DictionaryRows gen;
    st.cpuSeconds = bench::bestCpuSeconds(1, [&] {
        for (int i = 0; i < n; ++i) {
            const bench::DictRow r = gen.row(i);
            auto t0 = std::chrono::steady_clock::now();
            if (r.ct)
                (void)byName.findKey({Value::fromText(r.table)}); // the duplicate-name check
            (void)byKey.last();                                   // numbering after the last key
            byKey.insert(engineRow(r));
            if (perPostTiming)
                st.postSeconds.push_back(
                    std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
        }
        t->flush();
    });
    return st;
}

double appendSqlite(const fs::path& dir, int n) {
    fs::create_directories(dir);
    bench::SqliteDictionary db(dir / "dico.sqlite");
    bench::DictionaryRows gen;
    return bench::bestCpuSeconds(1, [&] {
        db.exec("BEGIN");
        for (int i = 0; i < n; ++i)
            db.captureRow(gen.row(i));
        db.exec("COMMIT");
    });
}

void pxlibError(pxdoc_t*, int, const char*, void*) {}

// pxlib appends with PX_put_record (it maintains no index while doing so).
double appendPxlib(const fs::path& dir, int n) {
    fs::create_directories(dir);
    const std::string file = (dir / "PXDICO.DB").string();
    fs::remove(file);
    pxdoc_t* px = PX_new2(pxlibError, nullptr, nullptr, nullptr);
    const auto defs = dictionaryFields();
    auto* f = static_cast<pxfield_t*>(px->malloc(px, defs.size() * sizeof(pxfield_t), "fields"));
    const int lens[] = {4, 12, 80, 20, 20, 4, 1, 1};
    const char types[] = {pxfLong,  pxfAlpha, pxfAlpha,   pxfAlpha,
                          pxfAlpha, pxfLong,  pxfLogical, pxfLogical};
    for (size_t i = 0; i < defs.size(); ++i) {
        f[i].px_fname = static_cast<char*>(px->malloc(px, 32, "name"));
        std::snprintf(f[i].px_fname, 32, "%s", defs[i].name.c_str());
        f[i].px_ftype = types[i];
        f[i].px_flen = lens[i];
        f[i].px_fdc = 0;
    }
    PX_create_file(px, f, int(defs.size()), file.c_str(), pxfFileTypIndexDB);
    PX_set_value(px, "numprimkeys", 1);
    std::vector<char> rec(142);
    bench::DictionaryRows gen;
    const double cpu = bench::bestCpuSeconds(1, [&] {
        for (int i = 0; i < n; ++i) {
            const bench::DictRow r = gen.row(i);
            std::fill(rec.begin(), rec.end(), 0);
            char* p = rec.data();
            PX_put_data_long(px, p, 4, r.key);
            std::string tbl = r.table, desc = r.description, fld = r.field, typ = r.type;
            if (!tbl.empty())
                PX_put_data_alpha(px, p + 4, 12, tbl.data());
            if (!desc.empty())
                PX_put_data_alpha(px, p + 16, 80, desc.data());
            if (!fld.empty())
                PX_put_data_alpha(px, p + 96, 20, fld.data());
            if (!typ.empty())
                PX_put_data_alpha(px, p + 116, 20, typ.data());
            PX_put_data_long(px, p + 136, 4, r.length);
            PX_put_data_byte(px, p + 140, 1, char(r.ct));
            PX_put_data_byte(px, p + 141, 1, char(r.cc));
            PX_put_record(px, rec.data());
        }
    });
    PX_close(px);
    PX_delete(px);
    return cpu;
}

double percentile(std::vector<double> v, double p) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(p * double(v.size())))];
}

void benchAppend(int n, bool callgrind) {
    const fs::path dir = bench::fixtureDir("append-") + std::to_string(n);
    fs::path table = createDictionary(dir);
    auto io0 = bench::IoCounters::now();
    const AppendStats e = appendEngine(table, n, false);
    auto io1 = bench::IoCounters::now();
    const double s = appendSqlite(dir, n);
    const double p = appendPxlib(dir, n);
    bench::report("B2", n, "engine", "rows_per_cpu_s", n / e.cpuSeconds, "sqlite_one_transaction",
                  n / s);
    bench::report("B2", n, "engine", "rows_per_cpu_s_vs_pxlib", n / e.cpuSeconds,
                  "pxlib_put_record", n / p);
    bench::report("B2", n, "engine", "read_syscalls_per_row",
                  double(io1.readCalls - io0.readCalls) / n);
    bench::report("B2", n, "engine", "write_syscalls_per_row",
                  double(io1.writeCalls - io0.writeCalls) / n);
    const AppendStats timed = appendEngine(createDictionary(dir / "latency"), n, true);
    bench::report("B2", n, "engine", "post_ms_p50", percentile(timed.postSeconds, 0.5) * 1e3);
    bench::report("B2", n, "engine", "post_ms_p99", percentile(timed.postSeconds, 0.99) * 1e3);
    bench::report("B2", n, "engine", "post_ms_max", percentile(timed.postSeconds, 1.0) * 1e3);
    // On a shared machine a single slow post is usually the scheduler; many are the engine.
    bench::report("B2", n, "engine", "posts_over_1ms",
                  double(std::count_if(timed.postSeconds.begin(), timed.postSeconds.end(),
                                       [](double post) { return post > 1e-3; })));
    if (callgrind) {
        const double ie = bench::callgrindInstructions(
            bench::selfPath(), "--measure append engine " + dir.string() + " " + std::to_string(n));
        const double is = bench::callgrindInstructions(
            bench::selfPath(), "--measure append sqlite " + dir.string() + " " + std::to_string(n));
        bench::report("B2", n, "engine", "instructions_per_row", ie / n, "sqlite_one_transaction",
                      is / n);
    }
}

// ---- B3: open and position on the first tied rows ----------------------------------
fs::path indexedFixture(int n) {
    return bench::indexedDictionary(bench::fixtureDir("tied-") + std::to_string(n), n);
}

// The same rows in SQLite, beside the fixture (dico.sqlite), made once.
void sqliteTwin(const fs::path& dir, int n) {
    if (fs::exists(dir / ".sqlite-complete"))
        return;
    {
        bench::SqliteDictionary db(dir / "dico.sqlite");
        bench::DictionaryRows gen;
        db.exec("BEGIN");
        for (int i = 0; i < n; ++i)
            db.captureRow(gen.row(i));
        db.exec("COMMIT");
    }
    std::ofstream(dir / ".sqlite-complete") << n;
}

// Open, the first table entry in name order, then its tied rows: the first and the count.
int64_t tiedEngine(const fs::path& table) {
    auto t = engine::TableFile::open(table);
    engine::Cursor master(t, {"Table"});
    bool found = master.first();
    while (found && !master.row()[6].boolean)
        found = master.next(); // the first table entry (CT)
    engine::Cursor fields(t, {"Table"});
    fields.setRange(master.row()[1]);
    (void)fields.first();
    return fields.count();
}

int64_t sqliteScalar(sqlite3* db, const char* sql, const std::string& bound = {}) {
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
    if (!bound.empty())
        sqlite3_bind_text(st, 1, bound.c_str(), -1, SQLITE_TRANSIENT);
    const int64_t v = sqlite3_step(st) == SQLITE_ROW ? sqlite3_column_int64(st, 0) : -1;
    sqlite3_finalize(st);
    return v;
}

std::string sqliteText(sqlite3* db, const char* sql) {
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
    std::string v;
    if (sqlite3_step(st) == SQLITE_ROW && sqlite3_column_text(st, 1))
        v = reinterpret_cast<const char*>(sqlite3_column_text(st, 1));
    sqlite3_finalize(st);
    return v;
}

// SQLite's twin of tiedEngine on a fresh connection (nothing cached).
int64_t tiedSqlite(const fs::path& file) {
    sqlite3* db = nullptr;
    sqlite3_open(file.c_str(), &db);
    const std::string name =
        sqliteText(db, "SELECT * FROM d WHERE CT ORDER BY Tbl COLLATE NOCASE LIMIT 1");
    (void)sqliteScalar(
        db, "SELECT * FROM d WHERE Tbl=?1 COLLATE NOCASE ORDER BY Tbl COLLATE NOCASE LIMIT 1",
        name);
    const int64_t count =
        sqliteScalar(db, "SELECT count(*) FROM d WHERE Tbl=?1 COLLATE NOCASE", name);
    sqlite3_close(db);
    return count;
}

void benchTied(int n, bool callgrind) {
    const fs::path table = indexedFixture(n);
    const fs::path twin = table.parent_path() / "dico.sqlite";
    sqliteTwin(table.parent_path(), n);
    bench::CountingFileSystem counting(engine::fileSystem());
    int64_t detail = 0, sqliteDetail = 0;
    double cpu = 0;
    {
        const testsupport::ScopedFileSystem mounted(counting);
        cpu = bench::bestCpuSeconds(1, [&] { detail = tiedEngine(table); });
    }
    const auto io0 = bench::IoCounters::now();
    const double sqliteCpu = bench::bestCpuSeconds(1, [&] { sqliteDetail = tiedSqlite(twin); });
    const auto io1 = bench::IoCounters::now();
    if (detail != sqliteDetail)
        std::fprintf(stderr, "B3: engine counted %lld tied rows, SQLite %lld\n", (long long)detail,
                     (long long)sqliteDetail);
    bench::report("B3", n, "engine", "bytes_read", double(counting.bytesRead), "sqlite_fresh",
                  double(io1.bytesRead - io0.bytesRead));
    bench::report("B3", n, "engine", "reads", double(counting.reads));
    bench::report("B3", n, "engine", "blocks_read_16k", double(counting.bytesRead) / 16384.0);
    bench::report("B3", n, "engine", "ms_cpu_warm", cpu * 1e3, "sqlite_fresh", sqliteCpu * 1e3);
    bench::report("B3", n, "engine", "tied_rows", double(detail), "sqlite_fresh",
                  double(sqliteDetail));
    if (callgrind) {
        const std::string args = table.string() + " " + std::to_string(n);
        const double ie =
            bench::callgrindInstructions(bench::selfPath(), "--measure tied engine " + args);
        const double is =
            bench::callgrindInstructions(bench::selfPath(), "--measure tied sqlite " + args);
        bench::report("B3", n, "engine", "instructions", ie, "sqlite_fresh", is);
    }
}

// ---- B4: case-insensitive lookups -----------------------------------------------------
std::vector<std::string> lookupNames(int n, int count) {
    bench::DictionaryRows gen(7);
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) {
        std::string s = gen.tableName((i * 37) % (n / 11));
        for (size_t k = 0; k < s.size(); ++k)
            if ((i >> (k % 8)) & 1)
                s[k] = char(std::toupper(static_cast<unsigned char>(s[k])));
        if (i % 2)
            s[0] = '#'; // a name that is not there
        names.push_back(s);
    }
    return names;
}

int lookupEngine(const fs::path& table, const std::vector<std::string>& names) {
    auto t = engine::TableFile::open(table);
    engine::Cursor byName(t, {"Table"});
    int found = 0;
    for (const auto& name : names)
        found += byName.findKey({Value::fromText(name)});
    return found;
}

int lookupSqlite(const fs::path& file, const std::vector<std::string>& names) {
    sqlite3* db = nullptr;
    sqlite3_open(file.c_str(), &db);
    sqlite3_stmt* find;
    sqlite3_prepare_v2(db, "SELECT 1 FROM d WHERE Tbl=?1 COLLATE NOCASE LIMIT 1", -1, &find,
                       nullptr);
    int found = 0;
    for (const auto& name : names) {
        sqlite3_bind_text(find, 1, name.c_str(), -1, SQLITE_STATIC);
        found += sqlite3_step(find) == SQLITE_ROW;
        sqlite3_reset(find);
    }
    sqlite3_finalize(find);
    sqlite3_close(db);
    return found;
}

// On the B3 fixture (and its SQLite twin): the dictionary as a capture finds it.
void benchLookup(int n, bool callgrind) {
    const fs::path table = indexedFixture(n);
    const fs::path twin = table.parent_path() / "dico.sqlite";
    sqliteTwin(table.parent_path(), n);
    const auto names = lookupNames(n, 10000);
    int fe = 0, fsq = 0;
    bench::CountingFileSystem counting(engine::fileSystem());
    {
        const testsupport::ScopedFileSystem mounted(counting);
        fe = lookupEngine(table, names);
    }
    const double ce = bench::bestCpuSeconds(3, [&] { fe = lookupEngine(table, names); });
    const double cs = bench::bestCpuSeconds(3, [&] { fsq = lookupSqlite(twin, names); });
    if (fe != fsq)
        std::fprintf(stderr, "B4: engine found %d names, SQLite %d\n", fe, fsq);
    bench::report("B4", n, "engine", "us_cpu_per_lookup", ce * 1e6 / double(names.size()),
                  "sqlite_nocase", cs * 1e6 / double(names.size()));
    bench::report("B4", n, "engine", "found", fe, "sqlite_nocase", fsq);
    bench::report("B4", n, "engine", "bytes_read_first_10k_lookups", double(counting.bytesRead));
    if (callgrind) {
        const std::string args = table.string() + " " + std::to_string(n);
        const double ie =
            bench::callgrindInstructions(bench::selfPath(), "--measure lookup engine " + args);
        const double is =
            bench::callgrindInstructions(bench::selfPath(), "--measure lookup sqlite " + args);
        bench::report("B4", n, "engine", "instructions_per_lookup", ie / double(names.size()),
                      "sqlite_nocase", is / double(names.size()));
    }
}

// ---- B5: delete one table entry's rows, then append them again ----------------------
// SQLite's delete of the same table entry in one transaction, rolled back so that its
// twin stays as B2 left it; CPU seconds.
double deleteSqlite(const fs::path& file, const std::string& name, int64_t& deleted) {
    sqlite3* db = nullptr;
    sqlite3_open(file.c_str(), &db);
    (void)sqliteScalar(db, "SELECT count(*) FROM d WHERE Tbl=?1 COLLATE NOCASE", name); // warm
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    const double cpu = bench::bestCpuSeconds(1, [&] {
        sqlite3_stmt* del = nullptr;
        sqlite3_prepare_v2(db, "DELETE FROM d WHERE Tbl=?1 COLLATE NOCASE", -1, &del, nullptr);
        sqlite3_bind_text(del, 1, name.c_str(), -1, SQLITE_STATIC);
        sqlite3_step(del);
        sqlite3_finalize(del);
    });
    deleted = sqlite3_changes(db);
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return cpu;
}

void benchDelete(int n) {
    const fs::path dir = bench::fixtureDir("append-") + std::to_string(n); // made by B2
    const fs::path table = dir / "DICO.DB";
    bench::DictionaryRows gen;
    const bench::DictRow middle = gen.row((n / 2) / 11 * 11);
    const auto size0 = fs::file_size(table);
    int64_t deleted = 0;
    auto io0 = bench::IoCounters::now();
    double cpu = 0;
    {
        // Opening and positioning the tied view are B3's business: only the deletes count.
        auto t = engine::TableFile::open(table);
        engine::Cursor tied(t, {"Table"});
        tied.setRange(Value::fromText(middle.table));
        (void)tied.first();
        io0 = bench::IoCounters::now();
        cpu = bench::bestCpuSeconds(1, [&] {
            while (tied.first()) {
                tied.remove();
                ++deleted;
            }
        });
        // Writing the index files back is paid once per session, like B2's final flush.
        bench::report("B5", n, "engine", "ms_cpu_flush_after_deletes",
                      bench::bestCpuSeconds(1, [&] { t->flush(); }) * 1e3);
    }
    auto io1 = bench::IoCounters::now();
    int64_t sqliteDeleted = 0;
    const double sqliteCpu = deleteSqlite(dir / "dico.sqlite", middle.table, sqliteDeleted);
    bench::report("B5", n, "engine", "us_cpu_per_deleted_row",
                  cpu * 1e6 / double(std::max<int64_t>(deleted, 1)), "sqlite_one_transaction",
                  sqliteCpu * 1e6 / double(std::max<int64_t>(sqliteDeleted, 1)));
    bench::report("B5", n, "engine", "write_syscalls_per_delete",
                  double(io1.writeCalls - io0.writeCalls) / double(std::max<int64_t>(deleted, 1)));
    bench::report("B5", n, "engine", "rows_deleted", double(deleted));
    {
        auto t = engine::TableFile::open(table);
        engine::Cursor c(t);
        bench::DictionaryRows again;
        for (int i = 0; i < deleted; ++i) {
            bench::DictRow r = again.row(i);
            r.key = n + 1 + i;
            r.table = middle.table;
            c.insert(engineRow(r));
        }
        t->flush();
        bench::report("B5", n, "engine", "rows_after_reappend", double(c.count()), "before",
                      double(n));
    }
    bench::report("B5", n, "engine", "file_growth_blocks_after_reappend",
                  double(fs::file_size(table) - size0) / 16384.0);
}

int measureOnly(const std::vector<std::string>& a) {
    const std::string what = a[1], who = a[2];
    const fs::path where = a[3]; // the folder (append), else the table
    const int n = std::stoi(a[4]);
    if (what == "append") {
        if (who == "engine") {
            const fs::path table = createDictionary(where / "measure");
            bench::measured([&] { appendEngine(table, n, false); });
        } else {
            bench::measured([&] { appendSqlite(where / "measure", n); });
        }
    } else if (what == "tied") {
        if (who == "engine")
            bench::measured([&] { (void)tiedEngine(where); });
        else
            bench::measured([&] { (void)tiedSqlite(where.parent_path() / "dico.sqlite"); });
    } else {
        const auto names = lookupNames(n, 10000);
        if (who == "engine") {
            auto t = engine::TableFile::open(where); // warm: the directory is read once
            engine::Cursor byName(t, {"Table"});
            (void)byName.first();
            bench::measured([&] {
                for (const auto& name : names)
                    (void)byName.findKey({Value::fromText(name)});
            });
        } else {
            sqlite3* db = nullptr;
            sqlite3_open((where.parent_path() / "dico.sqlite").c_str(), &db);
            sqlite3_stmt* find;
            sqlite3_prepare_v2(db, "SELECT 1 FROM d WHERE Tbl=?1 COLLATE NOCASE LIMIT 1", -1, &find,
                               nullptr);
            sqlite3_step(find);
            sqlite3_reset(find);
            bench::measured([&] {
                for (const auto& name : names) {
                    sqlite3_bind_text(find, 1, name.c_str(), -1, SQLITE_STATIC);
                    sqlite3_step(find);
                    sqlite3_reset(find);
                }
            });
            sqlite3_finalize(find);
            sqlite3_close(db);
        }
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 5 && args[0] == "--measure")
        return measureOnly(args);
    const bool manual = std::find(args.begin(), args.end(), "--manual") != args.end();
    const bool callgrind = std::find(args.begin(), args.end(), "--no-callgrind") == args.end();
    auto only = std::find(args.begin(), args.end(), "--only");
    const std::string selected = only != args.end() && only + 1 != args.end() ? *(only + 1) : "";
    const auto wanted = [&](const char* name) {
        return selected.empty() || selected.find(name) != std::string::npos;
    };
    std::vector<int> sizes = {10000};
    if (manual)
        sizes.push_back(100000);
    for (int n : sizes) {
        if (wanted("B2") || wanted("B5"))
            benchAppend(n, wanted("B2") && callgrind && n <= 10000);
        if (wanted("B5"))
            benchDelete(n);
    }
    for (int n :
         manual ? std::vector<int>{10000, 100000, 1000000} : std::vector<int>{10000, 100000}) {
        if (wanted("B3"))
            benchTied(n, callgrind);
        if (wanted("B4"))
            benchLookup(n, callgrind && (manual || n <= 10000));
    }
    return 0;
}
