// One table view on its own: flags, counts, filters, lookups, edits, refresh, order,
// fixed field lists, definitions and database aliases.
#include "DictionaryFixture.h"

#include "framework/dataset/DatasetError.h"
#include "framework/dataset/Field.h"

#include "engine/EngineError.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace dataset;

namespace {
const QString kDico = QStringLiteral("PAYE.DB");

int no(Table* t) {
    return t->FieldByName("NoEnreg")->AsInteger();
}

QList<int> numbers(Table* t) {
    QList<int> out;
    for (const QString& s : columnValues(t, "NoEnreg"))
        out << s.toInt();
    return out;
}
} // namespace

class TestTableView : public QObject {
    Q_OBJECT
private slots:
    // Bof and Eof are both set on an empty view, whether it is empty because the file has
    // no rows or because the filter hides every row; moving does not clear them.
    void emptyViewFlags_data() {
        QTest::addColumn<bool>("sample");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<int>("count");
        QTest::newRow("no rows") << false << QString() << 0;
        QTest::newRow("all rows hidden") << true << "CT=False" << 8;
    }
    void emptyViewFlags() {
        QFETCH(bool, sample);
        QFETCH(QString, filter);
        QFETCH(int, count);
        DictionaryFixture fx;
        sample ? fx.createSample(kDico) : fx.createDictionary(kDico);
        Table* t = fx.view(kDico, filter);
        t->Open();
        for (int step = 0; step < 4; ++step) {
            QVERIFY(t->Bof());
            QVERIFY(t->Eof());
            QVERIFY(t->IsEmpty());
            QVERIFY(t->FieldByName("NoEnreg")->IsNull());
            QCOMPARE(t->FieldByName("NoEnreg")->AsInteger(), 0);
            QCOMPARE(t->RecordCount(), count);
            switch (step) {
            case 0:
                t->Next();
                break;
            case 1:
                t->Prior();
                break;
            case 2:
                t->Last();
                break;
            default:
                t->First();
                break;
            }
        }
    }

    // Navigation walks the visible rows only, and sets Bof/Eof only at the ends.
    void navigationSkipsHiddenRows() {
        DictionaryFixture fx;
        fx.createSample(kDico);
        Table* t = fx.view(kDico, "CT=True");
        t->Open();
        QVERIFY(t->Bof() && !t->Eof());
        QCOMPARE(no(t), 1);
        t->Next();
        QCOMPARE(no(t), 4);
        QVERIFY(!t->Bof() && !t->Eof());
        t->Next();
        QCOMPARE(no(t), 6);
        QVERIFY(!t->Eof());
        t->Next();
        QCOMPARE(no(t), 6);
        QVERIFY(t->Eof() && !t->Bof());
        t->Prior();
        QCOMPARE(no(t), 4);
        QVERIFY(!t->Bof() && !t->Eof());
        t->Prior();
        t->Prior();
        QCOMPARE(no(t), 1);
        QVERIFY(t->Bof());
        t->Last();
        QCOMPARE(no(t), 6);
        QVERIFY(t->Eof() && !t->Bof());
    }

