#include "DicoFiles.h"
#include "StoreTestHost.h"

#include "engine/EngineError.h"
#include "framework/dataset/DataSource.h"
#include "framework/dataset/Database.h"
#include "framework/dataset/Field.h"
#include "framework/dataset/Table.h"
#include "store/DicoFormat.h"
#include "store/DictionaryStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTest>

using store::DicoState;
using store::DictionaryStore;
using namespace dicofiles;

namespace {

// The values of one field over the rows a view shows, in its order.
QStringList column(dataset::Table& view, const QString& field) {
    QStringList values;
    for (view.First(); !view.Eof(); view.Next())
        values.append(view.FieldByName(field)->AsString());
    return values;
}

// A dictionary file outside any store, with table entries Zeta (1) and
// Alpha (4) and their field entries, in that number order.
QString writeDictionary(const QString& path) {
    store::CreateDicoFile(path);
    appendRows(path,
               {tableEntry(1, "Zeta"), fieldEntry(2, "Zeta", "z1"), fieldEntry(3, "ZETA", "z2"),
                tableEntry(4, "Alpha"), fieldEntry(5, "Alpha", "a1")});
    return path;
}

} // namespace

class TestDictionaryStore : public QObject {
    Q_OBJECT
private slots:
    void components() {
        TempAppDir app;
        StoreTestHost host;
        DictionaryStore store(&host.window, host);
        for (const char* name : {"dbDico", "dbLitTable"})
            QVERIFY2(host.window.findChild<dataset::Database*>(name), name);
        for (const char* name : {"taDico", "taChamps", "taCheck", "taLitTable"})
            QVERIFY2(host.window.findChild<dataset::Table*>(name), name);
        for (const char* name : {"dsDico", "dsChamps", "dsLitTable"})
            QVERIFY2(host.window.findChild<dataset::DataSource*>(name), name);
        for (const QString& view : {QStringLiteral("taDico"), QStringLiteral("taChamps")}) {
            for (const QString& field : store::DicoFieldNames())
                QVERIFY2(host.window.findChild<dataset::Field*>(view + field),
                         qPrintable(view + field));
        }
        QCOMPARE(store.taDico().Filter(), QStringLiteral("CT=True"));
        QCOMPARE(store.taChamps().Filter(), QStringLiteral("CC=True"));
    }

    void prepareDataDir() {
        PreparedStore prepared;
        auto& [app, host, store] = prepared;
        QCOMPARE(store.AppDir(), app.dir.path() + "/");
        QCOMPARE(store.DataDir(), app.dataDir());
        QVERIFY(QFileInfo(app.dataDir()).isDir());
        QCOMPARE(store.dbDico().Path(), app.dataDir());
        QVERIFY(!store.dbDico().Connected());
        QVERIFY(store.NomDico().isEmpty());
        QCOMPARE(store.State(), DicoState::NoDictionary);
        store.PrepareDataDir(); // an existing directory is fine
        QCOMPARE(store.DataDir(), app.dataDir());
    }

    // The data directory cannot be made (a file is in its way): an engine error,
    // and the alias keeps its path.
    void prepareDataDirFailure() {
        TempAppDir app;
        QFile blocker(app.dataDir());
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        StoreTestHost host;
        DictionaryStore store(&host.window, host);
        store.dbDico().setPath(QStringLiteral("/nowhere"));
        QVERIFY_THROWS_EXCEPTION(engine::EngineError, store.PrepareDataDir());
        QCOMPARE(store.dbDico().Path(), QStringLiteral("/nowhere"));
    }

