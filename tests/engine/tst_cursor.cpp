// Cursor movement on the edges: empty views, the ends of a view, a range on the first
// field of a composite primary key, lookups on part of a key, orders chosen by field
// names, walks that change the rows they pass, and steps that pass over hidden rows.

#include <QtTest>

#include "engine/Engine.h"

using namespace engine;

class TestCursor : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        m_file = std::filesystem::path(m_dir.path().toStdString()) / "ORDERS.DB";
        createTable(m_file,
                    {{"Client", FieldType::Alpha, 6},
                     {"Line", FieldType::Short},
                     {"Item", FieldType::Alpha, 10}},
                    {{"", {"Client", "Line"}, ixPrimary}});
        addIndex(m_file, {"ByItem", {"Item"}, ixCaseInsensitive});
    }

    void emptyView() {
        auto t = TableFile::open(m_file);
        Cursor c(t);
        QVERIFY(!c.first());
        QVERIFY(!c.last());
        QVERIFY(!c.next());
        QVERIFY(!c.atRow());
        QCOMPARE(c.count(), int64_t(0));
        QVERIFY_THROWS_EXCEPTION(EngineError, c.row());
        QVERIFY_THROWS_EXCEPTION(EngineError, c.remove());
        QVERIFY(!c.findKey({Value::fromText("X")}));
    }

    void compositeKeyRanges() {
        auto t = TableFile::open(m_file);
        Cursor c(t);
        for (const char* client : {"BETA", "ALPHA", "GAMMA"})
            for (int line = 3; line >= 1; --line)
                c.insert({Value::fromText(client), Value::fromInt(line),
                          Value::fromText(std::string("item") + char('0' + line))});
        QCOMPARE(c.count(), int64_t(9));
        QCOMPARE(c.index().fields, std::string("Client;Line"));

        c.setRange(Value::fromText("BETA"));
        QCOMPARE(c.count(), int64_t(3));
        QVERIFY(c.first());
        QCOMPARE(c.row()[1].integer, int64_t(1));
        QVERIFY(c.next());
        QVERIFY(c.next());
        QVERIFY(!c.next()); // the end of the range: stays on the last row
        QCOMPARE(c.row()[1].integer, int64_t(3));
        QVERIFY(!c.findKey({Value::fromText("ALPHA"), Value::fromInt(1)})); // outside the range
        c.clearRange();
        QVERIFY(c.findKey({Value::fromText("ALPHA"), Value::fromInt(2)}));
        QCOMPARE(c.row()[2].text, std::string("item2"));
        QVERIFY(c.findKey({Value::fromText("GAMMA")})); // part of the key: the first match
        QCOMPARE(c.row()[1].integer, int64_t(1));
        QVERIFY(!c.findKey({Value::fromText("gamma")})); // the primary index is case-sensitive
        QVERIFY(c.last());
        QVERIFY(!c.next());
        QVERIFY(c.prior());
        QCOMPARE(c.row()[1].integer, int64_t(2));

        // By field names: the key's first field is the primary order; an unknown
        // field or an unindexed one is refused.
        Cursor byClient(t, {"client"});
        QCOMPARE(byClient.index().fields, std::string("Client;Line"));
        Cursor byItem(t, {"ITEM"});
        QCOMPARE(byItem.index().name, std::string("ByItem"));
        byItem.setRange(Value::fromText("ITEM1"));
        QCOMPARE(byItem.count(), int64_t(3));
        try {
            Cursor bad(t, {"Line"});
            QFAIL("an order without an index was accepted");
        } catch (const EngineError& e) {
            QCOMPARE(e.code(), ErrorCode::IndexNotFound);
        }
    }

    void removeLastRowMovesBack() {
        auto t = TableFile::open(m_file);
        Cursor c(t);
        QVERIFY(c.last());
        const int64_t before = c.count();
        c.remove();
        QVERIFY(c.atRow()); // the previous row, as the next one does not exist
        QCOMPARE(c.row()[0].text, std::string("GAMMA"));
        QCOMPARE(c.row()[1].integer, int64_t(2));
        QCOMPARE(c.count(), before - 1);
    }

    // A walk that rewrites rows as it goes (as describing a dictionary does) reaches
    // every row once, in order, in a table of many blocks, whether the walk follows
    // the primary order or a secondary one, in one transaction or a commit per row; a
    // null read after a row that held a value reads as a null with nothing in it.
    void walkThatRewritesRows() {
        const auto file = std::filesystem::path(m_dir.path().toStdString()) / "WALK.DB";
        createTable(file,
                    {{"Id", FieldType::Long},
                     {"Name", FieldType::Alpha, 40},
                     {"Note", FieldType::Alpha, 120}},
                    {{"", {"Id"}, ixPrimary}});
        addIndex(file, {"ByName", {"Name"}, ixCaseInsensitive});
        constexpr int kRows = 3000;
        {
            auto t = TableFile::open(file);
            Cursor c(t);
            t->beginTransaction();
            for (int i = 0; i < kRows; ++i)
                c.insert(
                    {Value::fromInt(i), Value::fromText("n" + std::to_string(i % 97)), Value()});
            t->commit();
        }
        for (const bool byName : {false, true})
            for (const bool oneTransaction : {false, true}) {
                auto t = TableFile::open(file);
                Cursor c = byName ? Cursor(t, {"Name"}) : Cursor(t);
                if (oneTransaction)
                    t->beginTransaction();
                std::vector<int64_t> seen;
                std::pair<std::string, int64_t> previous{"", -1};
                for (bool more = c.first(); more; more = c.next()) {
                    Row row = c.row();
                    // In name order, equal names follow the primary key.
                    const std::pair<std::string, int64_t> at{byName ? row[1].text : "",
                                                             row[0].integer};
                    QVERIFY(at > previous);
                    previous = at;
                    // Every third row keeps its null note: no payload from the row before.
                    if (row[0].integer % 3 == 0)
                        QVERIFY(row[2].isNull() && row[2].text.empty());
                    seen.push_back(row[0].integer);
                    row[2] = Value::fromText(std::string(seen.size() % 7 + 1, 'x'));
                    if (row[0].integer % 3 != 0)
                        c.update(row);
                }
                if (oneTransaction)
                    t->commit();
                std::sort(seen.begin(), seen.end());
                QCOMPARE(int(seen.size()), kRows);
                QVERIFY2(std::adjacent_find(seen.begin(), seen.end()) == seen.end(),
                         "a row was visited twice");
                QCOMPARE(seen.back(), int64_t(kRows - 1));
            }
    }

    // A step that passes over the rows a Boolean field hides lands where plain steps
    // tested one by one land, from every row, both ways, in the primary order and in a
    // secondary one (walked in its files, then built in memory after a write), with and
    // without a range; when no row shows, it stays where it was. Nulls hide rows too.
    void filteredStepsLandWhereTestedStepsDo() {
        const auto file = std::filesystem::path(m_dir.path().toStdString()) / "SHOWN.DB";
        createTable(file,
                    {{"Id", FieldType::Long},
                     {"Grp", FieldType::Alpha, 8},
                     {"Shown", FieldType::Logical},
                     {"Pad", FieldType::Alpha, 200}},
                    {{"", {"Id"}, ixPrimary}});
        addIndex(file, {"ByGrp", {"Grp"}, ixCaseInsensitive});
        const auto shownValue = [](int id) {
            return id % 13 == 5 ? Value() : Value::fromBool(id % 7 == 0 || id % 11 == 3);
        };
        {
            auto t = TableFile::open(file);
            Cursor c(t);
            t->beginTransaction();
            for (int id = 0; id < 400; ++id)
                c.insert({Value::fromInt(id),
                          Value::fromText(id % 5 ? "g" + std::to_string(id % 4) : "ALONE"),
                          shownValue(id), Value::fromText(std::string(150, 'p'))});
            t->commit();
        }
        const Cursor::Shown only{2, true};
        const auto shows = [](const Row& r) {
            return r[2].kind == Value::Kind::Boolean && r[2].boolean;
        };
        for (const bool afterWrite : {false, true}) {
            auto t = TableFile::open(file);
            if (afterWrite)
                Cursor(t).insert({Value::fromInt(1000), Value::fromText("g1"), Value(), Value()});
            for (const bool byGroup : {false, true})
                for (const char* range : {"", "G1", "alone"}) {
                    if (!byGroup && *range)
                        continue; // a range is on the order's first field
                    Cursor c = byGroup ? Cursor(t, {"Grp"}) : Cursor(t);
                    if (*range)
                        c.setRange(Value::fromText(range));
                    std::vector<int64_t> ids; // the view, walked plainly
                    std::vector<bool> shown;
                    for (bool more = c.first(); more; more = c.next()) {
                        ids.push_back(c.row()[0].integer);
                        shown.push_back(shows(c.row()));
                    }
                    QVERIFY(ids.size() > 2);
                    const auto expected = [&](size_t from, bool forward) {
                        for (size_t k = from; forward ? k + 1 < ids.size() : k > 0;) {
                            k = forward ? k + 1 : k - 1;
                            if (shown[k])
                                return int64_t(k);
                        }
                        return int64_t(-1);
                    };
                    // From no row: the first (last) shown row, as from before the edge;
                    // nothing at all under a filter that shows nothing.
                    const auto edge = [&](bool forward) {
                        return forward ? expected(size_t(-1), true) : expected(ids.size(), false);
                    };
                    for (const bool forward : {true, false}) {
                        Cursor fresh = byGroup ? Cursor(t, {"Grp"}) : Cursor(t);
                        if (*range)
                            fresh.setRange(Value::fromText(range));
                        const int64_t want = edge(forward);
                        QCOMPARE(forward ? fresh.firstInWalk(&only) : fresh.step(false, only),
                                 want >= 0);
                        if (want >= 0)
                            QCOMPARE(fresh.row()[0].integer, ids[size_t(want)]);
                        Cursor blind = byGroup ? Cursor(t, {"Grp"}) : Cursor(t);
                        QVERIFY(!blind.step(forward, Cursor::Shown{3, true}) && !blind.atRow());
                    }
                    QVERIFY(c.first());
                    for (size_t at = 0; at < ids.size(); ++at) {
                        for (const bool forward : {true, false}) {
                            const int64_t want = expected(at, forward);
                            const QByteArray where = QByteArray::number(qlonglong(at)) +
                                                     (forward ? " forward in " : " back in ") +
                                                     (byGroup ? "group " : "key ") + range;
                            QVERIFY2(c.step(forward, only) == (want >= 0), where);
                            QVERIFY2(c.row()[0].integer == ids[want >= 0 ? size_t(want) : at],
                                     where);
                            for (int64_t k = want; k >= 0 && k != int64_t(at);)
                                k += forward ? (c.prior(), -1) : (c.next(), 1);
                            QVERIFY2(c.row()[0].integer == ids[at], where);
                        }
                        if (at + 1 < ids.size())
                            QVERIFY(c.next());
                    }
                }
        }
    }

private:
    QTemporaryDir m_dir;
    std::filesystem::path m_file;
};

QTEST_GUILESS_MAIN(TestCursor)
#include "tst_cursor.moc"
