// Walks row by row, each against a floor measured in the same run:
//
//   W1  an engine cursor over n dictionary rows, in key order and in name order (the
//       case-insensitive index walked in its files), against SQLite's step loop over
//       SELECT * (rowid order, and ORDER BY the name through its index);
//   W2  a dataset view walked with First/Next in the same two orders, against the same
//       SQLite loops;
//   W3  the report's data walk (the tables view in name order, each entry with its tied
//       fields view) against a plain scan of the same file;
//   W4  opening a dictionary as the store does (the tables view on its first row, the
//       fields view tied to it): bytes read, flat in n, and instructions against a fresh
//       SQLite connection reading the same two rows (each library started beforehand).
//
// Fixtures: the benchmarks' dictionary with its name index, in 32 KB blocks as the
// program writes its own, and its SQLite twin beside it. Sizes 10k and 100k rows, 1M
// with --manual. Times are the least CPU time of several warm runs.
//
//   bench_walk [--manual] [--no-callgrind] [--only W1,W3,...] [--n ROWS]
//   bench_walk --measure open engine|sqlite PATH   (internal, under callgrind)

#include "bench/BenchSupport.h"
#include "bench/DictionaryFixture.h"
#include "bench/SqliteDictionary.h"

#include "engine/Cursor.h"
#include "engine/Database.h"
#include "engine/TableFile.h"
#include "framework/dataset/DataSource.h"
#include "framework/dataset/Database.h"
#include "framework/dataset/Field.h"
#include "framework/dataset/NativePath.h"
#include "framework/dataset/Table.h"
#include "report/Tr_Korvanta.h"
#include "tests/support/ScopedFileSystem.h"

#include <QApplication>

#include <sqlite3.h>

#include <memory>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kRuns = 5; // best of: CPU time, the machine being shared

fs::path fixture(int n) {
    const fs::path dir = bench::fixtureDir("walk-") + std::to_string(n);
    const fs::path table = bench::indexedDictionary(dir, n, 32);
    if (!fs::exists(dir / ".sqlite-complete")) {
        bench::SqliteDictionary db(dir / "dico.sqlite");
        bench::DictionaryRows gen;
        db.exec("BEGIN");
        for (int i = 0; i < n; ++i)
            db.captureRow(gen.row(i));
        db.exec("COMMIT");
        std::ofstream(dir / ".sqlite-complete") << n;
    }
    return table;
}

fs::path twinOf(const fs::path& table) {
    return table.parent_path() / "dico.sqlite";
}

// ---- W1: engine cursor against SQLite's step loop ------------------------------------
long long walkEngine(const fs::path& table, bool byName) {
    auto t = engine::TableFile::open(table);
    engine::Cursor c(t, byName ? std::vector<std::string>{"Table"} : std::vector<std::string>{});
    long long touched = 0;
    for (bool more = c.first(); more; more = c.next()) {
        const engine::Row& r = c.row();
        touched += r[0].integer + (long long)(r[1].text.size() + r[2].text.size());
    }
    return touched;
}

long long walkSqlite(const fs::path& file, bool byName) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db,
                       byName ? "SELECT * FROM d ORDER BY Tbl COLLATE NOCASE" : "SELECT * FROM d",
                       -1, &st, nullptr);
    long long touched = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
        touched += sqlite3_column_int64(st, 0);
        for (int col = 1; col < 8; ++col) { // every field read, as the engine decodes them
            (void)sqlite3_column_text(st, col);
            touched += sqlite3_column_bytes(st, col);
        }
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return touched;
}

// ---- W2: a dataset view -----------------------------------------------------------
long long walkView(const fs::path& table, bool byName) {
    dataset::Table view(nullptr);
    view.setDatabaseName("dbWalk");
    view.setTableName(dataset::fromNativePath(table));
    if (byName)
        view.setIndexFieldNames("Table");
    view.Open();
    long long touched = 0;
    for (view.First(); !view.Eof(); view.Next())
        for (int i = 0; i < view.FieldCount(); ++i)
            touched += view.Fields(i)->AsString().size();
    return touched;
}

void benchCursorsAndViews(int n) {
    const fs::path table = fixture(n);
    const fs::path twin = twinOf(table);
    for (bool byName : {false, true}) {
        const std::string order = byName ? "name order" : "key order";
        const double sqlite = bench::bestCpuSeconds(kRuns, [&] { walkSqlite(twin, byName); });
        const double cursor = bench::bestCpuSeconds(kRuns, [&] { walkEngine(table, byName); });
        const double view = bench::bestCpuSeconds(kRuns, [&] { walkView(table, byName); });
        bench::report("W1", n, "cursor, " + order, "ns_per_row", cursor * 1e9 / n,
                      "sqlite step loop", sqlite * 1e9 / n);
        bench::report("W2", n, "view First/Next, " + order, "ns_per_row", view * 1e9 / n,
                      "sqlite step loop", sqlite * 1e9 / n);
    }
}

// ---- W3: the report's data walk ----------------------------------------------------
// As the report's data texts read: each finds its field once, then reads it on every row.
long long reportWalk(Tr_Korvanta& form) {
    long long touched = 0;
    dataset::Field* name = form.taTables->FieldByName("Table");
    std::vector<dataset::Field*> texts;
    for (const char* field : {"Champ", "Description", "Type", "Longueur"})
        texts.push_back(form.taChamps->FieldByName(field));
    for (form.taTables->First(); !form.taTables->Eof(); form.taTables->Next()) {
        touched += name->AsString().size();
        for (form.taChamps->First(); !form.taChamps->Eof(); form.taChamps->Next())
            for (dataset::Field* text : texts)
                touched += text->AsString().size();
    }
    return touched;
}

