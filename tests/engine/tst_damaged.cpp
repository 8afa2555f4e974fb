// The damaged-file corpus: valid table families built in memory, each damaged in
// one way, then opened, read row by row and walked along every index. Each kind of
// damage must end in the engine's error with the expected code and a message that
// names the damaged file; where the engine may soundly repair or ignore the damage
// (an index it can rebuild, a counter it can recompute) success is allowed, but
// then every row must come back, once per index.

#include "tests/support/MemoryFileSystem.h"
#include "tests/support/ScopedFileSystem.h"
#include "tests/support/SeedTables.h"

#include "engine/Cursor.h"
#include "engine/EngineError.h"
#include "engine/TableFile.h"

#include <QtTest>

#include <functional>
#include <set>
#include <sstream>

using engine::ErrorCode;
using tableimage::Bytes;
using tableimage::Family;
using tableimage::get16;
using tableimage::put16;
using tableimage::put32;

namespace {

// ---- Running a family through the engine ------------------------------------------
struct Outcome {
    bool ok = false;
    ErrorCode code = ErrorCode::Io;
    std::string message;
    int64_t rows = 0;
    std::vector<int64_t> walks; // rows seen along each index
};

std::vector<std::string> split(const std::string& joined) {
    std::vector<std::string> out;
    std::stringstream ss(joined);
    for (std::string n; std::getline(ss, n, ';');)
        out.push_back(n);
    return out;
}

Outcome attempt(const Family& family) {
    Outcome o;
    testsupport::MemoryFileSystem fs;
    for (const auto& [ext, bytes] : family)
        fs.put("/dmg/T." + ext, bytes);
    const testsupport::ScopedFileSystem mounted(fs);
    try {
        auto t = engine::TableFile::open("/dmg/T.DB");
        for (const auto& f : t->fields())
            (void)f.typeCode();
        const auto indexes = t->indexes();
        t->forEachRow([&](const engine::Row&) { return ++o.rows < 1000000; });
        for (const auto& ix : indexes) {
            engine::Cursor c(t, ix.options & engine::ixPrimary ? std::vector<std::string>{}
                                                               : split(ix.fields));
            int64_t n = 0;
            for (bool more = c.first(); more && n < 1000000; more = c.next())
                ++n;
            o.walks.push_back(n);
        }
        o.ok = true;
    } catch (const engine::EngineError& e) {
        o.code = e.code();
        o.message = e.what();
    }
    return o;
}

// ---- Where things are in a built family -------------------------------------------
size_t headerSize(const Bytes& f) {
    return get16(f, 2);
}
size_t blockSize(const Bytes& f) {
    return size_t(f[5]) * 1024;
}
size_t blockAt(const Bytes& f, size_t physical) {
    return headerSize(f) + (physical - 1) * blockSize(f);
}
// Physical number of the n-th block (0-based) along the chain.
uint16_t chained(const Bytes& f, int n) {
    uint16_t b = get16(f, 0x0E);
    while (n-- > 0)
        b = get16(f, blockAt(f, b));
    return b;
}

// One past the last byte a reader needs: blocks may end early in the file, but
// never before their last record.
size_t lastUsedByte(const Bytes& f) {
    size_t end = headerSize(f);
    for (uint16_t b = get16(f, 0x0E); b != 0; b = get16(f, blockAt(f, b))) {
        const int16_t last = int16_t(get16(f, blockAt(f, b) + 4));
        end = std::max(end, blockAt(f, b) + 6 + (last >= 0 ? size_t(last) + get16(f, 0) : 0));
    }
    return end;
}

// The 10-byte descriptor of BLOB field `field` in row `row` of a one-block table.
size_t blobDescriptor(const Family& fam, int row, int field) {
    const Bytes& db = fam.at("DB");
    size_t off = blockAt(db, 1) + 6 + size_t(row) * get16(db, 0);
    auto fields = testsupport::seeds::everyTypeFields();
    for (int i = 0; i < field; ++i)
        off += size_t(fields[size_t(i)].width());
    return off + fields[size_t(field)].size - 10;
}
uint32_t mbRef(const Family& fam, int row, int field) {
    return tableimage::get32(fam.at("DB"), blobDescriptor(fam, row, field));
}

// ---- The corpus ---------------------------------------------------------------------
enum Base { Indexed, Blobs };

struct Damage {
    const char* name;
    Base base;
    std::function<void(Family&)> apply;
    std::set<ErrorCode> codes; // acceptable error codes
    std::string fragment;      // part of the message ("" = any)
    std::string file;          // the file the message must name
    bool successAllowed = false;
};

Family baseFamily(Base b) {
    return b == Indexed ? testsupport::seeds::multiBlock().family
                        : testsupport::seeds::everyType(true, {}, "blobs").family;
}
uint32_t baseRows(Base b) {
    return b == Indexed ? 60 : 3;
}

auto set16(const char* ext, size_t off, uint16_t v) {
    return [=](Family& f) { put16(f[ext], off, v); };
}
auto set32(const char* ext, size_t off, uint32_t v) {
    return [=](Family& f) { put32(f[ext], off, v); };
}
auto set8(const char* ext, size_t off, uint8_t v) {
    return [=](Family& f) { f[ext][off] = v; };
}

const std::set<ErrorCode> kBad = {ErrorCode::Corrupt, ErrorCode::NotParadox};
const std::set<ErrorCode> kBadIndex = {ErrorCode::Corrupt, ErrorCode::IndexOutOfDate};

const std::vector<Damage>& damages() {
    // One damage a line, laid out by hand.
    // clang-format off
    static const std::vector<Damage> list = {
        // Fixed header fields.
        {"record size 0", Indexed, set16("DB", 0x00, 0), {ErrorCode::NotParadox}, "taille d'enregistrement nulle", "T.DB"},
        {"record size 1 (fields do not sum)", Indexed, set16("DB", 0x00, 1), {ErrorCode::Corrupt}, "ne correspond pas", "T.DB"},
        {"record size larger than a block", Indexed, set16("DB", 0x00, 0xFFFF), {ErrorCode::Corrupt}, "ne tient pas", "T.DB"},
        {"header size 0", Indexed, set16("DB", 0x02, 0), {ErrorCode::NotParadox}, "", "T.DB"},
        {"header size 1", Indexed, set16("DB", 0x02, 1), {ErrorCode::NotParadox}, "", "T.DB"},
        {"header size past the end", Indexed, set16("DB", 0x02, 0xFFFF), {ErrorCode::Corrupt}, "dépasse la fin", "T.DB"},
        {"header size cuts the names", Indexed, set16("DB", 0x02, 0x100), kBad, "", "T.DB"},
        {"file type 9", Indexed, set8("DB", 0x04, 9), {ErrorCode::NotParadox}, "type de fichier", "T.DB"},
        {"file type 255", Indexed, set8("DB", 0x04, 0xFF), {ErrorCode::NotParadox}, "type de fichier", "T.DB"},
        {"table claims to be a primary index", Indexed, set8("DB", 0x04, 1), kBad, "", "T.DB"},
        {"block size code 0", Indexed, set8("DB", 0x05, 0), {ErrorCode::NotParadox}, "taille de bloc", "T.DB"},
        {"block size code 33", Indexed, set8("DB", 0x05, 33), {ErrorCode::NotParadox}, "taille de bloc", "T.DB"},
        {"block size code 255", Indexed, set8("DB", 0x05, 0xFF), {ErrorCode::NotParadox}, "taille de bloc", "T.DB"},
        {"block size code 3 (blocks misplaced)", Indexed, set8("DB", 0x05, 3), kBad, "", "T.DB"},
        {"version 2", Indexed, set8("DB", 0x39, 2), {ErrorCode::NotParadox}, "version", "T.DB"},
        {"version 13", Indexed, set8("DB", 0x39, 13), {ErrorCode::NotParadox}, "version", "T.DB"},
        {"version 255", Indexed, set8("DB", 0x39, 0xFF), {ErrorCode::NotParadox}, "version", "T.DB"},
        {"0 fields", Indexed, set16("DB", 0x21, 0), {ErrorCode::Corrupt}, "nombre de champs", "T.DB"},
        {"256 fields", Indexed, set16("DB", 0x21, 256), {ErrorCode::Corrupt}, "", "T.DB"},
        {"65535 fields", Indexed, set16("DB", 0x21, 0xFFFF), {ErrorCode::Corrupt}, "", "T.DB"},
        {"more key fields than fields", Indexed, set16("DB", 0x23, 5), {ErrorCode::Corrupt}, "clé", "T.DB"},
        {"65535 key fields", Indexed, set16("DB", 0x23, 0xFFFF), {ErrorCode::Corrupt}, "clé", "T.DB"},
        // Field descriptors and names.
        {"unknown type code 0x07", Indexed, set8("DB", 0x78, 0x07), {ErrorCode::Corrupt}, "type", "T.DB"},
        {"unknown type code 0x00", Indexed, set8("DB", 0x78, 0x00), {ErrorCode::Corrupt}, "type", "T.DB"},
        {"unknown type code 0xFF", Indexed, set8("DB", 0x7A, 0xFF), {ErrorCode::Corrupt}, "type", "T.DB"},
        {"Alpha of length 0", Indexed, set8("DB", 0x79, 0), {ErrorCode::Corrupt}, "taille", "T.DB"},
        {"Long of width 8", Indexed, set8("DB", 0x7B, 8), {ErrorCode::Corrupt}, "", "T.DB"},
        {"names without terminator", Indexed,
         [](Family &f) {
             Bytes &db = f["DB"];
             for (size_t i = 0x78 + 4 * 2 + 4 + 4 * 4 + 261; i < headerSize(db); ++i) db[i] = 'N';
         },
         {ErrorCode::Corrupt}, "noms de champs", "T.DB"},
        // Counters and the block chain.
        {"record count above what the blocks hold", Indexed, set32("DB", 0x06, 0xFFFFFFFF), kBad, "", "T.DB", true},
        {"record count 0 with rows", Indexed, set32("DB", 0x06, 0), kBad, "", "T.DB", true},
        {"huge block count", Indexed,
         [](Family &f) {
             put16(f["DB"], 0x0A, 0xFFFF);
             put16(f["DB"], 0x0C, 0xFFFF);
         },
         kBad, "", "T.DB", true},
        {"block count smaller than the chain", Indexed, set16("DB", 0x0C, 1), kBad, "", "T.DB"},
        {"first block past the end", Indexed, set16("DB", 0x0E, 0x4000), {ErrorCode::Corrupt}, "", "T.DB"},
        {"first block 0 with rows", Indexed, set16("DB", 0x0E, 0), {ErrorCode::Corrupt}, "", "T.DB"},
        {"next pointer past the end", Indexed,
         [](Family &f) { put16(f["DB"], blockAt(f["DB"], chained(f["DB"], 0)), 0x0FFF); },
         {ErrorCode::Corrupt}, "", "T.DB"},
        {"next pointer cycle", Indexed,
         [](Family &f) {
             Bytes &db = f["DB"];
             put16(db, blockAt(db, chained(db, 2)), chained(db, 0));
         },
         {ErrorCode::Corrupt}, "", "T.DB"},
        {"next pointer to itself", Indexed,
         [](Family &f) {
             Bytes &db = f["DB"];
             uint16_t first = chained(db, 0);
             put16(db, blockAt(db, first), first);
         },
         {ErrorCode::Corrupt}, "", "T.DB"},
        {"last record offset beyond the block", Indexed,
         [](Family &f) { put16(f["DB"], blockAt(f["DB"], chained(f["DB"], 0)) + 4, 0x7FFF); },
         {ErrorCode::Corrupt}, "", "T.DB"},
        {"last record offset not on a record", Indexed,
         [](Family &f) { put16(f["DB"], blockAt(f["DB"], chained(f["DB"], 0)) + 4, 5); },
         kBad, "", "T.DB", true},
        {"last record offset very negative", Indexed,
         [](Family &f) { put16(f["DB"], blockAt(f["DB"], chained(f["DB"], 1)) + 4, 0x8000); },
         {ErrorCode::Corrupt}, "", "T.DB"},
        {"encrypted", Indexed, set32("DB", 0x5C, 0x12345678), {ErrorCode::Encrypted}, "", "T.DB"},
        // Index files.
        {"primary index missing", Indexed, [](Family &f) { f.erase("PX"); }, kBadIndex, "", "T.PX", true},
        {"primary index root past the end", Indexed, set16("PX", 0x1E, 0x0FFF), kBadIndex, "", "T.PX", true},
        {"primary index levels loop", Indexed, set8("PX", 0x20, 9), kBadIndex, "", "T.PX", true},
        {"primary index entry to a block past the end", Indexed,
         [](Family &f) {
             Bytes &px = f["PX"];
             size_t entry = blockAt(px, get16(px, 0x1E)) + 6 + 16;
             px[entry] = 0x8F;
             px[entry + 1] = 0xFF;
         },
         kBadIndex, "", "T.PX", true},
        {"primary index from another table", Indexed,
         [](Family &f) { f["PX"] = testsupport::seeds::emptyKeyed().family.at("PX"); }, kBadIndex, "", "T.PX", true},
        {"secondary index data file truncated", Indexed, [](Family &f) { f["XG0"].resize(2048 + 100); },
         kBadIndex, "", "T.XG0", true},
        {"secondary index tree level loop", Indexed, set8("YG0", 0x20, 7), kBadIndex, "", "T.YG0", true},
        {"secondary index from another table", Indexed,
         [](Family &f) {
             auto other = testsupport::seeds::emptyKeyed().family;
             f["XG0"] = other.at("XG0");
             f["YG0"] = other.at("YG0");
         },
         kBadIndex, "", "T.XG0", true},
        {"secondary index with a stale stamp", Indexed, set8("XG1", 0x2E, 0x55), kBadIndex, "", "T.XG1", true},
        {"secondary index names a field past the table", Indexed,
         [](Family &f) {
             Bytes &x = f["XG0"];
             put16(x, 0x58 + get16(x, 0x66), 77);
         },
         kBadIndex, "", "T.XG0", true},
        // BLOBs.
        {"BLOB past the end of the .MB", Blobs,
         [](Family &f) { put32(f["DB"], blobDescriptor(f, 1, 8), 0x7FFF00FF); },
         {ErrorCode::Corrupt}, "BLOB", "T"},
        {"BLOB into the .MB header block", Blobs, [](Family &f) { put32(f["DB"], blobDescriptor(f, 1, 8), 0x000000FF); },
         {ErrorCode::Corrupt}, "BLOB", "T"},
        {"BLOB into an unused slot", Blobs,
         [](Family &f) { put32(f["DB"], blobDescriptor(f, 1, 7), (mbRef(f, 1, 7) & ~0xFFu) | 5); },
         {ErrorCode::Corrupt}, "BLOB", "T"},
        {"BLOB length differs from its block", Blobs,
         [](Family &f) { put32(f["DB"], blobDescriptor(f, 1, 8) + 4, 2499); }, {ErrorCode::Corrupt}, "BLOB", "T"},
        {"BLOB length 4 GiB", Blobs,
         [](Family &f) { put32(f["DB"], blobDescriptor(f, 1, 8) + 4, 0xFFFFFFFF); },
         {ErrorCode::Corrupt}, "BLOB", "T"},
        {"BLOB block marked free", Blobs,
         [](Family &f) { f["MB"][mbRef(f, 1, 8) & ~0xFFu] = 4; }, {ErrorCode::Corrupt}, "BLOB", "T"},
        {"BLOB block length past the end", Blobs,
         [](Family &f) { put32(f["MB"], (mbRef(f, 1, 8) & ~0xFFu) + 3, 0x7FFFFFFF); },
         {ErrorCode::Corrupt}, "", "T"},
        {".MB missing", Blobs, [](Family &f) { f.erase("MB"); }, {ErrorCode::Corrupt, ErrorCode::NotFound}, "", "T.MB"},
        {".MB truncated to its header", Blobs, [](Family &f) { f["MB"].resize(4096); }, {ErrorCode::Corrupt}, "", "T"},
        {".MB from another table", Blobs,
         [](Family &f) { f["MB"] = testsupport::seeds::everyType(false, {}, "x").family.at("MB"); }, {}, "", "", true},
    };
    // clang-format on
    return list;
}

} // namespace

