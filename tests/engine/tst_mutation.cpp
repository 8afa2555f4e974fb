// Every single-byte mutation (0x00, 0xFF, each of the eight bit flips) of the
// header and the first two blocks of a few valid table files: opening, reading
// every row and walking every index either succeeds or ends in the engine's
// error; never a crash, a hang or another exception. Runs under the sanitizers in
// CI, so the byte ranges are chosen to stay within a minute there: the header up
// to its last used byte, and the used part of each block.

#include "fuzz/FuzzHarness.h"
#include "fuzz/SeedTables.h"

#include <QtTest>

#include <chrono>

using tableimage::Bytes;
using tableimage::Family;
using tableimage::get16;

namespace {

// The byte offsets worth mutating in one file of the family.
std::vector<size_t> interestingBytes(const Bytes &f, bool isBlobFile)
{
    std::vector<size_t> at;
    if (isBlobFile) { // MB: its header fields and the start of each of its first blocks
        for (size_t i = 0; i < std::min<size_t>(f.size(), 0x30); ++i) at.push_back(i);
        for (size_t b = 4096; b < std::min<size_t>(f.size(), 3 * 4096); b += 4096)
            for (size_t i = 0; i < 12 + 64 * 5 && b + i < f.size(); ++i) at.push_back(b + i);
        return at;
    }
    const size_t header = get16(f, 2);
    size_t used = get16(f, 0x51);
    if (used == 0 || used > header) used = header;
    for (size_t i = 0; i < used; ++i) at.push_back(i);
    const size_t block = size_t(f[5]) * 1024, recordSize = get16(f, 0);
    for (size_t b = 0; b < 2 && header + (b + 1) * block <= f.size(); ++b) {
        const size_t start = header + b * block;
        const int16_t last = int16_t(get16(f, start + 4));
        const size_t usedBytes = 6 + (last >= 0 ? size_t(last) + recordSize : 0);
        for (size_t i = 0; i < std::min(usedBytes, block); ++i) at.push_back(start + i);
    }
    return at;
}

std::vector<fuzzsupport::FuzzFile> asFiles(const Family &family)
{
    std::vector<fuzzsupport::FuzzFile> files;
    for (const auto &[ext, bytes] : family) files.push_back({ext, bytes});
    return files;
}

} // namespace

class TstMutation : public QObject {
    Q_OBJECT

private slots:
    void singleByteMutations_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("ext");
        QTest::newRow("indexed table .DB") << "multiblock" << "DB";
        QTest::newRow("indexed table .PX") << "multiblock" << "PX";
        QTest::newRow("indexed table .XG0") << "multiblock" << "XG0";
        QTest::newRow("indexed table .YG1") << "multiblock" << "YG1";
        QTest::newRow("every type .DB") << "everytype" << "DB";
        QTest::newRow("every type .MB") << "everytype" << "MB";
        QTest::newRow("level 3 .DB") << "level3" << "DB";
    }
    void singleByteMutations()
    {
        QFETCH(QString, table);
        QFETCH(QString, ext);
        using namespace fuzzsupport::seeds;
        const Family base = table == "multiblock" ? multiBlock().family
                            : table == "everytype" ? everyType(true, {{"ByName", {1}, 0x01, true}}, "m").family
                                                   : oldLevel(0x03, "m").family;
        const std::string e = ext.toStdString();
        QVERIFY(base.count(e));
        auto files = asFiles(base);
        size_t target = 0;
        while (files[target].ext != e) ++target;
        const Bytes original = files[target].bytes;

        auto sound = fuzzsupport::exerciseFamily(files);
        QVERIFY2(sound.opened && sound.engineErrors == 0,
                 sound.messages.empty() ? "not opened" : sound.messages.front().c_str());

        const auto started = std::chrono::steady_clock::now();
        double slowest = 0;
        int cases = 0, failures = 0;
        for (size_t at : interestingBytes(original, e == "MB")) {
            const uint8_t byte = original[at];
            std::vector<uint8_t> values = {0x00, 0xFF};
            for (int bit = 0; bit < 8; ++bit) values.push_back(uint8_t(byte ^ (1u << bit)));
            for (uint8_t v : values) {
                if (v == byte) continue;
                files[target].bytes[at] = v;
                const auto t0 = std::chrono::steady_clock::now();
                // Anything but an EngineError escapes exerciseFamily and fails the test.
                auto r = fuzzsupport::exerciseFamily(files);
                slowest = std::max(slowest, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
                failures += r.engineErrors > 0;
                ++cases;
            }
            files[target].bytes[at] = byte;
        }
        qInfo("%d mutations, %d ended in an engine error, slowest %.1f ms, total %.1f s", cases, failures,
              slowest * 1000,
              std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
        QVERIFY(cases > 100);
        // A mutated input must not make the engine work much longer than a sound one:
        // one second is the fuzzing bar for a hang.
        QVERIFY2(slowest < 1.0, "one mutation took over a second");
    }
};

QTEST_GUILESS_MAIN(TstMutation)
#include "tst_mutation.moc"
