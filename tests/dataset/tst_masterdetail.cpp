// Master–detail: a fields view tied on Table to a tables view.
#include "DictionaryFixture.h"

#include "framework/dataset/DatasetError.h"
#include "framework/dataset/Field.h"
#include "framework/dataset/Transaction.h"

#include <QRandomGenerator>
#include <QSet>
#include <QTest>

#include <map>

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

// A dictionary of many tables in shuffled numbering, so that the name order and the
// primary order disagree and both span several blocks; table names differ in letter case
// from their field entries' spelling now and then. Numbers leave gaps below each entry.
QList<DicoRowSpec> shuffledDictionary(int tables) {
    QRandomGenerator random(24);
    QList<DicoRowSpec> rows;
    for (int t = 0; t < tables; ++t) {
        const QString name = QStringLiteral("T%1.DB").arg(t * 7919 % 100000, 5, 10, QChar('0'));
        const int base = 100 + 100 * int(random.bounded(tables * 4));
        rows.append({base, name, true, {}});
        const int fields = int(random.bounded(0, 14));
        for (int f = 0; f < fields; ++f)
            rows.append({base + 11 + f, random.bounded(3) ? name : name.toLower(), false,
                         QStringLiteral("F%1").arg(random.bounded(1000))});
    }
    // The base numbers may collide: keep the first row of each number.
    QList<DicoRowSpec> unique;
    QSet<int> seen;
    for (const DicoRowSpec& r : rows)
        if (!seen.contains(r.no)) {
            seen.insert(r.no);
            unique.append(r);
        }
    return unique;
}

// What the report's walk must see: per table entry in name order (ties by number), the
// field entries of that name (letter case ignored) in number order.
QStringList expectedWalk(const QList<DicoRowSpec>& rows) {
    std::map<std::pair<QString, int>, QString> tables;
    std::map<QString, std::map<int, QString>> fields;
    for (const DicoRowSpec& r : rows)
        if (r.ct)
            tables[{r.table.toUpper(), r.no}] = r.table;
        else
            fields[r.table.toUpper()][r.no] = r.champ;
    QStringList walk;
    for (const auto& [key, name] : tables) {
        QStringList champs;
        for (const auto& [no, champ] : fields[key.first])
            champs << champ;
        walk << name + ":" + champs.join(',');
    }
    return walk;
}

// The walk as the report makes it: the detail asked for its first row after the master's
// step has already put it there.
QStringList reportWalk(Table* master, Table* detail) {
    QStringList walk;
    for (master->First(); !master->Eof(); master->Next()) {
        QStringList champs;
        for (detail->First(); !detail->Eof(); detail->Next())
            champs << detail->FieldByName("Champ")->AsString();
        walk << master->FieldByName("Table")->AsString() + ":" + champs.join(',');
    }
    return walk;
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

    // The report's walk over a dictionary of 150 tables sees exactly what the rows
    // say, through the index files as closing wrote them and, after writes, through the
    // orders in memory; a view standing on its first row sees a row another view put before
    // it; an edit started after reading one field keeps every other field of the row.
    void reportWalkMatchesTheRows() {
        DictionaryFixture fx;
        fx.createDictionary(kDico);
        QList<DicoRowSpec> rows = shuffledDictionary(150);
        fx.db()->StartTransaction(); // one commit, not one per row
        fx.addRows(kDico, rows);
        fx.db()->Commit();
        Tied v = makeTied(fx);
        v.master->Open();
        v.detail->Open();
        const QStringList expected = expectedWalk(rows);
        QCOMPARE(v.master->shownRowCount(), int(expected.size()));
        QCOMPARE(reportWalk(v.master, v.detail), expected);

        // Another view writes: a field entry numbered below every other of its table.
        v.master->First();
        v.master->Next();
        const QString table = v.master->FieldByName("Table")->AsString();
        v.detail->First();
        const DicoRowSpec early{1, table, false, "EARLY"};
        Table* other = fx.view(kDico);
        other->Open();
        appendDicoRow(other, early);
        rows.append(early);
        v.detail->First();
        QCOMPARE(v.detail->FieldByName("Champ")->AsString(), QString("EARLY"));

        // An edit of a row of which one field was read writes the others back unchanged.
        v.detail->Next();
        const int number = v.detail->FieldByName("NoEnreg")->AsInteger();
        v.detail->Edit();
        v.detail->FieldByName("Description")->setAsString("décrit");
        v.detail->Post();
        QVERIFY(other->FindKey({number}));
        QCOMPARE(other->FieldByName("Description")->AsString(), QString("décrit"));
        QCOMPARE(other->FieldByName("CC")->AsBoolean(), true);
        QCOMPARE(other->FieldByName("Table")->AsString().toUpper(), table.toUpper());
        QCOMPARE(reportWalk(v.master, v.detail), expectedWalk(rows));

        // Every third row deleted by the other view, in a transaction rolled back and then
        // in one committed: the walks in between see the rows the file holds each time.
        for (const bool commit : {false, true}) {
            fx.db()->StartTransaction();
            QList<DicoRowSpec> kept;
            for (int i = 0; i < rows.size(); ++i) {
                if (i % 3 != 0) {
                    kept.append(rows[i]);
                    continue;
                }
                QVERIFY(other->FindKey({rows[i].no}));
                other->Delete();
            }
            QCOMPARE(reportWalk(v.master, v.detail), expectedWalk(kept));
            if (commit) {
                fx.db()->Commit();
                rows = kept;
            } else {
                fx.db()->Rollback();
            }
            QCOMPARE(reportWalk(v.master, v.detail), expectedWalk(rows));
        }
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
