// B2 with the rollback journal: a capture's rows go in one transaction per table
// (the table entry and its ten field entries), durable or not, against SQLite in
// rollback-journal mode (journal_mode=DELETE) inserting the same rows with one
// transaction per table, measured in the same run.
//
// Also: the disk operations of one capture transaction for a table of 11 rows and of
// 256 rows (a 255-field table): a capture costs a fixed number of syncs whatever its
// row count.
//
//   bench_journal [--manual]   (N = 2,200 rows; 22,000 with --manual)

#include "bench/BenchSupport.h"
#include "bench/DictionaryFixture.h"
#include "bench/SqliteDictionary.h"

#include "engine/Cursor.h"
#include "engine/FileSystem.h"
#include "engine/TableDefinition.h"
#include "engine/TableFile.h"
#include "tests/support/ScopedFileSystem.h"

#include <cstdlib>
#include <filesystem>
#include <map>
#include <vector>

using engine::Value;
namespace fs = std::filesystem;

namespace {

// Counts the engine's disk operations by kind, forwarding them.
class OpCounter : public engine::FileSystem {
public:
    explicit OpCounter(engine::FileSystem& inner) : m_inner(inner) {}
    std::map<std::string, long long> ops;

    std::unique_ptr<engine::File> open(const fs::path& p, engine::OpenMode mode) override {
        ++ops["open"];
        return std::make_unique<Counted>(m_inner.open(p, mode), ops);
    }
    bool exists(const fs::path& p) override { return m_inner.exists(p); }
    void remove(const fs::path& p) override {
        ++ops["unlink"];
        m_inner.remove(p);
    }
    void rename(const fs::path& a, const fs::path& b) override {
        ++ops["rename"];
        m_inner.rename(a, b);
    }
    std::vector<fs::path> list(const fs::path& dir) override { return m_inner.list(dir); }
    void syncDirectory(const fs::path& dir) override {
        ++ops["sync"];
        m_inner.syncDirectory(dir);
    }

private:
    class Counted : public engine::File {
    public:
        Counted(std::unique_ptr<engine::File> f, std::map<std::string, long long>& ops)
            : File(f->path()), m_f(std::move(f)), m_ops(ops) {}
        size_t readAt(uint64_t off, void* buf, size_t n) override {
            ++m_ops["read"];
            return m_f->readAt(off, buf, n);
        }
        void writeAt(uint64_t off, const void* buf, size_t n) override {
            ++m_ops["write"];
            m_f->writeAt(off, buf, n);
        }
        uint64_t size() override { return m_f->size(); }
        void truncate(uint64_t s) override { m_f->truncate(s); }
        void sync() override {
            ++m_ops["sync"];
            m_f->sync();
        }
        void close() override {
            ++m_ops["close"];
            m_f->close();
        }
        bool tryLockExclusive() override {
            ++m_ops["lock"];
            return m_f->tryLockExclusive();
        }
        bool lockByte(uint64_t offset, engine::LockKind kind) override {
            ++m_ops["lock"];
            return m_f->lockByte(offset, kind);
        }

