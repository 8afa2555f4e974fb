// Index maintenance under random inserts, edits and deletes, checked against a simple
// in-memory model: the primary order, the case-insensitive secondary order, ranges on
// it, counts, and the integrity checker on the files (key order, no empty block,
// counters, back links, free list). After the table is closed, the index files written
// at flush agree with the rows and give the same orders when the table is opened again.

#include <QtTest>

#include "engine/Engine.h"
#include "engine/IntegrityCheck.h"

#include <fstream>
#include <map>
#include <random>

using namespace engine;

namespace {

std::string readFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Upper case as the table's code page (1252) folds it: ASCII letters and the accented
// letters used here. Their UTF-8 bytes order like their code-page bytes.
std::string upper(std::string s) {
    for (auto [lower, up] : {std::pair{"é", "É"}, {"è", "È"}})
        for (size_t p; (p = s.find(lower)) != std::string::npos;)
            s.replace(p, 2, up);
    for (char& c : s)
        if (c >= 'a' && c <= 'z')
            c = char(c - 32);
    return s;
}

struct Model {
    std::map<int, std::pair<std::string, std::string>> rows; // key -> (Table, Description)

    // (folded Table, key) order of the case-insensitive index.
    std::vector<int> secondaryOrder(const std::string* only = nullptr) const {
        std::vector<std::pair<std::string, int>> v;
        for (const auto& [k, r] : rows)
            if (!only || upper(r.first) == upper(*only))
                v.emplace_back(upper(r.first), k);
        std::sort(v.begin(), v.end());
        std::vector<int> keys;
        for (auto& p : v)
            keys.push_back(p.second);
        return keys;
    }
};

Row makeRow(int key, const std::string& table, const std::string& desc) {
    return {Value::fromInt(key), Value::fromText(table), Value::fromText(desc)};
}

std::vector<int> walk(Cursor& c) {
    std::vector<int> keys;
    for (bool ok = c.first(); ok; ok = c.next())
        keys.push_back(int(c.row()[0].integer));
    return keys;
}

std::vector<int> walkBack(Cursor& c) {
    std::vector<int> keys;
    for (bool ok = c.last(); ok; ok = c.prior())
        keys.insert(keys.begin(), int(c.row()[0].integer));
    return keys;
}

// What the integrity checker finds in the family on disk: the chain (key order, no
// empty block, back links), the header's counters, the free list and, once the index
// files are written, the .PX and .XG0/.YG0 against the rows. "" when sound.
std::string problems(const std::filesystem::path& file) {
    std::string text;
    for (const IntegrityFinding& f : IntegrityCheck::of(file))
        text += f.file + ": " + f.what + "\n";
    return text;
}

const char* kNames[] = {"Clients", "CLIENTS", "commandes", "Articles", "été",
                        "ÉTÉ",     "zèbre",   "Abc",       "abd"};

} // namespace

class TestIndexMaint : public QObject {
    Q_OBJECT

private slots:
    void randomOperations_data() {
        QTest::addColumn<int>("seed");
        QTest::addColumn<int>("operations");
        QTest::newRow("small") << 1 << 300;
        QTest::newRow("many blocks") << 7 << 3000;
        QTest::newRow("grow then shrink") << 42 << 2000;
    }

    void randomOperations() {
        QFETCH(int, seed);
        QFETCH(int, operations);
        QTemporaryDir dir;
        const std::filesystem::path file =
            std::filesystem::path(dir.path().toStdString()) / "RND.DB";
        createTable(file,
                    {{"NoEnreg", FieldType::Long},
                     {"Table", FieldType::Alpha, 12},
                     {"Description", FieldType::Alpha, 120}},
                    {{"", {"NoEnreg"}, ixPrimary}});
        addIndex(file, {"IndTable", {"Table"}, ixCaseInsensitive});
        std::mt19937 rng{uint32_t(seed)};
        Model model;
        const bool shrink = seed == 42;
        {
            auto t = TableFile::open(file);
            Cursor primary(t);
            Cursor byTable(t, {"Table"});
            for (int op = 0; op < operations; ++op) {
                const int kind = int(rng() % 10);
                const int key = int(rng() % 2000) + 1;
                const std::string table = kNames[rng() % std::size(kNames)];
                const bool deleting = shrink ? op > operations / 2 && kind < 8 : kind >= 7;
                if (deleting && !model.rows.empty()) {
                    auto it = model.rows.lower_bound(key);
                    if (it == model.rows.end())
                        it = model.rows.begin();
                    QVERIFY(primary.findKey({Value::fromInt(it->first)}));
                    primary.remove();
                    model.rows.erase(it);
                } else if (kind == 6 && !model.rows.empty()) {
                    auto it = model.rows.lower_bound(key);
                    if (it == model.rows.end())
                        it = model.rows.begin();
                    QVERIFY(byTable.findKey({Value::fromText(it->second.first)}));
                    QVERIFY(primary.findKey({Value::fromInt(it->first)}));
                    primary.update(makeRow(it->first, table, "edited " + std::to_string(op)));
                    it->second = {table, "edited " + std::to_string(op)};
                } else if (!model.rows.count(key)) {
                    primary.insert(makeRow(key, table, "row " + std::to_string(op)));
                    model.rows[key] = {table, "row " + std::to_string(op)};
                    QCOMPARE(int(primary.row()[0].integer), key);
                } else {
                    QVERIFY_THROWS_EXCEPTION(EngineError,
                                             primary.insert(makeRow(key, table, "dup")));
                }
                if (op % 97 == 0 || op == operations - 1) {
                    checkOrders(t, model);
                    const std::string problem = problems(file);
                    QVERIFY2(problem.empty(), problem.c_str());
                }
            }
            t->flush();
        }
        // Closed: index files written, and checked against the rows (byte 0x4F clear).
        // Reopened, they give the same orders.
        QCOMPARE(int(readFile(file)[0x4F]), 0);
        const std::string problem = problems(file);
        QVERIFY2(problem.empty(), problem.c_str());
        auto t = TableFile::open(file);
        QCOMPARE(t->recordCount(), uint32_t(model.rows.size()));
        checkOrders(t, model);
    }

