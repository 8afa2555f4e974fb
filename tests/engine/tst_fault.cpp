// Fault tests of the writing engine, through its fault-injecting file system.
//
//  - Crash loop: a child process appends and deletes rows of a dictionary-shaped
//    table and dies just before its K-th write, truncate or sync, for every K of the
//    scenario. After each death the table must open, hold every row whose post had
//    returned (and none whose delete had returned), nothing but the one row in
//    flight besides, and files the integrity checker finds whole (header counts,
//    chain, index files that agree with the rows).
//  - I/O-error loop: the N-th operation (and every later one) fails with EIO or
//    ENOSPC; the failure must surface as the engine's error, and after the fault is
//    gone the table opens with every row committed before it.
//  - Environment: missing and stale index files, names that would leave the
//    database directory, a write refused by the file system.

#include "engine/Cursor.h"
#include "engine/Database.h"
#include "engine/EngineError.h"
#include "engine/FileSystem.h"
#include "engine/IntegrityCheck.h"
#include "engine/TableDefinition.h"
#include "engine/TableFile.h"
#include "tests/support/FaultFileSystem.h"
#include "tests/support/ScopedFileSystem.h"

#include <QTemporaryDir>
#include <QtTest>

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <map>
#include <set>
#include <sstream>

using engine::FieldType;
using engine::Value;
using testsupport::FaultFileSystem;
using testsupport::ScopedFileSystem;
namespace fs = std::filesystem;