    // An executable directory no file can be created in (/proc refuses even
    // root, as a read-only mount does), or the system's program folder that
    // root could write in: the dictionaries go to the user's data folder, and
    // a dictionary can be created there.
    void dataDirFallsBackWhenAppDirIsUnwritable_data() {
        QTest::addColumn<QString>("appDir");
        QTest::newRow("unwritable") << QStringLiteral("/proc");
        QTest::newRow("system programs") << QStringLiteral("/usr/bin");
    }
    void dataDirFallsBackWhenAppDirIsUnwritable() {
        QFETCH(QString, appDir);
        QStandardPaths::setTestModeEnabled(true);
        const QString userData =
            QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
            QStringLiteral("/korvanta");
        QDir(userData).removeRecursively();
        TempAppDir app;
        store::setAppDirOverride(appDir);
        StoreTestHost host;
        DictionaryStore store(&host.window, host);
        store.PrepareDataDir();
        QCOMPARE(store.AppDir(), appDir + QLatin1Char('/'));
        QCOMPARE(store.DataDir(), userData + QStringLiteral("/Datas"));
        QVERIFY(QFileInfo(store.DataDir()).isDir());
        QCOMPARE(store.dbDico().Path(), store.DataDir());
        QVERIFY(store.CreateDico(QStringLiteral("paye")));
        QVERIFY(QFileInfo::exists(store.DataDir() + QStringLiteral("/paye.DB")));
        store.CloseDico();
        QDir(userData).removeRecursively();
        QStandardPaths::setTestModeEnabled(false);
        QVERIFY(!QFileInfo::exists(appDir + QStringLiteral("/Datas")));
    }

