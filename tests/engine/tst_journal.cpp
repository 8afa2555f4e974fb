// The rollback journal seen from outside, and the damage a header can hide.
//
//  - A journal left by a commit cut short after it changed the table (a hot journal)
//    is rolled back by the next open; one whose lock another open file holds (a
//    commit in progress) is left alone and the open is refused as busy.
//  - A header count or last block that disagrees with the block chain is reported as
//    damage, after the rows that could be read.

#include "engine/BufferedFile.h"
#include "engine/Cursor.h"
#include "engine/EngineError.h"
#include "engine/FileSystem.h"
#include "engine/Journal.h"
#include "engine/TableDefinition.h"
#include "engine/TableFile.h"

#include <QTemporaryDir>
#include <QtTest>

#include <fstream>
#include <random>

using namespace engine;
namespace fs = std::filesystem;

namespace {

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void writeFile(const fs::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary | std::ios::trunc) << bytes;
}

// A keyed table of `rows` rows over several 2 KiB blocks, index files written.
fs::path makeTable(const fs::path& dir, int rows) {
    const fs::path file = dir / "T.DB";
    createTable(file, {{"K", FieldType::Long}, {"Name", FieldType::Alpha, 100}},
                {{"", {"K"}, ixPrimary}});
    auto t = TableFile::open(file);
    t->setDurable(false);
    Cursor c(t);
    t->beginTransaction();
    for (int k = 1; k <= rows; ++k)
        c.insert({Value::fromInt(k), Value::fromText("row " + std::to_string(k))});
    t->commit();
    t->flush();
    return file;
}

int countRows(const fs::path& file, std::string* error = nullptr) {
    int rows = 0;
    try {
        TableFile::open(file)->forEachRow([&](const Row&) {
            ++rows;
            return true;
        });
    } catch (const EngineError& e) {
        if (error)
            *error = e.what();
    }
    return rows;
}

} // namespace

class TestJournal : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    fs::path dir() const { return m_dir.path().toStdString(); }

private slots:
    void hotJournalRolledBackLiveOneLeftAlone() {
        const fs::path file = makeTable(dir(), 40);
        const std::string before = readFile(file);
        // A commit that wrote its journal and then half of the table before dying.
        auto disk = std::make_unique<BufferedFile>(fileSystem().open(file, OpenMode::ReadWrite));
        const std::string garbage(3000, '\xA5');
        disk->writeAt(0, garbage.data(), garbage.size());
        disk->writeAt(before.size(), garbage.data(), garbage.size()); // and grew it
        auto journal = Journal::begin(file, {disk.get()}, true);
        disk->apply(false);
        QVERIFY(readFile(file) != before);

        // Its owner is alive: the open is refused, nothing is touched.
        try {
            TableFile::open(file);
            QFAIL("a table under a live journal was opened");
        } catch (const EngineError& e) {
            QCOMPARE(e.code(), ErrorCode::Locked);
        }
        QVERIFY(fs::exists(Journal::pathFor(file)));

        journal.reset(); // the owner dies: its lock goes, the journal stays hot
        disk.reset();
        QCOMPARE(countRows(file), 40);
        QCOMPARE(readFile(file), before);
        QVERIFY(!fs::exists(Journal::pathFor(file)));
    }

    void tornJournalIsDropped() {
        const fs::path file = makeTable(dir(), 5);
        const std::string before = readFile(file);
        writeFile(Journal::pathFor(file), "KVJRNL\r\n\x01"); // the commit died writing it
        QCOMPARE(countRows(file), 5);
        QCOMPARE(readFile(file), before);
        QVERIFY(!fs::exists(Journal::pathFor(file)));
    }

    void headerDisagreesWithChain_data() {
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("damage");
        QTest::newRow("count above the chain") << 0x06 << 219 << "219 lignes";
        QTest::newRow("count below the chain") << 0x06 << 3 << "3 lignes";
        QTest::newRow("chain ends before the last block") << 0x10 << 9 << "au lieu du bloc 9";
    }

    // Pending writes against a model of the file: every read through the buffer sees
    // the disk overlaid with them, the ranges stay disjoint and apart, and applying
    // them leaves the file equal to the model.
    void pendingWritesOverlayTheDisk() {
        const fs::path file = dir() / "overlay.bin";
        std::string model(5000, 'd');
        writeFile(file, model);
        BufferedFile buffered(fileSystem().open(file, OpenMode::ReadWrite));
        std::mt19937 rng(7);
        for (int i = 0; i < 3000; ++i) {
            const size_t len = 1 + rng() % 300;
            size_t off = rng() % (model.size() + 400); // inside, touching, past the end
            if (i % 3 == 0)
                off = model.size(); // appends, the bulk-load case
            const std::string bytes(len, char('a' + i % 26));
            buffered.writeAt(off, bytes.data(), len);
            if (model.size() < off + len)
                model.resize(off + len, '\0');
            model.replace(off, len, bytes);

            QCOMPARE(buffered.size(), uint64_t(model.size()));
            const size_t from = rng() % model.size(), n = 1 + rng() % 900;
            std::string seen(n, '?');
            seen.resize(buffered.readAt(from, seen.data(), n));
            QCOMPARE(seen, model.substr(from, n));
        }
        uint64_t previousEnd = 0;
        for (const auto& [off, bytes] : buffered.pending()) {
            QVERIFY(off > previousEnd || previousEnd == 0);
            previousEnd = off + bytes.size();
        }
        buffered.apply(false);
        QCOMPARE(readFile(file), model);
    }

    void headerDisagreesWithChain() {
        QFETCH(int, offset);
        QFETCH(int, value);
        QFETCH(QString, damage);
        const fs::path file = makeTable(dir(), 70);
        std::string bytes = readFile(file);
        bytes[size_t(offset)] = char(value & 0xFF);
        bytes[size_t(offset) + 1] = char(value >> 8);
        writeFile(file, bytes);
        fs::remove(dir() / "T.PX"); // so that the rows are found by walking the chain
        std::string error;
        QCOMPARE(countRows(file, &error), 70); // every row read, then the damage told
        QVERIFY2(QString::fromStdString(error).contains(damage), error.c_str());
    }
};

QTEST_GUILESS_MAIN(TestJournal)
#include "tst_journal.moc"
