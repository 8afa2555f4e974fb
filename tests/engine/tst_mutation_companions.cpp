// Every single-byte mutation (0x00, 0xFF, each of the eight bit flips) of the
// header and first blocks of a table's primary index, single-field index and BLOB
// files (.PX, .Xnn, .MB; the .XGn/.YGn files have their own program): the
// table then opens, reads and walks its indexes, or ends in the engine's error;
// never a crash, a hang or another exception.

#include "support/MutationCheck.h"

class TestMutationCompanions : public QObject {
    Q_OBJECT

private slots:
    void singleByteMutations_data() {
        mutationcheck::addColumns();
        QTest::newRow("primary index .PX") << "multiblock"
                                           << "PX";
        QTest::newRow("level 3 single-field .X02") << "level3"
                                                   << "X02";
        QTest::newRow("BLOB file .MB") << "everytype"
                                       << "MB";
    }
    void singleByteMutations() {
        QFETCH(QString, table);
        QFETCH(QString, ext);
        mutationcheck::checkEveryMutation(table, ext);
    }
};

QTEST_GUILESS_MAIN(TestMutationCompanions)
#include "tst_mutation_companions.moc"
