// A write that fails (disk full, I/O error) leaves the table as it was before that
// row: on disk, and in the memory of the open table that other cursors share. The
// loop fails each write call in turn, once or for good, while rows are inserted,
// edited and deleted across block splits and frees.

#include <QtTest>

#include "engine/Engine.h"
#include "engine/FaultFileSystem.h"

#include <cerrno>
#include <map>

using namespace engine;

namespace {

Row row(int key, const std::string &name)
{
    return {Value::fromInt(key), Value::fromText(name), Value::fromText(std::string(100, char('a' + key % 26)))};
}

std::map<int, std::string> contents(const std::shared_ptr<TableFile> &t)
{
    std::map<int, std::string> out;
    Cursor c(t);
    for (bool ok = c.first(); ok; ok = c.next())
        out[int(c.row()[0].integer)] = c.row()[1].text;
    return out;
}

std::vector<int> secondaryKeys(const std::shared_ptr<TableFile> &t)
{
    std::vector<int> out;
    Cursor c(t, {"Name"});
    for (bool ok = c.first(); ok; ok = c.next())
        out.push_back(int(c.row()[0].integer));
    return out;
}

} // namespace

class TestWriteFailure : public QObject {
    Q_OBJECT

private slots:
    void failEachWrite_data()
    {
        QTest::addColumn<bool>("sticky");
        QTest::addColumn<int>("err");
        QTest::newRow("disk full from then on") << true << ENOSPC;
        QTest::newRow("one I/O error") << false << EIO;
    }

    void failEachWrite()
    {
        QFETCH(bool, sticky);
        QFETCH(int, err);
        QTemporaryDir dir;
        const std::filesystem::path file = std::filesystem::path(dir.path().toStdString()) / "F.DB";
        FaultFileSystem faults(fileSystem());
        struct Restore {
            ~Restore() { setFileSystem(nullptr); }
        } restore;
        for (int failAt = 1; failAt < 400; ++failAt) {
            createTable(file, {{"K", FieldType::Long}, {"Name", FieldType::Alpha, 10}, {"Pad", FieldType::Alpha, 100}},
                        {{"", {"K"}, ixPrimary}});
            addIndex(file, {"ByName", {"Name"}, ixCaseInsensitive});
            std::map<int, std::string> model;
            bool failed = false;
            bool inKeyChange = false;
            faults.reset();
            setFileSystem(&faults); // every file the table opens goes through the faults
            {
                auto t = TableFile::open(file);
                Cursor c(t);
                Cursor byName(t, {"Name"});
                for (int k = 0; k < 60; k += 2) { // 17 rows per block: a few blocks
                    c.insert(row(k, "n" + std::to_string(k % 7)));
                    model[k] = "n" + std::to_string(k % 7);
                }
                faults.reset();
                faults.failAt(uint64_t(failAt), err, sticky);
                try {
                    for (int k = 1; k < 60; k += 2) { // between existing rows: splits
                        c.insert(row(k, "m" + std::to_string(k % 5)));
                        model[k] = "m" + std::to_string(k % 5);
                    }
                    for (int k = 0; k < 40; ++k) { // empties blocks
                        QVERIFY(c.findKey({Value::fromInt(k)}));
                        c.remove();
                        model.erase(k);
                    }
                    QVERIFY(c.findKey({Value::fromInt(50)}));
                    c.update(row(50, "edited"));
                    model[50] = "edited";
                    QVERIFY(c.findKey({Value::fromInt(51)}));
                    inKeyChange = true;
                    c.update(row(500, "rekeyed"));
                    inKeyChange = false;
                    model.erase(51);
                    model[500] = "rekeyed";
                } catch (const EngineError &e) {
                    failed = true;
                    QCOMPARE(e.code(), ErrorCode::Io);
                }
                // A key change is an insert and a delete: when the delete cannot be
                // done nor the insert taken back, both versions stay (never neither).
                if (inKeyChange && contents(t).count(500))
                    model[500] = "rekeyed";
                faults.reset();
                // The open table (seen by every cursor) holds exactly the rows posted.
                if (failed) {
                    const auto got = contents(t);
                    if (got != model) {
                        std::string diff;
                        for (const auto &[k, v] : got)
                            if (!model.count(k) || model[k] != v)
                                diff += " +" + std::to_string(k) + "=" + v;
                        for (const auto &[k, v] : model)
                            if (!got.count(k))
                                diff += " -" + std::to_string(k);
                        QFAIL(("in memory, failing write " + std::to_string(failAt) + ":" + diff).c_str());
                    }
                    QCOMPARE(byName.count(), int64_t(model.size()));
                    QCOMPARE(int64_t(secondaryKeys(t).size()), int64_t(model.size()));
                }
            }
            setFileSystem(nullptr);
            // And so does the file, opened afresh.
            auto t = TableFile::open(file);
            QVERIFY2(contents(t) == model, ("on disk, failing write " + std::to_string(failAt)).c_str());
            QCOMPARE(int64_t(secondaryKeys(t).size()), int64_t(model.size()));
            if (!failed)
                break; // every write call of the scenario has been failed once
        }
    }
};

QTEST_GUILESS_MAIN(TestWriteFailure)
#include "tst_writefailure.moc"
