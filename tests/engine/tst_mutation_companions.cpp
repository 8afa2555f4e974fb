// Every single-byte mutation (0x00, 0xFF, each of the eight bit flips) of the
// header and first blocks of a table's primary index, single-field index and BLOB
// files (.PX, .Xnn, .MB; the .XGn/.YGn files have their own program): the
// table then opens, reads and walks its indexes, or ends in the engine's error;
// never a crash, a hang or another exception.

#include "fuzz/MutationSites.h"
#include "fuzz/SeedTables.h"

#include <QtTest>

namespace {

tableimage::Family baseFamily(const QString &table)
{
    using namespace fuzzsupport::seeds;
    return table == "multiblock"  ? multiBlock().family
           : table == "everytype" ? everyType(true, {{"ByName", {1}, 0x01, true}}, "m").family
                                  : oldLevel(0x03, "m").family;
}

} // namespace

class TstMutationCompanions : public QObject {
    Q_OBJECT

private slots:
    void singleByteMutations_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("ext");
        QTest::newRow("primary index .PX") << "multiblock" << "PX";
        QTest::newRow("level 3 single-field .X02") << "level3" << "X02";
        QTest::newRow("BLOB file .MB") << "everytype" << "MB";
    }
    void singleByteMutations()
    {
        QFETCH(QString, table);
        QFETCH(QString, ext);
        std::vector<fuzzsupport::FuzzFile> files;
        for (const auto &[e, bytes] : baseFamily(table)) files.push_back({e, bytes});
        size_t target = 0;
        while (target < files.size() && files[target].ext != ext.toStdString()) ++target;
        QVERIFY(target < files.size());

        const auto sound = fuzzsupport::exerciseFamily(files);
        QVERIFY2(sound.opened && sound.engineErrors == 0,
                 sound.messages.empty() ? "not opened" : sound.messages.front().c_str());

        // Anything but the engine's error escapes mutateEachSite and fails the test.
        const auto s = fuzzsupport::mutateEachSite(files, target);
        qInfo("%d mutations, %d ended in an engine error, slowest %.1f ms, total %.1f s", s.cases,
              s.engineErrors, s.slowest * 1000, s.total);
        QVERIFY(s.cases > 100);
        // One second is the fuzzing bar for a hang.
        QVERIFY2(s.slowest < 1.0, "one mutation took over a second");
    }
};

QTEST_GUILESS_MAIN(TstMutationCompanions)
#include "tst_mutation_companions.moc"
