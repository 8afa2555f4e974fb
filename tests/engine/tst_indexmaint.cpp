// Index maintenance under random inserts, edits and deletes, checked against a simple
// in-memory model: the primary order, the case-insensitive secondary order, ranges on
// it, counts, and the integrity checker on the files (key order, no empty block,
// counters, back links, free list). After the table is closed, the index files written
// at flush agree with the rows and give the same orders when the table is opened again.
// The index files kept in place are checked after every commit, and after a kill at
// every write of a transaction's commit, against what the rows make them: the trees (.PX, .Y*)
// entry for entry over the blocks below them, the X records (hints included) in the order a rebuild
// sorts them, and pxlib reads the rows through the .PX.

#include <QtTest>

#include "engine/Engine.h"
#include "engine/IntegrityCheck.h"
#include "tests/support/FaultFileSystem.h"
#include "tests/support/ScopedFileSystem.h"

#include <sys/wait.h>
#include <unistd.h>

#ifdef KV_HAVE_PXLIB
extern "C" {
#include "support/PxlibRecord.h"
#include <paradox.h>
}
#endif

#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <set>

using namespace engine;

namespace {

std::string readFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}
unsigned u16at(const std::string& s, size_t off) {
    return uint8_t(s[off]) | uint8_t(s[off + 1]) << 8;
}
uint32_t u32at(const std::string& s, size_t off) {
    return u16at(s, off) | uint32_t(u16at(s, off + 2)) << 16;
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

// ---- the index files on disk against the rows -------------------------------------

struct Leaf {
    std::string key;
    unsigned block;
    unsigned count;
    bool operator==(const Leaf&) const = default;
};

int int16at(const char* p) {
    return int16_t(uint16_t((uint8_t(p[0]) ^ 0x80) << 8 | uint8_t(p[1])));
}

struct BlockFile {
    std::string f;
    unsigned recSize, headerSize, bs;
    explicit BlockFile(const std::filesystem::path& p)
        : f(readFile(p)), recSize(u16at(f, 0)), headerSize(u16at(f, 2)), bs(uint8_t(f[5]) * 1024u) {
    }
    const char* block(unsigned n) const {
        if (n == 0 || n > u16at(f, 0x0C) || headerSize + size_t(n) * bs > f.size())
            return nullptr;
        return f.data() + headerSize + size_t(n - 1) * bs;
    }
    static unsigned count(const char* b, unsigned recSize) {
        const int last = int16_t(uint8_t(b[4]) | uint8_t(b[5]) << 8);
        return last < 0 ? 0 : unsigned(last) / recSize + 1;
    }
    // The chained blocks as tree leaves (first key of keyWidth bytes), and the records.
    std::string chain(size_t keyWidth, std::vector<Leaf>& leaves,
                      std::vector<std::string>& records) const {
        unsigned prev = 0;
        std::set<unsigned> seen;
        for (unsigned n = u16at(f, 0x0E); n != 0; n = u16at(f, headerSize + (n - 1) * bs)) {
            const char* b = block(n);
            if (!b || !seen.insert(n).second || u16at(f, headerSize + (n - 1) * bs + 2) != prev)
                return "chain broken at block " + std::to_string(n);
            const unsigned c = count(b, recSize);
            if (c == 0)
                return "empty block " + std::to_string(n) + " in the chain";
            leaves.push_back({std::string(b + 6, keyWidth), n, c});
            for (unsigned r = 0; r < c; ++r)
                records.emplace_back(b + 6 + r * recSize, recSize);
            prev = n;
        }
        if (u16at(f, 0x10) != prev || u16at(f, 0x0A) != seen.size())
            return "last block or blocks in use";
        return {};
    }
};

std::map<std::string, unsigned> deepest; // levels reached by each tree file

// A tree file (.PX, .Y*) against the blocks it must describe, in order.
std::string treeProblems(const std::filesystem::path& p, const std::vector<Leaf>& expected,
                         bool keysInByteOrder) {
    const BlockFile t(p);
    const size_t kw = t.recSize - 6;
    const unsigned root = u16at(t.f, 0x1E), levels = uint8_t(t.f[0x20]);
    deepest[p.extension().string()] = std::max(deepest[p.extension().string()], levels);
    if (levels == 0)
        return expected.empty() ? std::string() : "empty tree over blocks";
    std::vector<Leaf> leaves;
    std::set<unsigned> inTree;
    size_t entries = 0;
    std::string problem;
    std::function<bool(unsigned, unsigned, std::string&, uint64_t&)> walk = [&](unsigned n,
                                                                                unsigned level,
                                                                                std::string&
                                                                                    firstKey,
                                                                                uint64_t& sum) {
        const char* b = t.block(n);
        if (!b || !inTree.insert(n).second || BlockFile::count(b, t.recSize) == 0) {
            problem = "index block " + std::to_string(n) + " missing, twice or empty";
            return false;
        }
        sum = 0;
        const unsigned c = BlockFile::count(b, t.recSize);
        entries += c;
        for (unsigned i = 0; i < c; ++i) {
            const char* e = b + 6 + i * t.recSize;
            Leaf l{std::string(e, kw), unsigned(int16at(e + kw)), unsigned(int16at(e + kw + 2))};
            if (i == 0)
                firstKey = l.key;
            sum += l.count;
            if (level == 1) {
                leaves.push_back(l);
                continue;
            }
            std::string childKey;
            uint64_t childSum;
            if (!walk(l.block, level - 1, childKey, childSum))
                return false;
            if (childKey != l.key || std::min<uint64_t>(childSum, 32767) != l.count) {
                problem = "upper entry of block " + std::to_string(l.block);
                return false;
            }
        }
        return true;
    };
    std::string rootKey;
    uint64_t rootSum;
    if (!walk(root, levels, rootKey, rootSum))
        return problem;
    if (entries != u32at(t.f, 6))
        return "header entry count";
    if (leaves != expected)
        return "level-1 entries differ from the blocks below (" + std::to_string(leaves.size()) +
               " for " + std::to_string(expected.size()) + ")";
    // All index blocks in one chain, by first key where keys sort as bytes.
    std::vector<Leaf> chained;
    std::vector<std::string> unused;
    problem = t.chain(kw, chained, unused);
    if (!problem.empty())
        return "index " + problem;
    std::set<unsigned> inChain;
    for (size_t i = 0; i < chained.size(); ++i) {
        inChain.insert(chained[i].block);
        if (keysInByteOrder && i > 0 && chained[i - 1].key > chained[i].key)
            return "index chain out of key order";
    }
    return inChain == inTree ? std::string() : "index chain and tree hold other blocks";
}

// Folding of the code page 1252 letters the tests use.
std::string fold1252(std::string s) {
    for (char& c : s) {
        const uint8_t u = uint8_t(c);
        if ((u >= 'a' && u <= 'z') || (u >= 0xE0 && u <= 0xFE && u != 0xF7))
            c = char(u - 0x20);
    }
    return s;
}

// Every index file of WIDE.DB against its rows: IndTable (.XG0, case-insensitive on
// Table) and Description (.X03). Wide fields make few entries per index block, so that
// a few hundred rows split them.
constexpr size_t kKeyWidth = 200, kTableWidth = 12, kDescWidth = 255;
std::string indexFileProblems(const std::filesystem::path& db) {
    const BlockFile d(db);
    if (d.f[0x4F] != 0)
        return "index update announced in the header";
    std::vector<Leaf> dataBlocks;
    std::vector<std::string> rows;
    std::string problem = d.chain(kKeyWidth, dataBlocks, rows);
    if (!problem.empty())
        return ".DB " + problem;
    problem = treeProblems(db.parent_path() / "WIDE.PX", dataBlocks, true);
    if (!problem.empty())
        return ".PX: " + problem;
    std::vector<std::pair<std::string, std::string>> table, desc; // (sort key, X record)
    size_t row = 0;
    for (const Leaf& b : dataBlocks)
        for (unsigned r = 0; r < b.count; ++r, ++row) {
            const std::string& rec = rows[row];
            const std::string hint{char(0x80 | (b.block >> 8)), char(b.block & 0xFF)};
            const std::string key = rec.substr(0, kKeyWidth);
            const std::string t = rec.substr(kKeyWidth, kTableWidth);
            const std::string dsc = rec.substr(kKeyWidth + kTableWidth, kDescWidth);
            table.emplace_back(fold1252(t) + key, t + key + hint);
            desc.emplace_back(dsc + key, dsc + key + hint);
        }
    for (auto [ext, xs] : {std::pair{"XG0", &table}, {"X03", &desc}}) {
        std::sort(xs->begin(), xs->end());
        const BlockFile x(db.parent_path() / ("WIDE." + std::string(ext)));
        std::vector<Leaf> xBlocks;
        std::vector<std::string> records;
        problem = x.chain(x.recSize - 2, xBlocks, records);
        if (!problem.empty())
            return std::string(ext) + " " + problem;
        if (u32at(x.f, 6) != rows.size() || records.size() != rows.size())
            return std::string(ext) + " record count";
        for (size_t i = 0; i < records.size(); ++i)
            if (records[i] != (*xs)[i].second)
                return std::string(ext) + " record " + std::to_string(i) + " differs";
        std::string y = ext;
        y[0] = 'Y';
        problem = treeProblems(db.parent_path() / ("WIDE." + y), xBlocks, ext[1] == '0');
        if (!problem.empty())
            return y + ": " + problem;
    }
    return {};
}

const char* kNames[] = {"Clients", "CLIENTS", "commandes", "Articles", "été",
                        "ÉTÉ",     "zèbre",   "Abc",       "abd"};

// pxlib finds these rows (their keys, in order) through the .PX.
void comparePxlibKeys(const std::filesystem::path& file,
                      const std::map<std::string, std::pair<std::string, std::string>>& rows) {
#ifdef KV_HAVE_PXLIB
    pxdoc_t* px = PX_new();
    pxdoc_t* pindex = PX_new();
    QVERIFY(PX_open_file(px, file.c_str()) == 0);
    QVERIFY(PX_open_file(pindex, (file.parent_path() / "WIDE.PX").c_str()) == 0);
    QVERIFY(PX_read_primary_index(pindex) == 0);
    QVERIFY(PX_add_primary_index(px, pindex) == 0);
    QCOMPARE(px->px_head->px_numrecords, int(rows.size()));
    auto it = rows.begin();
    for (int i = 0; i < px->px_head->px_numrecords; ++i, ++it) {
        pxval_t** vals = PX_retrieve_record(px, i);
        QVERIFY(vals);
        QCOMPARE(std::string(vals[0]->value.str.val, size_t(vals[0]->value.str.len)), it->first);
        pxlibrecord::release(px, vals, 3);
    }
    PX_close(px);
    PX_delete(px);
    PX_close(pindex);
    PX_delete(pindex);
#else
    (void)file;
    (void)rows;
#endif
}

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

    // The index files kept in place, checked against the rows after the commits of
    // random inserts, deletes, edits and key changes: alone (each committed on its own),
    // in batches (some rolled back), and all in one transaction; enough rows to split
    // the index blocks, then enough deletes to empty them.
    void indexFilesFollowEachCommit_data() {
        QTest::addColumn<int>("seed");
        QTest::addColumn<int>("operations");
        QTest::addColumn<int>("perTransaction");
        QTest::newRow("each on its own") << 3 << 2500 << 1;
        QTest::newRow("batches, some rolled back") << 5 << 3000 << 40;
        QTest::newRow("one transaction") << 11 << 2500 << 2500;
    }

    void indexFilesFollowEachCommit() {
        QFETCH(int, seed);
        QFETCH(int, operations);
        QFETCH(int, perTransaction);
        QTemporaryDir dir;
        const std::filesystem::path file = createWideTable(dir);
        deepest.clear();
        std::mt19937 rng{uint32_t(seed)}, probes{uint32_t(seed + 1)};
        std::map<std::string, std::pair<std::string, std::string>> rows, before;
        auto t = TableFile::open(file);
        t->setDurable(false); // what reaches the disk is the same, without the syncs
        Cursor primary(t);
        auto keyText = [](int k) {
            const std::string digits = std::to_string(100000 + k);
            return "k" + digits;
        };
        auto check = [&](int done) {
            const std::string problem = indexFileProblems(file);
            QVERIFY2(problem.empty(), (problem + " after " + std::to_string(done)).c_str());
        };
        auto remove = [&](const std::string& key) {
            QVERIFY(primary.findKey({Value::fromText(key)}));
            primary.remove();
            rows.erase(key);
        };
        for (int done = 0; done < operations;) {
            before = rows;
            const bool explicitTxn = perTransaction > 1;
            if (explicitTxn)
                t->beginTransaction();
            for (int i = 0; i < perTransaction && done < operations; ++i, ++done) {
                const int kind = int(rng() % 10);
                const std::string key = keyText(int(rng() % 5000));
                const std::string table = kNames[rng() % std::size(kNames)];
                const std::string desc = "d" + std::to_string(rng() % 400);
                const bool shrinking = done > operations * 3 / 5;
                auto some = rows.lower_bound(key);
                if (some == rows.end())
                    some = rows.begin();
                if ((shrinking ? kind < 9 : kind == 9) && !rows.empty()) {
                    remove(some->first);
                } else if (kind == 8 && !rows.empty()) {
                    QVERIFY(primary.findKey({Value::fromText(some->first)}));
                    const std::string newKey = rows.count(key) ? some->first : key; // moves
                    primary.update(
                        {Value::fromText(newKey), Value::fromText(table), Value::fromText(desc)});
                    rows.erase(some);
                    rows[newKey] = {table, desc};
                } else if (!rows.count(key)) {
                    primary.insert(
                        {Value::fromText(key), Value::fromText(table), Value::fromText(desc)});
                    rows[key] = {table, desc};
                }
                // Inside a transaction, the name index is read through its pending blocks.
                if (explicitTxn && probes() % 8 == 0) {
                    const std::string name = kNames[probes() % std::size(kNames)];
                    bool held = false;
                    for (const auto& [k, r] : rows)
                        held = held || upper(r.first) == upper(name);
                    QCOMPARE(Cursor(t, {"Table"}).findKey({Value::fromText(name)}), held);
                }
            }
            if (explicitTxn && perTransaction < operations && rng() % 5 == 0) {
                t->rollback();
                rows = before;
            } else if (explicitTxn) {
                t->commit();
            }
            if (explicitTxn || done % 50 == 0 || done == operations)
                check(done);
        }
        // The trees split: the .PX at least once, the .Y03 into three levels (two for the
        // smaller peak of single commits).
        QVERIFY(deepest[".PX"] >= 2 && deepest[".Y03"] >= (perTransaction == 1 ? 2u : 3u));
        // Emptied, then started again.
        while (!rows.empty())
            remove(rows.begin()->first);
        check(operations);
        for (int k = 0; k < 5; ++k) {
            primary.insert(
                {Value::fromText(keyText(k)), Value::fromText("x"), Value::fromText("")});
            rows[keyText(k)] = {"x", ""};
        }
        check(operations);
        t.reset(); // nothing left to write at close
        check(operations);
        if (qEnvironmentVariableIsSet("KVKEEP"))
            dir.setAutoRemove(false), qDebug() << dir.path();
        // pxlib finds the rows through the .PX.
        comparePxlibKeys(file, rows);
    }

    // Numbering after the last key, as a capture does, each session on a table just
    // opened (no block directory yet): appends alone and in transactions (some rolled
    // back), now and then a delete or an edit that takes the general path, with enough
    // rows to fill data blocks, .PX leaves and roots. After each session the files agree
    // with the rows and pxlib reads them; the cursor stands on each row it appended.
    void appendsAfterTheLastKey() {
        QTemporaryDir dir;
        const std::filesystem::path file = createWideTable(dir);
        deepest.clear();
        std::mt19937 rng{7};
        std::map<std::string, std::pair<std::string, std::string>> rows, before;
        int nextKey = 0;
        for (int session = 0; session < 150; ++session) {
            auto t = TableFile::open(file);
            t->setDurable(false);
            Cursor primary(t);
            QCOMPARE(primary.last(), !rows.empty());
            if (!rows.empty())
                QCOMPARE(primary.row()[0].text, rows.rbegin()->first);
            QCOMPARE(primary.count(), int64_t(rows.size()));
            const int kind = int(rng() % 4); // autocommits, a transaction, one rolled back
            before = rows;
            if (kind >= 2)
                t->beginTransaction();
            for (int i = 0, n = int(rng() % 30) + 1; i < n; ++i) {
                const int what = session % 5 == 4 ? int(rng() % 8) : 2; // some sessions mix
                if (what == 0 && !rows.empty()) {
                    auto victim = std::next(rows.begin(), long(rng() % rows.size()));
                    QVERIFY(primary.findKey({Value::fromText(victim->first)}));
                    primary.remove();
                    rows.erase(victim);
                    continue;
                }
                if (what == 1 && !rows.empty()) {
                    QVERIFY(primary.last());
                    const std::string desc = "e" + std::to_string(rng() % 50);
                    primary.update({Value::fromText(rows.rbegin()->first), Value::fromText("Edité"),
                                    Value::fromText(desc)});
                    rows.rbegin()->second = {"Edité", desc};
                    continue;
                }
                const std::string key = "k" + std::to_string(100000 + nextKey++);
                const std::string table = kNames[rng() % std::size(kNames)];
                const std::string desc = "d" + std::to_string(rng() % 400);
                primary.insert(
                    {Value::fromText(key), Value::fromText(table), Value::fromText(desc)});
                rows[key] = {table, desc};
                QCOMPARE(primary.row()[0].text, key);
            }
            // Stepping from the last row appended (which builds the directory).
            if (!rows.empty() && primary.row()[0].text == rows.rbegin()->first) {
                QCOMPARE(primary.next(), false);
                if (rows.size() > 1) {
                    QVERIFY(primary.prior());
                    QCOMPARE(primary.row()[0].text, std::prev(rows.end(), 2)->first);
                }
            }
            if (kind == 3) {
                t->rollback();
                rows = before;
            } else if (kind == 2) {
                t->commit();
            }
            QCOMPARE(primary.count(), int64_t(rows.size()));
            t.reset();
            const std::string problem = indexFileProblems(file);
            QVERIFY2(problem.empty(),
                     (problem + " after session " + std::to_string(session)).c_str());
        }
        QVERIFY(deepest[".PX"] >= 2 && rows.size() > 1000);
        comparePxlibKeys(file, rows);
        auto t = TableFile::open(file);
        QCOMPARE(IntegrityCheck::of(file).size(), size_t(0));
    }

    // A transaction that splits index blocks, killed before each write, sync or rename
    // of its commit: the next open finds the table and its index files of one state,
    // the one before or the one after, whole.
    void killedCommitLeavesIndexFilesWhole() {
        QTemporaryDir dir;
        const std::filesystem::path root = dir.path().toStdString();
        const std::filesystem::path pristine = root / "pristine", work = root / "work";
        std::filesystem::create_directories(pristine);
        createWideTable(pristine);
        auto row = [](int k) {
            return Row{Value::fromText("k" + std::to_string(100000 + k)),
                       Value::fromText(kNames[k % std::size(kNames)]),
                       Value::fromText("d" + std::to_string(k * 7919 % 400))};
        };
        {
            auto t = TableFile::open(pristine / "WIDE.DB");
            Cursor c(t);
            t->beginTransaction();
            for (int k = 0; k < 500; k += 2)
                c.insert(row(k));
            t->commit();
        }
        auto scenario = [&] {
            auto t = TableFile::open(work / "WIDE.DB");
            t->setDurable(false); // a killed process keeps the page cache
            Cursor c(t);
            t->beginTransaction();
            for (int k = 500; k < 540; ++k) // after the last key, the directory not yet built
                c.insert(row(k));
            for (int k = 1; k < 300; k += 2)
                c.insert(row(k));
            for (int k = 0; k < 160; k += 4) {
                QVERIFY(c.findKey({row(k)[0]}));
                c.remove();
            }
            t->commit();
        };
        auto fresh = [&] {
            std::filesystem::remove_all(work);
            std::filesystem::copy(pristine, work);
        };
        fresh();
        testsupport::FaultFileSystem counter(fileSystem());
        {
            const testsupport::ScopedFileSystem mounted(counter);
            scenario();
        }
        const uint64_t total = counter.operations();
        QVERIFY(total > 10);
        for (uint64_t k = 1; k <= total; ++k) {
            fresh();
            const pid_t pid = fork();
            if (pid == 0) {
                testsupport::FaultFileSystem fault(fileSystem());
                fault.crashAt(k);
                const testsupport::ScopedFileSystem mounted(fault);
                scenario();
                ::_exit(0);
            }
            int status = 0;
            waitpid(pid, &status, 0);
            QCOMPARE(WEXITSTATUS(status), testsupport::FaultFileSystem::kCrashExitCode);
            uint32_t rows = 0;
            {
                auto t = TableFile::open(work / "WIDE.DB"); // rolls the commit back
                rows = t->recordCount();
            }
            QVERIFY2(rows == 250 || rows == 250 + 40 + 150 - 40, std::to_string(rows).c_str());
            const std::string problem = indexFileProblems(work / "WIDE.DB");
            QVERIFY2(problem.empty(), (problem + " after a kill at " + std::to_string(k)).c_str());
        }
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
    // WIDE.DB in `folder`: keyed on Cle, with the case-insensitive IndTable on Table and
    // the single-field index on Description.
    static std::filesystem::path createWideTable(const std::filesystem::path& folder) {
        const std::filesystem::path file = folder / "WIDE.DB";
        createTable(file,
                    {{"Cle", FieldType::Alpha, int(kKeyWidth)},
                     {"Table", FieldType::Alpha, int(kTableWidth)},
                     {"Description", FieldType::Alpha, int(kDescWidth)}},
                    {{"", {"Cle"}, ixPrimary}});
        addIndex(file, {"IndTable", {"Table"}, ixCaseInsensitive});
        addIndex(file, {"Description", {"Description"}, 0});
        return file;
    }
    static std::filesystem::path createWideTable(const QTemporaryDir& dir) {
        return createWideTable(std::filesystem::path(dir.path().toStdString()));
    }

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
