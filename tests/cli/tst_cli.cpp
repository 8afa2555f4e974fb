// korvanta-cli info and rows on tables whose bytes the test builds itself: the
// JSON shapes, every type's value rendering, text output, and failures.

#include "CliRun.h"
#include "EngineTables.h"
#include "tests/support/SeedTables.h"

#include "engine/Database.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

using clirun::cli;
using clirun::rawControls;
using clirun::Run;
using engine::FieldType;
using engine::Value;

QJsonObject object(const QByteArray& line) {
    QJsonParseError e;
    auto doc = QJsonDocument::fromJson(line, &e);
    if (e.error != QJsonParseError::NoError)
        qWarning() << "bad JSON line:" << line << e.errorString();
    return doc.object();
}

QString b64(const QByteArray& raw) {
    return QString::fromLatin1(raw.toBase64());
}

QByteArray contentsOf(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// What a command must show, and where: on standard output, in the file it wrote,
// or (for a failure) on standard error.
struct TerminalCase {
    const char* name;
    QStringList args;
    int status;
    QString file;         // empty: standard output
    bool tabSeparated;    // the output's own tabs are allowed
    QByteArrayList shown; // the escaped forms that must be there
};

} // namespace

class TestCli : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_table; // every type, three rows, primary + three secondary indexes
    QString m_unkeyed;

    QString write(const testsupport::SeedTable& seed, const QString& stem) {
        tableimage::writeFamily(m_dir.path().toStdString(), stem.toStdString(), seed.family);
        return m_dir.filePath(stem + ".DB");
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        using namespace testsupport::seeds;
        m_table = write(
            everyType(
                true,
                {{"ByName", {1}, 0x01, true}, {"", {3}, 0, false}, {"Mix", {2, 1}, 0x21, true}},
                "x"),
            "EVERY");
        m_unkeyed = write(everyType(false, {}, "x"), "HEAP");
    }

    // The code a dictionary recorded is the code its capture gave, line for line, but
    // for the one thing it cannot know: the options of an index whose label it
    // inherited from the index before (written without any).
    void codeFromADictionary() {
        const QString dict = m_dir.filePath(QStringLiteral("CODEDICT.DB")),
                      captured = m_dir.filePath(QStringLiteral("captured.pas")),
                      recorded = m_dir.filePath(QStringLiteral("recorded.pas"));
        QCOMPARE(cli({"capture", "--create", dict, m_unkeyed, m_table, "--code", captured}).status,
                 0);
        QCOMPARE(cli({"code", dict, "-o", recorded}).status, 0);
        const QList<QByteArray> was = contentsOf(captured).split('\n'),
                                now = contentsOf(recorded).split('\n');
        QCOMPARE(now.size(), was.size());
        QList<QByteArray> changed;
        for (qsizetype i = 0; i < was.size(); ++i)
            if (was[i] != now[i])
                changed << was[i] << now[i];
        QCOMPARE(changed.size(), 2);
        QVERIFY2(changed[0].endsWith(",[ixCaseInsensitive]);\r") &&
                     changed[1].endsWith(",[]);\r") &&
                     changed[0].left(changed[0].lastIndexOf('[')) ==
                         changed[1].left(changed[1].lastIndexOf('[')),
                 changed.join('|'));

        const Run heap = cli({"code", dict, "heap.db"});
        QCOMPARE(heap.status, 0);
        QVERIFY(heap.out.contains("// Beginning generation HEAP"));
        QVERIFY(!heap.out.contains("EVERY"));
        const Run missing = cli({"code", dict, "NOPE.DB"});
        QCOMPARE(missing.status, 1);
        QVERIFY2(missing.err.contains("NOPE.DB: no such table"), missing.err);
    }

    void helpAndUsage() {
        Run help = cli({"--help"});
        QCOMPARE(help.status, 0);
        QVERIFY(help.out.contains("info [--json] TABLE.db..."));
        QVERIFY(help.out.contains("rows [--json] TABLE.db"));
        QCOMPARE(cli({}).status, 2);
        QCOMPARE(cli({"nonsense"}).status, 2);
        QCOMPARE(cli({"info", "--bogus", m_table}).status, 2);
        QCOMPARE(cli({"info"}).status, 2);
        QCOMPARE(cli({"rows", m_table, m_unkeyed}).status, 2);
    }

    // The start of every command but report loads Qt Core alone: the dynamic
    // loader's own trace names each library it maps.
    void startLoadsNoDrawingLibrary() {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("LD_DEBUG"), QStringLiteral("libs"));
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(KV_CLI_PATH), {QStringLiteral("info"), m_table});
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitCode(), 0);
        const QByteArray trace = p.readAllStandardError();
        QVERIFY(trace.contains("libQt6Core.so"));
        QVERIFY(!trace.contains("libQt6Gui.so"));
        QVERIFY(!trace.contains("libQt6Widgets.so"));
    }

    void infoJsonShape() {
        Run r = cli({"info", "--json", m_table});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.lines().size(), 1);
        // Keys come in the documented order, not sorted.
        const QByteArray line = r.lines().first();
        QVERIFY2(line.startsWith("{\"path\":") &&
                     line.indexOf("\"versionByte\"") < line.indexOf("\"codePage\"") &&
                     line.indexOf("\"sortOrder\"") < line.indexOf("\"records\"") &&
                     line.indexOf("\"records\"") < line.indexOf("\"fields\"") &&
                     line.indexOf("\"fields\"") < line.indexOf("\"indexes\""),
                 line.constData());
        QJsonObject o = object(line);
        QCOMPARE(o["path"].toString(), m_table);
        QCOMPARE(o["versionByte"].toInt(), 12);
        QCOMPARE(o["codePage"].toInt(), 1252);
        QCOMPARE(o["sortOrder"].toString(), QStringLiteral("DBWINUS0"));
        QCOMPARE(o["records"].toInt(), 3);
    }

    void infoFields_data() {
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("typeCode");
        QTest::addColumn<QString>("typeName");
        QTest::addColumn<int>("displayWidth");
        const struct {
            const char* name;
            int code;
            const char* type;
            int width;
        } expected[] = {
            {"Id", 3, "ftInteger", 10},       {"Name", 1, "ftString", 12},
            {"Day", 9, "ftDate", 10},         {"Small", 2, "ftSmallInt", 10},
            {"Price", 7, "ftCurrency", 10},   {"Ratio", 6, "ftFloat", 10},
            {"Flag", 5, "ftBoolean", 10},     {"Notes", 16, "ftMemo", 10},
            {"Data", 15, "ftBLOB", 10},       {"Rich", 18, "ftFmtMemo", 10},
            {"Obj", 19, "ftParadoxOle", 10},  {"Pic", 17, "ftGraphic", 10},
            {"At", 10, "ftTime", 10},         {"Stamp", 11, "ftDateTime", 10},
            {"Counter", 14, "ftAutoInc", 10}, {"Amount", 8, "ftBCD", 10},
            {"Raw", 12, "ftBytes", 10},
        };
        int i = 0;
        for (const auto& e : expected) {
            QTest::newRow(e.name) << i++ << QString(e.name) << e.code << QString(e.type) << e.width;
        }
    }
    void infoFields() {
        QFETCH(int, position);
        QJsonArray fields =
            object(cli({"info", "--json", m_table}).lines().value(0))["fields"].toArray();
        QCOMPARE(fields.size(), 17);
        QJsonObject f = fields[position].toObject();
        QTEST(f["name"].toString(), "name");
        QTEST(f["typeCode"].toInt(), "typeCode");
        QTEST(f["typeName"].toString(), "typeName");
        QTEST(f["displayWidth"].toInt(), "displayWidth");
    }

    void infoIndexes() {
        QJsonArray ix =
            object(cli({"info", "--json", m_table}).lines().value(0))["indexes"].toArray();
        auto options = [](const QJsonValue& v) {
            QStringList l;
            for (const auto& o : v.toObject()["options"].toArray())
                l << o.toString();
            return l.join(',');
        };
        QCOMPARE(ix.size(), 4);
        // Primary first, then the single-field index, then the named ones by number.
        QCOMPARE(ix[0].toObject()["name"].toString(), QString());
        QCOMPARE(ix[0].toObject()["fields"].toString(), QStringLiteral("Id"));
        QCOMPARE(options(ix[0]), QStringLiteral("ixPrimary,ixUnique"));
        QCOMPARE(ix[1].toObject()["name"].toString(), QStringLiteral("Small"));
        QCOMPARE(options(ix[1]), QString());
        QCOMPARE(ix[2].toObject()["name"].toString(), QStringLiteral("ByName"));
        QCOMPARE(ix[2].toObject()["fields"].toString(), QStringLiteral("Name"));
        QCOMPARE(options(ix[2]), QStringLiteral("ixCaseInsensitive"));
        QCOMPARE(ix[3].toObject()["name"].toString(), QStringLiteral("Mix"));
        QCOMPARE(ix[3].toObject()["fields"].toString(), QStringLiteral("Day;Name"));
        QCOMPARE(options(ix[3]), QStringLiteral("ixUnique,ixCaseInsensitive"));
    }

    void infoContinuesPastAFailure() {
        const QString missing = m_dir.filePath("NOPE.DB");
        QFile junk(m_dir.filePath("JUNK.DB"));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("this is not a table at all");
        junk.close();
        Run r = cli({"info", "--json", missing, m_table, junk.fileName()});
        QCOMPARE(r.status, 1);
        QCOMPARE(r.lines().size(), 3);
        QJsonObject first = object(r.lines()[0]);
        QCOMPARE(first["path"].toString(), missing);
        QVERIFY(!first["error"].toString().isEmpty());
        QVERIFY(first.contains("error") && !first.contains("fields"));
        QCOMPARE(object(r.lines()[1])["records"].toInt(), 3);
        QVERIFY(!object(r.lines()[2])["error"].toString().isEmpty());

        Run text = cli({"info", m_table});
        QCOMPARE(text.status, 0);
        QVERIFY(text.out.contains("ftParadoxOle"));
        QVERIFY(text.out.contains("ByName"));
    }

    void rowsJsonValues_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QJsonValue>("expected");
        auto add = [](int row, const char* field, QJsonValue v) {
            QTest::addRow("%d %s", row, field) << row << QString(field) << v;
        };
        add(0, "Id", 1);
        add(0, "Name", "alpha 0");
        add(1, "Name", QString::fromUtf8("Zéro café"));
        add(0, "Day", "1996-05-04");
        add(0, "Small", 100);
        add(1, "Small", -32767);
        add(0, "Price", 19.99);
        add(1, "Price", -1234.5);
        add(0, "Ratio", 3.14159);
        add(1, "Ratio", -0.001);
        add(0, "Flag", true);
        add(1, "Flag", false);
        add(0, "Notes", "short");           // in the record's leader
        add(1, "Notes", QString(100, 'm')); // suballocated .MB block
        add(0, "Data", b64(QByteArray(17, char(0xA0))));
        add(1, "Data", b64(QByteArray(2500, char(0xA1)))); // single .MB block
        add(0, "Rich", b64(QByteArray(30, 'f')));          // formatted memos are bytes
        add(0, "Obj", b64(QByteArray("\x01\x00\x00\x02", 4) + QByteArray(50, 'o')));
        add(0, "Pic", b64(QByteArray(40, 'P'))); // picture prefix removed
        add(1, "Pic", b64(QByteArray(3000, 'Q')));
        add(0, "At", "13:45:10.250");
        add(0, "Stamp", "2020-02-01T01:00:01.000");
        add(1, "Stamp", "2020-02-01T01:00:01.001");
        add(0, "Counter", 1);
        add(1, "Amount", "-1.23");
        add(0, "Raw", b64(QByteArray("\x00\x01\x00\xFF", 4)));
        for (const char* f : {"Name", "Day", "Small", "Price", "Flag", "Notes", "Data", "Pic", "At",
                              "Stamp", "Amount", "Raw"})
            add(2, f, QJsonValue(QJsonValue::Null));
    }
    void rowsJsonValues() {
        QFETCH(int, row);
        QFETCH(QString, field);
        QFETCH(QJsonValue, expected);
        static Run r = cli({"rows", "--json", m_table});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.lines().size(), 3);
        QJsonObject o = object(r.lines()[row]);
        QCOMPARE(o.size(), 17);
        QVERIFY2(o.contains(field), qPrintable(field));
        QCOMPARE(o[field], expected);
    }

    void rowsBcdKeepsItsScale() {
        QJsonObject o = object(cli({"rows", "--json", m_table}).lines().value(0));
        QCOMPARE(o["Amount"].toString().toDouble(), 40.5);
    }

    void rowsTextAndChainOrder() {
        Run r = cli({"rows", m_unkeyed});
        QCOMPARE(r.status, 0);
        QList<QByteArray> lines = r.lines();
        QCOMPARE(lines.size(), 4);
        QVERIFY(lines[0].startsWith("Id\tName\tDay\tSmall\t"));
        QCOMPARE(lines[0].count('\t'), 16);
        QVERIFY(lines[1].startsWith("1\talpha 0\t1996-05-04\t100\t"));
        // The NULL row: only the key and the counter have values.
        QList<QByteArray> cells = lines[3].split('\t');
        QCOMPARE(cells.size(), 17);
        QCOMPARE(cells[0], QByteArray("3"));
        QCOMPARE(cells[1], QByteArray());
        QCOMPARE(cells[14], QByteArray("3"));
    }

    void rowsOfDamagedTableFail() {
        // A chain pointing past the end of the file: the error goes to stderr, status 1.
        auto seed = testsupport::seeds::multiBlock();
        auto& db = seed.family["DB"];
        size_t headerSize = tableimage::get16(db, 2);
        tableimage::put16(db, headerSize, 0x4000);
        const QString path = write(seed, "BROKEN");
        Run r = cli({"rows", "--json", path});
        QCOMPARE(r.status, 1);
        QVERIFY(r.err.contains("BROKEN"));
        Run missing = cli({"rows", m_dir.filePath("ABSENT.DB")});
        QCOMPARE(missing.status, 1);
        QVERIFY(!missing.err.isEmpty());
    }

    // verify: status 0 and silence for a whole table; 1 and one line per damage, file
    // then damage, for a copy whose header miscounts its rows; 2 when a table cannot be
    // read at all, the others still said.
    void verifyStatuses() {
        namespace fs = std::filesystem;
        const fs::path whole = fs::path(m_dir.filePath("verify").toStdString()) / "WHOLE.DB";
        const fs::path damaged = whole.parent_path() / "damaged" / "WHOLE.DB";
        fs::create_directories(damaged.parent_path());
        std::vector<engine::Row> rows;
        for (int k = 1; k <= 200; ++k)
            rows.push_back({Value::fromInt(k), Value::fromText(std::string(60, 'x'))});
        enginetables::writeTable(whole, {{"K", FieldType::Long}, {"T", FieldType::Alpha, 60}},
                                 {{"", {"K"}, engine::ixPrimary}}, rows);
        for (const char* ext : {".DB", ".PX"})
            fs::copy_file(fs::path(whole).replace_extension(ext),
                          fs::path(damaged).replace_extension(ext));
        QFile db(QString::fromStdString(damaged.string()));
        QVERIFY(db.open(QIODevice::ReadWrite) && db.seek(6) && db.write("\xC9", 1) == 1);
        db.close();
        const QString wholeName = QString::fromStdString(whole.string());
        const QString damagedName = QString::fromStdString(damaged.string());
        const Run ok = cli({"verify", wholeName});
        QCOMPARE(ok.status, 0);
        QVERIFY(ok.out.isEmpty() && ok.err.isEmpty());
        const Run bad = cli({"verify", wholeName, damagedName});
        QCOMPARE(bad.status, 1);
        QCOMPARE(bad.lines(),
                 QList<QByteArray>{damagedName.toUtf8() +
                                   ": WHOLE.DB: l'en-tête annonce 201 lignes mais la chaîne en "
                                   "contient 200"});
        const Run trouble = cli({"verify", damagedName, m_dir.filePath("ABSENT.DB")});
        QCOMPARE(trouble.status, 2);
        QCOMPARE(trouble.lines().size(), 1);
        QVERIFY(trouble.err.contains("ABSENT.DB"));
    }

    // Table names, field names, values and descriptions holding ESC, BEL, escape
    // sequences, C1 controls, CR, DEL and HTML specials: no command writes one of
    // them raw, whatever its format, and each shows the escaped form instead.
    void controlCharactersAreSpelledOut() {
        engine::initialise();
        const QString dir = m_dir.filePath(QStringLiteral("hostile"));
        QVERIFY(QDir().mkpath(dir));
        const QString table = dir + QString::fromUtf8("/T\x1b[1m\x07\r\xc2\x81<&>.db");
        const QString field = QString::fromUtf8("F\x1b]0;pwn\x07");
        enginetables::writeTable(table.toStdString(),
                                 {{"Id", FieldType::Long},
                                  {field.toStdString(), FieldType::Alpha, 40},
                                  {"<b>&\"'\xc2\x9d\r\x7f", FieldType::Memo, 10}},
                                 {{"", {"Id"}, engine::ixPrimary}},
                                 {{Value::fromInt(1), Value::fromText("\x1b[2J\x07\xc2\x90\r<i>&"),
                                   Value::fromText("\x1b[2J\xc2\x8d\x7f")}});
        const QString dict = dir + QStringLiteral("/DICT.DB");
        QCOMPARE(cli({"capture", "--create", dict, table}).status, 0);
        const QString recorded =
            object(cli({"list", "--json", dict}).lines().value(0))["Table"].toString();
        const QString description = QString::fromUtf8("D\x1b[1m\x07\xc2\x8d\r<script>&'\" C:\\dir");
        enginetables::describe(dict, recorded, QString(), description);
        enginetables::describe(dict, recorded, field, description);
        // Not in the dictionary: check names it as added.
        enginetables::writeTable(dir.toStdString() + "/U\x1b[5m.db",
                                 {{"X\x1b[7m", FieldType::Alpha, 5}}, {}, {});

        const QString html = dir + QStringLiteral("/doc.html"),
                      md = dir + QStringLiteral("/doc.md");
        const QString missing = dir + QString::fromUtf8("/Z\x1b[2J.db");
        const TerminalCase cases[] = {
            {"list", {"list", dict}, 0, {}, true, {"\\x1b[1m\\x07\\r\\u0081", "\\u008d"}},
            {"list json", {"list", "--json", dict}, 0, {}, false, {"\\u001b", "\\u0081"}},
            {"info", {"info", table}, 0, {}, true, {"F\\x1b]0;pwn\\x07", "\\u009d\\r\\x7f"}},
            {"info json", {"info", "--json", table}, 0, {}, false, {"\\u001b", "\\u007f"}},
            // C1 controls are bytes the table's page leaves undefined: rows says so (status 1).
            {"rows", {"rows", table}, 1, {}, true, {"\\x1b[2J\\x07\\u0090\\r<i>&"}},
            {"rows json", {"rows", "--json", table}, 1, {}, false, {"\\u0090", "\\u008d"}},
            {"check", {"check", dict, dir}, 1, {}, true, {"U\\x1b[5m.db\ttableAdded"}},
            {"check json", {"check", "--json", dict, dir}, 1, {}, false, {"U\\u001b[5m.db"}},
            {"doc html",
             {"doc", dict, "-o", html},
             0,
             html,
             false,
             {"\\x1b[1m\\x07\\u008d &lt;script&gt;&amp;&#39;&quot; C:\\dir"}},
            {"doc markdown",
             {"doc", dict, "-o", md},
             0,
             md,
             false,
             {"\\\\x1b\\[1m\\\\x07\\\\u008d \\<script\\>&'\""}},
            {"ddl",
             {"ddl", "--dialect", "postgresql", dict},
             0,
             {},
             false,
             {"U&\"F\\001B]0;pwn\\0007\""}},
            {"failure", {"info", missing}, 1, {}, false, {"Z\\x1b[2J.db: "}},
        };
        for (const TerminalCase& c : cases) {
            const Run r = cli(c.args);
            QVERIFY2(r.status == c.status, c.name);
            const QByteArray shown = c.file.isEmpty()
                                         ? (c.status && r.out.isEmpty() ? r.err : r.out)
                                         : contentsOf(c.file);
            QVERIFY2(rawControls(shown, c.tabSeparated).isEmpty(),
                     qPrintable(QString(c.name) + ": " + rawControls(shown, c.tabSeparated)));
            QVERIFY2(rawControls(r.err, false).isEmpty(), c.name);
            for (const QByteArray& escaped : c.shown)
                QVERIFY2(shown.contains(escaped), qPrintable(QString(c.name) + ": " + shown));
        }
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
