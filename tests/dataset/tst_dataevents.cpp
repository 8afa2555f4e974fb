// Data-change and state-change events: which operations raise them, in what order, what a
// handler sees, and that a handler may close and reopen the views it is called for.
#include "DictionaryFixture.h"

#include "framework/dataset/Field.h"

#include <QTest>

using namespace dataset;

namespace {
const QString kDico = QStringLiteral("PAYE.DB");

QString stateName(DataSetState s) {
    switch (s) {
    case DataSetState::Inactive:
        return "Inactive";
    case DataSetState::Browse:
        return "Browse";
    case DataSetState::Edit:
        return "Edit";
    case DataSetState::Insert:
        return "Insert";
    }
    return {};
}

// Records the events of one data source as short texts.
struct EventLog {
    QStringList events;
    QObject context; // disconnects the recording when the log goes
    explicit EventLog(DataSource* ds) {
        QObject::connect(ds, &DataSource::stateChanged, &context,
                         [this, ds] { events << "state:" + stateName(ds->State()); });
        QObject::connect(ds, &DataSource::dataChanged, &context, [this](Field* f) {
            events << (f ? "field:" + f->FieldName() : QStringLiteral("data"));
        });
    }
    QStringList take() {
        QStringList out = events;
        events.clear();
        return out;
    }
};
} // namespace

class TestDataEvents : public QObject {
    Q_OBJECT
private slots:
    // Each operation raises its events in this order: the state change first, then the data
    // change; moves that do not move raise nothing; a closed view raises no data change.
    void eventsOfEachOperation() {
        DictionaryFixture fx;
        fx.createSample(kDico);
        Table* t = fx.view(kDico, "CT=True");
        EventLog log(fx.source(t));
        t->Open();
        QCOMPARE(log.take(), (QStringList{"state:Browse", "data"}));
        t->Next();
        QCOMPARE(log.take(), QStringList{"data"});
        t->Last();
        log.take();
        t->Next(); // already on the last row
        QCOMPARE(log.take(), QStringList());
        t->Edit();
        QCOMPARE(log.take(), (QStringList{"state:Edit", "data"}));
        t->FieldByName("Description")->setAsString("x");
        QCOMPARE(log.take(), QStringList{"field:Description"});
        t->Post();
        QCOMPARE(log.take(), (QStringList{"state:Browse", "data"}));
        t->Append();
        QCOMPARE(log.take(), (QStringList{"state:Insert", "data"}));
        t->Cancel();
        QCOMPARE(log.take(), (QStringList{"state:Browse", "data"}));
        t->Delete();
        QCOMPARE(log.take(), QStringList{"data"});
        t->Refresh();
        QCOMPARE(log.take(), QStringList{"data"});
        t->Close();
        QCOMPARE(log.take(), QStringList{"state:Inactive"});
        t->setFilter("CC=True");
        t->setIndexFieldNames("Table");
        QCOMPARE(log.take(), QStringList());
    }

    // A data-change handler called after Post already counts the posted row; one called
    // while a row is being inserted does not count it yet.
    void countSeenByHandlers() {
        DictionaryFixture fx;
        fx.createDictionary(kDico);
        Table* t = fx.view(kDico, "CT=True");
        DataSource* ds = fx.source(t);
        QList<int> countsAfterRowChange, countsAfterFieldChange;
        QObject::connect(ds, &DataSource::dataChanged, ds, [&](Field* f) {
            (f ? countsAfterFieldChange : countsAfterRowChange) << t->RecordCount();
        });
        t->Open();
        appendDicoRow(t, {1, "CLIENTS.DB", true, {}});
        appendDicoRow(t, {2, "CLIENTS.DB", false, "Code"});
        // Open, Append, Post, Append, Post.
        QCOMPARE(countsAfterRowChange, (QList<int>{0, 0, 1, 1, 2}));
        QVERIFY(!countsAfterFieldChange.isEmpty());
        QCOMPARE(countsAfterFieldChange.first(), 0);
        QCOMPARE(countsAfterFieldChange.last(), 1);
    }

    // Data events reach whoever listens, however other listeners came and went: one that
    // leaves by its own connection, one whose every connection is cut at once, one that
    // goes with its context.
    void listenersComeAndGo() {
        DictionaryFixture fx;
        fx.createDictionary(kDico);
        Table* t = fx.view(kDico);
        DataSource* ds = fx.source(t);
        t->Open();
        int kept = 0, later = 0;
        QObject keeper, other;
        QObject::connect(ds, &DataSource::dataChanged, &keeper, [&](Field*) { ++kept; });
        const auto gone = QObject::connect(ds, &DataSource::dataChanged, [](Field*) {});
        QObject::connect(ds, &DataSource::dataChanged, &other, [](Field*) {});
        QObject::connect(ds, &DataSource::stateChanged, &other, [] {});
        { EventLog log(ds); }
        QObject::disconnect(gone);
        ds->disconnect(&other);
        appendDicoRow(t, {1, "CLIENTS.DB", true, {}});
        QVERIFY(kept > 0);
        QObject::disconnect(ds, &DataSource::dataChanged, &keeper, nullptr);
        QObject::connect(ds, &DataSource::dataChanged, &keeper, [&](Field*) { ++later; });
        t->First();
        t->Refresh();
        QVERIFY(later > 0);
    }

