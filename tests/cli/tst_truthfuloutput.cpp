// korvanta-cli tells the truth about what it wrote: a standard output that refuses
// the bytes, text that did not decode, memos lost with a missing .MB, each makes the
// command say so and exit 1; and a reader that stops reading a listing does not keep
// another program from writing the dictionary. Real processes on tables written by
// the engine (plus, when present, two tables of the shared corpus).

#include "CliRun.h"
#include "EngineTables.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sqlite3.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using clirun::cli;
using clirun::Run;
using engine::FieldType;
using engine::Value;

namespace {

const QString kCorpus = QStringLiteral(KV_SHARED_DIR "/corpus");
const QByteArray kNoSpace = "korvanta-cli: standard output: No space left on device";

Run cliWritingTo(const QString& stdoutFile, const QStringList& args) {
    QProcess p;
    p.setStandardOutputFile(stdoutFile);
    p.start(QStringLiteral(KV_CLI_PATH), args);
    p.waitForFinished(120000);
    return {p.exitCode(), {}, p.readAllStandardError()};
}

int sqliteRowCount(const QString& file, const QString& table) {
    sqlite3* db = nullptr;
    int rows = -1;
    if (sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) ==
        SQLITE_OK) {
        sqlite3_stmt* s = nullptr;
        const QByteArray sql = "SELECT count(*) FROM \"" + table.toUtf8() + "\"";
        if (sqlite3_prepare_v2(db, sql.constData(), -1, &s, nullptr) == SQLITE_OK &&
            sqlite3_step(s) == SQLITE_ROW)
            rows = sqlite3_column_int(s, 0);
        sqlite3_finalize(s);
    }
    sqlite3_close(db);
    return rows;
}

// Copies a corpus table with the companions named, into dir; false when it is absent.
bool copyCorpusTable(const QString& dir, const QString& relative, const QStringList& companions) {
    const QFileInfo table(kCorpus + '/' + relative);
    if (!table.exists())
        return false;
    bool ok = QFile::copy(table.filePath(), dir + '/' + table.fileName());
    for (const QString& ext : companions) {
        const QString companion = table.path() + '/' + table.completeBaseName() + ext;
        ok = ok && QFile::copy(companion, dir + '/' + table.completeBaseName() + ext);
    }
    return ok;
}

} // namespace