    // The filter hides rows from navigation but does not reduce the row count.
    void filterDoesNotReduceCount_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QList<int>>("visible");
        QTest::newRow("none") << QString() << QList<int>{1, 2, 3, 4, 5, 6, 7, 8};
        QTest::newRow("table entries") << "CT=True" << QList<int>{1, 4, 6};
        QTest::newRow("field entries") << "CC=True" << QList<int>{2, 3, 5, 7};
        QTest::newRow("lower-case field name") << "cc = true" << QList<int>{2, 3, 5, 7};
    }
    void filterDoesNotReduceCount() {
        QFETCH(QString, filter);
        QFETCH(QList<int>, visible);
        DictionaryFixture fx;
        fx.createSample(kDico);
        Table* t = fx.view(kDico, filter);
        t->Open();
        QCOMPARE(numbers(t), visible);
        QCOMPARE(t->RecordCount(), 8);
    }

    // A filter on a field the file lacks, or on a field that is not Boolean, is refused when
    // it takes effect, and the view stays closed.
    void filterOnUnsuitableField_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing field") << "XX=True"
                                       << "introuvable";
        QTest::newRow("text field") << "Table=True"
                                    << "n'est pas booléen";
    }
    void filterOnUnsuitableField() {
        QFETCH(QString, filter);
        QFETCH(QString, message);
        DictionaryFixture fx;
        fx.createSample(kDico);
        Table* t = fx.view(kDico, filter);
        try {
            t->Open();
            QFAIL("the view opened");
        } catch (const DatasetError& e) {
            QVERIFY2(e.text().contains(message) && e.text().contains(kDico), qPrintable(e.text()));
        }
        QVERIFY(!t->Active());
        // Switched on while open: refused, and the view keeps showing what it showed.
        Table* u = fx.view(kDico, "CT=True");
        u->Open();
        QVERIFY_THROWS_EXCEPTION(DatasetError, u->setFilter(filter));
        QCOMPARE(u->Filter(), QString("CT=True"));
        QCOMPARE(numbers(u), (QList<int>{1, 4, 6}));
    }

    // FindKey: exact lookup through the current index; case is ignored through the
    // case-insensitive index; a key longer than the field is cut to the field's width; a
    // key that is not there leaves the current row as it was.
    void findKey_data() {
        QTest::addColumn<QString>("index");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QVariant>("key");
        QTest::addColumn<int>("found"); // NoEnreg of the row found, 0 when not found
        QTest::newRow("primary") << "NoEnreg"
                                 << "" << QVariant(5) << 5;
        QTest::newRow("primary, missing") << "NoEnreg"
                                          << "" << QVariant(99) << 0;
        QTest::newRow("by table, other case") << "Table"
                                              << "CT=True" << QVariant("articles.db") << 4;
        QTest::newRow("hidden match skipped") << "Table"
                                              << "CC=True" << QVariant("Articles.DB") << 5;
        QTest::newRow("long key cut to width") << "Table"
                                               << "" << QVariant("averylongnameX.db") << 9;
        QTest::newRow("prefix is not a match") << "Table"
                                               << "" << QVariant("CLIENTS") << 0;
    }
    void findKey() {
        QFETCH(QString, index);
        QFETCH(QString, filter);
        QFETCH(QVariant, key);
        QFETCH(int, found);
        DictionaryFixture fx;
        fx.createSample(kDico);
        fx.addRows(kDico, {{9, "averylongnam", true, {}}});
        Table* t = fx.view(kDico, filter, index);
        t->Open();
        t->Last();
        const int before = no(t);
        QCOMPARE(t->FindKey({key}), found != 0);
        QCOMPARE(no(t), found ? found : before);
    }

    void editPostCancel() {
        DictionaryFixture fx;
        fx.createSample(kDico);
        Table* t = fx.view(kDico, "CT=True");
        t->Open();
        Field* descr = t->FieldByName("Description");
        // Writing needs Edit or Insert state.
        QVERIFY_THROWS_EXCEPTION(DatasetError, descr->setAsString("x"));
        t->Edit();
        QCOMPARE(t->State(), DataSetState::Edit);
        descr->setAsString("Fichier des clients");
        t->Cancel();
        QVERIFY(descr->IsNull());
        t->Edit();
        descr->setAsString("Fichier des clients");
        t->Post();
        QCOMPARE(t->State(), DataSetState::Browse);
        Table* other = fx.view(kDico);
        other->Open();
        QVERIFY(other->FindKey({1}));
        QCOMPARE(other->FieldByName("Description")->AsString(), QString("Fichier des clients"));
        // A new row that is cancelled is never written.
        t->Append();
        t->FieldByName("NoEnreg")->setAsInteger(50);
        t->Cancel();
        QCOMPARE(t->RecordCount(), 8);
    }

    // A duplicate primary key is refused by the engine; the view stays in Insert state with
    // what was typed, so the row can be corrected or cancelled.
    void keyViolationKeepsInsertState() {
        DictionaryFixture fx;
        fx.createSample(kDico);
        Table* t = fx.view(kDico);
        t->Open();
        t->Append();
        t->FieldByName("NoEnreg")->setAsInteger(3);
        QVERIFY_THROWS_EXCEPTION(engine::EngineError, t->Post());
        QCOMPARE(t->State(), DataSetState::Insert);
        QCOMPARE(t->FieldByName("NoEnreg")->AsInteger(), 3);
        t->FieldByName("NoEnreg")->setAsInteger(30);
        t->Post();
        QCOMPARE(t->RecordCount(), 9);
    }

    // Moving away from a row being edited posts it when a field was set; a new row nobody
    // touched is dropped.
    void movingPostsOrDrops() {
        DictionaryFixture fx;
        fx.createSample(kDico);
        Table* t = fx.view(kDico);
        t->Open();
        t->Edit();
        t->FieldByName("Description")->setAsString("changée");
        t->Next();
        QCOMPARE(t->State(), DataSetState::Browse);
        t->First();
        QCOMPARE(t->FieldByName("Description")->AsString(), QString("changée"));
        t->Append();
        t->Last();
        QCOMPARE(t->RecordCount(), 8);
    }

    // Edit needs a row: an empty view refuses it rather than starting a new one.
    void editOnEmptyViewRefused() {
        DictionaryFixture fx;
        fx.createDictionary(kDico);
        Table* t = fx.view(kDico);
        t->Open();
        QVERIFY_THROWS_EXCEPTION(DatasetError, t->Edit());
        QVERIFY_THROWS_EXCEPTION(DatasetError, t->Delete());
        QCOMPARE(t->State(), DataSetState::Browse);
    }

    // After Delete the next row becomes current; when the last row goes, the previous one
    // does and Eof is set.
    void deleteMakesNextCurrent_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<int>("at");
        QTest::addColumn<int>("then");
        QTest::addColumn<bool>("eof");
        QTest::newRow("middle") << "" << 3 << 4 << false;
        QTest::newRow("first") << "" << 1 << 2 << false;
        QTest::newRow("last") << "" << 8 << 7 << true;
        QTest::newRow("filtered, skips hidden") << "CT=True" << 4 << 6 << false;
        QTest::newRow("filtered, last") << "CT=True" << 6 << 4 << true;
    }
    void deleteMakesNextCurrent() {
        QFETCH(QString, filter);
        QFETCH(int, at);
        QFETCH(int, then);
        QFETCH(bool, eof);
        DictionaryFixture fx;
        fx.createSample(kDico);
        Table* t = fx.view(kDico, filter);
        t->Open();
        while (no(t) != at)
            t->Next();
        t->Delete();
        QCOMPARE(no(t), then);
        QCOMPARE(t->Eof(), eof);
        QCOMPARE(t->RecordCount(), 7);
    }

    // Deleting every row one by one from the first ends on an empty view.
    void deleteUntilEmpty() {
        DictionaryFixture fx;
        fx.createSample(kDico);
        Table* t = fx.view(kDico, "CC=True");
        t->Open();
        int deleted = 0;
        while (!t->Eof()) {
            t->Delete();
            ++deleted;
        }
        QCOMPARE(deleted, 4);
        QVERIFY(t->Bof() && t->IsEmpty());
        QCOMPARE(t->RecordCount(), 4);
    }

    // A posted row the filter hides makes the nearest visible row current, the following
    // ones first: after any number of hidden rows posted in a row, and also once another
    // view added a visible row in between (what the view had learned no longer holds).
    void hiddenPostLandsOnNearestVisibleRow() {
        DictionaryFixture fx;
        fx.createDictionary(kDico);
        Table* t = fx.view(kDico, "CT=True", "Table");
        Table* other = fx.view(kDico, {}, "Table");
        t->Open();
        other->Open();
        auto current = [t] { return t->FieldByName("Table")->AsString(); };
        appendDicoRow(t, {1, "B.DB", true, {}});
        for (int i = 0; i < 20; ++i) {
            appendDicoRow(t, {2 + i, "B.DB", false, QString("F%1").arg(i)});
            QCOMPARE(current(), QString("B.DB"));
        }
        appendDicoRow(other, {50, "C.DB", true, {}});
        appendDicoRow(t, {51, "D.DB", false, "X"});
        QCOMPARE(current(), QString("C.DB"));
        appendDicoRow(t, {52, "D.DB", false, "Y"});
        QCOMPARE(current(), QString("C.DB"));
        appendDicoRow(t, {53, "A.DB", false, "Z"});
        QCOMPARE(current(), QString("B.DB"));
        QVERIFY(!t->Bof() && !t->Eof());
        QCOMPARE(columnValues(t, "Table"), (QStringList{"B.DB", "C.DB"}));
    }

    // Two views on one file share it: what one posts, the other sees after its next move
    // or a Refresh, which keeps its current row.
    void sharedViewsAndRefresh() {
        DictionaryFixture fx;
        fx.createSample(kDico);
        Table* a = fx.view(kDico, "CT=True");
        Table* b = fx.view(kDico);
        a->Open();
        b->Open();
        a->Next();
        QCOMPARE(no(a), 4);
        QVERIFY(b->FindKey({4}));
        b->Edit();
        b->FieldByName("Description")->setAsString("Articles en stock");
        b->Post();
        appendDicoRow(b, {10, "BETA.DB", true, {}});
        QVERIFY(a->FieldByName("Description")->IsNull()); // not re-read yet
        a->Refresh();
        QCOMPARE(no(a), 4);
        QCOMPARE(a->FieldByName("Description")->AsString(), QString("Articles en stock"));
        QCOMPARE(a->RecordCount(), 9);
        a->Last();
        QCOMPARE(no(a), 10);
        // The current row deleted elsewhere: Refresh moves to the row that followed it.
        a->First();
        a->Next();
        QVERIFY(b->FindKey({4}));
        b->Delete();
        a->Refresh();
        QCOMPARE(no(a), 6);
    }

    // A row another view deleted meanwhile is never written over nor deleted in its place:
    // the operation is refused and the row that followed it is left as it was.
    void rowDeletedElsewhereIsNotReplaced_data() {
        QTest::addColumn<bool>("editing");
        QTest::newRow("post of an edit") << true;
        QTest::newRow("delete") << false;
    }
    void rowDeletedElsewhereIsNotReplaced() {
        QFETCH(bool, editing);
        DictionaryFixture fx;
        fx.createSample(kDico);
        Table* a = fx.view(kDico);
        Table* b = fx.view(kDico);
        a->Open();
        b->Open();
        QVERIFY(a->FindKey({4}));
        if (editing) {
            a->Edit();
            a->FieldByName("Description")->setAsString("écrasé ?");
        }
        QVERIFY(b->FindKey({4}));
        b->Delete();
        QVERIFY_THROWS_EXCEPTION(DatasetError, editing ? a->Post() : a->Delete());
        QCOMPARE(a->State(), DataSetState::Browse);
        QCOMPARE(no(a), 5);
        QCOMPARE(a->RecordCount(), 7);
        b->Refresh();
        QVERIFY(b->FindKey({5}));
        QVERIFY(b->FieldByName("Description")->IsNull());
        QCOMPARE(b->FieldByName("Champ")->AsString(), QString("Ref"));
    }

    // Changing the order of an open view keeps its current row.
    void orderChangeKeepsRow() {
        DictionaryFixture fx;
        fx.createSample(kDico);
        Table* t = fx.view(kDico, "CT=True");
        t->Open();
        t->Next();
        QCOMPARE(t->FieldByName("Table")->AsString(), QString("ARTICLES.DB"));
        t->setIndexFieldNames("Table");
        QCOMPARE(t->FieldByName("Table")->AsString(), QString("ARTICLES.DB"));
        QCOMPARE(columnValues(t, "Table"), (QStringList{"ARTICLES.DB", "CLIENTS.DB", "zeta.db"}));
        QVERIFY_THROWS_EXCEPTION(std::exception, t->setIndexFieldNames("Description"));
        QCOMPARE(t->IndexFieldNames(), QString("Table"));
    }

    // A fixed field list refuses a file lacking any of its fields, naming the field; its
    // fields keep their display settings across closing and reopening.
    void fixedFieldList() {
        DictionaryFixture fx;
        fx.createSample(kDico);
        Table foreign;
        foreign.setDatabaseName(fx.db()->DatabaseName());
        foreign.setTableName("CLIENTS.DB");
        foreign.FieldDefs().Add("NoEnreg", ftInteger);
        foreign.FieldDefs().Add("Table", ftString, 12);
        foreign.FieldDefs().Add("Nom", ftString, 30);
        foreign.CreateTable();

        Table* t = fx.view(kDico, {}, {}, "taDico");
        DictionaryFixture::declareDictionaryFields(t);
        Field* label = t->FieldByName("Table");
        QCOMPARE(label->objectName(), QString("taDicoTable"));
        label->setDisplayWidth(14);
        label->setDisplayLabel("Table");
        t->FieldByName("Champ")->setVisible(false);
        t->Open();
        QCOMPARE(t->FieldCount(), 8);
        QCOMPARE(t->FieldByName("Table"), label);
        t->Close();
        t->setTableName("CLIENTS.DB");
        try {
            t->Open();
            QFAIL("a file without the dictionary's fields opened");
        } catch (const DatasetError& e) {
            QVERIFY2(e.text().contains("« Description »") && e.text().contains("CLIENTS.DB"),
                     qPrintable(e.text()));
        }
        QVERIFY(!t->Active());
        QCOMPARE(t->FieldByName("Table"), label);
        QCOMPARE(label->DisplayWidth(), 14);
        QVERIFY(!t->FieldByName("Champ")->Visible());
        // A declared type must match too.
        Table* typed = fx.view(kDico);
        typed->AddField("Table", ftInteger);
        QVERIFY_THROWS_EXCEPTION(DatasetError, typed->Open());
    }

    // Without a fixed list, the fields are those of the file, for as long as it is open.
    void fieldsAndDefinitionsOfTheFile() {
        DictionaryFixture fx;
        fx.createSample(kDico);
        Table* t = fx.view(kDico);
        t->FieldDefs().Update(); // readable while closed
        QCOMPARE(t->FieldDefs().Count(), 8);
        t->Open();
        QCOMPARE(t->FieldCount(), 8);
        const QList<int> codes{3, 1, 1, 1, 1, 3, 5, 5};
        const QList<int> widths{10, 12, 80, 20, 20, 10, 10, 10};
        for (int i = 0; i < 8; ++i) {
            QCOMPARE(int(t->Fields(i)->DataType()), codes[i]);
            QCOMPARE(t->Fields(i)->DisplayWidth(), widths[i]);
            QCOMPARE(t->FieldDefs()[i].DataType, FieldType(codes[i]));
        }
        QCOMPARE(t->FieldDefs()[1].Size, 12);
        QCOMPARE(t->IndexDefs().Count(), 2);
        QVERIFY(t->IndexDefs()[0].Options & ixPrimary);
        QCOMPARE(t->IndexDefs()[0].Fields, QString("NoEnreg"));
        QCOMPARE(t->IndexDefs()[1].Name, QString("IndTable"));
        QCOMPARE(t->IndexDefs()[1].Fields, QString("Table"));
        QCOMPARE(t->IndexDefs()[1].Options, IndexOptions(ixCaseInsensitive));
        QVERIFY_THROWS_EXCEPTION(DatasetError, t->FieldByName("Absent"));
        t->Close();
        QCOMPARE(t->FieldCount(), 0);
    }

    // A field is found by its name in any letter case, given as any kind of string; a text
    // reads the same whether it is plain ASCII (read from the row's bytes) or not, and a
    // NULL one reads as a null string.
    void fieldNamesAndTexts() {
        DictionaryFixture fx;
        Table t;
        t.setDatabaseName(fx.db()->DatabaseName());
        t.setTableName("NOMS.DB");
        t.FieldDefs().Add("Numéro", ftInteger);
        t.FieldDefs().Add("Nom", ftString, 12);
        t.FieldDefs().Add("NOTE", ftString, 12);
        t.FieldDefs().Add("Commentaire", ftString, 12);
        t.FieldDefs().Add("Reference_Commande_X", ftString, 12);
        t.CreateTable();
        t.Open();
        const QStringList texts{"plain", "Zoé", "", "x y z 12345."};
        for (int i = 0; i < texts.size(); ++i) {
            t.Append();
            t.FieldByName("Numéro")->setAsInteger(i - 2);
            t.FieldByName("Nom")->setAsString(texts[i]);
            t.Post();
        }
        Field* const number = t.Fields(0);
        Field* const name = t.Fields(1);
        Field* const note = t.Fields(2);
        Field* const comment = t.Fields(3);
        Field* const reference = t.Fields(4);
        // The strings the views point into outlive the list.
        const std::string upperNumber = "NUMÉRO";
        const QString lowerNumber("numéro"), sameName("Nom"), none;
        const QList<std::pair<QAnyStringView, Field*>> lookups{
            {"Numéro", number},
            {lowerNumber, number},
            {upperNumber, number},
            {QLatin1String("num\xe9ro"), number},
            {"nom", name},
            {QLatin1String("NOM"), name},
            {sameName, name},
            {"note", note},
            {u"Note", note},
            {"Nomx", nullptr},
            {"No", nullptr},
            {none, nullptr},
            {"Commentaire", comment},
            {u"COMMENTAIRE", comment},
            {QLatin1String("commentaire"), comment},
            {"Commentairf", nullptr},
            {u"Commentairé", nullptr},
            {"Commentaire ", nullptr},
            {"Reference_Commande_X", reference},
            {u"Reference_Commande_X", reference},
            {"reference_commande_x", reference},
            {"Reference_Cxmmande_X", nullptr},
            {u"Reference_Commandé_X", nullptr}};
        for (const auto& [asked, field] : lookups)
            QCOMPARE(t.FindField(asked), field);
        QStringList read;
        for (t.First(); !t.Eof(); t.Next()) {
            read << name->AsString();
            QCOMPARE(name->AsString().isNull(), name->IsNull());
            QCOMPARE(note->AsString(), QString());
            QVERIFY(note->AsString().isNull());
            QCOMPARE(number->AsString(), QString::number(number->AsInteger()));
        }
        QCOMPARE(read, texts);
        t.Close();
    }

    void fieldValues() {
        DictionaryFixture fx;
        fx.createSample(kDico);
        Table* t = fx.view(kDico, "CT=True");
        t->Open();
        QVERIFY(t->FieldByName("Longueur")->AsInteger() == 0);
        QVERIFY(t->FieldByName("CC")->IsNull());
        QVERIFY(!t->FieldByName("CC")->AsBoolean());
        QVERIFY(t->FieldByName("CT")->AsBoolean());
        t->Edit();
        t->FieldByName("Table")->setAsString("UN-NOM-TROP-LONG.DB");
        QCOMPARE(t->FieldByName("Table")->AsString(), QString("UN-NOM-TROP-"));
        t->FieldByName("Longueur")->Clear();
        QVERIFY(t->FieldByName("Longueur")->IsNull());
        QVERIFY_THROWS_EXCEPTION(DatasetError, t->FieldByName("Longueur")->setAsString("dix"));
        t->Post();
        QCOMPARE(t->FieldByName("Table")->AsString(), QString("UN-NOM-TROP-"));
    }

    // Creating, indexing and deleting need the view closed; deleting removes the files.
    void createAndDelete() {
        DictionaryFixture fx;
        fx.createDictionary(kDico);
        QVERIFY(QFile::exists(fx.dir() + "/" + kDico));
        Table* t = fx.view(kDico);
        t->Open();
        QVERIFY_THROWS_EXCEPTION(DatasetError, t->DeleteTable());
        QVERIFY_THROWS_EXCEPTION(DatasetError, t->CreateTable());
        t->Close();
        t->DeleteTable();
        QVERIFY(QDir(fx.dir()).entryList(QDir::Files).isEmpty());
        Table bad;
        bad.setDatabaseName(fx.db()->DatabaseName());
        bad.setTableName("MOTS.DB");
        bad.FieldDefs().Add("N", ftWord);
        QVERIFY_THROWS_EXCEPTION(DatasetError, bad.CreateTable());
        QVERIFY(!QFile::exists(fx.dir() + "/MOTS.DB"));
    }

    // The alias: a view connects it; disconnecting closes its views; its path cannot change
    // under open views; an unknown alias is refused in French.
    void databaseAlias() {
        DictionaryFixture fx("dbAlias");
        fx.createSample(kDico);
        fx.db()->Close();
        Table* t = fx.view(kDico);
        t->Open();
        QVERIFY(fx.db()->Connected());
        QVERIFY_THROWS_EXCEPTION(DatasetError, fx.db()->setPath("/tmp"));
        fx.db()->Close();
        QVERIFY(!t->Active());
        QCOMPARE(Database::find("DBALIAS"), fx.db());
        // A full path names the file whatever the alias says.
        Table* byPath = fx.view(fx.dir() + "/" + kDico);
        fx.db()->setPath(QDir::tempPath() + "/nowhere");
        byPath->Open();
        QCOMPARE(byPath->RecordCount(), 8);
        Table stray;
        stray.setDatabaseName("dbInconnu");
        stray.setTableName(kDico);
        try {
            stray.Open();
            QFAIL("opened through an unknown alias");
        } catch (const DatasetError& e) {
            QVERIFY2(e.text().contains("« dbInconnu »"), qPrintable(e.text()));
        }
        // Reads back as set.
        QCOMPARE(byPath->TableName(), fx.dir() + "/" + kDico);
    }
};

QTEST_GUILESS_MAIN(TestTableView)
#include "tst_tableview.moc"
