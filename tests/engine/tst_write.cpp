// Tables written by the engine: the dictionary shape (Long key, Alpha fields, two
// Logicals, a case-insensitive secondary index), the exact bytes of a small keyed
// table, key violations, autoincrement, deletion of a table with all its files,
// table names resolved inside the database directory, and pxlib (an independent
// reader) reading back row for row what the engine wrote.

#include <QtTest>

#include "engine/Engine.h"

#include <fstream>

#ifdef KV_HAVE_PXLIB
extern "C" {
#include "support/PxlibRecord.h"
#include <paradox.h>
}
#endif

using namespace engine;

namespace {

std::string readFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

unsigned u8at(const std::string& s, size_t off) {
    return uint8_t(s[off]);
}
unsigned u16at(const std::string& s, size_t off) {
    return u8at(s, off) | u8at(s, off + 1) << 8;
}

std::vector<FieldDef> dictionaryFields() {
    return {{"NoEnreg", FieldType::Long, 0, false},       {"Table", FieldType::Alpha, 12, false},
            {"Description", FieldType::Alpha, 80, false}, {"Champ", FieldType::Alpha, 20, false},
            {"Type", FieldType::Alpha, 20, false},        {"Longueur", FieldType::Long, 0, false},
            {"CT", FieldType::Logical, 0, false},         {"CC", FieldType::Logical, 0, false}};
}

Row dictionaryRow(int no, const std::string& table, bool tableEntry) {
    Row r(8);
    r[0] = Value::fromInt(no);
    r[1] = Value::fromText(table);
    r[2] = Value::fromText("Description " + std::to_string(no) + " é");
    r[3] = tableEntry ? Value::null() : Value::fromText("Champ" + std::to_string(no));
    r[4] = tableEntry ? Value::null() : Value::fromText("ftString");
    r[5] = tableEntry ? Value::null() : Value::fromInt(no % 50);
    r[6] = tableEntry ? Value::fromBool(true) : Value::null();
    r[7] = tableEntry ? Value::null() : Value::fromBool(true);
    return r;
}

void createDictionary(const std::filesystem::path& file) {
    createTable(file, dictionaryFields(), {{"IndNoTable", {"NoEnreg"}, ixPrimary}});
    addIndex(file, {"IndTable", {"Table"}, ixCaseInsensitive});
}

} // namespace

class TestWrite : public QObject {
    Q_OBJECT

private slots:
    void init() { QVERIFY(m_dir.isValid()); }

    void dictionaryShape() {
        const std::filesystem::path file = path("DICO.DB");
        createDictionary(file);
        for (const char* ext : {"DICO.DB", "DICO.PX", "DICO.XG0", "DICO.YG0"})
            QVERIFY2(std::filesystem::exists(path(ext)), ext);
        auto t = TableFile::open(file);
        QCOMPARE(t->versionByte(), 0x0C);
        QCOMPARE(t->codePage(), 1252);
        QCOMPARE(t->sortOrder(), std::string("DBWINUS0"));
        QCOMPARE(t->recordSize(), 142);
        QCOMPARE(t->fields().size(), size_t(8));
        QCOMPARE(t->fields()[1].displayWidth(), 12);
        QCOMPARE(t->fields()[6].typeCode(), 5);
        const auto ix = t->indexes();
        QCOMPARE(ix.size(), size_t(2));
        QCOMPARE(ix[0].name, std::string());
        QCOMPARE(ix[0].fields, std::string("NoEnreg"));
        QCOMPARE(ix[0].options, unsigned(ixPrimary | ixUnique));
        QCOMPARE(ix[1].name, std::string("IndTable"));
        QCOMPARE(ix[1].fields, std::string("Table"));
        QCOMPARE(ix[1].options, unsigned(ixCaseInsensitive));
    }

