// Captures and a dictionary creation cut short at every step that changes the disk.
//
//  - Kill: a child process creates a dictionary and captures three tables into it
//    (the widest has dozens of rows in one transaction), closing it at the end, and
//    dies just before its K-th write, sync, close, rename or removal, for every K.
//  - I/O error: the same scenario in this process, with the N-th operation failing
//    with EIO, or every one from the N-th on with ENOSPC, for every N, the index
//    write-back at close included.
//
// After each, the dictionary is absent (the creation did not finish) or opens; every
// captured table is whole or absent; pxlib reads as many rows as the dictionary holds;
// the integrity checker finds its files whole (the header's row count, the chain, the
// name index against the rows); no index file is empty; and running the scenario
// again completes the dictionary.

#include "SourceTables.h"
#include "WindowCapture.h"
#include "tests/store/DicoFiles.h"
#include "tests/store/StoreTestHost.h"

#include "capture/StructureCapture.h"
#include "engine/EngineError.h"
#include "engine/IntegrityCheck.h"
#include "engine/TableFile.h"
#include "framework/dataset/Database.h"
#include "store/DicoFormat.h"
#include "store/DictionaryStore.h"
#include "tests/support/FaultFileSystem.h"
#include "tests/support/ScopedFileSystem.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <map>

#ifdef KV_HAVE_PXLIB
extern "C" {
#include <paradox.h>
}
#endif

using capture::CaptureResult;

namespace {

// Running the scenario again refuses the tables already there: that is expected.
struct QuietHost : StoreTestHost {
    void showWarning(const QString&) override {}
};

// The scenario: create the dictionary when missing, capture every source, close.
// Returns the first error it met ("" when none).
QString runScenario(const QString& dico, const QStringList& sources) {
    QuietHost host;
    store::DictionaryStore store(&host.window, host);
    capture::StructureCapture capture(&host.window, store);
    QString error;
    try {
        if (!QFile::exists(dico))
            store::CreateDicoFile(dico);
        store.OpenDico(dico);
        for (const QString& source : sources) {
            try {
                captureAsWindow(host, capture, source);
            } catch (const std::exception& e) {
                if (error.isEmpty())
                    error = QString::fromUtf8(e.what());
            }
        }
        store.CloseDico();
        store.dbLitTable().Close();
    } catch (const std::exception& e) {
        if (error.isEmpty())
            error = QString::fromUtf8(e.what());
    }
    return error;
}

// Rows per table name.
std::map<QString, int> rowsPerTable(const QList<store::DicoRow>& rows) {
    std::map<QString, int> out;
    for (const store::DicoRow& r : rows)
        ++out[r.table];
    return out;
}

int pxlibRecords(const QString& dico) {
#ifdef KV_HAVE_PXLIB
    pxdoc_t* px = PX_new();
    if (PX_open_file(px, dico.toLocal8Bit().constData()) != 0) {
        PX_delete(px);
        return -1;
    }
    int readable = 0;
    std::vector<char> record(size_t(px->px_head->px_recordsize));
    for (int r = 0; r < PX_get_num_records(px); ++r)
        readable += PX_get_record(px, r, record.data()) != nullptr;
    const int count = PX_get_num_records(px) == readable ? readable : -2;
    PX_close(px);
    PX_delete(px);
    return count;
#else
    (void)dico;
    return -3;
#endif
}

// The oracle. "" when the dictionary is sound; `whole` holds the rows each table
// has when captured.
QString problems(const QString& dico, const std::map<QString, int>& whole) {
    try {
        const QList<store::DicoRow> rows = dicofiles::readRows(dico); // rolls a hot journal back
        for (const auto& [table, count] : rowsPerTable(rows))
            if (!whole.count(table) || whole.at(table) != count)
                return QStringLiteral("table %1 has %2 rows").arg(table).arg(count);
#ifdef KV_HAVE_PXLIB
        if (pxlibRecords(dico) != rows.size())
            return QStringLiteral("pxlib reads %1 records of %2")
                .arg(pxlibRecords(dico))
                .arg(rows.size());
#endif
        // The header's count, the chain and the index files against the rows.
        for (const engine::IntegrityFinding& f : engine::IntegrityCheck::of(dico.toStdString()))
            return QString::fromStdString(f.file + ": " + f.what);
        const QDir dir = QFileInfo(dico).dir();
        // A temporary file left by the cut is never read; the table's own files are.
        for (const QFileInfo& f : dir.entryInfoList(QDir::Files))
            if (f.size() == 0 && f.suffix() != QLatin1String("tmp"))
                return QStringLiteral("%1 is empty").arg(f.fileName());
    } catch (const std::exception& e) {
        return QStringLiteral("engine error: %1").arg(QString::fromUtf8(e.what()));
    }
    return {};
}

} // namespace

