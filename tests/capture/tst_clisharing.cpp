// Two programs on one dictionary, as users run them: two korvanta-cli captures
// started together with a lister looping meanwhile, and the window's store keeping
// the dictionary open while the command-line tool captures into it. Then names the
// command line must carry as given: not UTF-8, a FIFO, a dangling link.
//
// The oracle: every table a capture did not report as refused is there whole, in
// every listing taken meanwhile too; the numbers are 1..N without a gap or a
// duplicate (the captures took turns); nobody called a sound dictionary damaged;
// the name index finds every table.

#include "SourceTables.h"
#include "WindowCapture.h"
#include "tests/store/StoreTestHost.h"

#include "capture/StructureCapture.h"
#include "engine/Cursor.h"
#include "engine/TableDefinition.h"
#include "engine/TableFile.h"
#include "framework/dataset/Table.h"
#include "store/DictionaryStore.h"
#include "tests/support/NoSyncFileSystem.h"
#include "tests/support/ScopedFileSystem.h"

#include <QTest>

#include <chrono>
#include <fcntl.h>
#include <fstream>
#include <map>
#include <set>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct Run {
    int status = -1;
    std::string out, err;
};

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Starts korvanta-cli with these arguments, byte for byte (QProcess would recode
// them), its output going to files named after `tag` in `dir`.
pid_t startCli(const std::vector<std::string>& args, const fs::path& dir, const std::string& tag) {
    const std::string out = (dir / (tag + ".out")).string(), err = (dir / (tag + ".err")).string();
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::chdir(dir.c_str()) != 0)
            ::_exit(126);
        ::dup2(::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
        ::dup2(::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
        std::vector<char*> argv{const_cast<char*>(KV_CLI_PATH)};
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(KV_CLI_PATH, argv.data());
        ::_exit(127);
    }
    return pid;
}

// Waits for the tool; a run that outlives `limit` (a hang) is killed and fails.
Run finish(pid_t pid, const fs::path& dir, const std::string& tag,
           std::chrono::seconds limit = std::chrono::seconds(60)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (::waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            return {-2, {}, "hung"};
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(dir / (tag + ".out")),
            readFile(dir / (tag + ".err"))};
}

Run cli(const std::vector<std::string>& args, const fs::path& dir,
        std::chrono::seconds limit = std::chrono::seconds(60)) {
    return finish(startCli(args, dir, "run"), dir, "run", limit);
}

// Source tables with 1 to 4 fields, every third one with a secondary index.
std::vector<std::string> makeSources(const fs::path& dir, const std::string& prefix, int count) {
    fs::create_directories(dir);
    testsupport::NoSyncFileSystem quick(engine::fileSystem());
    testsupport::ScopedFileSystem mounted(quick);
    std::vector<std::string> names;
    for (int i = 1; i <= count; ++i) {
        std::vector<engine::FieldDef> fields{{"Id", engine::FieldType::Long}};
        for (int f = 1; f <= i % 4; ++f)
            fields.push_back({"Col" + std::to_string(f), engine::FieldType::Alpha, 10});
        std::vector<engine::IndexDef> indexes{{"", {"Id"}, engine::ixPrimary}};
        if (i % 3 == 0 && fields.size() > 1)
            indexes.push_back({"ByCol", {"Col1"}, engine::ixCaseInsensitive});
        const std::string name = prefix + std::to_string(1000 + i) + ".DB";
        engine::createTable(dir / name, fields, indexes);
        names.push_back((dir / name).string());
    }
    return names;
}

// The rows of a `list` output per table name; the numbers in `numbers`.
std::map<std::string, int> rowsPerTable(const std::string& listing,
                                        std::vector<long>* numbers = nullptr) {
    std::map<std::string, int> rows;
    std::istringstream in(listing);
    std::string line;
    std::getline(in, line); // header
    while (std::getline(in, line)) {
        const size_t tab = line.find('\t');
        const size_t tab2 = line.find('\t', tab + 1);
        ++rows[line.substr(tab + 1, tab2 - tab - 1)];
        if (numbers)
            numbers->push_back(std::stol(line.substr(0, tab)));
    }
    return rows;
}

// Without reaping it, so that finish() still gets its status.
bool stillRunning(pid_t pid) {
    siginfo_t info = {};
    return ::waitid(P_PID, id_t(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == 0;
}

bool damageReported(const std::string& err) {
    return err.find("endommag") != std::string::npos || err.find("périmé") != std::string::npos ||
           err.find("Corrupt") != std::string::npos;
}

} // namespace

class TestCliSharing : public QObject {
    Q_OBJECT
    QTemporaryDir m_tmp;
    int m_round = 0;

    fs::path freshDir() {
        const fs::path d = fs::path(m_tmp.path().toStdString()) / std::to_string(++m_round);
        fs::create_directories(d);
        return d;
    }

    // The final state: every table whole, numbers 1..N, the name index complete.
    void checkWhole(const fs::path& dir, const std::string& dico, size_t tables) {
        const Run list = cli({"list", dico}, dir);
        QCOMPARE(list.status, 0);
        std::vector<long> numbers;
        const auto rows = rowsPerTable(list.out, &numbers);
        QCOMPARE(rows.size(), tables);
        std::sort(numbers.begin(), numbers.end());
        for (size_t i = 0; i < numbers.size(); ++i)
            QCOMPARE(numbers[i], long(i + 1));
        engine::Cursor byName(engine::TableFile::open(dir / dico), {"Table"});
        QCOMPARE(byName.count(), int64_t(numbers.size()));
        for (const auto& [name, count] : rows)
            QVERIFY2(byName.findKey({engine::Value::fromText(name)}), name.c_str());
    }

private slots:
    void twoCapturesAndAListerAtOnce() {
        const fs::path dir = freshDir();
        std::vector<std::string> a{"capture", "DICO.DB", "--create"}, b = a;
        for (const std::string& s : makeSources(dir / "a", "A", 150))
            a.push_back(s);
        for (const std::string& s : makeSources(dir / "b", "B", 150))
            b.push_back(s);
        const pid_t first = startCli(a, dir, "a"), second = startCli(b, dir, "b");
        std::map<std::string, int> seen; // rows of each table, as every listing saw it
        int listings = 0;
        for (bool running = true; running;) {
            running = stillRunning(first) || stillRunning(second);
            if (!fs::exists(dir / "DICO.DB"))
                continue;
            const Run list = cli({"list", "DICO.DB"}, dir);
            QVERIFY2(list.status == 0, list.err.c_str());
            ++listings;
            for (const auto& [table, count] : rowsPerTable(list.out)) {
                auto [it, fresh] = seen.emplace(table, count);
                QVERIFY2(fresh || it->second == count, ("half kept: " + table).c_str());
            }
        }
        const Run ra = finish(first, dir, "a"), rb = finish(second, dir, "b");
        for (const Run& r : {ra, rb}) {
            QVERIFY2(r.status == 0, r.err.c_str());
            QVERIFY2(!damageReported(r.err), r.err.c_str());
        }
        QVERIFY(listings > 0);
        qInfo("listings taken during the captures: %d", listings);
        checkWhole(dir, "DICO.DB", 300);
        // What the listings saw is what stayed.
        const auto finalRows = rowsPerTable(cli({"list", "DICO.DB"}, dir).out);
        for (const auto& [table, count] : seen)
            QCOMPARE(finalRows.at(table), count);
    }

    // The window keeps its dictionary open (views, cached rows) while the
    // command-line tool captures into it; both go on capturing at the same time.
    void windowStoreAndCliShareADictionary() {
        TempAppDir app;
        StoreTestHost host;
        store::DictionaryStore store(&host.window, host);
        QObject addWindow;
        capture::StructureCapture capture(&addWindow, store);
        host.follow(store);
        store.PrepareDataDir();
        QVERIFY(store.CreateDico(QStringLiteral("shared")));
        const fs::path dir = store.NomDico().toStdString();
        std::vector<std::string> args{"capture", dir.string()};
        for (const std::string& s : makeSources(dir.parent_path() / "cli", "C", 40))
            args.push_back(s);
        const std::vector<std::string> mine = makeSources(dir.parent_path() / "win", "W", 15);
        const pid_t tool = startCli(args, dir.parent_path(), "tool");
        for (const std::string& s : mine)
            QCOMPARE(captureAsWindow(host, capture, QString::fromStdString(s)),
                     capture::CaptureResult::Captured);
        const Run r = finish(tool, dir.parent_path(), "tool");
        QVERIFY2(r.status == 0, r.err.c_str());
        store.taDico().First();
        int tables = 0;
        for (; !store.taDico().Eof(); store.taDico().Next())
            ++tables;
        QCOMPARE(tables, 55);
        // Idle, the window sees the next capture of the other program by itself.
        const int updates = host.updates;
        const std::string late = makeSources(dir.parent_path() / "late", "L", 1).front();
        QCOMPARE(cli({"capture", dir.string(), late}, dir.parent_path()).status, 0);
        QTRY_VERIFY_WITH_TIMEOUT(host.updates > updates, 5000);
        QVERIFY(store.taDico().FindKey({QStringLiteral("L1001.DB")}));
        store.CloseDico();
        checkWhole(dir.parent_path(), dir.filename().string(), 56);
    }

    void namesTakenAsGiven() {
        const fs::path dir = freshDir();
        const std::string source =
            sourcetables::writeClients(QString::fromStdString((dir / "CLIENTS.DB").string()))
                .toStdString();
        // Latin-1 bytes: found, and created under exactly these bytes.
        const std::string latinDico = "caf\xe9.db", latinTable = "t\xe9l.db";
        fs::copy_file(source, dir / latinTable);
        Run r = cli({"capture", "--create", latinDico, latinTable}, dir);
        QVERIFY2(r.status == 0, r.err.c_str());
        QVERIFY(fs::exists(dir / latinDico));
        for (const auto& e : fs::directory_iterator(dir)) {
            const std::string name = e.path().filename().string();
            QVERIFY2(name.rfind("caf\xe9.", 0) == 0 || name.rfind("t\xe9l.", 0) == 0 ||
                         name.rfind("CLIENTS.", 0) == 0 || name.rfind("run.", 0) == 0,
                     name.c_str());
        }
        r = cli({"list", latinDico}, dir);
        QCOMPARE(r.status, 0);
        QVERIFY2(QString::fromStdString(r.out).contains(QStringLiteral("tél"), Qt::CaseInsensitive),
                 r.out.c_str());

        // A FIFO, as a table or as the dictionary: refused at once, never waited on.
        QCOMPARE(::mkfifo((dir / "PIPE.DB").c_str(), 0666), 0);
        for (const auto& args : std::vector<std::vector<std::string>>{
                 {"info", "PIPE.DB"}, {"capture", latinDico, "PIPE.DB"}, {"list", "PIPE.DB"}}) {
            r = cli(args, dir, std::chrono::seconds(20));
            QCOMPARE(r.status, 1);
            QVERIFY2(r.err.find("ordinaire") != std::string::npos, r.err.c_str());
        }

        // A dangling link as a new dictionary: made beside its target, whole.
        fs::create_directory(dir / "real");
        fs::create_symlink("real/target.db", dir / "kq.db");
        r = cli({"capture", "--create", "kq.db", "CLIENTS.DB"}, dir);
        QVERIFY2(r.status == 0, r.err.c_str());
        std::set<std::string> real;
        for (const auto& e : fs::directory_iterator(dir / "real"))
            real.insert(e.path().filename().string());
        QCOMPARE(real,
                 (std::set<std::string>{"target.db", "target.px", "target.xg0", "target.yg0"}));
        QCOMPARE(rowsPerTable(cli({"list", "kq.db"}, dir).out).size(), size_t(1));
        fs::remove_all(dir); // Qt cannot remove names that are not UTF-8
    }
};

QTEST_GUILESS_MAIN(TestCliSharing)
#include "tst_clisharing.moc"