    // The bytes of a three-row keyed table with a case-insensitive index, as other
    // readers expect them.
    void smallTableBytes() {
        const std::filesystem::path file = path("PEOPLE.DB");
        createTable(file, {{"ID", FieldType::Long}, {"Name", FieldType::Alpha, 20}},
                    {{"", {"ID"}, ixPrimary}});
        addIndex(file, {"ByName", {"Name"}, ixCaseInsensitive});
        {
            auto t = TableFile::open(file);
            Cursor c(t);
            for (auto [id, name] : {std::pair{1, "smith"}, {2, "Jones"}, {3, "SMITH"}})
                c.insert({Value::fromInt(id), Value::fromText(name)});
            t->flush();
        }
        const std::string db = readFile(file);
        // One block of 32 KB: the size that lets a table grow to 2 GB.
        QCOMPARE(db.size(), size_t(0x800 + 0x8000));
        QCOMPARE(u16at(db, 0x00), 24u);
        QCOMPARE(u16at(db, 0x02), 0x800u);
        QCOMPARE(u8at(db, 0x04), 0u);
        QCOMPARE(u8at(db, 0x05), 32u);
        QCOMPARE(u16at(db, 0x06), 3u);
        for (size_t off : {0x0A, 0x0C, 0x0E, 0x10, 0x3A})
            QCOMPARE(u16at(db, off), 1u);
        QCOMPARE(u16at(db, 0x21), 2u);
        QCOMPARE(u16at(db, 0x23), 1u);
        QCOMPARE(db.substr(0x25, 4), std::string("\x00\xFF\x00\xFF", 4));
        QCOMPARE(u8at(db, 0x29), 0x4Cu);
        QCOMPARE(u8at(db, 0x39), 0x0Cu);
        QCOMPARE(u8at(db, 0x3E), 0x1Fu);
        QCOMPARE(u8at(db, 0x3F), 0x0Fu);
        QCOMPARE(u8at(db, 0x4F), 0u); // index files up to date
        QCOMPARE(u16at(db, 0x51), 0x1A2u);
        QCOMPARE(u8at(db, 0x56), 0x20u);
        QCOMPARE(u16at(db, 0x58), 0x10Cu);
        QCOMPARE(u16at(db, 0x64), 3u);
        QCOMPARE(u16at(db, 0x66), 0x13Du);
        QCOMPARE(u16at(db, 0x6A), 1252u);
        QCOMPARE(u16at(db, 0x6E), 0x141u);
        QCOMPARE(db.substr(0x78, 4), std::string("\x04\x04\x01\x14", 4));
        QCOMPARE(db.substr(0x88, 10), std::string("PEOPLE.DB\0", 10));
        QCOMPARE(db.substr(0x18D, 8), std::string("ID\0Name\0", 8));
        QCOMPARE(db.substr(0x195, 4), std::string("\x01\x00\x02\x00", 4));
        QCOMPARE(db.substr(0x199, 9), std::string("DBWINUS0\0", 9));
        QCOMPARE(db.substr(0x800, 6), std::string("\x00\x00\x00\x00\x30\x00", 6));
        QCOMPARE(db.substr(0x806, 9), std::string("\x80\x00\x00\x01smith", 9));
        QCOMPARE(db.substr(0x81E, 9), std::string("\x80\x00\x00\x02Jones", 9));

        const std::string px = readFile(path("PEOPLE.PX"));
        QCOMPARE(u16at(px, 0x00), 10u);
        QCOMPARE(u8at(px, 0x04), 1u);
        QCOMPARE(u16at(px, 0x1E), 1u);
        QCOMPARE(u8at(px, 0x20), 1u);
        QCOMPARE(u16at(px, 0x51), 0x163u);
        QCOMPARE(
            px.substr(0x800, 16),
            std::string("\x00\x00\x00\x00\x00\x00\x80\x00\x00\x01\x80\x01\x80\x03\x80\x00", 16));

        const std::string xg = readFile(path("PEOPLE.XG0"));
        QCOMPARE(u16at(xg, 0x00), 26u);
        QCOMPARE(u8at(xg, 0x04), 8u);
        QCOMPARE(u8at(xg, 0x15), 2u);
        QCOMPARE(u16at(xg, 0x21), 3u);
        QCOMPARE(u16at(xg, 0x23), 2u);
        QCOMPARE(u8at(xg, 0x2C), 0xFFu);
        QCOMPARE(u8at(xg, 0x2E), u8at(db, 0x2E));
        QCOMPARE(u8at(xg, 0x55), 1u);
        QCOMPARE(u16at(xg, 0x51), 0x1B9u);
        QCOMPARE(u16at(xg, 0x68), 0x15Au);
        QCOMPARE(xg.substr(0x1B2, 7), std::string("ByName\0", 7));
        // Folded order, the key as tie-breaker: Jones, smith (1), SMITH (3).
        QCOMPARE(xg.substr(0x806, 5), std::string("Jones"));
        QCOMPARE(xg.substr(0x806 + 20, 6), std::string("\x80\x00\x00\x02\x80\x01", 6));
        QCOMPARE(xg.substr(0x806 + 26, 5), std::string("smith"));
        QCOMPARE(xg.substr(0x806 + 52, 5), std::string("SMITH"));
        const std::string yg = readFile(path("PEOPLE.YG0"));
        QCOMPARE(u16at(yg, 0x00), 30u);
        QCOMPARE(u8at(yg, 0x04), 7u);
        QCOMPARE(yg.substr(0x806 + 24, 8),
                 std::string("\x80\x01\x80\x03\x80\x00", 6) + std::string("\0\0", 2));

        // A deleted row's bytes leave the file: the slot freed at the block's end is zeroed.
        {
            auto t = TableFile::open(file);
            Cursor c(t);
            QVERIFY(c.findKey({Value::fromInt(3)}));
            c.remove();
        }
        QVERIFY(readFile(file).find("SMITH") == std::string::npos);
    }