    private:
        std::unique_ptr<engine::File> m_f;
        std::map<std::string, long long>& m_ops;
    };
    engine::FileSystem& m_inner;
};

using bench::dictionaryFields;
using bench::engineRow;

fs::path freshDictionary(const std::string& name) {
    const fs::path dir = bench::fixtureDir("journal-") + name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    const fs::path table = dir / "DICO.DB";
    engine::createTable(table, dictionaryFields(),
                        {{"", {"NoEnreg"}, engine::ixPrimary | engine::ixUnique},
                         {"IndTable", {"Table"}, engine::ixCaseInsensitive}});
    return table;
}

// Rows [from, to) as a capture writes them: name check, last key, appends.
void captureRows(engine::TableFile& t, engine::Cursor& byName, engine::Cursor& byKey,
                 bench::DictionaryRows& gen, int from, int to) {
    for (int i = from; i < to; ++i) {
        const bench::DictRow r = gen.row(i);
        if (r.ct)
            (void)byName.findKey({Value::fromText(r.table)});
        (void)byKey.last();
        byKey.insert(engineRow(r));
    }
    (void)t;
}

// One transaction per table entry (11 rows); returns wall seconds.
double engineCaptures(int n, bool durable, engine::FileSystem& files) {
    const fs::path table = freshDictionary(durable ? "durable" : "process");
    double wall = 0;
    {
        const testsupport::ScopedFileSystem mounted(files);
        auto t = engine::TableFile::open(table);
        t->setDurable(durable);
        engine::Cursor byName(t, {"Table"});
        engine::Cursor byKey(t);
        bench::DictionaryRows gen;
        wall = bench::seconds([&] {
            for (int i = 0; i < n; i += 11) {
                t->beginTransaction();
                captureRows(*t, byName, byKey, gen, i, std::min(n, i + 11));
                t->commit();
            }
        });
        t->flush();
    }
    return wall;
}

double sqliteCaptures(int n, const char* synchronous) {
    const fs::path dir = bench::fixtureDir("journal-sqlite");
    fs::create_directories(dir);
    bench::SqliteDictionary db(dir / "dico.sqlite",
                               std::string("PRAGMA journal_mode=DELETE; PRAGMA synchronous=") +
                                   synchronous + ";");
    bench::DictionaryRows gen;
    return bench::seconds([&] {
        for (int i = 0; i < n; ++i) {
            const bench::DictRow r = gen.row(i);
            if (r.ct) { // one transaction per table entry and its field entries
                if (i > 0)
                    db.exec("COMMIT");
                db.exec("BEGIN");
            }
            db.captureRow(r);
        }
        db.exec("COMMIT");
    });
}

// The disk operations of one capture transaction of `rows` rows into a dictionary
// that already holds a few tables.
std::map<std::string, long long> oneCapture(int rows) {
    const fs::path table = freshDictionary("one-" + std::to_string(rows));
    OpCounter counter(engine::fileSystem());
    const testsupport::ScopedFileSystem mounted(counter); // the table's own file goes through it
    auto t = engine::TableFile::open(table);
    engine::Cursor byName(t, {"Table"});
    engine::Cursor byKey(t);
    bench::DictionaryRows gen;
    captureRows(*t, byName, byKey, gen, 0, 55);
    counter.ops.clear();
    t->beginTransaction();
    for (int i = 0; i < rows; ++i) {
        bench::DictRow r = gen.row(55 + (i % 11));
        r.key = 1000 + i;
        byKey.insert(engineRow(r));
    }
    t->commit();
    return counter.ops;
}

// N rows in one durable transaction (a bulk load), then the close that writes the
// index files; returns wall seconds of both.
double engineBulkLoad(int n) {
    const fs::path table = freshDictionary("bulk");
    auto t = engine::TableFile::open(table);
    engine::Cursor byName(t, {"Table"});
    engine::Cursor byKey(t);
    bench::DictionaryRows gen;
    return bench::seconds([&] {
        t->beginTransaction();
        captureRows(*t, byName, byKey, gen, 0, n);
        t->commit();
        t->flush();
    });
}

double sqliteBulkLoad(int n) {
    const fs::path dir = bench::fixtureDir("journal-sqlite");
    fs::create_directories(dir);
    bench::SqliteDictionary db(dir / "bulk.sqlite",
                               "PRAGMA journal_mode=DELETE; PRAGMA synchronous=FULL;");
    bench::DictionaryRows gen;
    return bench::seconds([&] {
        db.exec("BEGIN");
        for (int i = 0; i < n; ++i)
            db.captureRow(gen.row(i));
        db.exec("COMMIT");
    });
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 2 && std::string(argv[1]) == "--bulk") { // one bulk load alone, for a profiler
        const int rows = std::atoi(argv[2]);
        bench::report("B2bulk", rows, "engine_one_txn", "seconds", engineBulkLoad(rows));
        return 0;
    }
    const bool manual = argc > 1 && std::string(argv[1]) == "--manual";
    const int n = manual ? 22000 : 2200;
    const double txns = double((n + 10) / 11);

    OpCounter counted(engine::fileSystem());
    const double durable = engineCaptures(n, true, counted);
    const double process = engineCaptures(n, false, engine::fileSystem());
    const double sqliteFull = sqliteCaptures(n, "FULL");
    const double sqliteOff = sqliteCaptures(n, "OFF");
    bench::report("B2j", n, "engine_durable", "rows_per_s", n / durable, "sqlite_delete_full",
                  n / sqliteFull);
    bench::report("B2j", n, "engine_process_crash", "rows_per_s", n / process, "sqlite_delete_off",
                  n / sqliteOff);
    bench::report("B2j", n, "engine_durable", "txn_per_s", txns / durable, "sqlite_delete_full",
                  txns / sqliteFull);
    for (const auto& [kind, count] : counted.ops)
        if (kind != "read")
            bench::report("B2j", n, "engine_durable", kind + "_per_txn", double(count) / txns);
    for (int rows : {11, 256}) {
        const auto ops = oneCapture(rows);
        for (const auto& [kind, count] : ops)
            bench::report("B2j_one_capture", rows, "engine_durable", kind, double(count));
    }
    // A bulk load grows linearly: the same rows per second from 10k rows up.
    const std::vector<int> bulkSizes =
        manual ? std::vector<int>{10000, 100000, 1000000} : std::vector<int>{10000, 100000};
    for (int rows : bulkSizes) {
        const double engineWall = engineBulkLoad(rows);
        bench::report("B2bulk", rows, "engine_one_txn", "seconds", engineWall,
                      "sqlite_delete_full_one_txn", sqliteBulkLoad(rows));
    }
    return 0;
}
