// Writes into a large dictionary against the same writes into a small one, SQLite (same
// rows, an index on the name) beside, in the same run:
//
//   W1  capture of 3 tables (11 field rows each): the name looked up in the
//       case-insensitive index, the last key read, the rows inserted in one
//       transaction per table, then the table flushed and closed. CPU time at each N,
//       ratio to the 1k-row dictionary; bytes written by the close.
//   W2  delete one table entry (its rows, through the name index), flushed and closed;
//       SQLite's delete of the same rows (journal DELETE, synchronous FULL) beside.
//   W3  peak memory (max RSS) of a child process doing W1 into the largest dictionary.
//
//   bench_indexwrite [--manual]                  (1k, 10k, 100k rows; 1M with --manual)
//   bench_indexwrite --capture PATH              (internal: W3's child)
//   bench_indexwrite --delete PATH N             (W2's engine side alone, for a profile)

#include "bench/BenchSupport.h"
#include "bench/DictionaryFixture.h"
#include "bench/SqliteDictionary.h"

#include "engine/Cursor.h"
#include "engine/TableFile.h"

#include <sqlite3.h>

#include <fstream>

#include <fcntl.h>
#include <unistd.h>

using engine::Value;
namespace fs = std::filesystem;

namespace {

long long bytesWritten() {
    std::ifstream in("/proc/self/io");
    std::string key;
    long long v = 0;
    while (in >> key >> v)
        if (key == "wchar:")
            return v;
    return 0;
}

// A fresh copy of the n-row fixture (the writes change it).
fs::path scratchCopy(int n) {
    const fs::path fixture =
        bench::indexedDictionary(bench::fixtureDir("indexwrite-") + std::to_string(n), n)
            .parent_path();
    const fs::path scratch = bench::fixtureDir("indexwrite-scratch");
    fs::remove_all(scratch);
    fs::create_directories(scratch);
    for (const auto& e : fs::directory_iterator(fixture))
        if (e.path().filename().string().rfind("DICT.", 0) == 0) {
            fs::copy_file(e.path(), scratch / e.path().filename());
            // On disk before the measure: else the capture's first sync pays for writing
            // the whole copy, which grows with N and is not the capture's work.
            const int fd = ::open((scratch / e.path().filename()).c_str(), O_RDONLY);
            if (fd >= 0) {
                ::fsync(fd);
                ::close(fd);
            }
        }
    return scratch / "DICT.DB";
}

void capture(const fs::path& db, long long* closeBytes) {
    auto t = engine::TableFile::open(db);
    for (int k = 0; k < 3; ++k) {
        const std::string name = "NOUVELLE" + std::to_string(k);
        engine::Cursor byName(t, {"Table"});
        if (byName.findKey({Value::fromText(name)}))
            std::abort();
        engine::Cursor primary(t);
        const int64_t last = primary.last() ? primary.row()[0].integer : 0;
        t->beginTransaction();
        for (int i = 0; i < 11; ++i) {
            bench::DictRow r = bench::DictionaryRows().row(i);
            r.key = int(last + 1 + i);
            r.table = name;
            primary.insert(bench::engineRow(r));
        }
        t->commit();
    }
    const long long before = bytesWritten();
    t->flush();
    t.reset();
    if (closeBytes)
        *closeBytes = bytesWritten() - before;
}

double cpuNow() {
    timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

double bestCapture(int n, int runs, long long& closeBytes) {
    double best = 1e30;
    for (int r = 0; r < runs; ++r) {
        const fs::path db = scratchCopy(n);
        const double t0 = cpuNow();
        capture(db, &closeBytes);
        best = std::min(best, cpuNow() - t0);
    }
    return best;
}

void sqliteTwin(const fs::path& file, int n) {
    if (fs::exists(file))
        return;
    bench::SqliteDictionary db(file);
    bench::DictionaryRows gen;
    db.exec("BEGIN");
    for (int i = 0; i < n; ++i)
        db.captureRow(gen.row(i));
    db.exec("COMMIT");
}

double deleteSqlite(const fs::path& fixture, const std::string& name, int64_t& deleted) {
    const fs::path file = bench::fixtureDir("indexwrite-scratch") + "/dico.sqlite";
    fs::remove(file);
    fs::copy_file(fixture, file);
    sqlite3* db = nullptr;
    sqlite3_open(file.c_str(), &db);
    sqlite3_exec(db, "PRAGMA journal_mode=DELETE; PRAGMA synchronous=FULL", nullptr, nullptr,
                 nullptr);
    const double t0 = cpuNow();
    sqlite3_stmt* del = nullptr;
    sqlite3_prepare_v2(db, "DELETE FROM d WHERE Tbl=?1 COLLATE NOCASE", -1, &del, nullptr);
    sqlite3_bind_text(del, 1, name.c_str(), -1, SQLITE_STATIC);
    sqlite3_step(del);
    sqlite3_finalize(del);
    const double cpu = cpuNow() - t0;
    deleted = sqlite3_changes(db);
    sqlite3_close(db);
    return cpu;
}

// One commit per row (as a view deletes them), or all in one transaction (as SQLite).
int64_t deleteEntry(const fs::path& db, const std::string& name, bool oneTransaction = false) {
    auto t = engine::TableFile::open(db);
    engine::Cursor tied(t, {"Table"});
    tied.setRange(Value::fromText(name));
    int64_t deleted = 0;
    if (oneTransaction)
        t->beginTransaction();
    while (tied.first()) {
        tied.remove();
        ++deleted;
    }
    if (oneTransaction)
        t->commit();
    t->flush();
    return deleted;
}

std::string entryToDelete(int n) {
    return bench::DictionaryRows().row((n / 2) / 11 * 11).table;
}

void benchDelete(int n, int runs) {
    const std::string name = entryToDelete(n);
    const fs::path twin = bench::fixtureDir("indexwrite-") + std::to_string(n) + "/dico.sqlite";
    sqliteTwin(twin, n);
    double sqliteBest = 1e30;
    int64_t sqliteDeleted = 0;
    for (int r = 0; r < runs; ++r)
        sqliteBest = std::min(sqliteBest, deleteSqlite(twin, name, sqliteDeleted));
    for (bool oneTransaction : {false, true}) {
        double best = 1e30;
        int64_t deleted = 0;
        for (int r = 0; r < runs; ++r) {
            const fs::path db = scratchCopy(n);
            const double t0 = cpuNow();
            deleted = deleteEntry(db, name, oneTransaction);
            best = std::min(best, cpuNow() - t0);
        }
        bench::report("W2", n, oneTransaction ? "engine_one_transaction" : "engine_row_commits",
                      "ms_cpu_delete_one_table", best * 1e3, "sqlite", sqliteBest * 1e3);
        bench::report("W2", n, "engine", "rows_deleted", double(deleted), "sqlite",
                      double(sqliteDeleted));
    }
}

// The peak resident size of this process image (VmHWM: not what a fork inherited).
long long peakKb() {
    std::ifstream in("/proc/self/status");
    std::string key;
    long long v = 0;
    while (in >> key)
        if (key == "VmHWM:" && in >> v)
            return v;
    return 0;
}

// W3: a child does the capture and tells its peak.
double childPeakMb(int n) {
    const fs::path db = scratchCopy(n);
    const std::string command = "'" + bench::selfPath() + "' --capture '" + db.string() + "'";
    FILE* child = popen(command.c_str(), "r");
    long long kb = 0;
    if (!child || std::fscanf(child, "%lld", &kb) != 1)
        kb = 0;
    if (child)
        pclose(child);
    return double(kb) / 1024.0;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 2 && args[0] == "--capture") {
        capture(args[1], nullptr);
        std::printf("%lld\n", peakKb());
        return 0;
    }
    if (args.size() == 3 && args[0] == "--delete")
        return deleteEntry(args[1], entryToDelete(std::stoi(args[2]))) > 0 ? 0 : 1;
    const bool manual = std::find(args.begin(), args.end(), "--manual") != args.end();
    std::vector<int> sizes{1000, 10000, 100000};
    if (manual)
        sizes.push_back(1000000);
    double small = 0;
    for (int n : sizes) {
        long long closeBytes = 0;
        const double cpu = bestCapture(n, n >= 1000000 ? 2 : 5, closeBytes);
        if (n == sizes.front())
            small = cpu;
        bench::report("W1", n, "engine", "ms_cpu_capture_3_tables", cpu * 1e3, "engine_1k",
                      small * 1e3);
        bench::report("W1", n, "engine", "bytes_written_by_close", double(closeBytes));
        benchDelete(n, n >= 1000000 ? 2 : 5);
    }
    bench::report("W3", sizes.back(), "engine", "peak_mb_capture", childPeakMb(sizes.back()));
    return 0;
}
