// Full scan of the dictionary-shaped table: every row read and decoded, by the
// engine and by pxlib, on the same file in the same run, with `cat`-like reading
// of the file as the physical floor. Both readers' checksums must agree before any
// figure is printed. SQLite scans its twin of the same rows (SELECT of every
// column) in the same run: the embedded-engine bar.
//
//   bench_scan [--manual] [--no-callgrind]     10k and 100k rows (+1M with --manual)
//   bench_scan --measure engine|pxlib|sqlite FILE   one scan, for callgrind (internal)

#include "bench/BenchSupport.h"
#include "bench/DictionaryFixture.h"
#include "bench/SqliteDictionary.h"

#include "engine/TableFile.h"

#include <fcntl.h>

#include <cstring>
#include <iostream>
#include <map>

extern "C" {
#include <paradox.h>
}

namespace {

// Folds every decoded value into a checksum both readers can compute alike. In
// light mode (the timed and counted runs) it only touches each value, so that the
// figures are the readers' own cost and not the checksum's.
bool g_light = false;
struct Checksum {
    uint64_t h = 1469598103934665603ull;
    void add(const void* p, size_t n) {
        auto* b = static_cast<const unsigned char*>(p);
        if (g_light) {
            h += n + (n ? b[0] : 0);
            return;
        }
        for (size_t i = 0; i < n; ++i)
            h = (h ^ b[i]) * 1099511628211ull;
    }
    void addInt(int64_t v) { add(&v, sizeof v); }
    void addText(const char* s, size_t n) { add(s, n), addInt(int64_t(n)); }
};

uint64_t scanEngine(const std::string& file, int64_t& rows) {
    Checksum c;
    rows = 0;
    auto t = engine::TableFile::open(file);
    t->forEachRow([&](const engine::Row& r) {
        for (const auto& v : r) {
            switch (v.kind) {
            case engine::Value::Kind::Text:
                c.addText(v.text.data(), v.text.size());
                break;
            case engine::Value::Kind::Boolean:
                c.addInt(v.boolean);
                break;
            case engine::Value::Kind::Null:
                c.addInt(-1);
                break;
            default:
                c.addInt(v.integer);
                break;
            }
        }
        ++rows;
        return true;
    });
    return c.h;
}

void pxlibError(pxdoc_t*, int, const char* msg, void*) {
    std::fprintf(stderr, "pxlib: %s\n", msg);
}

// The usual pxlib reading loop: PX_get_record, then one PX_get_data_* per field.
uint64_t scanPxlib(const std::string& file, int64_t& rows) {
    Checksum c;
    pxdoc_t* px = PX_new2(pxlibError, nullptr, nullptr, nullptr);
    if (PX_open_file(px, file.c_str()) < 0)
        return 0;
    const int n = PX_get_num_records(px), nf = PX_get_num_fields(px);
    pxfield_t* fields = PX_get_fields(px);
    std::vector<char> rec(size_t(PX_get_recordsize(px)));
    rows = 0;
    for (int i = 0; i < n; ++i) {
        if (!PX_get_record(px, i, rec.data()))
            break;
        char* p = rec.data();
        for (int f = 0; f < nf; ++f) {
            const int len = fields[f].px_flen;
            switch (fields[f].px_ftype) {
            case pxfAlpha: {
                char* s = nullptr;
                if (PX_get_data_alpha(px, p, len, &s) > 0 && s) {
                    c.addText(s, std::strlen(s));
                    px->free(px, s);
                } else {
                    c.addInt(-1);
                }
                break;
            }
            case pxfLogical: {
                char v;
                if (PX_get_data_byte(px, p, len, &v) > 0)
                    c.addInt(v ? 1 : 0);
                else
                    c.addInt(-1);
                break;
            }
            default: {
                long v;
                if (PX_get_data_long(px, p, len, &v) > 0)
                    c.addInt(v);
                else
                    c.addInt(-1);
            }
            }
            p += len;
        }
        ++rows;
    }
    PX_close(px);
    PX_delete(px);
    return c.h;
}

// The SQLite twin of the dictionary with the same n rows (reused when complete).
std::string writeSqliteTwin(const std::filesystem::path& dir, int n) {
    const std::filesystem::path file = dir / "dict.sqlite", done = dir / ".sqlite-complete";
    if (std::filesystem::exists(file) && std::filesystem::exists(done))
        return file.string();
    {
        bench::SqliteDictionary twin(file, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF;");
        bench::DictionaryRows gen;
        twin.exec("BEGIN");
        for (int i = 0; i < n; ++i)
            twin.captureRow(gen.row(i));
        twin.exec("COMMIT");
    }
    std::ofstream(done) << n;
    return file.string();
}

// Every column of every row, as an application reads a query's result.
uint64_t scanSqlite(const std::string& file, int64_t& rows) {
    Checksum c;
    rows = 0;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        return 0;
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "SELECT * FROM d", -1, &st, nullptr);
    while (st && sqlite3_step(st) == SQLITE_ROW) {
        for (int col = 0, n = sqlite3_column_count(st); col < n; ++col) {
            switch (sqlite3_column_type(st, col)) {
            case SQLITE_TEXT:
                c.addText(reinterpret_cast<const char*>(sqlite3_column_text(st, col)),
                          size_t(sqlite3_column_bytes(st, col)));
                break;
            case SQLITE_NULL:
                c.addInt(-1);
                break;
            default:
                c.addInt(sqlite3_column_int64(st, col));
            }
        }
        ++rows;
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return c.h;
}

uint64_t scanWith(const std::string& variant, const std::string& file, int64_t& rows) {
    if (variant == "engine")
        return scanEngine(file, rows);
    return variant == "sqlite" ? scanSqlite(file, rows) : scanPxlib(file, rows);
}

// The physical floor: read the whole file in 1 MiB chunks.
void catFile(const std::string& file) {
    int fd = ::open(file.c_str(), O_RDONLY);
    static std::vector<char> buf(1 << 20);
    while (::read(fd, buf.data(), buf.size()) > 0) {
    }
    ::close(fd);
}

int measureOnly(const std::string& variant, const std::string& file) {
    g_light = true;
    int64_t rows = 0;
    bench::measured([&] { scanWith(variant, file, rows); });
    return rows > 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 3 && args[0] == "--measure")
        return measureOnly(args[1], args[2]);
    const bool manual = std::find(args.begin(), args.end(), "--manual") != args.end();
    const bool callgrind = std::find(args.begin(), args.end(), "--no-callgrind") == args.end();
    std::vector<int> sizes = {10000, 100000};
    if (manual)
        sizes.push_back(1000000);

    std::map<int, double> engineSeconds, engineInstr;
    for (int n : sizes) {
        const std::string file =
            bench::writeDictionary(bench::fixtureDir("scan-") + std::to_string(n), n).string();
        int64_t rowsE = 0, rowsP = 0;
        const uint64_t sumE = scanEngine(file, rowsE), sumP = scanPxlib(file, rowsP);
        if (sumE != sumP || rowsE != n || rowsP != n) {
            std::fprintf(
                stderr,
                "checksums differ at N=%d: engine %lld rows %016llx, pxlib %lld rows %016llx\n", n,
                (long long)rowsE, (unsigned long long)sumE, (long long)rowsP,
                (unsigned long long)sumP);
            return 1;
        }
        const std::string twin = writeSqliteTwin(std::filesystem::path(file).parent_path(), n);
        int64_t rowsS = 0;
        scanSqlite(twin, rowsS);
        if (rowsS != n) {
            std::fprintf(stderr, "the SQLite twin has %lld rows instead of %d\n", (long long)rowsS,
                         n);
            return 1;
        }
        const int runs = n >= 1000000 ? 1 : 3;
        int64_t dummy = 0;
        g_light = true;
        auto io0 = bench::IoCounters::now();
        const double te = bench::bestSeconds(runs, [&] { scanEngine(file, dummy); });
        auto io1 = bench::IoCounters::now();
        const double tp = bench::bestSeconds(runs, [&] { scanPxlib(file, dummy); });
        const double tc = bench::bestSeconds(3, [&] { catFile(file); });
        // CPU time: on a loaded machine the wall clock mostly measures waiting.
        const double ce = bench::bestCpuSeconds(runs, [&] { scanEngine(file, dummy); });
        const double cp = bench::bestCpuSeconds(runs, [&] { scanPxlib(file, dummy); });
        const double cc = bench::bestCpuSeconds(3, [&] { catFile(file); });
        const double ts = bench::bestSeconds(runs, [&] { scanSqlite(twin, dummy); });
        const double cs = bench::bestCpuSeconds(runs, [&] { scanSqlite(twin, dummy); });
        g_light = false;
        engineSeconds[n] = ce;
        const double blocks = double(n) / double((16384 - 6) / 142);
        bench::report("B6", n, "engine", "rows_per_s", n / te, "pxlib", n / tp);
        bench::report("B6", n, "engine", "rows_per_cpu_s", n / ce, "pxlib", n / cp);
        bench::report("B6", n, "engine", "rows_per_cpu_s_vs_cat", n / ce, "cat", n / cc);
        bench::report("B6", n, "engine", "rows_per_s_vs_cat", n / te, "cat", n / tc);
        bench::report("B6", n, "engine", "rows_per_s_vs_sqlite", n / te, "sqlite", n / ts);
        bench::report("B6", n, "engine", "rows_per_cpu_s_vs_sqlite", n / ce, "sqlite", n / cs);
        bench::report("B6", n, "pxlib", "rows_per_s", n / tp);
        bench::report("B6", n, "pxlib", "rows_per_cpu_s", n / cp);
        bench::report("B6", n, "engine", "read_syscalls_per_block",
                      double(io1.readCalls - io0.readCalls) / runs / blocks);
        if (callgrind && n <= 100000) {
            const double ie =
                bench::callgrindInstructions(bench::selfPath(), "--measure engine " + file);
            const double ip =
                bench::callgrindInstructions(bench::selfPath(), "--measure pxlib " + file);
            const double is =
                bench::callgrindInstructions(bench::selfPath(), "--measure sqlite " + twin);
            engineInstr[n] = ie / n;
            bench::report("B6", n, "engine", "instructions_per_row", ie / n, "pxlib", ip / n);
            bench::report("B6", n, "engine", "instructions_per_row_vs_sqlite", ie / n, "sqlite",
                          is / n);
        }
    }
    if (engineSeconds.count(100000) && engineSeconds.count(1000000))
        bench::report("B6", 1000000, "engine", "cpu_time_1M_over_100k",
                      engineSeconds[1000000] / engineSeconds[100000]);
    if (engineInstr.count(10000) && engineInstr.count(100000))
        bench::report("B6", 100000, "engine", "instructions_per_row_100k_over_10k",
                      engineInstr[100000], "10k", engineInstr[10000]);
    return 0;
}
