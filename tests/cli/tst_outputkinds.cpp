// Where -o FILE (and export's script) lands when the name is not a plain file, and
// the bytes of a code file: korvanta-cli run as a real process on tables written by
// the engine. Every output is checked against the same command writing a plain file.

#include "CliRun.h"
#include "EngineTables.h"

#include "capture/CapturePlan.h"
#include "capture/CodeGenerator.h"
#include "capture/StructureReader.h"
#include "codewin/CodeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using clirun::cli;
using clirun::Run;
using engine::FieldType;
using engine::Value;

namespace {

QByteArray contentOf(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void writeFile(const QString& file, const QByteArray& bytes) {
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

// The arguments of one command with its output named `target`.
QStringList argsFor(const QString& command, const QString& target, const QString& table,
                    const QString& dict) {
    if (command == "code")
        return {"code", table, "-o", target};
    if (command == "doc")
        return {"doc", dict, "-o", target};
    return {"export", "--postgresql", target, table};
}

// The code the window shows for the table, saved by the window's own function.
QByteArray windowSave(const QString& table, const QString& file) {
    capture::CodeLines lines;
    capture::CodeGenerator generator(lines);
    capture::GenerateTableCode(capture::ReadTableStructure(table), generator);
    CodeFile::write(file, lines.lines());
    return contentOf(file);
}

// Gives the table's first field the name `cp1251Name` (same length as the name it
// had) and announces code page 1251, as a table made on a Cyrillic system has.
void renameInCp1251(const QString& table, const QByteArray& oldName, const QByteArray& cp1251Name) {
    QByteArray bytes = contentOf(table);
    const qsizetype at = bytes.indexOf(oldName + '\0');
    QVERIFY(at > 0 && oldName.size() == cp1251Name.size());
    bytes.replace(at, cp1251Name.size(), cp1251Name);
    bytes[0x6A] = char(1251 & 0xFF);
    bytes[0x6B] = char(1251 >> 8);
    writeFile(table, bytes);
}

} // namespace

class TestOutputKinds : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_table;
    QString m_dict;

    QString path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        m_table = path("CLIENTS.DB");
        enginetables::writeTable(
            m_table.toStdString(), {{"Id", FieldType::Long}, {"Nom", FieldType::Alpha, 30}},
            {{"", {"Id"}, engine::ixPrimary}}, {{Value::fromInt(1), Value::fromText("Dupont")}});
        m_dict = path("DICT.DB");
        QCOMPARE(cli({"capture", "--create", m_dict, m_table}).status, 0);
    }

