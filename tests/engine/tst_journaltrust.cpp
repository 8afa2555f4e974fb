// A journal beside a table is applied only when it is provably that table's own.
//
// One oracle, many planted journals: each case puts a journal (built by hand from
// the documented layout, or left by a real commit killed in a child) beside a
// dictionary, a file that is no one's and a link leading out of the folder. A child
// process, its address space capped, then reads the table and asks to change it.
// Every file inside and outside the folder must be byte-identical afterwards, the
// reading must go on, the change must be refused, and both must say why. The one
// journal that is the table's own (torn at its end, the table untouched) is dropped.

#include "engine/Cursor.h"
#include "engine/EngineError.h"
#include "engine/EngineNotice.h"
#include "engine/FileSystem.h"
#include "engine/Journal.h"
#include "engine/JournalImage.h"
#include "engine/TableDefinition.h"
#include "engine/TableFile.h"
#include "tests/support/KilledCommit.h"

#include <QTemporaryDir>
#include <QtTest>

#include <fstream>
#include <map>
#include <set>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace engine;
namespace fs = std::filesystem;

namespace {

constexpr int kRows = 30;

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void writeFile(const fs::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary | std::ios::trunc) << bytes;
}

void insertRows(const fs::path& table, int from, int count) {
    auto t = TableFile::open(table);
    Cursor c(t);
    t->beginTransaction();
    for (int k = from; k < from + count; ++k)
        c.insert(
            {Value::fromInt(k), Value::fromText("row " + std::to_string(k)), Value::fromText("m")});
    t->commit();
    t->flush();
}

void makeDictionary(const fs::path& dir, int rows) {
    fs::create_directories(dir);
    createTable(
        dir / "DICO.DB",
        {{"K", FieldType::Long}, {"Name", FieldType::Alpha, 40}, {"Notes", FieldType::Memo, 10}},
        {{"", {"K"}, ixPrimary}});
    insertRows(dir / "DICO.DB", 1, rows);
}

void appendLe(std::string& out, uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out += char(uint8_t(v >> (8 * i)));
}

// The first journal layout, which named its files freely.
std::string versionOneJournal(const std::vector<std::string>& names, const std::string& bytes) {
    std::string out = std::string(JournalImage::kMagic, 8);
    appendLe(out, 1, 4);
    appendLe(out, names.size(), 4);
    appendLe(out, 1, 4);
    appendLe(out, 0, 4);
    for (const std::string& n : names) {
        appendLe(out, 0, 8); // size before: cut to nothing
        appendLe(out, n.size(), 2);
        out += n;
    }
    const uint32_t crc =
        Journal::crc32(out.data() + 24, out.size() - 24, Journal::crc32(out.data(), 20));
    for (int i = 0; i < 4; ++i)
        out[20 + i] = char(uint8_t(crc >> (8 * i)));
    appendLe(out, 0, 2);
    appendLe(out, 0, 8);
    appendLe(out, bytes.size(), 4);
    appendLe(out, Journal::crc32(bytes.data(), bytes.size()), 4);
    return out + bytes;
}

// A journal that passes every check against the table as it is now: its commit
// changed the header's change count only.
JournalImage boundJournal(const fs::path& table) {
    const std::string bytes = readFile(table);
    struct stat st;
    ::stat(table.c_str(), &st);
    JournalImage image;
    image.files.push_back({{FamilyRole::Table, 0}, bytes.size(), uint64_t(st.st_ino)});
    const size_t headerSize = uint8_t(bytes[2]) | uint8_t(bytes[3]) << 8;
    image.headerBefore = bytes.substr(0, headerSize);
    image.headerAfter = image.headerBefore;
    ++image.headerAfter[0x2D];
    image.records.push_back({0, 0x2D, image.headerBefore.substr(0x2D, 1)});
    return image;
}

struct Observed {
    int status = -1;
    int rows = -1;
    std::string notice, readError, writeError;
};