    void createRefusals_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty, French") << 0 << ""
                                       << "Nom de dictionnaire non défini...";
        QTest::newRow("empty, English") << 1 << ""
                                        << "The name of the dictionary must be specified...";
        QTest::newRow("same 8 characters, French")
            << 0 << "ABCDEFGHIJK"
            << "Création impossible, dictionnaire déjà existant !";
        QTest::newRow("same 8 characters, English") << 1 << "ABCDEFGHIJK"
                                                    << "A dictionary exists with the same name";
        QTest::newRow("other letter case") << 1 << "abcdefgh"
                                           << "A dictionary exists with the same name";
    }

    // A refused creation gives the refusal in the window's language, shows
    // nothing itself, and touches nothing: the open dictionary, its rows, NomDico.
    void createRefusals() {
        QFETCH(int, language);
        QFETCH(QString, name);
        QFETCH(QString, message);
        PreparedStore prepared(language);
        auto& [app, host, store] = prepared;
        const QString existing = writeDictionary(app.dataDir() + "/ABCDEFGH.DB");
        store.OpenDico(existing);
        const int updates = host.updates;

        const store::DicoCreation creation = store.CreateDico(name);
        QVERIFY(!creation.created);
        QCOMPARE(creation.refusal, message);
        QCOMPARE(widgets::MessageSeam::shownCount(), 0);
        QCOMPARE(store.NomDico(), existing);
        QVERIFY(store.TablesViewOpen() && store.FieldsViewTied());
        QCOMPARE(host.updates, updates);
        QCOMPARE(readRows(existing).size(), 5);
    }

    // The file is the name's first 8 characters + ".DB" in the data directory;
    // NomDico names that file. The new dictionary is empty and untied.
    void createDictionary() {
        PreparedStore prepared;
        auto& [app, host, store] = prepared;
        QVERIFY(store.CreateDico(QStringLiteral("ABCDEFGHIJ")));

        const QString file = app.dataDir() + "/ABCDEFGH.DB";
        QVERIFY(QFile::exists(file));
        QCOMPARE(store.NomDico(), file);
        QVERIFY(QFile::exists(store.NomDico()));
        QCOMPARE(store.State(), DicoState::Empty);
        QVERIFY(store.FieldsViewOpen());
        QVERIFY(!store.FieldsViewTied());
        QCOMPARE(host.updates, 0); // the New command refreshes the commands itself

        const auto table = engine::TableFile::open(file.toStdString());
        QCOMPARE(int(table->fields().size()), 8);
        const auto indexes = table->indexes();
        QCOMPARE(int(indexes.size()), 2);
        QCOMPARE(QString::fromStdString(indexes[0].fields), QStringLiteral("NoEnreg"));
        QVERIFY(indexes[0].options & engine::ixPrimary);
        QCOMPARE(QString::fromStdString(indexes[1].fields), QStringLiteral("Table"));
        QVERIFY(indexes[1].options & engine::ixCaseInsensitive);
        QVERIFY(!(indexes[1].options & engine::ixUnique));
    }

    // A name the engine refuses: its error, nothing open, NomDico kept.
    void createWithInvalidName() {
        PreparedStore prepared;
        auto& [app, host, store] = prepared;
        QVERIFY_THROWS_EXCEPTION(std::exception, store.CreateDico(QStringLiteral("../x")));
        QCOMPARE(store.State(), DicoState::NoDictionary);
        QVERIFY(store.NomDico().isEmpty());
        QVERIFY(!QFile::exists(app.path("x.DB")));
    }

    // Untied, the fields view lists every field entry in number order; tied,
    // only those of the current table entry, whatever their letter case.
    void tyingTheFieldsView() {
        PreparedStore prepared;
        auto& [app, host, store] = prepared;
        QVERIFY(store.CreateDico(QStringLiteral("paye")));
        // Written behind the views' backs, so that nothing ties the view yet.
        appendRows(store.NomDico(),
                   {tableEntry(1, "Zeta"), fieldEntry(2, "Zeta", "z1"), tableEntry(3, "Alpha"),
                    fieldEntry(4, "Alpha", "a1"), fieldEntry(5, "zeta", "z2")});
        store.taChamps().Refresh();
        QCOMPARE(column(store.taChamps(), "Champ"), (QStringList{"z1", "a1", "z2"}));
        QCOMPARE(store.taDico().RecordCount(), 5); // the filter does not reduce it

        store.LinkChampsToDico();
        QVERIFY(store.FieldsViewTied());
        store.taDico().First();
        QCOMPARE(store.taDico().FieldByName("Table")->AsString(), QStringLiteral("Alpha"));
        QCOMPARE(column(store.taChamps(), "Champ"), (QStringList{"a1"}));
        store.taDico().Next();
        QCOMPARE(column(store.taChamps(), "Champ"), (QStringList{"z1", "z2"}));
    }

    // A new dictionary gets tied by the tables view's data-change event as soon
    // as it holds more than one row, and the caption then names it.
    void newDictionaryTiesItselfOnTheSecondRow() {
        PreparedStore prepared;
        auto& [app, host, store] = prepared;
        QVERIFY(store.CreateDico(QStringLiteral("paye")));
        dataset::Table& dico = store.taDico();
        auto post = [&](int no, bool ct) {
            dico.Append();
            dico.FieldByName("NoEnreg")->setAsInteger(no);
            dico.FieldByName("Table")->setAsString("T.DB");
            dico.FieldByName(ct ? "CT" : "CC")->setAsBoolean(true);
            dico.Post();
        };
        post(1, true);
        QVERIFY(!store.FieldsViewTied());
        QCOMPARE(store.State(), DicoState::Filled);
        post(2, false);
        QVERIFY(store.FieldsViewTied());
        QCOMPARE(host.caption(), "Korvanta - " + store.NomDico());
        post(3, false); // the reopened view takes further rows
        QCOMPARE(readRows(store.NomDico()).size(), 3);
        QCOMPARE(store.taChamps().RecordCount(), 3); // the entry and its two fields
    }

    // The tables view lists in number order until the first creation or tie
    // of the run; from then on in table-name order, across later opens.
    void tablesViewOrder_data() {
        QTest::addColumn<QString>("before");
        QTest::newRow("nothing") << "";
        QTest::newRow("a creation") << "create";
        QTest::newRow("a tie") << "tie";
    }

    void tablesViewOrder() {
        QFETCH(QString, before);
        PreparedStore prepared;
        auto& [app, host, store] = prepared;
        const QString path = writeDictionary(app.dataDir() + "/ordre.DB");
        if (before == "create")
            QVERIFY(store.CreateDico(QStringLiteral("autre")));
        if (before == "tie") {
            store.OpenDico(path);
            store.LinkChampsToDico();
        }
        store.OpenDico(path);
        const QStringList expected =
            before.isEmpty() ? QStringList{"Zeta", "Alpha"} : QStringList{"Alpha", "Zeta"};
        QCOMPARE(column(store.taDico(), "Table"), expected);
        // Opening ties at once: the fields of the first listed table only.
        store.taDico().First();
        const QStringList firstFields =
            before.isEmpty() ? QStringList{"z1", "z2"} : QStringList{"a1"};
        QCOMPARE(column(store.taChamps(), "Champ"), firstFields);
    }

    void openDictionary() {
        PreparedStore prepared;
        auto& [app, host, store] = prepared;
        store.OpenDico(QString()); // nothing happens
        QCOMPARE(store.State(), DicoState::NoDictionary);
        QCOMPARE(host.updates, 0);

        const QString path = writeDictionary(app.path("ailleurs.db"));
        store.OpenDico(path);
        QCOMPARE(store.NomDico(), path);
        QCOMPARE(store.State(), DicoState::Filled);
        QVERIFY(store.FieldsViewTied());
        QCOMPARE(host.caption(), "Korvanta - " + path);
        QCOMPARE(host.repaints, 1);
        QCOMPARE(host.updates, 1);

        // A dictionary whose rows carry neither flag shows no row but still
        // counts as filled: the state follows the engine's row count.
        const QString odd = app.path("odd.db");
        store::CreateDicoFile(odd);
        store::DicoRow bare;
        bare.noEnreg = 1;
        bare.table = "X";
        appendRows(odd, {bare});
        store.OpenDico(odd);
        QCOMPARE(store.State(), DicoState::Filled);
        QVERIFY(store.taDico().IsEmpty());
    }

    // A table lacking a dictionary field: the dataset layer's error, the
    // previous dictionary closed, NomDico already the new path.
    void openSomethingElse() {
        PreparedStore prepared;
        auto& [app, host, store] = prepared;
        store.OpenDico(writeDictionary(app.path("bon.db")));
        const QString other = app.path("autre.db");
        engine::createTable(other.toStdString(),
                            {{"NoEnreg", engine::FieldType::Long, 0, false},
                             {"Table", engine::FieldType::Alpha, 12, false}},
                            {});
        const int updates = host.updates;
        QVERIFY_THROWS_EXCEPTION(std::exception, store.OpenDico(other));
        QCOMPARE(store.State(), DicoState::NoDictionary);
        QCOMPARE(store.NomDico(), other);
        QCOMPARE(host.updates, updates);

        // Closing forgets that name, so the window can show no dictionary.
        store.CloseDico();
        QVERIFY(store.NomDico().isEmpty());
        QVERIFY(!store.FieldsViewOpen());
        QCOMPARE(store.State(), DicoState::NoDictionary);
        QCOMPARE(host.updates, updates + 1);
    }

    void deleteDictionaries() {
        PreparedStore prepared;
        auto& [app, host, store] = prepared;
        const QString other = writeDictionary(app.dataDir() + "/autre.DB");
        QVERIFY(store.CreateDico(QStringLiteral("paye")));
        const QString open = store.NomDico();
        host.captions.clear();

        // Another dictionary: the open one stays as it is.
        store.DeleteDico(other);
        QVERIFY(!QFile::exists(other));
        QCOMPARE(host.updates, 1);
        QVERIFY(store.TablesViewOpen() && store.FieldsViewOpen());

        // A vanished file: nothing, not even a refresh.
        store.DeleteDico(other);
        QCOMPARE(host.updates, 1);

        // The open one: both views closed first, every file of it gone, the
        // caption and NomDico left as they were.
        store.DeleteDico(open);
        QCOMPARE(store.State(), DicoState::NoDictionary);
        QVERIFY(!store.FieldsViewOpen());
        QVERIFY(store.taDico().TableName().isEmpty());
        QCOMPARE(QDir(app.dataDir()).entryList(QDir::Files), QStringList());
        QCOMPARE(host.updates, 2);
        QCOMPARE(store.NomDico(), open);
        QVERIFY(host.captions.isEmpty());
    }

    void discardDictionary() {
        PreparedStore prepared;
        auto& [app, host, store] = prepared;
        QVERIFY(store.CreateDico(QStringLiteral("vide")));
        store.DiscardDico();
        QCOMPARE(store.State(), DicoState::NoDictionary);
        QCOMPARE(QDir(app.dataDir()).entryList(QDir::Files), QStringList());
        QCOMPARE(host.updates, 1);
    }
};

QTEST_MAIN(TestDictionaryStore)
#include "tst_dictionarystore.moc"
