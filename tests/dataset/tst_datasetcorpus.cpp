// Views over real tables from the shared corpus: counts, walks, field and index
// definitions, and the refusal of files a view cannot show.
#include "DictionaryFixture.h"

#include "framework/dataset/DatasetError.h"
#include "framework/dataset/Field.h"

#include "engine/EngineError.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

using namespace dataset;

namespace {
QString corpus() {
    return QStringLiteral(KV_SHARED_DIR "/corpus");
}
} // namespace

class TestDatasetCorpus : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        if (!QDir(corpus()).exists())
            QSKIP("the shared table corpus is not present");
    }

    void readThroughAlias_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("fields");
        QTest::addColumn<bool>("keyed");
        QTest::addColumn<int>("records");
        QTest::addColumn<int>("secondary");
        QTest::newRow("joinb") << "paradoxdriver/joins/joinb.db" << 1 << false << 3 << 0;
        QTest::newRow("GREYS") << "pdxreader-java/PCLDATA/GREYS.DB" << 2 << false << 8 << 0;
        QTest::newRow("Firstb") << "dpa-database-samples/DataBase_Samples/_my_data/Firstb.db" << 6
                                << true << 2 << 6;
        QTest::newRow("TelephNum") << "dpa-database-samples/DataBase_Samples/_my_data/TelephNum.DB"
                                   << 3 << true << 23 << 1;
        QTest::newRow("lazarus Test") << "lazarus-paradox/Release/Test.DB" << 13 << true << 18 << 0;
        QTest::newRow("empty Ouvrages")
            << "dpa-db-librarian/data/Ouvrages.db" << 11 << false << 0 << 0;
        QTest::newRow("ZIPCODES") << "paradoxdriver/areas/ZIPCODES.DB" << 3 << true << 43185 << 0;
    }
    // Opened by bare name through an alias whose PATH is the table's folder: the count is
    // the file's, a walk from First to Eof meets every row, definitions match the file.
    void readThroughAlias() {
        QFETCH(QString, path);
        QFETCH(int, fields);
        QFETCH(bool, keyed);
        QFETCH(int, records);
        QFETCH(int, secondary);
        const QFileInfo file(corpus() + "/" + path);
        QObject owner;
        auto* db = new Database(&owner, "dbLitTable");
        db->setPath(file.absolutePath());
        Table t(&owner);
        t.setDatabaseName("dbLitTable");
        t.setTableName(file.fileName());
        t.Open();
        QCOMPARE(t.TableName(), file.fileName());
        QCOMPARE(t.RecordCount(), records);
        QCOMPARE(t.Bof() && t.Eof(), records == 0);
        int walked = 0;
        while (!t.Eof()) {
            ++walked;
            t.Next();
        }
        QCOMPARE(walked, records);
        QCOMPARE(t.FieldCount(), fields);
        QCOMPARE(t.FieldDefs().Count(), fields);
        for (int i = 0; i < fields; ++i) {
            const FieldDef& def = t.FieldDefs()[i];
            QCOMPARE(t.Fields(i)->FieldName(), def.Name);
            QCOMPARE(t.Fields(i)->DisplayWidth(), def.DataType == ftString ? def.Size : 10);
        }
        QCOMPARE(t.IndexDefs().Count(), secondary + (keyed ? 1 : 0));
        if (keyed)
            QVERIFY(t.IndexDefs()[0].Options & ixPrimary);
        t.Close();
        db->Close();
    }

    // A real table is not a dictionary: a view with the dictionary's fixed field list
    // refuses it and stays closed.
    void dictionaryViewRefusesForeignTable() {
        Table t;
        t.setTableName(corpus() + "/dpa-database-samples/DataBase_Samples/_my_data/TelephNum.DB");
        DictionaryFixture::declareDictionaryFields(&t);
        QVERIFY_THROWS_EXCEPTION(DatasetError, t.Open());
        QVERIFY(!t.Active());
    }

    // A table whose rows cannot be read is refused with the engine's message.
    void encryptedTableRefused() {
        Table t;
        t.setTableName(corpus() + "/paradoxdriver/encrypt/encrypted35.db");
        try {
            t.Open();
            QFAIL("an encrypted table opened");
        } catch (const engine::EngineError& e) {
            QCOMPARE(e.code(), engine::ErrorCode::Encrypted);
        }
        QVERIFY(!t.Active());
    }
};

QTEST_GUILESS_MAIN(TestDatasetCorpus)
#include "tst_datasetcorpus.moc"
