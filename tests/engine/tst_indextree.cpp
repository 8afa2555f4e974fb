// Secondary orders walked in their index files (.X*/.Y*, rows through the .PX) while
// those match the rows: the same rows in the same order as the rows themselves say,
// a lookup that reads a handful of blocks, cursors that keep their place across
// writes, damaged files that fall back to the rows, and another program's commit.

#include <QtTest>

#include "engine/Engine.h"
#include "tests/support/FaultFileSystem.h"
#include "tests/support/ScopedFileSystem.h"

#include <algorithm>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

using namespace engine;
namespace fs = std::filesystem;

namespace {

struct Person {
    int64_t no;
    std::string name, town;
};

std::string lower(std::string s) {
    for (char& c : s)
        c = char(std::tolower(uint8_t(c)));
    return s;
}

// The order each index must give, decided from the rows alone.
std::vector<int64_t> expectedOrder(std::vector<Person> people, bool byTown) {
    std::stable_sort(people.begin(), people.end(), [&](const Person& a, const Person& b) {
        if (byTown)
            return std::tie(b.town, b.name, a.no) < std::tie(a.town, a.name, b.no);
        return std::make_pair(lower(a.name), a.no) < std::make_pair(lower(b.name), b.no);
    });
    std::vector<int64_t> nos;
    for (const Person& p : people)
        nos.push_back(p.no);
    return nos;
}

std::vector<int64_t> walk(Cursor& c, bool backwards = false) {
    std::vector<int64_t> nos;
    for (bool more = backwards ? c.last() : c.first(); more;
         more = backwards ? c.prior() : c.next())
        nos.push_back(c.row()[0].integer);
    if (backwards)
        std::reverse(nos.begin(), nos.end());
    return nos;
}

void patch(const fs::path& file, uint64_t offset, const std::string& bytes) {
    std::fstream f(file, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(std::streamoff(offset));
    f.write(bytes.data(), std::streamsize(bytes.size()));
}

uint16_t word(const fs::path& file, uint64_t offset) {
    std::ifstream f(file, std::ios::binary);
    f.seekg(std::streamoff(offset));
    unsigned char b[2] = {0, 0};
    f.read(reinterpret_cast<char*>(b), 2);
    return uint16_t(b[0] | b[1] << 8);
}

} // namespace

class TestIndexTree : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        const fs::path file = copyDir("fixture") / "PEOPLE.DB";
        createTable(file,
                    {{"No", FieldType::Long},
                     {"Name", FieldType::Alpha, 40},
                     {"Town", FieldType::Alpha, 10}},
                    {{"", {"No"}, ixPrimary},
                     {"ByName", {"Name"}, ixCaseInsensitive},
                     {"ByTown", {"Town", "Name"}, ixDescending}});
        auto t = TableFile::open(file);
        Cursor c(t);
        t->beginTransaction();
        for (int64_t i = 1; i <= 3000; ++i) {
            std::string name = "Name" + std::to_string(i * 7919 % 700);
            if (i % 3 == 0)
                name = lower(name) + "x";
            Person p{i, name, "Town" + std::to_string(i % 7)};
            c.insert({Value::fromInt(p.no), Value::fromText(p.name), Value::fromText(p.town)});
            m_people.push_back(p);
        }
        t->commit();
        t->flush();
    }

    // Whole walks both ways, ranges, counts and lookups agree with the rows; a lookup and
    // a range count on a freshly opened table read a few blocks, not the index.
    void walksAgreeWithTheRows() {
        const fs::path file = copyDir("walks") / "PEOPLE.DB";
        checkAgainstRows(file, m_people);
        testsupport::FaultFileSystem counting(fileSystem());
        counting.setCountReads(true);
        testsupport::ScopedFileSystem mounted(counting);
        Cursor byName(TableFile::open(file), {"Name"});
        QVERIFY(byName.findKey({Value::fromText("NAME17X")}));
        byName.setRange(Value::fromText("name5"));
        QCOMPARE(byName.count(), int64_t(named(m_people, "name5").size()));
        QVERIFY2(counting.operations() < 40, qPrintable(QString::number(counting.operations())));
        QVERIFY(fs::file_size(file.parent_path() / "PEOPLE.XG0") > 64 * 2048);
    }

    // A cursor placed through the files keeps its row when another cursor writes, and
    // the order it then walks holds the change.
    void writesKeepCursorsInPlace() {
        const fs::path file = copyDir("writes") / "PEOPLE.DB";
        auto t = TableFile::open(file);
        Cursor byName(t, {"Name"});
        byName.setRange(Value::fromText("name17x"));
        QVERIFY(byName.first());
        const int64_t kept = byName.row()[0].integer;
        Cursor writer(t);
        // A first write refused (another program's lock file) still switches the table to
        // a descriptor that may write; what was read through the first one must follow.
        std::ofstream(file.parent_path() / "PDOXUSRS.LCK") << "x";
        QVERIFY_THROWS_EXCEPTION(EngineError, writer.insert({Value::fromInt(1)}));
        fs::remove(file.parent_path() / "PDOXUSRS.LCK");
        Cursor byTown(t, {"Town", "Name"});
        QVERIFY(byTown.findKey({Value::fromText("Town3")}));
        writer.insert({Value::fromInt(9001), Value::fromText("NAME17X"), Value::fromText("T")});
        QVERIFY(writer.findKey({Value::fromInt(kept + 7)}));
        writer.remove();
        std::vector<Person> people = m_people;
        people.push_back({9001, "NAME17X", "T"});
        std::erase_if(people, [&](const Person& p) { return p.no == kept + 7; });
        QCOMPARE(byName.row()[0].integer, kept);
        const auto inRange = expectedOrder(named(people, "name17x"), false);
        QCOMPARE(walk(byName), inRange);
        QCOMPARE(byName.count(), int64_t(inRange.size()));
        t->flush();
        t.reset();
        checkAgainstRows(file, people);
    }

    // A row rewritten in place without touching an indexed field is found through the
    // index with its new values; changing an indexed field moves the row in that order at
    // once, and both survive the index files' rewrite.
    void inPlaceRewritesKeepTheFiles() {
        const fs::path file = copyDir("inplace") / "NOTES.DB";
        createTable(file,
                    {{"No", FieldType::Long},
                     {"Name", FieldType::Alpha, 20},
                     {"Note", FieldType::Alpha, 20}},
                    {{"", {"No"}, ixPrimary}, {"ByName", {"Name"}, ixCaseInsensitive}});
        {
            auto t = TableFile::open(file);
            Cursor c(t);
            for (int64_t i = 1; i <= 2000; ++i)
                c.insert({Value::fromInt(i), Value::fromText("n" + std::to_string(i * 37 % 2000)),
                          Value::fromText("")});
            t->flush();
        }
        auto t = TableFile::open(file);
        Cursor byName(t, {"Name"});
        Cursor writer(t);
        QVERIFY(writer.findKey({Value::fromInt(5)}));
        writer.update({Value::fromInt(5), Value::fromText("n185"), Value::fromText("seen")});
        {
            testsupport::FaultFileSystem counting(fileSystem());
            counting.setCountReads(true);
            testsupport::ScopedFileSystem mounted(counting);
            QVERIFY(byName.findKey({Value::fromText("N185")}));
            QCOMPARE(byName.row()[2].text, std::string("seen"));
            QVERIFY2(counting.operations() < 40,
                     qPrintable(QString::number(counting.operations())));
        }
        writer.update({Value::fromInt(5), Value::fromText("a-first"), Value::fromText("seen")});
        QVERIFY(byName.first());
        QCOMPARE(byName.row()[0].integer, int64_t(5));
        QVERIFY(byName.next());
        QCOMPARE(byName.row()[1].text, std::string("n0"));
        QVERIFY(!byName.findKey({Value::fromText("n185")}));
        t->flush();
        t.reset();
        Cursor reopened(TableFile::open(file), {"Name"});
        QVERIFY(reopened.first());
        QCOMPARE(reopened.row()[0].integer, int64_t(5));
        QCOMPARE(reopened.count(), int64_t(2000));
    }

    // Damaged index files give the rows all the same.
    void damagedFilesFallBackToRows() {
        const auto damage = [&](const char* name, const char* ext, bool atRoot, int block,
                                int offset, const std::string& bytes) {
            const fs::path file = copyDir(name) / "PEOPLE.DB";
            const fs::path f = file.parent_path() / (std::string("PEOPLE") + ext);
            const uint16_t number = atRoot ? word(f, 0x1E) : uint16_t(block);
            const uint64_t size = 1024u * (word(f, 4) >> 8);
            patch(f, word(f, 2) + (number - 1) * size + uint64_t(offset), bytes);
            checkAgainstRows(file, m_people);
        };
        damage("yroot", ".YG0", true, 0, 6 + 44, "\xFF\x00"); // a child beyond the file
        damage("xleaf", ".XG0", false, 1, 6, "zzzz");         // keys out of order
        damage("pxroot", ".PX", true, 0, 6 + 4, "\x80\x05");  // another data block
        damage("xchain", ".XG1", false, 2, 2, std::string("\x02\x00", 2)); // its own neighbour
    }

    // Each index entry names the data block of its row, a hint for finding the row: wrong
    // ones (none, the first block, another one, beyond the file) still give the rows.
    void wrongBlockHintsGiveTheRows() {
        const fs::path file = copyDir("hints") / "PEOPLE.DB";
        const std::string hints[] = {std::string(2, '\0'), "\x80\x01", "\x80\x02", "\x83\xE7",
                                     "\xFF\xFF"};
        for (const char* ext : {".XG0", ".XG1"}) {
            const fs::path f = file.parent_path() / (std::string("PEOPLE") + ext);
            const uint16_t recordSize = word(f, 0), headerSize = word(f, 2);
            const uint64_t blockSize = 1024u * (word(f, 4) >> 8);
            size_t patched = 0;
            for (uint64_t at = headerSize; at + blockSize <= fs::file_size(f); at += blockSize) {
                const int lastOffset = int16_t(word(f, at + 4));
                for (int rec = 0; rec <= lastOffset; rec += recordSize)
                    patch(f, at + 6 + uint64_t(rec + recordSize - 2), hints[patched++ % 5]);
            }
            QCOMPARE(patched, m_people.size());
        }
        checkAgainstRows(file, m_people);
    }

    // Another program's commit (rows and index files rewritten) is what the next walk reads.
    void anotherProgramsCommitIsSeen() {
        const fs::path file = copyDir("shared") / "PEOPLE.DB";
        auto t = TableFile::open(file);
        Cursor byName(t, {"Name"});
        QVERIFY(byName.first());
        const pid_t child = ::fork();
        if (child == 0) {
            auto other = TableFile::open(file);
            Cursor c(other);
            c.insert({Value::fromInt(9100), Value::fromText("aaa"), Value::fromText("T")});
            other->flush();
            ::_exit(0);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(byName.first());
        QCOMPARE(byName.row()[0].integer, int64_t(9100));
        QVERIFY(byName.findKey({Value::fromText("AAA")}));
        QCOMPARE(byName.count(), int64_t(3001));
    }

private:
    fs::path copyDir(const std::string& name) {
        const fs::path dir = fs::path(m_dir.path().toStdString()) / name;
        if (name != "fixture")
            fs::copy(fs::path(m_dir.path().toStdString()) / "fixture", dir);
        else
            fs::create_directories(dir);
        return dir;
    }

    static std::vector<Person> named(const std::vector<Person>& people, const std::string& name) {
        std::vector<Person> out;
        for (const Person& p : people)
            if (lower(p.name) == lower(name))
                out.push_back(p);
        return out;
    }

    void checkAgainstRows(const fs::path& file, const std::vector<Person>& people) {
        auto t = TableFile::open(file);
        Cursor byName(t, {"Name"}), byTown(t, {"Town", "Name"});
        QCOMPARE(walk(byName), expectedOrder(people, false));
        QCOMPARE(walk(byTown, true), expectedOrder(people, true));
        for (const char* probe : {"NAME5", "name17x", "Name699", "nobody"}) {
            byName.setRange(Value::fromText(probe));
            const auto expected = expectedOrder(named(people, probe), false);
            QCOMPARE(byName.count(), int64_t(expected.size()));
            QCOMPARE(walk(byName, true), expected);
            byName.clearRange();
            QCOMPARE(byName.findKey({Value::fromText(probe)}), !expected.empty());
            if (!expected.empty())
                QCOMPARE(byName.row()[0].integer, expected.front());
        }
        std::vector<Person> inTown;
        for (const Person& p : people)
            if (p.town == "Town3")
                inTown.push_back(p);
        byTown.setRange(Value::fromText("Town3"));
        QCOMPARE(walk(byTown), expectedOrder(inTown, true));
        QCOMPARE(byTown.count(), int64_t(inTown.size()));
    }

    QTemporaryDir m_dir;
    std::vector<Person> m_people;
};

QTEST_GUILESS_MAIN(TestIndexTree)
#include "tst_indextree.moc"
