// korvanta-cli report, run as a real process: the PDF it writes, read back
// as a reader would, and what it does with bad input.

#include "DictionaryFile.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

Run runCli(const QStringList& args, bool withDisplay = false, const QString& outputFile = {}) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // The command must find its way without a display and without being told.
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    if (!withDisplay) {
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    }
    process.setProcessEnvironment(env);
    if (!outputFile.isEmpty())
        process.setStandardOutputFile(outputFile);
    process.start(QStringLiteral(KV_CLI_PATH), QStringList{"report"} + args);
    if (!process.waitForFinished(120000))
        return {};
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

// Pages as the PDF's page objects count them.
int pageObjects(const QByteArray& pdf) {
    return int(pdf.count("/Type /Page\n")) + int(pdf.count("/Type /Page\r")) +
           int(pdf.count("/Type /Page "));
}

QString pdfText(const QString& pdf, const QString& tool) {
    QProcess process;
    process.start(tool, {"-layout", pdf, "-"});
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A small file system of its own (tmpfs), unmounted when done; needs the
// right to mount.
class SmallDisk {
public:
    SmallDisk(const QString& dir, qint64 bytes) : m_dir(dir) {
        QDir().mkpath(dir);
        m_mounted = QProcess::execute(QStringLiteral("mount"),
                                      {"-t", "tmpfs", "-o", QStringLiteral("size=%1").arg(bytes),
                                       "tmpfs", dir}) == 0;
    }
    ~SmallDisk() {
        if (m_mounted)
            QProcess::execute(QStringLiteral("umount"), {m_dir});
    }
    bool mounted() const { return m_mounted; }

private:
    QString m_dir;
    bool m_mounted = false;
};

} // namespace

class TestReportPdf : public QObject {
    Q_OBJECT

private slots:
    void pdfHoldsTheDictionary_data();
    void pdfHoldsTheDictionary();
    void badInputLeavesNoFile_data();
    void badInputLeavesNoFile();
    void fullDiskKeepsTheOldPdf();

private:
    QTemporaryDir m_dir;
};

void TestReportPdf::pdfHoldsTheDictionary_data() {
    QTest::addColumn<QStringList>("language");
    QTest::newRow("default French") << QStringList{};
    QTest::newRow("English") << QStringList{"--lang", "en"};
}

void TestReportPdf::pdfHoldsTheDictionary() {
    QFETCH(QStringList, language);
    const QString dicoPath = m_dir.filePath(QStringLiteral("PDF%1.DB").arg(language.size()));
    {
        DictionaryFile dico(dicoPath);
        dico.addTable("CLIENTS.DB", {{"Code", "client number", "ftAutoInc", {}},
                                     {"Nom", "surname", "ftString", 30}});
        QList<FieldEntry> many;
        for (int i = 1; i <= 150; ++i)
            many << FieldEntry{QStringLiteral("F%1").arg(i), {}, "ftInteger", {}};
        dico.addTable("ARTICLES.DB", many);
    }
    const QString pdf = m_dir.filePath(QStringLiteral("out%1.pdf").arg(language.size()));
    const Run run = runCli(QStringList{dicoPath, "-o", pdf} + language);
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));

    QFile file(pdf);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.startsWith("%PDF-"));
    QVERIFY(bytes.contains("/FontFile2")); // fonts embedded
    // 2 headings and 152 field rows need more than three pages at 15 units a row.
    const int pages = pageObjects(bytes);
    QVERIFY2(pages >= 3, qPrintable(QString::number(pages)));
    QVERIFY(run.out.contains(QString::number(pages) + " pages"));

    const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (tool.isEmpty())
        QSKIP("pdftotext is not installed: the text was not read back");
    const QString text = pdfText(pdf, tool);
    QVERIFY(text.contains("Dictionnaire: " + dicoPath));
    for (const QString& expected :
         {"ARTICLES.DB", "CLIENTS.DB", "client number", "surname", "F150", "ftAutoInc"})
        QVERIFY2(text.contains(expected), qPrintable(expected));
    QVERIFY(text.indexOf("ARTICLES.DB") < text.indexOf("CLIENTS.DB"));
    // The footer of every page, in page order.
    QList<int> numbers;
    const QRegularExpression footer(QStringLiteral("Page -\\s+(\\d+)\\s*$"),
                                    QRegularExpression::MultilineOption);
    for (const QRegularExpressionMatch& m : footer.globalMatch(text))
        numbers << m.captured(1).toInt();
    QList<int> expectedNumbers;
    for (int i = 1; i <= pages; ++i)
        expectedNumbers << i;
    QCOMPARE(numbers, expectedNumbers);
}

