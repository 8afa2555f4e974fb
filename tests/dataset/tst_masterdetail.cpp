// Master–detail: a fields view tied on Table to a tables view.
#include "DictionaryFixture.h"

#include "framework/dataset/DatasetError.h"
#include "framework/dataset/Field.h"
#include "framework/dataset/Transaction.h"

#include <QTest>

using namespace dataset;

namespace {
const QString kDico = QStringLiteral("PAYE.DB");

struct Tied {
    Table* master;
    DataSource* masterSource;
    Table* detail;
};

// The main window's pair of views: table entries in Table order, and their field entries.
Tied makeTied(DictionaryFixture& fx) {
    Tied v;
    v.master = fx.view(kDico, "CT=True", "Table", "taDico");
    v.masterSource = fx.source(v.master, "dsDico");
    v.detail = fx.view(kDico, "CC=True", "Table", "taChamps");
    v.detail->setMasterSource(v.masterSource);
    v.detail->setMasterFields("Table");
    return v;
}

QStringList sorted(QStringList l) {
    l.sort();
    return l;
}
} // namespace

class TestMasterDetail : public QObject {
    Q_OBJECT
private slots:
    // The detail shows the field entries of the master's current row, matched through the
    // case-insensitive index, follows every move, and counts the table entry too.
    void detailFollowsMaster() {
        DictionaryFixture fx;
        fx.createSample(kDico);
        Tied v = makeTied(fx);
        v.master->Open();
        v.detail->Open();
        const QList<std::tuple<QString, QStringList, int>> expected{
            {"ARTICLES.DB", {"Ref"}, 2},
            {"CLIENTS.DB", {"Code", "Nom"}, 3},
            {"zeta.db", {"Z1"}, 2}, // the field entry spells it ZETA.DB
        };
        for (const auto& [table, fields, count] : expected) {
            QCOMPARE(v.master->FieldByName("Table")->AsString(), table);
            QCOMPARE(sorted(columnValues(v.detail, "Champ")), fields);
            QCOMPARE(v.detail->RecordCount(), count);
            v.master->Next();
        }
        // Backwards too, and after a jump.
        v.master->Prior();
        QCOMPARE(v.detail->FieldByName("Table")->AsString(), QString("CLIENTS.DB"));
        QVERIFY(v.master->FindKey({"ZETA.DB"}));
        QCOMPARE(v.detail->FieldByName("Champ")->AsString(), QString("Z1"));
        QCOMPARE(v.master->RecordCount(), 8);
    }

    // Refreshing the master keeps the detail on its row (describing a field refreshes both
    // views and the selected field must stay selected).
    void masterRefreshKeepsDetailRow() {
        DictionaryFixture fx;
        fx.createSample(kDico);
        Tied v = makeTied(fx);
        v.master->Open();
        v.detail->Open();
        v.master->Next(); // CLIENTS.DB
        v.detail->Last();
        const QString champ = v.detail->FieldByName("Champ")->AsString();
        v.detail->Edit();
        v.detail->FieldByName("Description")->setAsString("décrit");
        v.detail->Post();
        v.detail->Refresh();
        v.master->Refresh();
        QCOMPARE(v.detail->FieldByName("Champ")->AsString(), champ);
        QCOMPARE(v.detail->FieldByName("Description")->AsString(), QString("décrit"));
        QCOMPARE(v.master->FieldByName("Table")->AsString(), QString("CLIENTS.DB"));
    }

    // No master row means no detail rows: master closed, master empty, master being
    // inserted; the detail comes back when the master has a row again.
    void noMasterRowNoDetailRows() {
        DictionaryFixture fx;
        fx.createSample(kDico);
        Tied v = makeTied(fx);
        v.detail->Open(); // master still closed
        QVERIFY(v.detail->Bof() && v.detail->Eof());
        QCOMPARE(v.detail->RecordCount(), 0);
        v.master->Open();
        QCOMPARE(v.detail->RecordCount(), 2);
        v.master->Append();
        QVERIFY(v.detail->IsEmpty());
        v.master->FieldByName("Table")->setAsString("clients.db");
        QCOMPARE(v.detail->RecordCount(), 3); // follows the value being typed
        v.master->Cancel();
        QCOMPARE(v.detail->FieldByName("Champ")->AsString(), QString("Ref"));
        v.master->setFilter("CT=False"); // hides every row
        QVERIFY(v.detail->IsEmpty());
        QCOMPARE(v.detail->RecordCount(), 0);
        v.master->setFilter("CT=True");
        QCOMPARE(v.detail->RecordCount(), 2);
        v.master->Close();
        QVERIFY(v.detail->IsEmpty());
        QCOMPARE(v.detail->RecordCount(), 0);
    }

