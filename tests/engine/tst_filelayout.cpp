// A table's files on disk: companion files in any letter case found from one
// directory listing kept per process (and listed again once the directory
// changed), and how far a table we create grows: past the old 134 MB limit of
// 2 KB blocks up to its 65,535th block, then a clear refusal that writes nothing.

#include <QTemporaryDir>
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

std::string readBytes(const std::filesystem::path& p, size_t count) {
    std::ifstream in(p, std::ios::binary);
    std::string s(count, '\0');
    in.read(s.data(), std::streamsize(count));
    s.resize(size_t(in.gcount()));
    return s;
}

void writeU16(const std::filesystem::path& p, std::streamoff off, uint16_t v) {
    std::fstream f(p, std::ios::binary | std::ios::in | std::ios::out);
    f.seekp(off);
    const char bytes[2] = {char(v & 0xFF), char(v >> 8)};
    f.write(bytes, 2);
}

// The directory looks unchanged for a while, as a user's tables usually are: what
// was listed of it may then be reused.
void settle(const std::filesystem::path& dir, std::chrono::minutes ago) {
    std::filesystem::last_write_time(dir, std::filesystem::file_time_type::clock::now() - ago);
}

Row numbered(int n) {
    return {Value::fromInt(n), Value::fromText("row " + std::to_string(n))};
}

} // namespace

class TestFileLayout : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    std::filesystem::path path(const std::string& name) const {
        return std::filesystem::path(m_dir.path().toStdString()) / name;
    }

private slots:
    // Companion files whose names differ from the table's only in letter case are
    // the table's; an index added later is seen although the listing was kept.
    void companionsInAnyCase() {
        const std::filesystem::path dir = path("odd");
        std::filesystem::create_directories(dir);
        const std::filesystem::path file = dir / "Mixed.db";
        createTable(file, {{"N", FieldType::Long}, {"Name", FieldType::Alpha, 20}},
                    {{"", {"N"}, ixPrimary}, {"ByName", {"Name"}, ixCaseInsensitive}});
        {
            auto t = TableFile::open(file);
            Cursor c(t);
            for (int n = 1; n <= 300; ++n)
                c.insert(numbered(n));
            t->flush();
        }
        std::filesystem::rename(dir / "Mixed.px", dir / "mIXED.Px");
        std::filesystem::rename(dir / "Mixed.xg0", dir / "MIXED.xG0");
        std::filesystem::rename(dir / "Mixed.yg0", dir / "mixed.Yg0");
        settle(dir, std::chrono::minutes(60));
        {
            auto t = TableFile::open(file);
            QCOMPARE(t->indexes().size(), size_t(2));
            Cursor c(t, {"Name"});
            QVERIFY(c.findKey({Value::fromText("ROW 7")}));
            QCOMPARE(c.row()[0].integer, int64_t(7));
        }
        addIndex(file, {"ByNameDown", {"Name"}, ixDescending});
        settle(dir, std::chrono::minutes(120)); // changed, but long ago again
        auto t = TableFile::open(file);
        const std::vector<IndexInfo> indexes = t->indexes();
        QCOMPARE(indexes.size(), size_t(3));
        QCOMPARE(indexes[2].name, std::string("ByNameDown"));
    }

    // The last of the 65,535 blocks a file can number is written (past 2 GB of
    // offsets into a sparse file) and read back; the row that needs one more block
    // is refused with the table and the limit named, and nothing of it is written.
    void growsToTheLastBlock() {
        const std::filesystem::path file = path("BIG.DB");
        createTable(file, {{"N", FieldType::Long}, {"Name", FieldType::Alpha, 20}}, {});
        int n = 0;
        int capacity = 0;
        {
            auto t = TableFile::open(file);
            QCOMPARE(t->blockSize(), 32768);
            capacity = (t->blockSize() - 6) / t->recordSize();
            Cursor c(t);
            c.insert(numbered(++n));
        }
        // Blocks 2..65534 exist but are out of the chain (as after deletions).
        const std::string start = readBytes(file, 4);
        const uint16_t headerSize = uint16_t(uint8_t(start[2]) | uint8_t(start[3]) << 8);
        const uint64_t blocksEnd = headerSize + 65534ull * 32768;
        std::filesystem::resize_file(file, blocksEnd);
        writeU16(file, 0x0C, 65534);
        writeU16(file, 0x3A, 65534);
        {
            auto t = TableFile::open(file);
            Cursor c(t);
            t->beginTransaction();
            while (n < 2 * capacity)
                c.insert(numbered(++n));
            t->commit();
        }
        QCOMPARE(std::filesystem::file_size(file), blocksEnd + 32768);
        const std::string before = readBytes(file, headerSize);

        auto t = TableFile::open(file);
        Cursor c(t);
        try {
            c.insert(numbered(n + 1));
            QFAIL("a row past the last block was accepted");
        } catch (const EngineError& e) {
            QCOMPARE(e.code(), ErrorCode::InvalidArgument);
            const std::string text = e.what();
            QVERIFY2(text.find("BIG.DB") != std::string::npos, e.what());
            QVERIFY2(text.find("65535 blocs de 32 Ko") != std::string::npos, e.what());
        }
        QCOMPARE(std::filesystem::file_size(file), blocksEnd + 32768);
        QCOMPARE(readBytes(file, headerSize), before);
        int last = 0;
        uint32_t rows = 0;
        t->forEachRow([&](const Row& row) {
            last = int(row[0].integer);
            ++rows;
            return true;
        });
        QCOMPARE(rows, uint32_t(n));
        QCOMPARE(last, n);
#ifdef KV_HAVE_PXLIB
        pxdoc_t* px = PX_new();
        QVERIFY(PX_open_file(px, file.c_str()) == 0);
        QCOMPARE(px->px_head->px_numrecords, n);
        pxval_t** vals = PX_retrieve_record(px, n - 1);
        QVERIFY(vals);
        QCOMPARE(int(vals[0]->value.lval), n);
        pxlibrecord::release(px, vals, 2);
        PX_close(px);
        PX_delete(px);
#endif
    }
};

QTEST_GUILESS_MAIN(TestFileLayout)
#include "tst_filelayout.moc"