    void keyViolationAndAutoInc() {
        const std::filesystem::path file = path("AUTO.DB");
        createTable(file, {{"N", FieldType::AutoInc}, {"Name", FieldType::Alpha, 10}},
                    {{"", {"N"}, ixPrimary}});
        auto t = TableFile::open(file);
        Cursor c(t);
        c.insert({Value::null(), Value::fromText("a")});
        c.insert({Value::null(), Value::fromText("b")});
        QCOMPARE(c.row()[0].integer, int64_t(2));
        try {
            c.insert({Value::fromInt(1), Value::fromText("dup")});
            QFAIL("a duplicate key was accepted");
        } catch (const EngineError& e) {
            QCOMPARE(e.code(), ErrorCode::KeyViolation);
            QVERIFY(std::string(e.what()).find("AUTO.DB") != std::string::npos);
        }
        QCOMPARE(c.count(), int64_t(2));
        c.insert({Value::null(), Value::fromText("c")}); // the failed insert handed out no number
        QCOMPARE(c.row()[0].integer, int64_t(3));
        // Changing the key onto an existing one is a violation too, and changes nothing.
        QVERIFY(c.findKey({Value::fromInt(3)}));
        QVERIFY_THROWS_EXCEPTION(EngineError, c.update({Value::fromInt(1), Value::fromText("x")}));
        QCOMPARE(c.row()[1].text, std::string("c"));
        c.update({Value::fromInt(10), Value::fromText("moved")});
        QCOMPARE(c.row()[0].integer, int64_t(10));
        QVERIFY(!c.findKey({Value::fromInt(3)}));
        QCOMPARE(c.count(), int64_t(3));
    }

    void valuesRejected_data() {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("text");
        QTest::newRow("too long") << 1 << QStringLiteral("ABCDEFGHIJKLM");
        QTest::newRow("not in code page 1252") << 1 << QStringLiteral("Ω");
        QTest::newRow("Long out of range") << 0 << QString();
    }
    void valuesRejected() {
        QFETCH(int, field);
        QFETCH(QString, text);
        const std::filesystem::path file = path("REJ.DB");
        createDictionary(file);
        auto t = TableFile::open(file);
        Cursor c(t);
        c.insert(dictionaryRow(1, "A", true));
        Row r = dictionaryRow(2, "B", true);
        if (field == 0)
            r[0] = Value::fromInt(int64_t(1) << 31);
        else
            r[size_t(field)] = Value::fromText(text.toStdString());
        try {
            c.insert(r);
            QFAIL("accepted");
        } catch (const EngineError& e) {
            QCOMPARE(e.code(), ErrorCode::InvalidArgument);
        }
        QCOMPARE(c.count(), int64_t(1));
        QCOMPARE(c.row()[1].text, std::string("A"));
    }

    // An unkeyed table keeps rows in the order they came; edits and deletes keep it.
    void unkeyedTable() {
        const std::filesystem::path file = path("HEAP.DB");
        createTable(file, {{"Name", FieldType::Alpha, 8}, {"N", FieldType::Short}}, {});
        auto t = TableFile::open(file);
        Cursor c(t);
        for (int i = 0; i < 500; ++i)
            c.insert({Value::fromText("r" + std::to_string(i)), Value::fromInt(i)});
        QVERIFY(c.first());
        c.remove(); // r0 goes, r1 becomes current
        QCOMPARE(c.row()[1].integer, int64_t(1));
        c.update({Value::fromText("first"), Value::fromInt(1)});
        QVERIFY(c.last());
        QCOMPARE(c.row()[1].integer, int64_t(499));
        QCOMPARE(c.count(), int64_t(499));
        QVERIFY_THROWS_EXCEPTION(EngineError, c.findKey({Value::fromInt(1)}));
        int expected = 1;
        t->forEachRow([&](const Row& r) {
            const bool ok = r[1].integer == expected;
            ++expected;
            return ok;
        });
        QCOMPARE(expected, 500);
    }

