// One table, several programs: each program here is a forked process that opens
// the table itself (a descriptor inherited across fork would share its locks).
//
//  - One writer at a time: a second one waits, then is told which table another
//    program is changing; once the first commits, the second's change goes in and
//    keeps the first's row.
//  - A reader looping while a writer commits batches sees whole batches only.
//  - A program that kept the table open notices the others' commits, and never
//    writes over a row another program deleted.
//  - A walk meets another program's commits whole, within a batch of steps, and
//    this program's own writes at its next step.
//  - Lock files of other database programs stop writes, never reads.
//  - Deleting or replacing a table another program has open is refused; two
//    creations of one name take turns, the second refused as existing.
//  - FIFOs are refused without blocking; a symbolic link keeps a family together.

#include "engine/Cursor.h"
#include "engine/EngineError.h"
#include "engine/IntegrityCheck.h"
#include "engine/TableDefinition.h"
#include "engine/TableFile.h"
#include "engine/TableLock.h"

#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <fcntl.h>
#include <fstream>
#include <map>
#include <set>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace engine;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// A one-byte message between two processes.
class Signal {
public:
    Signal() { QVERIFY(::pipe(m_fd) == 0); }
    ~Signal() {
        ::close(m_fd[0]);
        ::close(m_fd[1]);
    }
    void send() { (void)!::write(m_fd[1], "x", 1); }
    void wait() {
        char c;
        (void)!::read(m_fd[0], &c, 1);
    }

private:
    int m_fd[2] = {-1, -1};
};

template <class Body> pid_t spawn(Body body) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        int code = 0;
        try {
            code = body();
        } catch (const EngineError& e) {
            code = e.code() == ErrorCode::AlreadyExists ? 4 : 3;
        } catch (...) {
            code = 3;
        }
        ::_exit(code);
    }
    return pid;
}

int exitCode(pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

const std::vector<FieldDef> kFields = {{"K", FieldType::Long}, {"Batch", FieldType::Long}};

fs::path makeTable(const fs::path& dir, int rows) {
    const fs::path file = dir / "T.DB";
    createTable(file, kFields, {{"", {"K"}, ixPrimary}});
    auto t = TableFile::open(file);
    Cursor c(t);
    t->beginTransaction();
    for (int k = 1; k <= rows; ++k)
        c.insert({Value::fromInt(k), Value::fromInt(0)});
    t->commit();
    t->flush();
    return file;
}

int rowCount(const std::shared_ptr<TableFile>& t) {
    int n = 0;
    t->forEachRow([&](const Row&) { return ++n, true; });
    return n;
}

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// What the integrity checker finds in the files the programs left; "" when whole.
QString damage(const fs::path& file) {
    QString text;
    for (const IntegrityFinding& f : IntegrityCheck::of(file))
        text += QString::fromStdString(f.file + ": " + f.what + "\n");
    return text;
}

struct ShortWaits {
    ShortWaits() { TableLock::setWaits(300ms, 300ms); }
    ~ShortWaits() { TableLock::setWaits(5000ms, 2000ms); }
};

} // namespace

class TestSharing : public QObject {
    Q_OBJECT
    QTemporaryDir m_tmp;
    int m_round = 0;