    // Untied, the fields view shows every field entry in primary order; tying it while
    // open restricts it at once; untying shows them all again.
    void tieAndUntieWhileOpen() {
        DictionaryFixture fx;
        fx.createSample(kDico);
        Table* master = fx.view(kDico, "CT=True", "Table");
        DataSource* ds = fx.source(master);
        Table* detail = fx.view(kDico, "CC=True");
        master->Open();
        detail->Open();
        QCOMPARE(columnValues(detail, "Champ"), (QStringList{"Code", "Nom", "Ref", "Z1"}));
        detail->setIndexFieldNames("Table");
        detail->setMasterFields("Table");
        detail->setMasterSource(ds);
        QCOMPARE(columnValues(detail, "Champ"), QStringList{"Ref"});
        detail->setMasterSource(nullptr);
        detail->setIndexFieldNames("");
        QCOMPARE(columnValues(detail, "Champ"), (QStringList{"Code", "Nom", "Ref", "Z1"}));
    }

    // A new row of a tied detail starts with the master's key.
    void appendInDetailTakesMasterKey() {
        DictionaryFixture fx;
        fx.createSample(kDico);
        Tied v = makeTied(fx);
        v.master->Open();
        v.detail->Open();
        v.master->Next(); // CLIENTS.DB
        v.detail->Append();
        QCOMPARE(v.detail->FieldByName("Table")->AsString(), QString("CLIENTS.DB"));
        v.detail->FieldByName("NoEnreg")->setAsInteger(20);
        v.detail->FieldByName("Champ")->setAsString("Ville");
        v.detail->FieldByName("CC")->setAsBoolean(true);
        v.detail->Post();
        QCOMPARE(v.detail->FieldByName("Champ")->AsString(), QString("Ville"));
        QCOMPARE(sorted(columnValues(v.detail, "Champ")), (QStringList{"Code", "Nom", "Ville"}));
    }

    // Removing a table: deleting the detail's rows from the first until Eof removes exactly
    // the field entries of that table, then the table entry goes through the master.
    void deleteTableWithItsFields() {
        DictionaryFixture fx;
        fx.createSample(kDico);
        Tied v = makeTied(fx);
        v.master->Open();
        v.detail->Open();
        v.master->Next(); // CLIENTS.DB, with Code and Nom
        v.detail->First();
        int deleted = 0;
        while (!v.detail->Eof()) {
            v.detail->Delete();
            ++deleted;
        }
        QCOMPARE(deleted, 2);
        QCOMPARE(v.master->RecordCount(), 6);
        QCOMPARE(v.detail->RecordCount(), 1); // the table entry is still there
        QCOMPARE(v.master->FieldByName("Table")->AsString(), QString("CLIENTS.DB"));
        v.master->Delete();
        QCOMPARE(v.master->FieldByName("Table")->AsString(), QString("zeta.db"));
        QCOMPARE(v.detail->FieldByName("Champ")->AsString(), QString("Z1"));
        QCOMPARE(v.master->RecordCount(), 5);
    }

    // The same deletion in a Transaction object: an exception or the end of the scope
    // without commit puts every row back in the file and the views; a commit keeps it.
    void deletionInATransactionObject() {
        DictionaryFixture fx;
        fx.createSample(kDico);
        Tied v = makeTied(fx);
        v.master->Open();
        v.detail->Open();
        const auto rowsInFile = [&] {
            Table* fresh = fx.view(kDico); // opened now: it reads the file
            fresh->Open();
            return fresh->RecordCount();
        };
        const auto deleteClients = [&](bool commit) {
            Transaction transaction(*fx.db());
            v.master->First();
            v.master->Next(); // CLIENTS.DB, with Code and Nom
            for (v.detail->First(); !v.detail->Eof();)
                v.detail->Delete();
            v.master->Delete();
            if (commit)
                transaction.commit();
            else
                throw DatasetError(QStringLiteral("stopped"));
        };
        QVERIFY_THROWS_EXCEPTION(DatasetError, deleteClients(false));
        QVERIFY(!fx.db()->InTransaction());
        QCOMPARE(v.master->RecordCount(), 8);
        QCOMPARE(rowsInFile(), 8);
        {
            Transaction dropped(*fx.db());
            v.master->Last();
            v.master->Delete();
        }
        QCOMPARE(rowsInFile(), 8);
        deleteClients(true);
        QCOMPARE(v.master->RecordCount(), 5);
        QCOMPARE(rowsInFile(), 5);
    }

    // Only one master field can tie a detail; a master field the master lacks is refused.
    void refusedTies() {
        DictionaryFixture fx;
        fx.createSample(kDico);
        Tied v = makeTied(fx);
        v.master->Open();
        v.detail->setMasterFields("Table;Champ");
        QVERIFY_THROWS_EXCEPTION(DatasetError, v.detail->Open());
        v.detail->setMasterFields("Inconnu");
        QVERIFY_THROWS_EXCEPTION(DatasetError, v.detail->Open());
        QVERIFY(!v.detail->Active());
        DataSource* own = fx.source(v.detail);
        QVERIFY_THROWS_EXCEPTION(DatasetError, v.detail->setMasterSource(own));
    }
};

QTEST_GUILESS_MAIN(TestMasterDetail)
#include "tst_masterdetail.moc"