    void outputGoesWhereTheNameLeads_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("kind");
        for (const char* command : {"code", "doc", "export"})
            for (const char* kind : {"-", "/dev/stdout", "fifo", "link", "/dev/null", "folder"})
                QTest::newRow(qPrintable(QString("%1 to %2").arg(command, kind)))
                    << QString(command) << QString(kind);
    }

    // What the command writes to a plain file is the oracle: every other kind of
    // name must receive exactly those bytes, or refuse with nothing changed.
    void outputGoesWhereTheNameLeads() {
        QFETCH(QString, command);
        QFETCH(QString, kind);
        const QString tag = QString(QTest::currentDataTag()).replace(' ', '_').replace('/', '_');
        const QString reference = path(tag + "-reference.md");
        QCOMPARE(cli(argsFor(command, reference, m_table, m_dict)).status, 0);
        const QByteArray expected = contentOf(reference);
        QVERIFY(expected.size() > 100);

        if (kind == "-" || kind == "/dev/stdout") {
            const Run run = cli(argsFor(command, kind, m_table, m_dict));
            QCOMPARE(run.status, 0);
            QCOMPARE(run.out, expected);
        } else if (kind == "fifo") {
            const QString fifo = path(tag);
            QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
            QByteArray received;
            std::thread reader([&] { received = contentOf(fifo); });
            const Run run = cli(argsFor(command, fifo, m_table, m_dict));
            // A command that never opened the pipe must not leave the reader waiting.
            const int unblock = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
            if (unblock >= 0)
                ::close(unblock);
            reader.join();
            QCOMPARE(run.status, 0);
            QCOMPARE(received, expected);
            QVERIFY(QFileInfo(fifo).exists() && !QFileInfo(fifo).isFile());
        } else if (kind == "link") {
            const QString real = path(tag + "-real.md");
            const QString link = path(tag + "-link.md");
            writeFile(real, "old\n");
            QVERIFY(QFile::setPermissions(real,
                                          QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
            QVERIFY(QFile::link(QFileInfo(real).fileName(), link));
            const Run run = cli(argsFor(command, link, m_table, m_dict));
            QCOMPARE(run.status, 0);
            QVERIFY(QFileInfo(link).isSymLink());
            QCOMPARE(contentOf(real), expected);
            QCOMPARE(QFileInfo(real).permissions() & 0x0777,
                     QFile::ReadUser | QFile::WriteUser | QFile::ReadGroup);
        } else if (kind == "/dev/null") {
            QCOMPARE(cli(argsFor(command, kind, m_table, m_dict)).status, 0);
            struct stat st;
            QVERIFY(::stat("/dev/null", &st) == 0 && S_ISCHR(st.st_mode));
        } else {
            const QString folder = path(tag + ".md");
            QVERIFY(QDir().mkdir(folder));
            const Run run = cli(argsFor(command, folder, m_table, m_dict));
            QCOMPARE(run.status, 1);
            QVERIFY2(run.err.contains("est un dossier"), run.err.constData());
            QVERIFY(QDir(folder).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System |
                                         QDir::NoDotAndDotDot));
        }
        // Nothing written aside is left behind.
        QCOMPARE(QDir(m_dir.path()).entryList({".*.tmp"}, QDir::AllEntries | QDir::Hidden),
                 QStringList());
    }

    // The code window's save, `code -o` and `capture --code` give the same bytes for
    // the same table (a field name in é, one in Cyrillic from a table of code page 1251):
    // Windows-1252 when it holds the text, UTF-8 behind a byte-order mark when it does not;
    // standard output keeps UTF-8.
    void codeFileHasTheWindowsBytes_data() {
        QTest::addColumn<QByteArray>("cp1251Name"); // empty: the name stays in 1252
        QTest::addColumn<QString>("fieldName");
        QTest::addColumn<bool>("byteOrderMark");
        QTest::newRow("é, which 1252 holds") << QByteArray() << QStringLiteral("Prénom") << false;
        QTest::newRow("Cyrillic, which 1252 cannot hold")
            << QByteArray("\xC8\xEC\xFF\xE5\xE3\xEE") << QStringLiteral("Имяего") << true;
    }

    void codeFileHasTheWindowsBytes() {
        QFETCH(QByteArray, cp1251Name);
        QFETCH(QString, fieldName);
        QFETCH(bool, byteOrderMark);
        const QString tag = byteOrderMark ? "CYR" : "LAT";
        const QString table = path(tag + ".DB");
        const std::string madeName = cp1251Name.isEmpty() ? fieldName.toStdString() : "Zzzzzz";
        enginetables::writeTable(table.toStdString(),
                                 {{"Id", FieldType::Long}, {madeName, FieldType::Alpha, 20}}, {},
                                 {});
        if (!cp1251Name.isEmpty())
            renameInCp1251(table, "Zzzzzz", cp1251Name);

        const QByteArray window = windowSave(table, path(tag + "-window.pas"));
        QVERIFY(window.startsWith("with TableCreate") || window.startsWith("\xEF\xBB\xBF"));
        QCOMPARE(window.startsWith("\xEF\xBB\xBF"), byteOrderMark);
        const QByteArray nameBytes = byteOrderMark ? fieldName.toUtf8() : fieldName.toLatin1();
        QVERIFY(window.contains(nameBytes));

        const QString file = path(tag + "-cli.pas");
        QCOMPARE(cli({"code", table, "-o", file}).status, 0);
        QCOMPARE(contentOf(file), window);

        // A dictionary holds its names in 1252 too: only that table can be captured.
        if (!byteOrderMark) {
            const QString captured = path(tag + "-capture.pas");
            const Run capture =
                cli({"capture", "--create", path(tag + "-DICT.DB"), table, "--code", captured});
            QCOMPARE(capture.status, 0);
            QCOMPARE(contentOf(captured), window);
        }

        const Run terminal = cli({"code", table});
        QCOMPARE(terminal.status, 0);
        QVERIFY(!terminal.out.startsWith("\xEF\xBB\xBF"));
        QVERIFY(terminal.out.contains(fieldName.toUtf8()));
        QCOMPARE(QString::fromUtf8(terminal.out).toUtf8(), terminal.out);
    }
};

QTEST_GUILESS_MAIN(TestOutputKinds)
#include "tst_outputkinds.moc"
