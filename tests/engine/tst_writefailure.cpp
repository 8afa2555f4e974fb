// A write that fails (disk full, I/O error) leaves the table as it was before that
// row: on disk, and in the memory of the open table that other cursors share. A
// first run with nothing failing counts the write-side operations of the scenario
// (rows inserted, edited and deleted across block splits and frees); then each of
// them is failed in turn, once or for good, and every one of them must reach the
// caller as the engine's error.

#include <QtTest>

#include "engine/Engine.h"
#include "tests/support/FaultFileSystem.h"
#include "tests/support/NoSyncFileSystem.h"
#include "tests/support/ScopedFileSystem.h"

#include <cerrno>
#include <functional>
#include <map>

using namespace engine;
using testsupport::FaultFileSystem;
using testsupport::NoSyncFileSystem;
using testsupport::ScopedFileSystem;

namespace {

using Model = std::map<int, std::string>;

Row row(int key, const std::string& name) {
    return {Value::fromInt(key), Value::fromText(name),
            Value::fromText(std::string(100, char('a' + key % 26)))};
}

Model contents(const std::shared_ptr<TableFile>& t) {
    Model out;
    Cursor c(t);
    for (bool ok = c.first(); ok; ok = c.next())
        out[int(c.row()[0].integer)] = c.row()[1].text;
    return out;
}

std::vector<int> secondaryKeys(const std::shared_ptr<TableFile>& t) {
    std::vector<int> out;
    Cursor c(t, {"Name"});
    for (bool ok = c.first(); ok; ok = c.next())
        out.push_back(int(c.row()[0].integer));
    return out;
}

// "" when the table holds exactly the model, else the rows that differ.
std::string difference(const Model& got, const Model& model) {
    std::string diff;
    for (const auto& [k, v] : got)
        if (!model.count(k) || model.at(k) != v)
            diff += " +" + std::to_string(k) + "=" + v;
    for (const auto& [k, v] : model)
        if (!got.count(k))
            diff += " -" + std::to_string(k);
    return diff;
}

// A row the scenario goes back to is gone: an earlier failure was taken back wrongly.
void seek(Cursor& c, int key) {
    if (!c.findKey({Value::fromInt(key)}))
        throw std::logic_error("row " + std::to_string(key) + " not found");
}

// The writes under test: inserts between the existing even keys (block splits),
// deletes that empty blocks, an edit and a key change. `model` follows every call
// that returned; `inKeyChange` tells whether the key change was under way.
void mutate(Cursor& c, Model& model, bool& inKeyChange) {
    for (int k = 1; k < 60; k += 2) {
        c.insert(row(k, "m" + std::to_string(k % 5)));
        model[k] = "m" + std::to_string(k % 5);
    }
    for (int k = 0; k < 40; ++k) {
        seek(c, k);
        c.remove();
        model.erase(k);
    }
    seek(c, 50);
    c.update(row(50, "edited"));
    model[50] = "edited";
    seek(c, 51);
    inKeyChange = true;
    c.update(row(500, "rekeyed"));
    inKeyChange = false;
    model.erase(51);
    model[500] = "rekeyed";
}

struct Run {
    bool failed = false;     // the engine's I/O error reached the scenario
    uint64_t operations = 0; // counted when the scenario stopped
    std::string problem;     // "" when memory and disk both hold the model
};

// The open table (seen by every cursor) against the rows posted.
std::string memoryProblem(const std::shared_ptr<TableFile>& t, Cursor& byName, const Model& model) {
    const std::string diff = difference(contents(t), model);
    if (!diff.empty())
        return "in memory:" + diff;
    if (byName.count() != int64_t(model.size()) || secondaryKeys(t).size() != model.size())
        return "in memory, the secondary index disagrees with the rows";
    return {};
}

std::string diskProblem(const std::filesystem::path& file, const Model& model) {
    auto t = TableFile::open(file);
    const std::string diff = difference(contents(t), model);
    if (!diff.empty())
        return "on disk:" + diff;
    if (secondaryKeys(t).size() != model.size())
        return "on disk, the secondary index disagrees with the rows";
    return {};
}

// A check that throws (the table no longer reads) is a problem like any other.
std::string checked(const std::function<std::string()>& check) {
    try {
        return check();
    } catch (const std::exception& e) {
        return std::string("reading back: ") + e.what();
    }
}

void createEmpty(const std::filesystem::path& file) {
    createTable(
        file,
        {{"K", FieldType::Long}, {"Name", FieldType::Alpha, 10}, {"Pad", FieldType::Alpha, 100}},
        {{"", {"K"}, ixPrimary}});
    addIndex(file, {"ByName", {"Name"}, ixCaseInsensitive});
}

// The even keys below 60: 17 rows a block, a few blocks.
void postEvenKeys(Cursor& c, Model& model) {
    for (int k = 0; k < 60; k += 2) {
        c.insert(row(k, "n" + std::to_string(k % 7)));
        model[k] = "n" + std::to_string(k % 7);
    }
}

struct Fault {
    uint64_t at = 0; // the counted operation that fails; 0: none, only count
    int err = 0;
    bool sticky = false;
};

// Runs the mutations with `fault` armed; `run` records how they ended and what
// they counted. Returns whether a key change was under way when they stopped.
bool mutateUnder(FaultFileSystem& faults, const Fault& fault, Cursor& c, Model& model, Run& run) {
    faults.reset();
    if (fault.at > 0)
        faults.failAt(fault.at, fault.err, fault.sticky);
    bool inKeyChange = false;
    try {
        mutate(c, model, inKeyChange);
    } catch (const EngineError& e) {
        run.failed = e.code() == ErrorCode::Io;
        if (!run.failed)
            run.problem = std::string("not an I/O error: ") + e.what();
    } catch (const std::exception& e) {
        run.problem = e.what();
    }
    run.operations = faults.operations();
    faults.reset();
    return inKeyChange;
}

// One pass on a fresh table: the even keys, then the mutations under `fault`, then
// the open table and the file reopened against the model.
Run runOnce(const std::filesystem::path& file, FaultFileSystem& faults, const Fault& fault) {
    createEmpty(file);
    Run run;
    Model model;
    {
        faults.reset();
        // Every file the table opens goes through the faults.
        const ScopedFileSystem mounted(faults);
        auto t = TableFile::open(file);
        Cursor c(t);
        Cursor byName(t, {"Name"});
        postEvenKeys(c, model);
        const bool inKeyChange = mutateUnder(faults, fault, c, model, run);
        if (run.problem.empty())
            run.problem = checked([&] {
                // A key change is an insert and a delete: when the delete cannot be
                // done nor the insert taken back, both versions stay (never neither).
                if (inKeyChange && contents(t).count(500))
                    model[500] = "rekeyed";
                return memoryProblem(t, byName, model);
            });
    }
    if (run.problem.empty())
        run.problem = checked([&] { return diskProblem(file, model); });
    return run;
}

} // namespace