    fs::path freshDir() {
        const fs::path d = fs::path(m_tmp.path().toStdString()) / std::to_string(++m_round);
        fs::create_directories(d);
        return d;
    }

private slots:
    void secondWriterWaitsThenIsToldWhy() {
        const fs::path file = makeTable(freshDir(), 5);
        Signal holding, go;
        const pid_t other = spawn([&] {
            auto t = TableFile::open(file);
            Cursor c(t);
            t->beginTransaction();
            c.insert({Value::fromInt(100), Value::fromInt(1)});
            holding.send();
            go.wait();
            t->commit();
            return 0;
        });
        holding.wait();
        ShortWaits waits;
        auto t = TableFile::open(file);
        Cursor c(t);
        QCOMPARE(rowCount(t), 5); // the other's row is not committed: not seen, not waited for
        try {
            c.insert({Value::fromInt(200), Value::fromInt(2)});
            QFAIL("a second writer got in");
        } catch (const EngineError& e) {
            QCOMPARE(e.code(), ErrorCode::Locked);
            const QString text = QString::fromUtf8(e.what());
            QVERIFY2(text.contains(QString::fromStdString(file.string())) &&
                         text.contains(QStringLiteral("autre programme")),
                     e.what());
        }
        go.send();
        QCOMPARE(exitCode(other), 0);
        c.insert({Value::fromInt(200), Value::fromInt(2)});
        QCOMPARE(rowCount(t), 7);
        QVERIFY(c.findKey({Value::fromInt(100)}));
        t->flush();
        t.reset();
        QCOMPARE(rowCount(TableFile::open(file)), 7);
        QCOMPARE(damage(file), QString());
    }

    void readerSeesWholeCommitsOnly() {
        const fs::path file = makeTable(freshDir(), 0);
        constexpr int kBatches = 60, kBatchRows = 10;
        const pid_t writer = spawn([&] {
            auto t = TableFile::open(file);
            t->setDurable(false);
            Cursor c(t);
            for (int b = 1; b <= kBatches; ++b) {
                t->beginTransaction();
                for (int i = 0; i < kBatchRows; ++i)
                    c.insert({Value::fromInt(b * 100 + i), Value::fromInt(b)});
                t->commit();
            }
            t->flush();
            return 0;
        });
        auto kept = TableFile::open(file);
        int reads = 0;
        for (bool writing = true; writing; ++reads) {
            writing = ::waitpid(writer, nullptr, WNOHANG) == 0;
            std::map<int64_t, int> perBatch;
            // Alternately the table kept open and a cursor of a fresh open.
            if (reads % 2 == 0) {
                kept->forEachRow([&](const Row& r) { return ++perBatch[r[1].integer], true; });
            } else {
                Cursor c(TableFile::open(file));
                for (bool more = c.first(); more; more = c.next())
                    ++perBatch[c.row()[1].integer];
            }
            for (const auto& [batch, rows] : perBatch)
                QVERIFY2(
                    rows == kBatchRows,
                    qPrintable(QStringLiteral("batch %1 seen with %2 rows").arg(batch).arg(rows)));
        }
        QVERIFY(reads > 2);
        QCOMPARE(rowCount(kept), kBatches * kBatchRows);
        QCOMPARE(damage(file), QString());
    }

    void keptOpenTableWritesOverNoDeletedRow() {
        const fs::path file = makeTable(freshDir(), 9);
        Signal positioned;
        // Forked before this process opens the table: the other opens its own.
        const pid_t other = spawn([&] {
            positioned.wait();
            Cursor o(TableFile::open(file));
            if (!o.findKey({Value::fromInt(5)}))
                return 1;
            o.remove();
            return 0;
        });
        auto t = TableFile::open(file);
        Cursor c(t);
        QVERIFY(c.findKey({Value::fromInt(5)}));
        positioned.send();
        QCOMPARE(exitCode(other), 0);
        QVERIFY_THROWS_EXCEPTION(EngineError, c.update({Value::fromInt(5), Value::fromInt(55)}));
        QVERIFY(c.findKey({Value::fromInt(6)}));
        QCOMPARE(c.row()[1].integer, int64_t(0)); // its neighbour untouched
        QCOMPARE(rowCount(t), 8);
        QCOMPARE(damage(file), QString());
    }