// Reads the table, then asks to change it, in a child whose address space may grow
// by 512 MiB at most: a journal read whole would not fit.
Observed observe(const fs::path& table) {
    int fds[2];
    if (pipe(fds) != 0)
        qFatal("pipe");
    const pid_t pid = fork();
    if (pid == 0) {
        ::close(fds[0]);
        long pages = 0;
        std::ifstream("/proc/self/statm") >> pages;
        const rlim_t cap = rlim_t(pages) * rlim_t(sysconf(_SC_PAGESIZE)) + (rlim_t(512) << 20);
        const struct rlimit limit = {cap, cap};
        setrlimit(RLIMIT_AS, &limit);
        const auto say = [&](char kind, const std::string& text) {
            const std::string line = kind + text + '\n';
            if (::write(fds[1], line.data(), line.size()) != ssize_t(line.size()))
                ::_exit(3);
        };
        setNoticeHandler([&](const std::string& m) { say('N', m); });
        try {
            int rows = 0;
            TableFile::open(table)->forEachRow([&](const Row&) { return ++rows > 0; });
            say('R', std::to_string(rows));
        } catch (const EngineError& e) {
            say('E', e.what());
        }
        try {
            auto t = TableFile::open(table);
            t->beginTransaction();
            t->rollback();
            say('W', "");
        } catch (const EngineError& e) {
            say('W', e.what());
        }
        ::_exit(0);
    }
    ::close(fds[1]);
    std::string text;
    char buf[4096];
    for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) > 0;)
        text.append(buf, size_t(n));
    ::close(fds[0]);
    Observed o;
    int status = 0;
    waitpid(pid, &status, 0);
    o.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        const std::string rest = line.substr(1);
        if (line[0] == 'N')
            o.notice += rest;
        else if (line[0] == 'R')
            o.rows = std::stoi(rest);
        else if (line[0] == 'E')
            o.readError = rest;
        else if (line[0] == 'W')
            o.writeError = rest;
    }
    return o;
}

// What tells a file's content: its bytes, or for a huge (sparse) one, its size, its
// modification time and its first MiB, so that the oracle never reads gigabytes.
std::string contentsOf(const fs::path& p) {
    struct stat st;
    ::stat(p.c_str(), &st);
    if (st.st_size < (off_t(16) << 20))
        return readFile(p);
    std::string head(size_t(1) << 20, '\0');
    std::ifstream(p, std::ios::binary).read(head.data(), std::streamsize(head.size()));
    return std::to_string(st.st_size) + "@" + std::to_string(st.st_mtim.tv_sec) + "." +
           std::to_string(st.st_mtim.tv_nsec) + ":" + head;
}

// Every entry under the folders: its kind and, for a file, its content; for a link,
// where it leads.
std::map<std::string, std::string> snapshot(const std::vector<fs::path>& roots) {
    std::map<std::string, std::string> out;
    for (const fs::path& root : roots)
        for (const auto& e : fs::recursive_directory_iterator(root)) {
            const auto kind = e.symlink_status().type();
            std::string& v = out[e.path().string()];
            if (kind == fs::file_type::regular)
                v = "file:" + contentsOf(e.path());
            else if (kind == fs::file_type::symlink)
                v = "link:" + fs::read_symlink(e.path()).string();
            else
                v = "kind:" + std::to_string(int(kind));
        }
    return out;
}

struct Fixture {
    fs::path dir, outside, table, journal;
};

using Plant = std::function<int(const Fixture&)>; // returns the rows the table holds

} // namespace

Q_DECLARE_METATYPE(Plant)

class TestJournalTrust : public QObject {
    Q_OBJECT
    QTemporaryDir m_root;
    int m_round = 0;
    fs::path root() const { return m_root.path().toStdString(); }
    fs::path pristine() const { return root() / "pristine"; }

    // Leaves in f.dir the state of a real commit killed half-way on a copy of `from`.
    static void killedCommit(const fs::path& from, const fs::path& into) {
        const bool ok = testsupport::killCommitMidway(
            from, into, "DICO.DB", [](const fs::path& t) { insertRows(t, 1000, 3); });
        if (!ok)
            qFatal("no commit was killed half-way");
    }

private slots:
    void initTestCase() {
        QVERIFY(m_root.isValid());
        makeDictionary(pristine(), kRows);
        makeDictionary(root() / "other", 12); // another dictionary of the same name
    }

