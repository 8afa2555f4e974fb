// Every single-byte mutation (0x00, 0xFF, each of the eight bit flips) of the
// header and first blocks of a table's secondary index files (.XGn, .YGn): the
// table then opens, reads and walks its indexes, or ends in the engine's error;
// never a crash, a hang or another exception.

#include "support/MutationCheck.h"

class TestMutationSecondary : public QObject {
    Q_OBJECT

private slots:
    void singleByteMutations_data() {
        mutationcheck::addColumns();
        QTest::newRow("secondary index .XG0") << "multiblock"
                                              << "XG0";
        QTest::newRow("secondary tree .YG1") << "multiblock"
                                             << "YG1";
    }
    void singleByteMutations() {
        QFETCH(QString, table);
        QFETCH(QString, ext);
        mutationcheck::checkEveryMutation(table, ext);
    }
};

QTEST_GUILESS_MAIN(TestMutationSecondary)
#include "tst_mutation_secondary.moc"