class TestCaptureCrash : public QObject {
    Q_OBJECT

    TempAppDir m_app;
    QStringList m_sources;
    std::map<QString, int> m_whole;
    uint64_t m_operations = 0;

    QString freshDico(const QString& name) {
        QDir(m_app.path(name)).removeRecursively();
        QDir().mkpath(m_app.path(name));
        return m_app.path(name + "/DICO.DB");
    }

private slots:
    void initTestCase() {
        QDir().mkpath(m_app.path("src"));
        m_sources = {sourcetables::writeClients(m_app.path("src/CLIENTS.DB")),
                     sourcetables::writeEveryKind(m_app.path("src/TOUT.DB"))};
        QFile::copy(m_sources[0], m_app.path("src/AUTRES.DB"));
        m_sources << m_app.path("src/AUTRES.DB");
        // A clean run gives the whole tables and the number of operations to cut at.
        const QString dico = freshDico("count");
        testsupport::FaultFileSystem counter(engine::fileSystem());
        {
            const testsupport::ScopedFileSystem mounted(counter);
            QCOMPARE(runScenario(dico, m_sources), QString());
        }
        m_operations = counter.operations();
        qInfo("%llu steps change the disk", static_cast<unsigned long long>(m_operations));
        m_whole = rowsPerTable(dicofiles::readRows(dico));
        QCOMPARE(int(m_whole.size()), 3);
        QVERIFY(m_whole.at("TOUT.DB") > 24); // a wide capture: many rows in one transaction
        QCOMPARE(problems(dico, m_whole), QString());
    }

    void killAtEveryStep() {
        uint64_t cut = 0;
        for (uint64_t k = 1; k <= m_operations; ++k) {
            const QString dico = freshDico("kill");
            const pid_t child = fork();
            QVERIFY(child >= 0);
            if (child == 0) {
                testsupport::FaultFileSystem faults(engine::fileSystem());
                faults.crashAt(k);
                const testsupport::ScopedFileSystem mounted(faults);
                runScenario(dico, m_sources);
                _exit(0);
            }
            int status = 0;
            QCOMPARE(waitpid(child, &status, 0), child);
            QVERIFY(WIFEXITED(status));
            QCOMPARE(WEXITSTATUS(status), testsupport::FaultFileSystem::kCrashExitCode);
            ++cut;
            if (QFile::exists(dico)) {
                const QString problem = problems(dico, m_whole);
                QVERIFY2(
                    problem.isEmpty(),
                    qPrintable(QStringLiteral("killed before step %1: %2").arg(k).arg(problem)));
            }
            QCOMPARE(runScenario(dico, m_sources).contains("Aucun index"), false);
            QCOMPARE(rowsPerTable(dicofiles::readRows(dico)), m_whole);
        }
        QCOMPARE(cut, m_operations); // every step of the scenario was cut once
    }

    void failureAtEveryStep_data() {
        QTest::addColumn<int>("err");
        QTest::addColumn<bool>("sticky");
        QTest::newRow("disk full from then on") << ENOSPC << true;
        QTest::newRow("one I/O error") << EIO << false;
    }

    void failureAtEveryStep() {
        QFETCH(int, err);
        QFETCH(bool, sticky);
        uint64_t reported = 0, cases = 0;
        for (uint64_t n = 1; n <= m_operations; ++n) {
            const QString dico = freshDico("full");
            testsupport::FaultFileSystem faults(engine::fileSystem());
            faults.failAt(n, err, sticky);
            QString error;
            {
                const testsupport::ScopedFileSystem mounted(faults);
                error = runScenario(dico, m_sources);
            }
            // Silence is allowed only where nothing was at stake (a temporary
            // folder left behind): then the dictionary is complete and sound.
            if (error.isEmpty()) {
                QCOMPARE(rowsPerTable(dicofiles::readRows(dico)), m_whole);
                QCOMPARE(problems(dico, m_whole), QString());
            }
            reported += !error.isEmpty();
            ++cases;
            if (QFile::exists(dico)) {
                const QString problem = problems(dico, m_whole);
                QVERIFY2(problem.isEmpty(),
                         qPrintable(QStringLiteral("failure at step %1: %2").arg(n).arg(problem)));
            }
            QCOMPARE(runScenario(dico, m_sources), QString());
            QCOMPARE(rowsPerTable(dicofiles::readRows(dico)), m_whole);
        }
        qInfo("%llu of %llu failures reported, the others cost nothing",
              static_cast<unsigned long long>(reported), static_cast<unsigned long long>(cases));
        QCOMPARE(cases, m_operations); // every step was failed once
    }
};

QTEST_GUILESS_MAIN(TestCaptureCrash)
#include "tst_capturecrash.moc"