namespace {

// ---- The scenario ----------------------------------------------------------------
const int kInserts = 40;
const std::vector<int> kDeletes = {3, 17, 18, 40, 1};

std::vector<engine::FieldDef> dictionaryFields() {
    return {{"NoEnreg", FieldType::Long},
            {"Table", FieldType::Alpha, 12},
            {"Champ", FieldType::Alpha, 20},
            {"Description", FieldType::Alpha, 80},
            {"CT", FieldType::Logical}};
}

std::vector<engine::IndexDef> dictionaryIndexes() {
    return {{"", {"NoEnreg"}, engine::ixPrimary | engine::ixUnique},
            {"IndTable", {"Table"}, engine::ixCaseInsensitive}};
}

// The row of a key, so that the checker can tell its exact content.
engine::Row rowFor(int key) {
    static const char* names[] = {"clients.db", "CLIENTS.DB", "Zeta.DB",
                                  "alpha.db",   "Mid.db",     "beta.DB"};
    return {Value::fromInt(key), Value::fromText(names[key % 6]),
            Value::fromText("Champ " + std::to_string(key)),
            Value::fromText(std::string(size_t(20 + key % 50), char('a' + key % 26))),
            Value::fromBool(key % 5 == 0)};
}

struct Log {
    std::set<int> inserted, deleted;
    bool flushed = false;
};

// Runs the scenario; `done` is told of every operation that returned.
void runScenario(const fs::path& table, const std::function<void(char, int)>& done) {
    auto t = engine::TableFile::open(table);
    // A killed process keeps the page cache: syncs add nothing here but minutes
    // (the capture crash test covers them).
    t->setDurable(false);
    engine::Cursor c(t);
    for (int key = 1; key <= kInserts; ++key) {
        c.insert(rowFor(key));
        done('I', key);
    }
    for (int key : kDeletes) {
        if (!c.findKey({Value::fromInt(key)}))
            throw std::runtime_error("row to delete not found");
        c.remove();
        done('D', key);
    }
    t->flush();
    done('F', 0);
}

fs::path freshTable(const fs::path& dir, const fs::path& pristine) {
    fs::remove_all(dir);
    fs::create_directories(dir);
    for (const auto& e : fs::directory_iterator(pristine))
        fs::copy_file(e.path(), dir / e.path().filename());
    return dir / "DICO.DB";
}

std::vector<std::string> splitFields(const std::string& joined) {
    std::vector<std::string> out;
    size_t start = 0;
    for (size_t semi; (semi = joined.find(';', start)) != std::string::npos; start = semi + 1)
        out.push_back(joined.substr(start, semi - start));
    out.push_back(joined.substr(start));
    return out;
}

// The rows of the table against what the scenario was told. Returns "" when they match.
std::string rowsProblem(const std::shared_ptr<engine::TableFile>& t, const Log& log, int inFlight,
                        std::map<int, engine::Row>& rows) {
    t->forEachRow([&](const engine::Row& r) {
        rows[int(r[0].integer)] = r;
        return true;
    });
    if (!t->isKeyed())
        return "the table lost its key";
    for (int key : log.inserted)
        if (!log.deleted.count(key) && key != inFlight) {
            auto it = rows.find(key);
            if (it == rows.end())
                return "posted row " + std::to_string(key) + " is missing";
            if (!(it->second == rowFor(key)))
                return "posted row " + std::to_string(key) + " changed";
        }
    for (int key : log.deleted)
        if (rows.count(key))
            return "deleted row " + std::to_string(key) + " is back";
    for (const auto& [key, row] : rows) {
        const bool logged = log.inserted.count(key) && !log.deleted.count(key);
        const bool deleting = log.inserted.count(key) && key == inFlight; // a delete in flight
        if (!logged && !deleting && key != inFlight)
            return "row " + std::to_string(key) + " was never posted";
        if (!(row == rowFor(key)))
            return "row " + std::to_string(key) + " is torn";
    }
    return {};
}

// A reader going through each index meets every row once, IndTable in its order,
// whatever index files lie beside the table.
std::string indexReadProblem(const std::shared_ptr<engine::TableFile>& t,
                             const std::map<int, engine::Row>& rows) {
    for (const auto& ix : t->indexes()) {
        engine::Cursor c(t, ix.options & engine::ixPrimary ? std::vector<std::string>{}
                                                           : splitFields(ix.fields));
        std::set<int> seen;
        std::string previous;
        for (bool more = c.first(); more; more = c.next()) {
            const int key = int(c.row()[0].integer);
            if (!rows.count(key) || !seen.insert(key).second)
                return "index " + ix.name + " lists row " + std::to_string(key) + " wrongly";
            if (ix.name == "IndTable") {
                std::string folded = c.row()[1].text;
                for (char& ch : folded)
                    ch = char(std::toupper(static_cast<unsigned char>(ch)));
                if (folded < previous)
                    return "index IndTable out of order";
                previous = folded;
            }
        }
        if (seen.size() != rows.size() || c.count() != int64_t(rows.size()))
            return "index " + ix.name + " misses or miscounts rows";
    }
    return {};
}

// The oracle after a crash or a fault: the rows against the log, then the files as
// the integrity checker finds them (header counts, chain, index files against the
// rows). Returns "" when the table is sound.
std::string verify(const fs::path& table, const Log& log, int inFlight) {
    try {
        std::map<int, engine::Row> rows;
        const std::string problem =
            rowsProblem(engine::TableFile::open(table), log, inFlight, rows);
        if (!problem.empty())
            return problem;
        for (const engine::IntegrityFinding& f : engine::IntegrityCheck::of(table))
            return f.file + ": " + f.what;
    } catch (const engine::EngineError& e) {
        return std::string("engine error after the fault: ") + e.what();
    }
    return {};
}

void applyLogLine(Log& log, char kind, int key) {
    if (kind == 'I')
        log.inserted.insert(key);
    if (kind == 'D')
        log.deleted.insert(key);
    if (kind == 'F')
        log.flushed = true;
}

// The operation the scenario was inside of when it stopped (0 when none).
int inFlightKey(const Log& log) {
    if (int(log.inserted.size()) < kInserts)
        return int(log.inserted.size()) + 1;
    if (log.deleted.size() < kDeletes.size())
        return kDeletes[log.deleted.size()];
    return 0;
}

} // namespace