class TestDamaged : public QObject {
    Q_OBJECT

    void check(const Damage& d, const Outcome& o) {
        if (o.ok) {
            QVERIFY2(d.successAllowed, "the damaged table was read without any error");
            // A repaired or ignored damage must still give every row, once per index.
            QCOMPARE(o.rows, int64_t(baseRows(d.base)));
            for (int64_t n : o.walks)
                QCOMPARE(n, int64_t(baseRows(d.base)));
            return;
        }
        if (!d.codes.empty())
            QVERIFY2(d.codes.count(o.code),
                     qPrintable(QString("unexpected code %1: %2")
                                    .arg(int(o.code))
                                    .arg(QString::fromStdString(o.message))));
        QVERIFY2(o.message.find(d.fragment) != std::string::npos, o.message.c_str());
        QVERIFY2(o.message.find(d.file) != std::string::npos, o.message.c_str());
    }

private slots:
    void baseFamiliesAreSound() {
        for (Base b : {Indexed, Blobs}) {
            Outcome o = attempt(baseFamily(b));
            QVERIFY2(o.ok, o.message.c_str());
            QCOMPARE(o.rows, int64_t(baseRows(b)));
            for (int64_t n : o.walks)
                QCOMPARE(n, int64_t(baseRows(b)));
        }
    }

