// korvanta-cli check, doc and ddl on a dictionary of tables our engine made: the
// tables are then made again with a field added, one resized, one retyped and an
// index dropped, one table deleted and another added, and the check must name each
// change. Descriptions written into the dictionary come out escaped in the documents
// and as comments in the DDL.

#include "CliRun.h"
#include "EngineTables.h"

#include "engine/Cursor.h"
#include "engine/Database.h"
#include "engine/TableDefinition.h"
#include "engine/TableFile.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

using clirun::cli;
using clirun::Run;
using engine::FieldType;
using enginetables::describe;

namespace {

std::string utf8(const QString& s) {
    return s.toStdString();
}

QSet<QString> changes(const Run& r) {
    QSet<QString> out;
    for (const QByteArray& line : r.lines()) {
        const QJsonObject o = QJsonDocument::fromJson(line).object();
        out.insert(o["table"].toString() + ' ' + o["change"].toString() + ' ' +
                   o["name"].toString());
    }
    return out;
}

} // namespace

class TestDrift : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_tables, m_dict;

    QString table(const char* name) const { return m_tables + '/' + name; }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        engine::initialise();
        m_tables = m_dir.filePath(QStringLiteral("tables"));
        QVERIFY(QDir().mkpath(m_tables));
        engine::createTable(
            utf8(table("PEOPLE.DB")),
            {{"Id", FieldType::Long}, {"Name", FieldType::Alpha, 20}, {"Born", FieldType::Date}},
            {{"", {"Id"}, engine::ixPrimary}, {"ByName", {"Name"}, engine::ixCaseInsensitive}});
        engine::createTable(utf8(table("GONE.DB")), {{"Code", FieldType::Short}},
                            {{"", {"Code"}, engine::ixPrimary}});
        m_dict = m_dir.filePath(QStringLiteral("DICT.DB"));
        QCOMPARE(cli({"capture", "--create", m_dict, table("PEOPLE.DB"), table("GONE.DB")}).status,
                 0);
        describe(m_dict, QStringLiteral("PEOPLE.DB"), QString(), QStringLiteral("Les <gens> & co"));
        describe(m_dict, QStringLiteral("PEOPLE.DB"), QStringLiteral("Name"),
                 QStringLiteral("nom d'usage"));
    }

    void unchangedTablesAgree() {
        Run r = cli({"check", m_dict, m_tables});
        QCOMPARE(r.status, 0);
        QVERIFY(r.out.isEmpty());
    }

    void descriptionsInDdlAndDocuments() {
        Run pg = cli({"ddl", "--dialect", "postgresql", m_dict});
        QCOMPARE(pg.status, 0);
        QVERIFY(pg.out.contains("COMMENT ON TABLE \"PEOPLE\" IS 'Les <gens> & co';"));
        QVERIFY(pg.out.contains("COMMENT ON COLUMN \"PEOPLE\".\"Name\" IS 'nom d''usage';"));
        QVERIFY(pg.out.contains("CREATE INDEX \"PEOPLE_ByName\" ON \"PEOPLE\" (lower(\"Name\"));"));
        QVERIFY(pg.out.contains("PRIMARY KEY (\"Id\")"));
        Run lite = cli({"ddl", "--dialect", "sqlite", m_dict});
        QVERIFY(lite.out.contains("\"Name\" TEXT, -- nom d'usage"));
        QVERIFY(lite.out.contains("(\"Name\" COLLATE NOCASE)"));

        const QString html = m_dir.filePath(QStringLiteral("dict.html"));
        QCOMPARE(cli({"doc", m_dict, "-o", html}).status, 0);
        QFile h(html);
        QVERIFY(h.open(QIODevice::ReadOnly));
        const QByteArray page = h.readAll();
        QVERIFY(page.contains("<a href=\"#table-1\">PEOPLE.DB</a>"));
        QVERIFY(page.contains("<h2 id=\"table-1\">PEOPLE.DB</h2>"));
        QVERIFY(page.contains("Les &lt;gens&gt; &amp; co"));
        QVERIFY(page.contains("<td>Name</td><td>String</td><td>20</td><td>nom d&#39;usage</td>"));
        const QString md = m_dir.filePath(QStringLiteral("dict.md"));
        QCOMPARE(cli({"doc", m_dict, "-o", md}).status, 0);
        QFile m(md);
        QVERIFY(m.open(QIODevice::ReadOnly));
        const QByteArray text = m.readAll();
        QVERIFY(text.contains("2. [GONE.DB](#table-2)"));
        QVERIFY(text.contains("| ByName | Name | ixCaseInsensitive |"));
        QCOMPARE(cli({"doc", m_dict, "-o", m_dir.filePath("dict.pdf")}).status, 2);
    }

    void changedTablesAreNamed() {
        engine::createTable(utf8(table("PEOPLE.DB")),
                            {{"Id", FieldType::Long},
                             {"Name", FieldType::Alpha, 30},
                             {"Born", FieldType::Timestamp},
                             {"Extra", FieldType::Memo, 10}},
                            {{"", {"Id"}, engine::ixPrimary}});
        engine::deleteTable(utf8(table("GONE.DB")));
        engine::createTable(utf8(table("OTHER.DB")), {{"X", FieldType::Alpha, 5}}, {});
        Run r = cli({"check", "--json", m_dict, m_tables});
        QCOMPARE(r.status, 1);
        const QSet<QString> expected = {
            "PEOPLE.DB fieldResized Name", "PEOPLE.DB fieldRetyped Born",
            "PEOPLE.DB fieldAdded Extra",  "PEOPLE.DB indexRemoved ByName",
            "GONE.DB tableMissing ",       "OTHER.DB tableAdded "};
        QCOMPARE(changes(r), expected);
        // Given tables, only they are compared: nothing is missing.
        Run one = cli({"check", m_dict, table("PEOPLE.DB")});
        QCOMPARE(one.status, 1);
        QCOMPARE(one.lines().size(), 4);
        QVERIFY(one.out.contains("PEOPLE.DB\tfieldResized\tName\tString 20 -> String 30"));
        // A table that cannot be read is trouble, not a difference: status 2, as diff.
        Run unreadable = cli({"check", m_dict, table("ABSENT.DB")});
        QCOMPARE(unreadable.status, 2);
        QVERIFY(unreadable.err.contains("ABSENT.DB"));
        QCOMPARE(cli({"check", m_dict}).status, 2);
    }
};

QTEST_GUILESS_MAIN(TestDrift)
#include "tst_drift.moc"