    // Steps of a walk are served from memory between two looks at the header: another
    // program's commit shows, whole, within a batch of steps; this program's own writes
    // (through another cursor or the walking one) show at the very next step.
    void walksMeetCommitsAndWrites() {
        const fs::path file = makeTable(freshDir(), 3000);
        auto t = TableFile::open(file);
        Cursor walker(t);
        QVERIFY(walker.first());
        for (int i = 1; i < 100; ++i)
            QVERIFY(walker.next());
        const pid_t other = spawn([&] {
            auto o = TableFile::open(file);
            Cursor c(o);
            o->beginTransaction();
            for (int k = 101; k <= 150; ++k)
                if (!c.findKey({Value::fromInt(k)}))
                    return 1;
                else
                    c.remove();
            for (bool more = c.first(); more; more = c.next())
                c.update({c.row()[0], Value::fromInt(1)});
            for (int k = 5001; k <= 5100; ++k)
                c.insert({Value::fromInt(k), Value::fromInt(1)});
            o->commit();
            return 0;
        });
        QCOMPARE(exitCode(other), 0);
        std::vector<std::pair<int64_t, int64_t>> seen; // key, batch
        while (walker.next())
            seen.emplace_back(walker.row()[0].integer, walker.row()[1].integer);
        const auto firstNew =
            std::find_if(seen.begin(), seen.end(), [](const auto& r) { return r.second == 1; });
        QVERIFY(firstNew != seen.end() && firstNew - seen.begin() <= 256);
        QVERIFY(std::all_of(firstNew, seen.end(), [](const auto& r) { return r.second == 1; }));
        QVERIFY(std::is_sorted(seen.begin(), seen.end()) &&
                std::adjacent_find(seen.begin(), seen.end(), [](const auto& a, const auto& b) {
                    return a.first == b.first;
                }) == seen.end());
        // Before the look, the rows as they were (101, 102...); after it, every row of the
        // commit that follows them: the rest of 151..3000, then 5001..5100.
        const int64_t before = firstNew - seen.begin();
        QVERIFY(before == 0 || seen[size_t(before) - 1].first == 100 + before);
        const int64_t resumeAt = std::max<int64_t>(151, 101 + before);
        QCOMPARE(firstNew->first, resumeAt);
        QCOMPARE(int64_t(seen.end() - firstNew), 3000 - resumeAt + 1 + 100);

        // This program's writes while walking: a neighbour ahead deleted through another
        // cursor, the walked row rewritten through the walking one.
        Cursor deleter(t);
        std::vector<int64_t> visited, deleted;
        for (bool more = walker.first(); more; more = walker.next()) {
            const int64_t k = walker.row()[0].integer;
            visited.push_back(k);
            if (k % 10 == 0 && deleter.findKey({Value::fromInt(k + 2)})) {
                deleter.remove();
                deleted.push_back(k + 2);
            }
            walker.update({walker.row()[0], Value::fromInt(2)});
        }
        QCOMPARE(int(visited.size()) + int(deleted.size()), 3000 - 50 + 100);
        QVERIFY(std::is_sorted(visited.begin(), visited.end()));
        std::map<int64_t, int> batches;
        t->forEachRow([&](const Row& r) { return ++batches[r[1].integer], true; });
        QCOMPARE(batches, (std::map<int64_t, int>{{2, int(visited.size())}}));
    }

    void lockFilesOfOtherProgramsStopWrites() {
        const fs::path dir = freshDir();
        const fs::path file = makeTable(dir, 2);
        const fs::path lockFile = dir / "PDOXUSRS.LCK";
        std::ofstream(lockFile) << "held by another program";
        for (const bool recordLock : {false, true}) {
            const int fd = ::open(lockFile.c_str(), O_RDWR);
            struct flock fl = {};
            fl.l_type = F_WRLCK;
            QVERIFY(recordLock ? ::fcntl(fd, F_OFD_SETLK, &fl) == 0 : ::flock(fd, LOCK_EX) == 0);
            auto t = TableFile::open(file);
            Cursor c(t);
            QCOMPARE(rowCount(t), 2 + int(recordLock));
            try {
                c.insert({Value::fromInt(3), Value::fromInt(0)});
                QFAIL("written under another program's lock");
            } catch (const EngineError& e) {
                QCOMPARE(e.code(), ErrorCode::Locked);
                QVERIFY2(QString::fromUtf8(e.what()).contains("PDOXUSRS.LCK"), e.what());
            }
            ::close(fd);
            c.insert({Value::fromInt(3 + int(recordLock)), Value::fromInt(0)});
        }
        QCOMPARE(readFile(lockFile), std::string("held by another program"));
    }