    void plantedJournal_data() {
        QTest::addColumn<Plant>("plant");
        QTest::addColumn<QString>("why"); // empty: the journal is the table's own
        const auto v1 = [](std::vector<std::string> names) {
            return Plant([names](const Fixture& f) {
                writeFile(f.journal, versionOneJournal(names, "overwritten"));
                return kRows;
            });
        };
        const auto v2 = [](std::function<void(JournalImage&)> edit) {
            return Plant([edit](const Fixture& f) {
                JournalImage image = boundJournal(f.table);
                edit(image);
                writeFile(f.journal, image.encode());
                return kRows;
            });
        };
        const QString oldFormat = "ancien format";
        QTest::newRow("v1 naming victim.txt") << v1({"victim.txt"}) << oldFormat;
        QTest::newRow("v1 naming a link out") << v1({"out"}) << oldFormat;
        QTest::newRow("v1 naming . and ..") << v1({".", ".."}) << oldFormat;
        QTest::newRow("v1 of 3 GB, sparse") << Plant([](const Fixture& f) {
            writeFile(f.journal, versionOneJournal({"DICO.DB"}, "x"));
            fs::resize_file(f.journal, uint64_t(3) << 30);
            return kRows;
        }) << oldFormat;
        QTest::newRow("size 0") << v2([](JournalImage& j) { j.files[0].sizeBefore = 0; })
                                << "taille d'origine";
        for (int bit : {43, 62, 63})
            QTest::newRow(qPrintable(QString("record at 2^%1").arg(bit)))
                << v2([bit](JournalImage& j) {
                       j.records.push_back({0, uint64_t(1) << bit, "x"});
                   })
                << "sort de la taille d'origine";
        QTest::newRow("unknown role") << v2([](JournalImage& j) {
            j.files.push_back({{FamilyRole(99), 0}, 0, std::nullopt});
        }) << "rôle de fichier inconnu";
        QTest::newRow(".MB replaced by a link out") << Plant([](const Fixture& f) {
            JournalImage image = boundJournal(f.table);
            image.files.push_back({{FamilyRole::Blob, 0}, 4096, std::nullopt});
            image.records.push_back({1, 0, std::string(4096, 'X')});
            fs::remove(f.dir / "DICO.MB");
            fs::create_symlink(f.outside / "target.txt", f.dir / "DICO.MB");
            writeFile(f.journal, image.encode());
            return kRows;
        }) << "lien symbolique";
        QTest::newRow("a FIFO") << Plant([](const Fixture& f) {
            ::mkfifo(f.journal.c_str(), 0600);
            return kRows;
        }) << "pas un fichier ordinaire";
        QTest::newRow("a directory") << Plant([](const Fixture& f) {
            fs::create_directory(f.journal);
            return kRows;
        }) << "pas un fichier ordinaire";
        QTest::newRow("a link") << Plant([](const Fixture& f) {
            fs::create_symlink(f.outside / "target.txt", f.journal);
            return kRows;
        }) << "pas un fichier ordinaire";
        QTest::newRow("hot journal of another DICO.DB") << Plant([this](const Fixture& f) {
            const fs::path other = f.outside / "other";
            killedCommit(root() / "other", other);
            fs::copy_file(fs::path(Journal::pathFor(other / "DICO.DB")), f.journal);
            fs::remove_all(other);
            return kRows;
        }) << "n'est pas le fichier que ce journal protège";
        QTest::newRow("journal of an earlier commit") << Plant([](const Fixture& f) {
            const fs::path saved = f.outside / "saved-journal";
            killedCommit(f.dir.parent_path() / "db-start", f.dir);
            fs::copy_file(f.journal, saved);
            insertRows(f.table, 2000, 1); // rolls the killed commit back, then commits
            insertRows(f.table, 3000, 1);
            fs::copy_file(saved, f.journal);
            return kRows + 2;
        }) << "ni celui d'avant ni celui d'après";
        QTest::newRow("own journal torn in its record, 3 GB sparse") << Plant([](const Fixture& f) {
            // The commit died writing its journal: the table was not touched.
            JournalImage image = boundJournal(f.table);
            image.records = {{0, 0, image.headerBefore.substr(0, 0x58)}};
            const std::string bytes = image.encode();
            writeFile(f.journal, bytes.substr(0, bytes.size() - 0x30));
            fs::resize_file(f.journal, uint64_t(3) << 30);
            return kRows;
        }) << QString();
    }