class TestFault : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    fs::path m_pristine;

    // Runs the scenario in a child that dies before its K-th counted operation.
    // Returns the child's log; `exitCode` tells how it ended.
    Log crashedRun(const fs::path& table, uint64_t k, int& exitCode) {
        int fds[2];
        if (pipe(fds) != 0)
            qFatal("pipe");
        const pid_t pid = fork();
        if (pid == 0) {
            ::close(fds[0]);
            FaultFileSystem fault(engine::fileSystem());
            fault.crashAt(k);
            const ScopedFileSystem mounted(fault);
            try {
                runScenario(table, [&](char kind, int key) {
                    char line[16];
                    int n = std::snprintf(line, sizeof line, "%c%d\n", kind, key);
                    if (::write(fds[1], line, size_t(n)) != n)
                        ::_exit(3);
                });
            } catch (...) {
                ::_exit(2);
            }
            ::_exit(0);
        }
        ::close(fds[1]);
        std::string text;
        char buf[4096];
        for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) > 0;)
            text.append(buf, size_t(n));
        ::close(fds[0]);
        int status = 0;
        waitpid(pid, &status, 0);
        exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        Log log;
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);)
            if (!line.empty())
                applyLogLine(log, line[0], std::atoi(line.c_str() + 1));
        return log;
    }

    // Counted operations of the whole scenario when nothing fails.
    uint64_t scenarioOperations(bool countReads) {
        const fs::path table = freshTable(m_dir.filePath("count").toStdString(), m_pristine);
        FaultFileSystem fault(engine::fileSystem());
        fault.setCountReads(countReads);
        {
            const ScopedFileSystem mounted(fault);
            runScenario(table, [](char, int) {});
        }
        return fault.operations();
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        m_pristine = m_dir.filePath("pristine").toStdString();
        fs::create_directories(m_pristine);
        engine::createTable(m_pristine / "DICO.DB", dictionaryFields(), dictionaryIndexes());
        QVERIFY(!engine::TableFile::isOpen(m_pristine / "DICO.DB"));
        const fs::path sound = freshTable(m_dir.filePath("sound").toStdString(), m_pristine);
        Log all;
        runScenario(sound, [&](char kind, int key) { applyLogLine(all, kind, key); });
        QVERIFY(all.flushed);
        const std::string problem = verify(sound, all, 0);
        QVERIFY2(problem.empty(), problem.c_str());
    }

    void crashAtEveryWrite() {
        const uint64_t total = scenarioOperations(false);
        QVERIFY(total > 10);
        int crashes = 0;
        for (uint64_t k = 1; k <= total + 1; ++k) {
            const fs::path table = freshTable(m_dir.filePath("crash").toStdString(), m_pristine);
            int exitCode = -1;
            Log log = crashedRun(table, k, exitCode);
            QVERIFY2(exitCode == FaultFileSystem::kCrashExitCode || exitCode == 0,
                     qPrintable(
                         QString("K=%1: the scenario ended with status %2").arg(k).arg(exitCode)));
            crashes += exitCode != 0;
            const std::string problem = verify(table, log, exitCode ? inFlightKey(log) : 0);
            QVERIFY2(problem.empty(), qPrintable(QString("crash before operation %1 of %2: %3")
                                                     .arg(k)
                                                     .arg(total)
                                                     .arg(problem.c_str())));
        }
        QCOMPARE(uint64_t(crashes), total);
    }

    void ioErrorLoop_data() {
        QTest::addColumn<int>("err");
        QTest::addColumn<bool>("sticky");
        QTest::addColumn<bool>("reads");
        QTest::newRow("EIO from the N-th write on") << EIO << true << false;
        QTest::newRow("ENOSPC from the N-th write on") << ENOSPC << true << false;
        QTest::newRow("EIO on the N-th write only") << EIO << false << false;
        QTest::newRow("EIO from the N-th read or write on") << EIO << true << true;
    }
    void ioErrorLoop() {
        QFETCH(int, err);
        QFETCH(bool, sticky);
        QFETCH(bool, reads);
        const uint64_t total = scenarioOperations(reads);
        QVERIFY(total > 10); // 40 inserts: an empty count would make the loop pass vacuously
        for (uint64_t n = 1; n <= total; ++n) {
            const fs::path table = freshTable(m_dir.filePath("io").toStdString(), m_pristine);
            Log log;
            bool failed = false;
            {
                FaultFileSystem fault(engine::fileSystem());
                fault.setCountReads(reads);
                fault.failAt(n, err, sticky);
                const ScopedFileSystem mounted(fault);
                try {
                    runScenario(table, [&](char kind, int key) { applyLogLine(log, kind, key); });
                } catch (const engine::EngineError&) {
                    failed = true;
                } catch (const std::exception& e) {
                    QFAIL(
                        qPrintable(QString("N=%1: not an engine error: %2").arg(n).arg(e.what())));
                }
            }
            QVERIFY2(failed || !sticky,
                     qPrintable(QString("N=%1: the fault did not surface").arg(n)));
            QVERIFY(!engine::TableFile::isOpen(table));
            const std::string problem = verify(table, log, failed ? inFlightKey(log) : 0);
            QVERIFY2(problem.empty(), qPrintable(QString("fault at operation %1 of %2: %3")
                                                     .arg(n)
                                                     .arg(total)
                                                     .arg(problem.c_str())));
        }
    }

    void missingAndStaleIndexes_data() {
        QTest::addColumn<QString>("damage");
        QTest::newRow("primary index missing") << "rm PX";
        QTest::newRow("secondary index files missing") << "rm XG0 YG0";
        QTest::newRow("secondary tree missing") << "rm YG0";
        QTest::newRow("primary index from an older state") << "stale PX";
        QTest::newRow("secondary index from an older state") << "stale XG0 YG0";
    }
    void missingAndStaleIndexes() {
        QFETCH(QString, damage);
        // An older state: the table after half of the rows.
        const fs::path older = freshTable(m_dir.filePath("older").toStdString(), m_pristine);
        {
            auto t = engine::TableFile::open(older);
            engine::Cursor c(t);
            for (int key = 1; key <= kInserts / 2; ++key)
                c.insert(rowFor(key));
            t->flush();
        }
        const fs::path table = freshTable(m_dir.filePath("env").toStdString(), m_pristine);
        Log log;
        runScenario(table, [&](char kind, int key) { applyLogLine(log, kind, key); });
        const QStringList words = damage.split(' ');
        for (const QString& ext : words.mid(1)) {
            const fs::path file = table.parent_path() / ("DICO." + ext.toStdString());
            if (words[0] == "rm")
                fs::remove(file);
            else
                fs::copy_file(older.parent_path() / file.filename(), file,
                              fs::copy_options::overwrite_existing);
        }
        if (damage == "rm XG0 YG0") {
            // The index is gone: asking for it names it; the table itself still reads.
            auto t = engine::TableFile::open(table);
            try {
                engine::Cursor c(t, {"Table"});
                int64_t n = 0;
                for (bool more = c.first(); more; more = c.next())
                    ++n;
                QCOMPARE(n, int64_t(kInserts - kDeletes.size()));
            } catch (const engine::EngineError& e) {
                QCOMPARE(e.code(), engine::ErrorCode::IndexNotFound);
            }
            int64_t rows = 0;
            t->forEachRow([&](const engine::Row&) { return ++rows > 0; });
            QCOMPARE(rows, int64_t(kInserts - kDeletes.size()));
            return;
        }
        // Missing or stale: rebuilt from the data or refused as out of date, never trusted.
        std::string problem;
        try {
            std::map<int, engine::Row> rows;
            const auto t = engine::TableFile::open(table);
            problem = rowsProblem(t, log, 0, rows);
            if (problem.empty())
                problem = indexReadProblem(t, rows);
        } catch (const engine::EngineError& e) {
            problem = std::string("engine error after the fault: ") + e.what();
        }
        if (!problem.empty())
            QVERIFY2(problem.find("engine error") != std::string::npos &&
                         (problem.find("index") != std::string::npos ||
                          problem.find("Index") != std::string::npos),
                     problem.c_str());
    }

    void namesThatWouldEscape_data() {
        QTest::addColumn<QString>("name");
        for (const char* n : {"", "../DICO", "..", "sub/DICO.DB", "..\\DICO.DB", "DI:CO", "DI*CO",
                              "DI?CO", "DI\"CO", "DI<CO>", "DI|CO", "DI\nCO"})
            QTest::newRow(qPrintable(QString(n).replace('\n', "\\n"))) << QString(n);
    }
    void namesThatWouldEscape() {
        QFETCH(QString, name);
        engine::Database db("dbTest");
        db.setPath(m_dir.filePath("alias").toStdString());
        try {
            const fs::path p = db.resolve(name.toStdString());
            QFAIL(qPrintable("resolved to " + QString::fromStdString(p.string())));
        } catch (const engine::EngineError& e) {
            QCOMPARE(e.code(), engine::ErrorCode::InvalidName);
        }
        QCOMPARE(db.resolve("DICO").parent_path(), fs::path(m_dir.filePath("alias").toStdString()));
    }

    // A file system that refuses writes (read-only medium): the first write fails with
    // the engine's error and the table stays as it was.
    void refusedWriteLeavesTableIntact() {
        const fs::path table = freshTable(m_dir.filePath("ro").toStdString(), m_pristine);
        Log log;
        {
            auto t = engine::TableFile::open(table);
            engine::Cursor c(t);
            for (int key = 1; key <= 5; ++key) {
                c.insert(rowFor(key));
                log.inserted.insert(key);
            }
            t->flush();
        }
        FaultFileSystem fault(engine::fileSystem());
        fault.failAt(1, EROFS, true);
        bool refused = false;
        {
            const ScopedFileSystem mounted(fault);
            try {
                auto t = engine::TableFile::open(table);
                engine::Cursor c(t);
                QVERIFY(c.first()); // reading a read-only table works
                c.insert(rowFor(6));
            } catch (const engine::EngineError& e) {
                refused =
                    e.code() == engine::ErrorCode::Io || e.code() == engine::ErrorCode::ReadOnly;
            }
        }
        QVERIFY(refused);
        const std::string problem = verify(table, log, 0);
        QVERIFY2(problem.empty(), problem.c_str());
    }
};

QTEST_GUILESS_MAIN(TestFault)
#include "tst_fault.moc"