#ifdef KV_FAILURE_STRIDE
constexpr uint64_t kFailureStride = KV_FAILURE_STRIDE;
#else
constexpr uint64_t kFailureStride = 1;
#endif

class TestWriteFailure : public QObject {
    Q_OBJECT

private slots:
    void failEachWrite_data() {
        QTest::addColumn<bool>("sticky");
        QTest::addColumn<int>("err");
        QTest::newRow("disk full from then on") << true << ENOSPC;
        QTest::newRow("one I/O error") << false << EIO;
    }

    void failEachWrite() {
        QFETCH(bool, sticky);
        QFETCH(int, err);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const std::filesystem::path file = std::filesystem::path(dir.path().toStdString()) / "F.DB";
        // Nothing here crashes, so no pass needs its syncs to reach the disk.
        NoSyncFileSystem noSync(fileSystem());
        const ScopedFileSystem quick(noSync);
        FaultFileSystem faults(noSync);
        const Run clean = runOnce(file, faults, {});
        QVERIFY2(!clean.failed && clean.problem.empty(), clean.problem.c_str());
        // A post is durable when it returns, so each of the thirty inserts, forty
        // deletes and two updates writes at least once.
        const uint64_t total = clean.operations;
        QVERIFY2(total >= 72, qPrintable(QString("only %1 counted operations").arg(total)));
        QStringList wrong;
        uint64_t surfaced = 0;
        for (uint64_t n = 1; n <= total; n += kFailureStride) {
            const Run run = runOnce(file, faults, {n, err, sticky});
            surfaced += run.failed;
            if (!run.failed)
                wrong << QString("%1: the failure did not reach the caller").arg(n);
            if (!run.problem.empty())
                wrong << QString("%1: %2").arg(n).arg(QString::fromStdString(run.problem));
        }
        qInfo("%llu counted operations, %llu failures surfaced", qulonglong(total),
              qulonglong(surfaced));
        QVERIFY2(wrong.isEmpty(),
                 qPrintable(QString("failing operation n of %1:\n").arg(total) + wrong.join('\n')));
    }
};

QTEST_GUILESS_MAIN(TestWriteFailure)
#include "tst_writefailure.moc"