    // Index kinds: a plain single-field index is a .Xnn named after its field;
    // descending and unique ones are .XGn; each orders the rows as it says.
    void indexKinds() {
        const std::filesystem::path file = path("KINDS.DB");
        createTable(
            file,
            {{"K", FieldType::Long}, {"Name", FieldType::Alpha, 10}, {"Qty", FieldType::Short}},
            {{"", {"K"}, ixPrimary}});
        addIndex(file, {"", {"Qty"}, 0});
        addIndex(file, {"ByQtyDown", {"Qty"}, ixDescending});
        addIndex(file, {"UniqueName", {"Name"}, ixUnique | ixCaseInsensitive});
        QVERIFY(std::filesystem::exists(path("KINDS.X03")));
        QVERIFY(std::filesystem::exists(path("KINDS.XG1")));
        auto t = TableFile::open(file);
        const auto ix = t->indexes();
        QCOMPARE(ix.size(), size_t(4));
        QCOMPARE(ix[1].name, std::string("Qty"));
        QCOMPARE(ix[1].fileName, std::string("X03"));
        QCOMPARE(ix[2].name, std::string("ByQtyDown"));
        QCOMPARE(ix[2].options, unsigned(ixDescending));
        QCOMPARE(ix[3].options, unsigned(ixUnique | ixCaseInsensitive));
        Cursor c(t);
        c.insert({Value::fromInt(1), Value::fromText("b"), Value::fromInt(5)});
        c.insert({Value::fromInt(2), Value::fromText("a"), Value::fromInt(-3)});
        c.insert({Value::fromInt(3), Value::fromText("c"), Value::null()});
        try {
            c.insert({Value::fromInt(4), Value::fromText("A"), Value::fromInt(1)});
            QFAIL("a duplicate in a unique index was accepted");
        } catch (const EngineError& e) {
            QCOMPARE(e.code(), ErrorCode::KeyViolation);
        }
        auto order = [&](const std::vector<std::string>& fields) {
            Cursor o(t, fields);
            std::vector<int64_t> keys;
            for (bool ok = o.first(); ok; ok = o.next())
                keys.push_back(o.row()[0].integer);
            return keys;
        };
        QCOMPARE(order({"Qty"}), (std::vector<int64_t>{3, 2, 1})); // NULL first
        QCOMPARE(order({"Name"}), (std::vector<int64_t>{2, 1, 3}));
        Cursor down(t, {"Qty"});
        QCOMPARE(down.index().name, std::string("Qty"));
        QVERIFY_THROWS_EXCEPTION(EngineError, Cursor(t, {"Nothing"}));
    }

    void deleteTableRemovesFamily() {
        const std::filesystem::path file = path("gone.db");
        createDictionary(file);
        std::ofstream(path("gone.VAL")) << "x";
        std::ofstream(path("GONE.tv")) << "x";
        std::ofstream(path("gone.x02")) << "x";
        std::ofstream(path("gonex.DB")) << "keep";
        std::ofstream(path("gone.txt")) << "keep";
        {
            auto t = TableFile::open(file);
            try {
                deleteTable(file);
                QFAIL("an open table was deleted");
            } catch (const EngineError& e) {
                QCOMPARE(e.code(), ErrorCode::Locked);
            }
        }
        deleteTable(file);
        QStringList left = QDir(m_dir.path()).entryList({"gone*", "GONE*"}, QDir::Files);
        left.sort();
        QCOMPARE(left, (QStringList{"gone.txt", "gonex.DB"}));
        QVERIFY_THROWS_EXCEPTION(EngineError, deleteTable(file));
    }

    void createReplacesTable() {
        const std::filesystem::path file = path("R.DB");
        createDictionary(file);
        {
            auto t = TableFile::open(file);
            Cursor(t).insert(dictionaryRow(1, "A", true));
        }
        createTable(file, {{"X", FieldType::Short}}, {});
        QVERIFY(!std::filesystem::exists(path("R.PX")));
        QVERIFY(!std::filesystem::exists(path("R.XG0")));
        auto t = TableFile::open(file);
        QCOMPARE(t->fields().size(), size_t(1));
        QCOMPARE(Cursor(t).count(), int64_t(0));
        QVERIFY(!t->isKeyed());
    }

