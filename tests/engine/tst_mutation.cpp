// Every single-byte mutation (0x00, 0xFF, each of the eight bit flips) of the
// header and the first two blocks of a few valid table files (.DB): opening,
// reading every row and walking every index either succeeds or ends in the
// engine's error; never a crash, a hang or another exception. The bytes are the
// ones a reader interprets (MutationSites.h); the companion files have their own
// test program, so that each stays within a minute under the sanitizers.

#include "support/MutationCheck.h"

class TestMutation : public QObject {
    Q_OBJECT

private slots:
    void singleByteMutations_data() {
        mutationcheck::addColumns();
        QTest::newRow("indexed table .DB") << "multiblock"
                                           << "DB";
        QTest::newRow("every type .DB") << "everytype"
                                        << "DB";
        QTest::newRow("level 3 .DB") << "level3"
                                     << "DB";
    }
    void singleByteMutations() {
        QFETCH(QString, table);
        QFETCH(QString, ext);
        mutationcheck::checkEveryMutation(table, ext);
    }
};

QTEST_GUILESS_MAIN(TestMutation)
#include "tst_mutation.moc"