class TestTruthfulOutput : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_dict;   // a dictionary of wide tables: its listing outgrows a small pipe
    QString m_table;  // one of the wide tables
    QString m_memos;  // memos stored in the .MB, which is then removed
    QString m_second; // two more tables, for a capture
    QString m_third;

    QString path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        std::vector<engine::FieldDef> fields{{"Id", FieldType::Long}};
        for (int i = 0; i < 250; ++i)
            fields.push_back({"Rubrique_numero_" + std::to_string(i), FieldType::Alpha, 30});
        // Wide enough that the listing outgrows both the pipe and the output's buffer.
        QStringList wide;
        for (const char* name : {"WIDE.DB", "WIDE2.DB", "WIDE3.DB", "WIDE4.DB"}) {
            wide << path(name);
            enginetables::writeTable(wide.last().toStdString(), fields,
                                     {{"", {"Id"}, engine::ixPrimary}}, {});
        }
        m_table = wide.first();
        m_dict = path("DICT.DB");
        QCOMPARE(cli(QStringList{"capture", "--create", m_dict} + wide).status, 0);
        m_second = path("SECOND.DB");
        m_third = path("THIRD.DB");
        for (const QString& t : {m_second, m_third})
            enginetables::writeTable(t.toStdString(), {{"Code", FieldType::Alpha, 8}}, {}, {});

        m_memos = path("MEMOS.DB");
        std::vector<engine::Row> rows;
        for (int i = 1; i <= 6; ++i)
            rows.push_back({Value::fromInt(i), Value::fromText(std::string(200, char('a' + i)))});
        enginetables::writeTable(m_memos.toStdString(),
                                 {{"Id", FieldType::Long}, {"Note", FieldType::Memo, 10}},
                                 {{"", {"Id"}, engine::ixPrimary}}, rows);
        QVERIFY(QFile::exists(path("MEMOS.MB")));
        QVERIFY(QFile::remove(path("MEMOS.MB")));
    }

    // Every command writing to standard output, on a device that refuses every byte.
    void refusedStandardOutputIsReported_data() {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("list") << QStringList{"list", m_dict};
        QTest::newRow("list json") << QStringList{"list", "--json", m_dict};
        QTest::newRow("rows") << QStringList{"rows", m_table};
        QTest::newRow("info") << QStringList{"info", m_table};
        QTest::newRow("ddl") << QStringList{"ddl", "--dialect", "sqlite", m_dict};
        QTest::newRow("code") << QStringList{"code", m_table};
        QTest::newRow("check") << QStringList{"check", m_dict, m_table, m_second};
        QTest::newRow("help") << QStringList{"help"};
        QTest::newRow("version") << QStringList{"--version"};
    }
    void refusedStandardOutputIsReported() {
        if (!QFile::exists(QStringLiteral("/dev/full")))
            QSKIP("no /dev/full on this system");
        QFETCH(QStringList, args);
        const Run r = cliWritingTo(QStringLiteral("/dev/full"), args);
        QCOMPARE(r.status, 1);
        QCOMPARE(r.err.count(kNoSpace), 1);
    }

    // Tables read unfaithfully, through each command that copies rows out: the rows
    // still go out, the table and the loss are named, the status is 1.
    void unfaithfulReadingIsNamed_data() {
        QTest::addColumn<QString>("table");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QByteArray>("loss");
        QTest::newRow("memos of a missing .MB")
            << m_memos << 6 << QByteArray("6 memo and BLOB values were written as NULL");
        if (copyCorpusTable(m_dir.path(), QStringLiteral("pdxreader-java/MEMBRE.DB"), {}))
            QTest::newRow("corpus table without its .MB")
                << path("MEMBRE.DB") << 6 << QByteArray("its BLOB file (.MB) is missing");
        if (copyCorpusTable(m_dir.path(), QStringLiteral("paradoxdriver/db/NOTE1251.DB"),
                            {".MB", ".PX"}))
            QTest::newRow("wrong code page")
                << path("NOTE1251.DB") << 2
                << QByteArray("2 of 2 text values do not decode cleanly in code page 936");
    }
    void unfaithfulReadingIsNamed() {
        QFETCH(QString, table);
        QFETCH(int, rows);
        QFETCH(QByteArray, loss);
        const QByteArray name = QFileInfo(table).fileName().toUtf8();

        const Run listed = cli({"rows", "--json", table});
        QCOMPARE(listed.status, 1);
        QCOMPARE(listed.lines().size(), rows);
        QVERIFY2(listed.err.contains(name + ": ") && listed.err.contains(loss), listed.err);
        if (loss.contains("code page"))
            QVERIFY(listed.err.contains("--code-page"));
        else
            for (const QByteArray& line : listed.lines())
                QVERIFY2(line.contains("null"), line);

        const QString out = m_dir.filePath(QFileInfo(table).completeBaseName() + ".sqlite");
        const Run exported = cli({"export", "--sqlite", out, table});
        QCOMPARE(exported.status, 1);
        QVERIFY2(exported.err.contains(name + ": ") && exported.err.contains(loss), exported.err);
        QCOMPARE(sqliteRowCount(out, QFileInfo(table).completeBaseName()), rows);
    }

    // A listing whose reader stops reading (a FIFO held open, its pipe made small)
    // while a capture of two tables into the same dictionary runs: the capture does
    // not wait for the reader, and the listing, read at last, is whole.
    void stalledReaderDoesNotStopWriters() {
        const QString fifo = path("stalled.fifo");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        const int reader = ::open(QFile::encodeName(fifo).constData(), O_RDONLY | O_NONBLOCK);
        QVERIFY(reader >= 0);
        ::fcntl(reader, F_SETPIPE_SZ, 4096);
        const Run whole = cli({"list", "--json", m_dict});
        const int before = int(whole.lines().size());
        QVERIFY2(whole.out.size() > 2 * 65536, "the listing must outgrow the pipe and the buffer");

        QProcess list;
        list.setStandardOutputFile(fifo);
        list.start(QStringLiteral(KV_CLI_PATH), {"list", "--json", m_dict});
        QVERIFY(list.waitForStarted());
        QVERIFY(!list.waitForFinished(1000)); // blocked on the full pipe

        QElapsedTimer clock;
        clock.start();
        const Run capture = cli({"capture", m_dict, m_second, m_third});
        QVERIFY2(capture.status == 0, capture.err);
        QVERIFY2(clock.elapsed() < 5000, "the capture waited for the stalled listing");

        QByteArray listing;
        char buffer[65536];
        QElapsedTimer reading;
        reading.start();
        while (reading.elapsed() < 60000) { // to the end of file: the listing exited
            const ssize_t n = ::read(reader, buffer, sizeof buffer);
            if (n > 0)
                listing.append(buffer, n);
            else if (n == 0 || errno != EAGAIN)
                break;
            else
                list.waitForFinished(20);
        }
        list.waitForFinished(10000);
        ::close(reader);
        QCOMPARE(list.exitCode(), 0);
        const int after = int(cli({"list", "--json", m_dict}).lines().size());
        const int listed = int(listing.count('\n'));
        QVERIFY(after > before);
        QVERIFY2(listed >= before && listed <= after, qPrintable(QString::number(listed)));
        QVERIFY(listing.startsWith("{\"NoEnreg\":") && listing.endsWith("}\n"));
    }
};

QTEST_GUILESS_MAIN(TestTruthfulOutput)
#include "tst_truthfuloutput.moc"