    void resolveNames_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected"); // empty: refused
        QTest::newRow("bare") << "paye"
                              << "/data/paye.DB";
        QTest::newRow("bare with extension") << "paye.db"
                                             << "/data/paye.db";
        QTest::newRow("full path") << "/elsewhere/x.DB"
                                   << "/elsewhere/x.DB";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("separator") << "sub/x.DB"
                                   << "";
        QTest::newRow("backslash") << "sub\\x.DB"
                                   << "";
        QTest::newRow("dot dot") << ".."
                                 << "";
        QTest::newRow("two dots inside a name") << "a..b"
                                                << "/data/a..b";
        QTest::newRow("colon") << "c:x"
                               << "";
        QTest::newRow("star") << "a*.db"
                              << "";
        QTest::newRow("control") << "a\tb"
                                 << "";
        QTest::newRow("quote") << "a\"b"
                               << "";
    }
    void resolveNames() {
        QFETCH(QString, name);
        QFETCH(QString, expected);
        Database db("dbDico");
        db.setPath("/data");
        if (expected.isEmpty()) {
            try {
                db.resolve(name.toStdString());
                QFAIL("accepted");
            } catch (const EngineError& e) {
                QCOMPARE(e.code(), ErrorCode::InvalidName);
            }
        } else {
            QCOMPARE(QString::fromStdString(db.resolve(name.toStdString()).string()), expected);
        }
    }

    void initFailureText() {
        QCOMPARE(engine::initFailureText(0x2C08),
                 std::string("Une erreur est survenue lors de l'initialisation de Borland Database "
                             "Engine (erreur $2c08)"));
        initialise();
        QVERIFY(isInitialised());
    }

#ifdef KV_HAVE_PXLIB
    // pxlib reads what the engine wrote, row for row, after inserts, edits and
    // deletes spread over many blocks.
    void pxlibReadsOurTables() {
        const std::filesystem::path file = path("PXREAD.DB");
        createDictionary(file);
        std::map<int, Row> model;
        {
            auto t = TableFile::open(file);
            Cursor c(t);
            for (int i = 1; i <= 400; ++i) {
                const int no = (i * 37) % 401; // keys out of order
                Row r = dictionaryRow(no, "T" + std::to_string(no % 30), no % 12 == 0);
                c.insert(r);
                model[no] = r;
            }
            for (int no = 5; no < 400; no += 7) {
                QVERIFY(c.findKey({Value::fromInt(no)}));
                c.remove();
                model.erase(no);
            }
            for (int no = 3; no < 400; no += 11) {
                if (!model.count(no))
                    continue;
                QVERIFY(c.findKey({Value::fromInt(no)}));
                Row r = model[no];
                r[2] = Value::fromText("edited");
                c.update(r);
                model[no] = r;
            }
        }
        pxdoc_t* px = PX_new();
        QVERIFY(PX_open_file(px, file.c_str()) == 0);
        QCOMPARE(px->px_head->px_numrecords, int(model.size()));
        QCOMPARE(PX_get_num_fields(px), 8);
        auto it = model.begin();
        for (int i = 0; i < px->px_head->px_numrecords; ++i, ++it) {
            pxval_t** vals = PX_retrieve_record(px, i);
            QVERIFY(vals);
            const Row& r = it->second;
            QCOMPARE(int(vals[0]->value.lval), it->first);
            QCOMPARE(std::string(vals[1]->value.str.val, size_t(vals[1]->value.str.len)).c_str(),
                     r[1].text.c_str());
            const std::string desc(vals[2]->value.str.val, size_t(vals[2]->value.str.len));
            QCOMPARE(desc, r[2].text == "edited"
                               ? std::string("edited")
                               : "Description " + std::to_string(it->first) + " \xE9");
            QCOMPARE(bool(vals[6]->isnull), r[6].isNull());
            QCOMPARE(bool(vals[7]->isnull), r[7].isNull());
            if (!r[5].isNull())
                QCOMPARE(int(vals[5]->value.lval), int(r[5].integer));
            pxlibrecord::release(px, vals, 8);
        }
        PX_close(px);
        PX_delete(px);
    }
#endif

private:
    std::filesystem::path path(const char* name) const {
        return std::filesystem::path(m_dir.path().toStdString()) / name;
    }
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestWrite)
#include "tst_write.moc"