    void damage_data() {
        QTest::addColumn<int>("which");
        for (size_t i = 0; i < damages().size(); ++i)
            QTest::newRow(damages()[i].name) << int(i);
    }
    void damage() {
        QFETCH(int, which);
        const Damage& d = damages()[size_t(which)];
        Family f = baseFamily(d.base);
        d.apply(f);
        check(d, attempt(f));
    }

    // Cutting any file of the family at every header byte and every 512-byte
    // boundary: an error or a complete table, never a crash or a partial answer.
    void truncation_data() {
        QTest::addColumn<QString>("ext");
        QTest::addColumn<int>("base");
        for (const char* ext : {"DB", "PX", "XG0", "YG0", "XG1"})
            QTest::newRow(ext) << QString(ext) << int(Indexed);
        QTest::newRow("MB") << QStringLiteral("MB") << int(Blobs);
        QTest::newRow("DB with BLOBs") << QStringLiteral("DB") << int(Blobs);
    }
    void truncation() {
        QFETCH(QString, ext);
        QFETCH(int, base);
        const Family whole = baseFamily(Base(base));
        const std::string e = ext.toStdString();
        const size_t size = whole.at(e).size();
        std::vector<size_t> cuts;
        for (size_t n = 0; n < std::min<size_t>(size, e == "MB" ? 64 : get16(whole.at(e), 2)); ++n)
            cuts.push_back(n);
        for (size_t n = 512; n < size; n += 512)
            cuts.push_back(n);
        for (size_t n : cuts) {
            Family f = whole;
            f[e].resize(n);
            Outcome o = attempt(f);
            if (o.ok) {
                // Only a cut that loses nothing the table needs (unused block tails,
                // or an index that can be rebuilt) may pass.
                QVERIFY2(e != "DB" || n >= lastUsedByte(whole.at(e)),
                         qPrintable(QString("table cut at %1 bytes read as sound").arg(n)));
                QCOMPARE(o.rows, int64_t(baseRows(Base(base))));
                for (int64_t w : o.walks)
                    QCOMPARE(w, int64_t(baseRows(Base(base))));
            } else {
                QVERIFY2(o.code == ErrorCode::Corrupt || o.code == ErrorCode::NotParadox ||
                             o.code == ErrorCode::IndexOutOfDate || o.code == ErrorCode::NotFound,
                         qPrintable(QString("cut at %1: code %2 %3")
                                        .arg(n)
                                        .arg(int(o.code))
                                        .arg(o.message.c_str())));
                QVERIFY2(o.message.find("T.") != std::string::npos, o.message.c_str());
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestDamaged)
#include "tst_damaged.moc"