    // The detail has already followed the master when the master's data-change handler runs.
    void detailFollowsBeforeMasterHandler() {
        DictionaryFixture fx;
        fx.createSample(kDico);
        Table* master = fx.view(kDico, "CT=True", "Table");
        DataSource* ds = fx.source(master);
        Table* detail = fx.view(kDico, "CC=True", "Table");
        detail->setMasterSource(ds);
        detail->setMasterFields("Table");
        QStringList seen;
        QObject::connect(ds, &DataSource::dataChanged, ds, [&](Field* f) {
            if (!f && detail->Active() && !detail->IsEmpty())
                seen << master->FieldByName("Table")->AsString().toUpper() + "=" +
                            detail->FieldByName("Table")->AsString().toUpper();
        });
        detail->Open();
        master->Open();
        master->Next();
        master->Next();
        QCOMPARE(seen, (QStringList{"ARTICLES.DB=ARTICLES.DB", "CLIENTS.DB=CLIENTS.DB",
                                    "ZETA.DB=ZETA.DB"}));
    }

    // The detail's state changes reach its own data source as the master opens and closes
    // it (the main window shows the fields grid from that event).
    void detailStateChanges() {
        DictionaryFixture fx;
        fx.createSample(kDico);
        Table* detail = fx.view(kDico, "CC=True");
        EventLog log(fx.source(detail));
        detail->Open();
        detail->Close();
        detail->Open();
        QCOMPARE(log.take(),
                 (QStringList{"state:Browse", "data", "state:Inactive", "state:Browse", "data"}));
    }

    // The way a new dictionary gets its fields view tied: the tables view's data-change
    // handler, as soon as the tables view reports more than one row, closes both views,
    // ties the fields view and reopens both — between two posts of a capture. The capture
    // then goes on appending through the reopened tables view.
    void tieBetweenTwoPosts() {
        DictionaryFixture fx;
        fx.createDictionary(kDico);
        Table* taDico = fx.view(kDico, "CT=True", {}, "taDico");
        DataSource* dsDico = fx.source(taDico, "dsDico");
        Table* taChamps = fx.view(kDico, "CC=True", {}, "taChamps");
        DictionaryFixture::declareDictionaryFields(taDico);
        DictionaryFixture::declareDictionaryFields(taChamps);
        int ties = 0;
        QList<int> countsAtTie;
        QObject::connect(dsDico, &DataSource::dataChanged, dsDico, [&](Field*) {
            if (!taDico->Active() || !taChamps->Active() || taChamps->MasterSource() ||
                taDico->RecordCount() <= 1)
                return;
            ++ties;
            countsAtTie << taDico->RecordCount();
            taDico->Close();
            taDico->setIndexFieldNames("Table");
            taChamps->Close();
            taChamps->setIndexFieldNames("Table");
            taChamps->setMasterSource(dsDico);
            taChamps->setMasterFields("Table");
            taChamps->Open();
            taDico->Open();
        });
        taDico->Open();
        taChamps->Open();
        const QList<DicoRowSpec> capture{{1, "CLIENTS.DB", true, {}},
                                         {2, "CLIENTS.DB", false, "Code"},
                                         {3, "CLIENTS.DB", false, "Nom"},
                                         {4, "CLIENTS.DB", false, "Ville"}};
        for (const DicoRowSpec& row : capture)
            appendDicoRow(taDico, row);
        QCOMPARE(ties, 1);
        QCOMPARE(countsAtTie, QList<int>{2});
        QCOMPARE(taDico->RecordCount(), 4);
        QCOMPARE(taDico->IndexFieldNames(), QString("Table"));
        QCOMPARE(taDico->FieldByName("Table")->AsString(), QString("CLIENTS.DB"));
        QStringList champs = columnValues(taChamps, "Champ");
        champs.sort();
        QCOMPARE(champs, (QStringList{"Code", "Nom", "Ville"}));
        QCOMPARE(taChamps->RecordCount(), 4);
    }

    // A handler that closes the view during an operation stops the events of that operation
    // there, and nothing else breaks.
    void handlerClosingTheView() {
        DictionaryFixture fx;
        fx.createSample(kDico);
        Table* t = fx.view(kDico, "CT=True");
        DataSource* ds = fx.source(t);
        int dataEvents = 0;
        QObject::connect(ds, &DataSource::stateChanged, ds, [&] {
            if (t->State() == DataSetState::Browse && t->Modified() == false && dataEvents > 0)
                t->Close();
        });
        QObject::connect(ds, &DataSource::dataChanged, ds, [&](Field*) { ++dataEvents; });
        t->Open();
        QCOMPARE(dataEvents, 1);
        t->Edit();
        t->FieldByName("Description")->setAsString("y");
        const int before = dataEvents;
        t->Post(); // the state handler closes the view: no data change follows
        QVERIFY(!t->Active());
        QCOMPARE(dataEvents, before);
        Table* check = fx.view(kDico);
        check->Open();
        QVERIFY(check->FindKey({1}));
        QCOMPARE(check->FieldByName("Description")->AsString(), QString("y"));
    }
};

QTEST_GUILESS_MAIN(TestDataEvents)
#include "tst_dataevents.moc"
