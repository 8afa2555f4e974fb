#include "ClientsExample.h"
#include "capture/CapturePlan.h"
#include "capture/CodeGenerator.h"

#include <QTest>

using namespace capture;

namespace {

QStringList generate(const TableStructure& table) {
    CodeLines text;
    CodeGenerator generator(text);
    GenerateTableCode(table, generator);
    return text.lines();
}

TableStructure tableWith(const QList<SourceIndex>& indexes) {
    TableStructure t;
    t.tableName = QStringLiteral("T.DB");
    t.fields = {{QStringLiteral("Id"), 3, 10}, {QStringLiteral("Nom"), 1, 25}};
    t.indexes = indexes;
    return t;
}

// The lines of a two-field block after its field definitions (9 + 2 + 2 lines).
QStringList afterFields(const QStringList& block) {
    return block.mid(13);
}

const QString kCreate = QStringLiteral("  TableCreate.CreateTable; // Table creation ");
const QString kPrimaryClear = QStringLiteral("  TableCreate.IndexDefs.Clear;");
const QStringList kHeader = {QString(), QStringLiteral("  With IndexDefs do  // Secondary  index"),
                             QStringLiteral("  Begin")};
const QStringList kClosing = {QStringLiteral("end; // End of creation T.DB"), QString(), QString()};

QString primaryLine(const QString& fields) {
    return QStringLiteral("  TableCreate.IndexDefs.Add('','%1',[ixPrimary]);  // Primary Index ")
        .arg(fields);
}

} // namespace

class TestCodeGenerator : public QObject {
    Q_OBJECT
private slots:
    void customerTableGivesTheReferenceBlock() {
        CodeLines text;
        CodeGenerator generator(text);
        GenerateTableCode(clientsTable(), generator);
        generator.ShowLineCount();

        QCOMPARE(text.lines(), clientsBlock());
        QCOMPARE(text.title(), QStringLiteral("Delphi code - Lines generated: 29"));
        QVERIFY(text.toCrLfText().endsWith(QStringLiteral("CLIENTS.DB\r\n\r\n\r\n")));
        QCOMPARE(text.toCrLfText().count(QStringLiteral("\r\n")), 29);
    }

    void indexPartOfTheBlock_data() {
        QTest::addColumn<QList<SourceIndex>>("indexes");
        QTest::addColumn<QStringList>("expected");
        const QString id = QStringLiteral("Id");

        QTest::newRow("no index: creation, nothing about IndexDefs")
            << QList<SourceIndex>{} << (QStringList{QString(), kCreate} + kClosing);
        QTest::newRow("primary only: no secondary block")
            << QList<SourceIndex>{{QString(), id, ixPrimary | ixUnique}}
            << (QStringList{kPrimaryClear, primaryLine(id), QString(), kCreate} + kClosing);
        QTest::newRow("second index on the key fields: header but no AddIndex")
            << QList<SourceIndex>{{QString(), id, ixPrimary},
                                  {QStringLiteral("ParId"), id, ixCaseInsensitive}}
            << (QStringList{kPrimaryClear, primaryLine(id), QString(), kCreate} + kHeader +
                QStringList{QStringLiteral("  end; {IndexDefs}")} + kClosing);
        QTest::newRow("own options only: none gives [], unique+descending gives the last")
            << QList<SourceIndex>{{QString(), id, ixPrimary},
                                  {QStringLiteral("A"), QStringLiteral("Nom"), 0},
                                  {QStringLiteral("B"), QStringLiteral("Nom;Id"),
                                   ixUnique | ixDescending}}
            << (QStringList{kPrimaryClear, primaryLine(id), QString(), kCreate} + kHeader +
                QStringList{QStringLiteral("   TableCreate.AddIndex('A','Nom',[]);"),
                            QStringLiteral("   TableCreate.AddIndex('B','Nom;Id',[ixDescending]);"),
                            QStringLiteral("  end; {IndexDefs}")} +
                kClosing);
        QTest::newRow("field list compared with case: id differs from Id")
            << QList<SourceIndex>{{QString(), id, ixPrimary},
                                  {QStringLiteral("Low"), QStringLiteral("id"), 0}}
            << (QStringList{kPrimaryClear, primaryLine(id), QString(), kCreate} + kHeader +
                QStringList{QStringLiteral("   TableCreate.AddIndex('Low','id',[]);"),
                            QStringLiteral("  end; {IndexDefs}")} +
                kClosing);
        QTest::newRow("expression index: empty field list")
            << QList<SourceIndex>{{QString(), id, ixPrimary},
                                  {QStringLiteral("Ex"), QString(), ixExpression | ixUnique}}
            << (QStringList{kPrimaryClear, primaryLine(id), QString(), kCreate} + kHeader +
                QStringList{QStringLiteral("   TableCreate.AddIndex('Ex','',[ixExpression]);"),
                            QStringLiteral("  end; {IndexDefs}")} +
                kClosing);
        QTest::newRow("no primary: creation after the first, CLear in the header")
            << QList<SourceIndex>{{QStringLiteral("A"), QStringLiteral("Nom"), ixCaseInsensitive},
                                  {QStringLiteral("B"), id, 0}}
            << (QStringList{
                    QString(), kCreate,
                    QStringLiteral("   TableCreate.AddIndex('A','Nom',[ixCaseInsensitive]);")} +
                kHeader +
                QStringList{QStringLiteral("   CLear;"),
                            QStringLiteral("   TableCreate.AddIndex('B','Id',[]);"),
                            QStringLiteral("  end; {IndexDefs}")} +
                kClosing);
    }