long long scan(const fs::path& table) {
    long long touched = 0;
    engine::TableFile::open(table)->forEachRow([&](const engine::Row& r) {
        touched += (long long)r[1].text.size();
        return true;
    });
    return touched;
}

void benchReportWalk(int n) {
    const fs::path table = fixture(n);
    const QString path = dataset::fromNativePath(table);
    auto form = std::make_unique<Tr_Korvanta>();
    form->setUpForPrinting(path, path);
    const double walk = bench::bestCpuSeconds(kRuns, [&] { reportWalk(*form); });
    const double plain = bench::bestCpuSeconds(kRuns, [&] { scan(table); });
    bench::report("W3", n, "report data walk", "cpu_seconds", walk, "plain scan", plain);
}

// ---- W4: open as the store does ------------------------------------------------------
struct StoreViews {
    dataset::Table tables{nullptr};
    dataset::DataSource source{nullptr};
    dataset::Table fields{nullptr};
};

// The tables view in its primary order on its first row, the fields view tied to it by
// name: what the window shows first.
size_t openLikeStore(const fs::path& table) {
    StoreViews v;
    const QString path = dataset::fromNativePath(table);
    v.tables.setDatabaseName("dbWalk");
    v.tables.setTableName(path);
    v.tables.Open();
    v.source.setDataSet(&v.tables);
    v.fields.setDatabaseName("dbWalk");
    v.fields.setTableName(path);
    v.fields.setIndexFieldNames("Table");
    v.fields.setMasterSource(&v.source);
    v.fields.setMasterFields("Table");
    v.fields.Open();
    return size_t(v.fields.FieldByName("Champ")->AsString().size() +
                  v.tables.FieldByName("Table")->AsString().size());
}

size_t openSqlite(const fs::path& file) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* first = nullptr;
    sqlite3_prepare_v2(db, "SELECT * FROM d ORDER BY NoEnreg LIMIT 1", -1, &first, nullptr);
    std::string name;
    if (sqlite3_step(first) == SQLITE_ROW && sqlite3_column_text(first, 1))
        name = reinterpret_cast<const char*>(sqlite3_column_text(first, 1));
    sqlite3_finalize(first);
    sqlite3_stmt* tied = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT * FROM d WHERE Tbl=?1 COLLATE NOCASE ORDER BY Tbl COLLATE NOCASE",
                       -1, &tied, nullptr);
    sqlite3_bind_text(tied, 1, name.c_str(), -1, SQLITE_TRANSIENT);
    size_t got = name.size();
    if (sqlite3_step(tied) == SQLITE_ROW)
        got += size_t(sqlite3_column_bytes(tied, 3));
    sqlite3_finalize(tied);
    sqlite3_close(db);
    return got;
}

void benchOpen(int n, bool callgrind) {
    const fs::path table = fixture(n);
    bench::CountingFileSystem counting(engine::fileSystem());
    {
        testsupport::ScopedFileSystem scoped(counting);
        (void)openLikeStore(table);
    }
    bench::report("W4", n, "open through the store", "bytes_read", double(counting.bytesRead));
    bench::report("W4", n, "open through the store", "reads", double(counting.reads));
    if (!callgrind)
        return;
    const std::string args = " " + table.string();
    const double engineIr =
        bench::callgrindInstructions(bench::selfPath(), "--measure open engine" + args);
    const double sqliteIr = bench::callgrindInstructions(
        bench::selfPath(), "--measure open sqlite " + twinOf(table).string());
    bench::report("W4", n, "open through the store", "instructions", engineIr,
                  "sqlite fresh connection", sqliteIr);
}

int measureOnly(const std::string& what, const std::string& side, const fs::path& where) {
    if (what != "open")
        return 2;
    // Each library's one-time start-up is left out: both are measured opening a file.
    if (side == "engine") {
        engine::initialise();
        bench::measured([&] { (void)openLikeStore(where); });
    } else {
        sqlite3_initialize();
        bench::measured([&] { (void)openSqlite(where); });
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    dataset::Database dbWalk(nullptr, "dbWalk");
    dataset::Database dbDico(nullptr, "dbDico"); // the report form's alias
    bool manual = false, callgrind = true;
    std::string only; // W1..W4, comma-separated (W1 and W2 run together)
    int single = 0;   // one size instead of the usual ones
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--manual")
            manual = true;
        else if (arg == "--no-callgrind")
            callgrind = false;
        else if (arg == "--n" && i + 1 < argc)
            single = std::atoi(argv[++i]);
        else if (arg == "--only" && i + 1 < argc)
            only = argv[++i];
        else if (arg == "--measure" && i + 3 < argc)
            return measureOnly(argv[i + 1], argv[i + 2], argv[i + 3]);
    }
    std::vector<int> sizes = {10000, 100000};
    if (manual)
        sizes.push_back(1000000);
    if (single > 0)
        sizes = {single};
    const auto wanted = [&](const char* name) {
        return only.empty() || only.find(name) != std::string::npos;
    };
    for (int n : sizes) {
        if (wanted("W1") || wanted("W2"))
            benchCursorsAndViews(n);
        if (wanted("W3"))
            benchReportWalk(n);
        if (wanted("W4"))
            benchOpen(n, callgrind);
    }
    return 0;
}
