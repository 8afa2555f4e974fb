// The command-line tool's code, capture and list commands, run as a user runs them.

#include "ClientsExample.h"
#include "SourceTables.h"

#include "engine/Cursor.h"
#include "engine/TableFile.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

namespace {

struct Run {
    int status = -1;
    QString out;
    QString err;
};

Run cli(const QStringList& args, const QString& dir) {
    QProcess process;
    process.setWorkingDirectory(dir);
    process.start(QStringLiteral(KV_CLI_PATH), args);
    Run run;
    if (!process.waitForFinished(60000))
        return run;
    run.status = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

QString crlf(const QStringList& lines) {
    QString text;
    for (const QString& line : lines)
        text += line + QStringLiteral("\r\n");
    return text;
}

QString readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// Rows numbered 0..count-1 in a scattered order, plus a second row 42 and a row
// without number, in a table without key.
void writeUnkeyedDictionary(const std::filesystem::path& file, int count) {
    using engine::FieldType;
    engine::createTable(file,
                        {{"NoEnreg", FieldType::Long},
                         {"Table", FieldType::Alpha, 12},
                         {"Description", FieldType::Alpha, 80},
                         {"Champ", FieldType::Alpha, 20},
                         {"Type", FieldType::Alpha, 20},
                         {"Longueur", FieldType::Long},
                         {"CT", FieldType::Logical},
                         {"CC", FieldType::Logical}},
                        {});
    auto table = engine::TableFile::open(file);
    engine::Cursor cursor(table);
    auto row = [&](engine::Value number, const std::string& name) {
        engine::Row r = table->emptyRow();
        r[0] = number;
        r[1] = engine::Value::fromText(name);
        cursor.insert(r);
    };
    table->beginTransaction();
    for (int i = 0; i < count; ++i) {
        const int number = int((int64_t(i) * 7919) % count);
        row(engine::Value::fromInt(number), number == 42 ? "SECOND" : "T" + std::to_string(i));
        if (i == count / 2) {
            row(engine::Value::null(), "NONE");
            row(engine::Value::fromInt(42), "FIRST");
        }
    }
    table->commit();
}

} // namespace

class TestCliCommands : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        QDir(m_dir.path()).mkpath("a");
        QDir(m_dir.path()).mkpath("b");
        sourcetables::writeClients(m_dir.filePath("a/CLIENTS.DB"));
        sourcetables::writeClients(m_dir.filePath("b/clients.db"));
        QFile junk(m_dir.filePath("JUNK.DB"));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write(QByteArray(2048, '\x7f'));
    }

    // The code of two tables, one block after the other, lines ended by CR LF;
    // a table that cannot be read gives no block and exit status 1.
    void code() {
        Run run = cli({"code", "a/CLIENTS.DB", "a/CLIENTS.DB", "-o", "code.txt"}, m_dir.path());
        QCOMPARE(run.status, 0);
        QCOMPARE(readAll(m_dir.filePath("code.txt")), crlf(clientsBlock() + clientsBlock()));

        // A disk that fills up half way: the old file stays whole, nothing is left beside it.
        QProcess full;
        full.setWorkingDirectory(m_dir.path());
        full.setChildProcessModifier([] {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{100, 100};
            setrlimit(RLIMIT_FSIZE, &limit);
        });
        full.start(QStringLiteral(KV_CLI_PATH), {"code", "a/CLIENTS.DB", "-o", "code.txt"});
        QVERIFY(full.waitForFinished(60000));
        QCOMPARE(full.exitCode(), 1);
        QCOMPARE(readAll(m_dir.filePath("code.txt")), crlf(clientsBlock() + clientsBlock()));
        QCOMPARE(QDir(m_dir.path()).entryList({"code.txt?*"}, QDir::Files), QStringList());

        run = cli({"code", "JUNK.DB", "a/CLIENTS.DB"}, m_dir.path());
        QCOMPARE(run.status, 1);
        QCOMPARE(run.out, crlf(clientsBlock()));
        QVERIFY(run.err.startsWith("JUNK.DB: "));
    }

    // Refused and unreadable tables are reported and the others still go in;
    // list shows what the capture wrote.
    void captureThenList() {
        Run run = cli({"capture", "nothere.db", "a/CLIENTS.DB"}, m_dir.path());
        QCOMPARE(run.status, 1);
        QVERIFY(!QFile::exists(m_dir.filePath("nothere.db")));

        run = cli({"capture", "--create", "dico.db", "JUNK.DB", "a/CLIENTS.DB", "b/clients.db",
                   "--code", "capture.txt"},
                  m_dir.path());
        QCOMPARE(run.status, 1);
        QVERIFY(run.err.contains("JUNK.DB: "));
        QVERIFY(run.err.contains("b/clients.db: Impossible operation... name of table yet used !"));
        QCOMPARE(readAll(m_dir.filePath("capture.txt")), crlf(clientsBlock()));

        run = cli({"list", "dico.db"}, m_dir.path());
        QCOMPARE(run.status, 0);
        const QStringList lines = run.out.split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 10);
        QCOMPARE(lines[0],
                 QStringLiteral("NoEnreg\tTable\tDescription\tChamp\tType\tLongueur\tCT\tCC"));
        QCOMPARE(lines[1], QStringLiteral("1\tCLIENTS.DB\t\t\t\t0\ttrue\t"));
        QCOMPARE(lines[3], QStringLiteral("3\tCLIENTS.DB\t\tNom\tString\t30\t\ttrue"));
        QCOMPARE(lines[9],
                 QStringLiteral("9\tCLIENTS.DB\tVille;Nom\tParVille\tixCaseInsensitive\t\t\ttrue"));

        run = cli({"list", "--json", "dico.db"}, m_dir.path());
        QCOMPARE(run.status, 0);
        QCOMPARE(
            run.out.split('\n', Qt::SkipEmptyParts).at(6),
            QStringLiteral("{\"NoEnreg\":7,\"Table\":\"CLIENTS.DB\",\"Description\":\"Code\","
                           "\"Champ\":null,\"Type\":\"ixUnique\",\"Longueur\":null,\"CT\":null,"
                           "\"CC\":true}"));

        // A second run continues the numbering of the existing dictionary.
        run = cli({"capture", "--create", "dico.db", "b/clients.db"}, m_dir.path());
        QCOMPARE(run.status, 1);
        QDir(m_dir.path()).mkpath("c");
        sourcetables::writeEveryKind(m_dir.filePath("c/TOUT.DB"));
        QCOMPARE(cli({"capture", "dico.db", "c/TOUT.DB"}, m_dir.path()).status, 0);
        QVERIFY(cli({"list", "dico.db"}, m_dir.path()).out.contains("\n10\tTOUT.DB\t"));
    }

    // A dictionary whose file order is not the number order (unkeyed, rows added
    // in any order, a number given twice, a row without number) is listed in
    // number order, equal numbers in file order, across several windows of rows.
    void listSortsRowsOutOfOrder() {
        const std::filesystem::path file = m_dir.filePath("heap.db").toStdString();
        const int count = 9000;
        writeUnkeyedDictionary(file, count);
        const Run run = cli({"list", "heap.db"}, m_dir.path());
        QCOMPARE(run.status, 0);
        QStringList lines = run.out.split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), count + 3);
        lines.removeFirst();
        QVERIFY(lines[0].startsWith("\tNONE\t"));
        QVERIFY(lines[43].startsWith("42\tFIRST\t"));
        QVERIFY(lines[44].startsWith("42\tSECOND\t"));
        int previous = -1;
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const int number = lines[i].section('\t', 0, 0).toInt();
            QVERIFY2(number >= previous, qPrintable(lines[i]));
            previous = number;
        }
        QCOMPARE(previous, count - 1);
    }

    void listRefusesOtherTables() {
        const Run run = cli({"list", "a/CLIENTS.DB"}, m_dir.path());
        QCOMPARE(run.status, 1);
        QVERIFY(run.err.contains("NoEnreg"));
    }
};

QTEST_GUILESS_MAIN(TestCliCommands)
#include "tst_clicommands.moc"
