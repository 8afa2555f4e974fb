// Replays the fuzz corpus through the same harnesses as the fuzz targets (reading,
// then writing): every committed seed (fuzz/corpus) must read without any error,
// every committed crasher (fuzz/regressions) must now end normally (in the
// engine's error or in success). Under the sanitizer build this is where a
// regression shows.

#include "tests/support/FamilyExercise.h"
#include "tests/support/JournalExercise.h"
#include "tests/support/ValidityExercise.h"

#include <QDir>
#include <QFile>
#include <QtTest>

namespace {

void addFiles(const QString& dir, bool seeds) {
    const QDir d(QStringLiteral(KV_SOURCE_DIR "/fuzz/") + dir);
    for (const QFileInfo& fi : d.entryInfoList(QDir::Files, QDir::Name)) {
        if (fi.fileName().startsWith('.') || fi.fileName() == "README.md")
            continue;
        QTest::newRow(qPrintable(dir + "/" + fi.fileName())) << fi.filePath() << seeds;
    }
}

} // namespace

class TestFuzzReplay : public QObject {
    Q_OBJECT

private slots:
    void replay_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("seed");
        addFiles("corpus", true);
        addFiles("regressions", false);
    }
    void replay() {
        QFETCH(QString, file);
        QFETCH(bool, seed);
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        auto r = testsupport::exerciseInput(reinterpret_cast<const uint8_t*>(bytes.constData()),
                                            size_t(bytes.size()));
        if (seed && QFileInfo(file).fileName().startsWith("seed-")) {
            const std::string first =
                r.messages.empty() ? std::string("not opened") : r.messages.front();
            QVERIFY2(r.opened, first.c_str());
            QVERIFY2(r.engineErrors == 0, first.c_str());
            QVERIFY(r.rows > 0 || QFileInfo(file).fileName().contains("empty"));
        }
    }

    // The same inputs through the writing side: a damaged table is refused or left
    // readable; a sound one takes the writes and reads back.
    void replayWrites_data() { replay_data(); }
    void replayWrites() {
        QFETCH(QString, file);
        QFETCH(bool, seed);
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        auto r = testsupport::exerciseWrites(testsupport::unpackFamily(
            reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size())));
        if (seed && QFileInfo(file).fileName().startsWith("seed-")) {
            QVERIFY(r.opened);
            QVERIFY(r.rows > 0 || QFileInfo(file).fileName().contains("empty"));
            for (const auto& m : r.messages)
                qInfo("%s", m.c_str());
        }
    }

    // The journal inputs: whatever they say, nothing outside the family changes and
    // no family file grows; a real hot journal (a seed) is rolled back, silently.
    void replayJournals_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("seed");
        addFiles("journal-corpus", true);
        addFiles("journal-regressions", false);
    }
    void replayJournals() {
        QFETCH(QString, file);
        QFETCH(bool, seed);
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        const auto r = testsupport::exerciseJournal(
            reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()));
        QVERIFY2(r.harmless, r.violation.c_str());
        if (seed && QFileInfo(file).fileName().startsWith("seed-")) {
            QVERIFY2(r.applied, r.message.c_str());
            QVERIFY2(r.message.empty(), r.message.c_str());
        }
    }

    // The .VAL inputs: real tables' files read whole and tied to their tables; any
    // other input ends in rules or in a problem said, never with a stale file's rules.
    void replayValidity_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("seed");
        addFiles("val-corpus", true);
    }
    void replayValidity() {
        QFETCH(QString, file);
        QFETCH(bool, seed);
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        const auto r = testsupport::exerciseValidity(
            reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()));
        QVERIFY(!r.rules.stale || r.rules.checks.empty());
        if (seed && QFileInfo(file).fileName().startsWith("seed-")) {
            QVERIFY(r.headerRead);
            for (const std::string& problem : r.rules.problems)
                QVERIFY2(problem.find("endommagé") == std::string::npos, problem.c_str());
            QVERIFY(!r.rules.checks.empty() || !r.rules.references.empty() ||
                    !r.rules.dependents.empty() || r.rules.stale);
        }
    }

    void corpusIsPresent() {
        QVERIFY(QDir(QStringLiteral(KV_SOURCE_DIR "/fuzz/corpus")).entryList(QDir::Files).size() >=
                5);
        QVERIFY(QDir(QStringLiteral(KV_SOURCE_DIR "/fuzz/journal-corpus"))
                    .entryList(QDir::Files)
                    .size() >= 3);
        QVERIFY(
            QDir(QStringLiteral(KV_SOURCE_DIR "/fuzz/val-corpus")).entryList(QDir::Files).size() >=
            5);
    }
};

QTEST_GUILESS_MAIN(TestFuzzReplay)
#include "tst_fuzzreplay.moc"