    void plantedJournal() {
        QFETCH(Plant, plant);
        QFETCH(QString, why);
        const fs::path base = root() / std::to_string(++m_round);
        const Fixture f{base / "db", base / "outside", base / "db" / "DICO.DB",
                        Journal::pathFor(base / "db" / "DICO.DB")};
        fs::create_directories(f.outside);
        fs::copy(pristine(), base / "db-start", fs::copy_options::recursive);
        fs::copy(pristine(), f.dir, fs::copy_options::recursive);
        writeFile(f.outside / "target.txt", "outside the folder");
        const int rows = plant(f);
        writeFile(f.dir / "victim.txt", "no one's file");
        fs::create_symlink(f.outside / "target.txt", f.dir / "out");
        const auto before = snapshot({f.dir, f.outside});

        const Observed o = observe(f.table);
        QCOMPARE(o.status, 0);
        QVERIFY2(o.readError.empty(), o.readError.c_str());
        QCOMPARE(o.rows, rows);
        auto after = snapshot({f.dir, f.outside});
        if (why.isEmpty()) {
            QVERIFY2(o.notice.empty() && o.writeError.empty(), (o.notice + o.writeError).c_str());
            QVERIFY(!fs::exists(fs::symlink_status(f.journal)));
            after[f.journal.string()] = before.at(f.journal.string());
        } else {
            for (const std::string& said : {o.notice, o.writeError}) {
                QVERIFY2(QString::fromStdString(said).contains(why), said.c_str());
                QVERIFY2(said.find("supprimez ce fichier ou déplacez-le") != std::string::npos,
                         said.c_str());
            }
        }
        QVERIFY(after == before);
    }

    // The CRC every journal relies on: the standard check value, whatever the
    // alignment and length around the eight-byte steps.
    void crcIsTheStandardOne() {
        const std::string text = "..123456789";
        QCOMPARE(Journal::crc32(text.data() + 2, 9), 0xCBF43926u);
        QCOMPARE(Journal::crc32(text.data() + 6, 5, Journal::crc32(text.data() + 2, 4)),
                 0xCBF43926u);
    }

    // The hidden temporaries a writer killed before naming its journal leaves: the
    // next change removes those that are unlocked and start as a journal (or are
    // empty), and nothing else of the folder.
    void killedWritersTemporariesGo() {
        const fs::path dir = root() / "sweep";
        fs::copy(pristine(), dir, fs::copy_options::recursive);
        const std::string magic(JournalImage::kMagic, 8), prefix = ".DICO.DB-journal.";
        const std::map<std::string, std::string> planted = {
            {prefix + "AAAAAAAAAAAA.tmp", magic + "left by a killed writer"},
            {prefix + "BBBBBBBBBBBB.tmp", ""},
            {prefix + "CCCCCCCCCCCC.tmp", magic + "being written"},
            {prefix + "DDDDDDDDDDDD.tmp", "not a journal"},
            {prefix + "short.tmp", magic},
            {"victim.txt", magic + "no one's"}};
        for (const auto& [name, bytes] : planted)
            writeFile(dir / name, bytes);
        fs::create_symlink(dir / "victim.txt", dir / (prefix + "EEEEEEEEEEEE.tmp"));
        auto live = fileSystem().open(dir / (prefix + "CCCCCCCCCCCC.tmp"), OpenMode::ReadNoFollow);
        QVERIFY(live->tryLockExclusive());

        insertRows(dir / "DICO.DB", 500, 1);

        std::set<std::string> left;
        for (const auto& e : fs::directory_iterator(dir))
            if (e.path().filename().string().rfind(prefix, 0) == 0)
                left.insert(e.path().filename().string());
        const std::set<std::string> expected = {prefix + "CCCCCCCCCCCC.tmp",
                                                prefix + "DDDDDDDDDDDD.tmp", prefix + "short.tmp",
                                                prefix + "EEEEEEEEEEEE.tmp"};
        QVERIFY(left == expected);
        for (const auto& [name, bytes] : planted)
            if (fs::exists(dir / name))
                QCOMPARE(readFile(dir / name), bytes);
    }
};

QTEST_GUILESS_MAIN(TestJournalTrust)
#include "tst_journaltrust.moc"