    void deletingOrReplacingAnOpenTableIsRefused() {
        const fs::path file = makeTable(freshDir(), 3);
        Signal holding, go;
        const pid_t other = spawn([&] {
            auto t = TableFile::open(file);
            holding.send();
            go.wait();
            return rowCount(t) == 3 ? 0 : 1;
        });
        holding.wait();
        QVERIFY_THROWS_EXCEPTION(EngineError, deleteTable(file));
        QVERIFY_THROWS_EXCEPTION(EngineError, createTable(file, kFields, {}));
        go.send();
        QCOMPARE(exitCode(other), 0);
        deleteTable(file);
        QVERIFY(!fs::exists(file));
    }

    void creationsOfOneNameTakeTurns() {
        for (int round = 0; round < 4; ++round) {
            const fs::path file = freshDir() / "NEW.DB";
            Signal start;
            std::vector<pid_t> children;
            for (int i = 0; i < 2; ++i)
                children.push_back(spawn([&] {
                    start.wait();
                    createTable(file, kFields, {{"", {"K"}, ixPrimary}}, ExistingTable::Refuse);
                    return 0;
                }));
            start.send();
            start.send();
            std::vector<int> codes;
            for (pid_t c : children)
                codes.push_back(exitCode(c));
            std::sort(codes.begin(), codes.end());
            QCOMPARE(codes, (std::vector<int>{0, 4}));
            QCOMPARE(rowCount(TableFile::open(file)), 0);
        }
    }

    void hostilePaths() {
        const fs::path dir = freshDir();
        // A FIFO would block an open until a writer comes: refused before opening.
        const fs::path fifo = dir / "PIPE.DB";
        QCOMPARE(::mkfifo(fifo.c_str(), 0666), 0);
        try {
            TableFile::open(fifo);
            QFAIL("a FIFO opened as a table");
        } catch (const EngineError& e) {
            QCOMPARE(e.code(), ErrorCode::NotParadox);
        }
        QVERIFY_THROWS_EXCEPTION(EngineError, createTable(fifo, kFields, {}));
        // A dangling link names a table to be made beside its target; every
        // companion follows the real file, and deleting takes the link along.
        fs::create_directory(dir / "real");
        const fs::path link = dir / "LINKED.DB";
        fs::create_symlink("real/TARGET.DB", link);
        createTable(link, kFields, {{"", {"K"}, ixPrimary}, {"ByBatch", {"Batch"}, 0}});
        {
            auto t = TableFile::open(link);
            Cursor c(t);
            c.insert({Value::fromInt(1), Value::fromInt(7)});
            t->flush();
        }
        std::set<std::string> real, beside;
        for (const auto& e : fs::directory_iterator(dir / "real"))
            real.insert(e.path().filename().string());
        for (const auto& e : fs::directory_iterator(dir))
            beside.insert(e.path().filename().string());
        QCOMPARE(real,
                 (std::set<std::string>{"TARGET.DB", "TARGET.PX", "TARGET.XG0", "TARGET.YG0"}));
        QCOMPARE(beside, (std::set<std::string>{"LINKED.DB", "PIPE.DB", "real"}));
        QVERIFY(Cursor(TableFile::open(link), {"Batch"}).findKey({Value::fromInt(7)}));
        deleteTable(link);
        QVERIFY(fs::is_empty(dir / "real"));
        QVERIFY(!fs::exists(fs::symlink_status(link)));
    }
};

QTEST_GUILESS_MAIN(TestSharing)
#include "tst_sharing.moc"