void TestReportPdf::badInputLeavesNoFile_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("missing dictionary") << QStringList{"NOPE.DB", "-o", "@pdf"} << 1;
    QTest::newRow("not a dictionary") << QStringList{"@junk", "-o", "@pdf"} << 1;
    QTest::newRow("no output") << QStringList{"@junk"} << 2;
    QTest::newRow("unknown language") << QStringList{"@junk", "-o", "@pdf", "--lang", "de"} << 2;
    QTest::newRow("unwritable output") << QStringList{"@dico", "-o", "/nonexistent/dir/x.pdf"} << 1;
}

void TestReportPdf::badInputLeavesNoFile() {
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    const QString junk = m_dir.filePath("JUNK.DB");
    QFile f(junk);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("not a table at all");
    f.close();
    const QString dicoPath = m_dir.filePath("BAD.DB");
    if (!QFile::exists(dicoPath))
        DictionaryFile(dicoPath).addTable("A.DB", {});
    const QString pdf = m_dir.filePath("bad.pdf");
    args.replaceInStrings("@pdf", pdf)
        .replaceInStrings("@junk", junk)
        .replaceInStrings("@dico", dicoPath);
    const Run run = runCli(args);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY(!run.err.isEmpty());
    QVERIFY(!QFile::exists(pdf));
    QCOMPARE(QDir(m_dir.path()).entryList({"bad.pdf*"}, QDir::Files), QStringList{});
}

// The report does not fit on the disk left: the command says so and fails,
// and the PDF written before is still there, byte for byte.
void TestReportPdf::fullDiskKeepsTheOldPdf() {
    const QString smallDico = m_dir.filePath("SMALL.DB");
    const QString bigDico = m_dir.filePath("BIG.DB");
    DictionaryFile(smallDico).addTable("A.DB", {{"Code", {}, "ftInteger", {}}});
    {
        DictionaryFile dico(bigDico);
        for (int t = 0; t < 20; ++t) {
            QList<FieldEntry> fields;
            for (int i = 1; i <= 40; ++i)
                fields << FieldEntry{QStringLiteral("CHAMP%1").arg(i), "a described field",
                                     "ftString", 20};
            dico.addTable(QStringLiteral("T%1.DB").arg(t), fields);
        }
    }
    const QString oldPdf = m_dir.filePath("old.pdf");
    const QString bigPdf = m_dir.filePath("big.pdf");
    QCOMPARE(runCli({smallDico, "-o", oldPdf}).exitCode, 0);
    QCOMPARE(runCli({bigDico, "-o", bigPdf}).exitCode, 0);
    const QByteArray old = contents(oldPdf);
    const qint64 bigSize = QFileInfo(bigPdf).size();
    QVERIFY2(bigSize > 8 * 4096, qPrintable(QString::number(bigSize)));

    // Room for the old file and half the new one.
    const QString mountPoint = m_dir.filePath("disk");
    SmallDisk disk(mountPoint, old.size() + bigSize / 2);
    if (!disk.mounted())
        QSKIP("no right to mount a small file system here");
    const QString target = mountPoint + "/report.pdf";
    QVERIFY(QFile::copy(oldPdf, target));
    const Run run = runCli({bigDico, "-o", target});
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains("report.pdf") && run.err.contains(strerror(ENOSPC)),
             qPrintable(run.err));
    QVERIFY(!run.out.contains("pages"));
    QCOMPARE(contents(target), old);
    QCOMPARE(QDir(mountPoint).entryList(QDir::Files | QDir::Hidden), QStringList{"report.pdf"});

    // Standard output that cannot be written is not a success either.
    const Run full = runCli({smallDico, "-o", m_dir.filePath("again.pdf")}, false, "/dev/full");
    QCOMPARE(full.exitCode, 1);
}

QTEST_GUILESS_MAIN(TestReportPdf)
#include "tst_reportpdf.moc"