    void indexPartOfTheBlock() {
        QFETCH(QList<SourceIndex>, indexes);
        QFETCH(QStringList, expected);
        const QStringList block = generate(tableWith(indexes));
        QCOMPARE(afterFields(block), expected);
        QCOMPARE(block.at(9), QStringLiteral("   Add('Id',ftInteger,0,False);"));
        QCOMPARE(block.at(10), QStringLiteral("   Add('Nom',ftString,25,False);"));
        if (indexes.isEmpty()) {
            for (const QString& line : block)
                QVERIFY(!line.contains(QStringLiteral("IndexDefs")));
        }
    }

    // A long file name is cut in the dictionary's row but whole in the code, which
    // must open the real table; the block keeps its number of lines.
    void codeNamesTheWholeFileWhileTheRowKeepsItsCut() {
        for (const QString name : {QStringLiteral("Fornecedores.DB"),
                                   QStringLiteral("réintégration.db"), QStringLiteral("A.DB")}) {
            TableStructure t = tableWith({});
            t.fileName = name;
            t.tableName = RecordedTableName(name);
            const QStringList block = generate(t);
            QCOMPARE(block.at(3), QStringLiteral("  TableName := '%1';").arg(name));
            QCOMPARE(block.at(block.size() - 3), QStringLiteral("end; // End of creation ") + name);
            QCOMPARE(block.size(), generate(tableWith({})).size());
            QCOMPARE(PlanCaptureRows(t, 1).first().table, name.left(12));
        }
    }

    // Apostrophes are doubled inside the Pascal literals only, so the code
    // compiles; the comments keep the table name as it is.
    void apostrophesAreDoubledInLiterals() {
        TableStructure t;
        t.tableName = QStringLiteral("L'ETE.DB");
        t.fields = {{QStringLiteral("l'adresse"), 1, 40}};
        t.indexes = {{QStringLiteral("c'est"), QStringLiteral("l'adresse"), ixPrimary},
                     {QStringLiteral("d'ici"), QStringLiteral("l'adresse;x'y"), 0}};
        const QStringList block = generate(t);
        QCOMPARE(block.first(),
                 QStringLiteral("with TableCreate do  // Beginning generation L'ETE.DB"));
        QCOMPARE(block.at(3), QStringLiteral("  TableName := 'L''ETE.DB';"));
        QCOMPARE(block.at(9), QStringLiteral("   Add('l''adresse',ftString,40,False);"));
        QVERIFY(block.contains(QStringLiteral(
            "  TableCreate.IndexDefs.Add('c''est','l''adresse',[ixPrimary]);  // Primary Index ")));
        QVERIFY(block.contains(
            QStringLiteral("   TableCreate.AddIndex('d''ici','l''adresse;x''y',[]);")));
        QCOMPARE(block.at(block.size() - 3), QStringLiteral("end; // End of creation L'ETE.DB"));
    }

    // Blocks follow one another; the state of one table does not leak into
    // the next, and the title counts every line of the text.
    void blocksAccumulate() {
        CodeLines text;
        CodeGenerator generator(text);
        GenerateTableCode(clientsTable(), generator);
        // Same key field list as the customer table's primary index, but this
        // table has no primary index: its index must still be added.
        GenerateTableCode(tableWith({{QStringLiteral("A"), QStringLiteral("Code"), 0},
                                     {QStringLiteral("B"), QStringLiteral("Nom"), 0}}),
                          generator);
        generator.ShowLineCount();
        QCOMPARE(text.lines().mid(0, 29), clientsBlock());
        QCOMPARE(text.lines().at(29),
                 QStringLiteral("with TableCreate do  // Beginning generation T.DB"));
        QVERIFY(text.lines().contains(QStringLiteral("   TableCreate.AddIndex('A','Code',[]);")));
        QCOMPARE(text.lines().mid(text.lineCount() - 2), (QStringList{QString(), QString()}));
        QCOMPARE(text.title(),
                 QStringLiteral("Delphi code - Lines generated: %1").arg(text.lineCount()));
    }
};

QTEST_GUILESS_MAIN(TestCodeGenerator)
#include "tst_codegenerator.moc"
