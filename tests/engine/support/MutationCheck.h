#pragma once
// The body shared by the single-byte mutation programs: one file of a small valid
// table family is mutated at every byte a reader interprets, and each mutant must
// open, read and walk its indexes, or end in the engine's error. The work is split
// over several programs only so that each stays within a minute under the sanitizers.

#include "tests/support/MutationSites.h"
#include "tests/support/SeedTables.h"

#include <QtTest>

namespace mutationcheck {

// "multiblock": keyed, several blocks, secondary indexes; "everytype": every field
// type with a BLOB file; anything else: a level-3 table with a single-field index.
inline tableimage::Family baseFamily(const QString& table) {
    using namespace testsupport::seeds;
    return table == "multiblock"  ? multiBlock().family
           : table == "everytype" ? everyType(true, {{"ByName", {1}, 0x01, true}}, "m").family
                                  : oldLevel(0x03, "m").family;
}

inline void addColumns() {
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("ext");
}

// Mutates the file with extension `ext` of `table`'s family. Anything but the
// engine's error escapes mutateEachSite and fails the calling test.
inline void checkEveryMutation(const QString& table, const QString& ext) {
    std::vector<testsupport::FamilyFile> files;
    for (const auto& [e, bytes] : baseFamily(table))
        files.push_back({e, bytes});
    size_t target = 0;
    while (target < files.size() && files[target].ext != ext.toStdString())
        ++target;
    QVERIFY(target < files.size());

    const auto sound = testsupport::exerciseFamily(files);
    QVERIFY2(sound.opened && sound.engineErrors == 0,
             sound.messages.empty() ? "not opened" : sound.messages.front().c_str());

    const auto s = testsupport::mutateEachSite(files, target);
    qInfo("%d mutations, %d ended in an engine error, slowest %.1f ms, total %.1f s", s.cases,
          s.engineErrors, s.slowest * 1000, s.total);
    QVERIFY(s.cases > 100);
    // Not a speed check: a mutant that takes this long is looping on a damaged
    // structure. The margin is wide because CI runs this under the sanitizers.
    QVERIFY2(s.slowest < 10.0, "one mutation took over ten seconds: a hang");
}

} // namespace mutationcheck
