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

Run runCli(const QStringList& args, bool withDisplay = false) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // The command must find its way without a display and without being told.
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    if (!withDisplay) {
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    }
    process.setProcessEnvironment(env);
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

} // namespace

class TestReportPdf : public QObject {
    Q_OBJECT

private slots:
    void pdfHoldsTheDictionary_data();
    void pdfHoldsTheDictionary();
    void badInputLeavesNoFile_data();
    void badInputLeavesNoFile();

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

QTEST_GUILESS_MAIN(TestReportPdf)
#include "tst_reportpdf.moc"