    // A cursor keeps its place while another cursor on the same table writes.
    void cursorsFollowOtherWriters() {
        QTemporaryDir dir;
        const std::filesystem::path file =
            std::filesystem::path(dir.path().toStdString()) / "SHARED.DB";
        createTable(file,
                    {{"NoEnreg", FieldType::Long},
                     {"Table", FieldType::Alpha, 12},
                     {"D", FieldType::Alpha, 10}},
                    {{"", {"NoEnreg"}, ixPrimary}});
        addIndex(file, {"IndTable", {"Table"}, ixCaseInsensitive});
        auto t = TableFile::open(file);
        Cursor writer(t);
        for (int i = 1; i <= 10; ++i)
            writer.insert(makeRow(i, i % 2 ? "odd" : "EVEN", ""));
        Cursor reader(t);
        QVERIFY(reader.findKey({Value::fromInt(5)}));
        QVERIFY(writer.findKey({Value::fromInt(5)}));
        writer.remove(); // the reader's row goes: it moves to the next one
        QVERIFY(reader.atRow());
        QVERIFY(reader.next());
        QCOMPARE(reader.row()[0].integer, int64_t(7));
        QVERIFY(reader.prior());
        QCOMPARE(reader.row()[0].integer, int64_t(6));
        writer.insert(makeRow(0, "odd", "")); // before it: it stays on its row
        QVERIFY(reader.next());
        QCOMPARE(reader.row()[0].integer, int64_t(7));
        // A detail view on "ODD" through the case-insensitive index.
        Cursor detail(t, {"Table"});
        detail.setRange(Value::fromText("ODD"));
        QCOMPARE(detail.count(), int64_t(5)); // 0, 1, 3, 7, 9
        QVERIFY(detail.first());
        QCOMPARE(detail.row()[0].integer, int64_t(0));
        writer.insert(makeRow(11, "Odd", ""));
        QCOMPARE(detail.count(), int64_t(6));
        QVERIFY(detail.last());
        QCOMPARE(detail.row()[0].integer, int64_t(11));
        while (detail.first())
            detail.remove();
        QVERIFY(!detail.atRow());
        QCOMPARE(detail.count(), int64_t(0));
        QCOMPARE(Cursor(t).count(), int64_t(5)); // the even rows 2, 4, 6, 8, 10
        detail.setRange(Value::fromText("even"));
        QCOMPARE(detail.count(), int64_t(5));
        // A key longer than the field is cut to its width.
        writer.insert(makeRow(20, "ABCDEFGHIJKL", ""));
        Cursor byTable(t, {"Table"});
        QVERIFY(byTable.findKey({Value::fromText("abcdefghijklMNOP")}));
        QCOMPARE(byTable.row()[0].integer, int64_t(20));
        QVERIFY(!byTable.findKey({Value::fromText("abcdefghijk")}));
    }

private:
    void checkOrders(const std::shared_ptr<TableFile>& t, const Model& model) {
        std::vector<int> keys;
        for (const auto& kv : model.rows)
            keys.push_back(kv.first);
        Cursor primary(t);
        QCOMPARE(primary.count(), int64_t(keys.size()));
        QCOMPARE(walk(primary), keys);
        Cursor byTable(t, {"Table"});
        QCOMPARE(walk(byTable), model.secondaryOrder());
        QCOMPARE(walkBack(byTable), model.secondaryOrder());
        for (const char* name : kNames) {
            const std::string n = name;
            const std::vector<int> expected = model.secondaryOrder(&n);
            byTable.setRange(Value::fromText(upper(n) == n ? n : upper(n)));
            QCOMPARE(byTable.count(), int64_t(expected.size()));
            QCOMPARE(walk(byTable), expected);
            byTable.clearRange();
            QCOMPARE(byTable.findKey({Value::fromText(n)}), !expected.empty());
        }
        // Every row reads back with its values.
        for (bool ok = primary.first(); ok; ok = primary.next()) {
            const auto& r = model.rows.at(int(primary.row()[0].integer));
            QCOMPARE(primary.row()[1].text, r.first);
            QCOMPARE(primary.row()[2].text, r.second);
        }
    }
};

QTEST_GUILESS_MAIN(TestIndexMaint)
#include "tst_indexmaint.moc"
