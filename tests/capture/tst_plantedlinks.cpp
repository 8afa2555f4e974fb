// Names planted beside a dictionary by another user, against korvanta-cli run as
// a real process in a folder everyone may write to (sticky, as /tmp is):
//  - the hidden folder a creation works in: a link, a file, a folder of someone
//    else or holding what no creation leaves is refused and left as it was; the
//    folder an interrupted creation leaves is used again;
//  - every file written aside before it replaces its target (index files, -o and
//    --code outputs, the export script): links planted at the names earlier
//    versions used lead nowhere; the output is that of a run in a clean folder;
//    the names used aside are hidden, new at each run, and gone at the end.
// Whatever the plants lead to stays byte for byte as it was.
//
// The companions the engine writes beside a table are never written through a
// link either: the memo file, written in place, is refused; an index file, made
// anew, replaces the link.
//
// Run as root, the plants belong to "nobody", so that the engine, as root, would
// be able to follow them; otherwise they are the user's own.

#include "SourceTables.h"

#include "engine/Cursor.h"
#include "engine/EngineError.h"
#include "engine/TableFile.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <pwd.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <set>

namespace {

struct Run {
    int status = -1;
    QByteArray out, err;
};

Run cli(const QStringList& args, const QString& dir) {
    QProcess process;
    process.setWorkingDirectory(dir);
    process.start(QStringLiteral(KV_CLI_PATH), args);
    if (!process.waitForFinished(120000))
        return {};
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

QByteArray bytesOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// Every name of a folder (hidden ones too) with its bytes; a link shows where it leads.
std::map<QString, QByteArray> snapshot(const QString& dir) {
    std::map<QString, QByteArray> out;
    for (const QFileInfo& f : QDir(dir).entryInfoList(QDir::AllEntries | QDir::Hidden |
                                                      QDir::System | QDir::NoDotAndDotDot))
        out[f.fileName()] = f.isSymLink() ? "-> " + f.symLinkTarget().toUtf8()
                            : f.isDir()   ? QByteArray("<dir>")
                                          : bytesOf(f.filePath());
    return out;
}

// What a name holds, seen without following it: a link shows where it leads, a
// folder its contents.
QByteArray state(const QString& path) {
    const QFileInfo f(path);
    if (f.isSymLink())
        return "-> " + f.symLinkTarget().toUtf8();
    if (!f.exists())
        return "<missing>";
    if (!f.isDir())
        return bytesOf(path);
    QByteArray out = "<dir>";
    for (const auto& [name, bytes] : snapshot(path))
        out += "\n" + name.toUtf8() + ": " + bytes;
    return out;
}

// The names created in a folder while it is watched.
class CreatedNames {
public:
    explicit CreatedNames(const QString& dir) : m_fd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        inotify_add_watch(m_fd, QFile::encodeName(dir).constData(), IN_CREATE);
    }
    ~CreatedNames() { ::close(m_fd); }
    std::set<QString> take() const {
        std::set<QString> names;
        alignas(inotify_event) char buffer[65536];
        for (ssize_t n; (n = ::read(m_fd, buffer, sizeof buffer)) > 0;)
            for (char* p = buffer; p < buffer + n;) {
                const auto* e = reinterpret_cast<const inotify_event*>(p);
                if (e->len)
                    names.insert(QFile::decodeName(e->name));
                p += sizeof(inotify_event) + e->len;
            }
        return names;
    }

private:
    int m_fd;
};

// Who plants: "nobody" when the tests run as root, the user otherwise.
struct Planter {
    uid_t uid = ::geteuid();
    gid_t gid = ::getegid();
    Planter() {
        if (const passwd* other = ::geteuid() == 0 ? ::getpwnam("nobody") : nullptr) {
            uid = other->pw_uid;
            gid = other->pw_gid;
        }
    }
    void link(const QString& target, const QString& path) const {
        QVERIFY(::symlink(QFile::encodeName(target), QFile::encodeName(path)) == 0);
        QVERIFY(::lchown(QFile::encodeName(path), uid, gid) == 0);
    }
    void folder(const QString& path) const {
        QVERIFY(QDir().mkdir(path));
        QVERIFY(::chown(QFile::encodeName(path), uid, gid) == 0);
    }
};

enum class Plant {
    LinkToFolder,
    LinkToNothing,
    PlainFile,
    FolderOfAnother,
    FolderWithForeignFile,
    FolderWithLinkInside,
    FolderCrashLeft,
};

const QRegularExpression kHiddenTemporary(QStringLiteral("^\\..+\\.[A-Za-z0-9]{12}\\.tmp$"));

} // namespace

Q_DECLARE_METATYPE(Plant)

class TestPlantedLinks : public QObject {
    Q_OBJECT

    QTemporaryDir m_root;
    QString m_source, m_victim, m_shared;
    Planter m_planter;

    // The folder everyone may write to, empty, always at the same path (the
    // dictionary keeps the paths of what it captured).
    void freshSharedFolder() {
        QDir(m_shared).removeRecursively();
        QVERIFY(QDir().mkpath(m_shared));
        QVERIFY(::chmod(QFile::encodeName(m_shared), 01777) == 0);
    }

    // Each case starts from the same victim: a write through a link in an earlier
    // case must not hide one in this case.
    void freshVictim() {
        QDir(m_victim).removeRecursively();
        QVERIFY(QDir().mkpath(m_victim));
        writeBytes(m_victim + "/precious.txt", "a file of someone else");
        writeBytes(m_victim + "/PRECIOUS.DB", QByteArray(4096, '\1'));
    }

    void plant(Plant what, const QString& at) {
        switch (what) {
        case Plant::LinkToFolder:
            m_planter.link(m_victim, at);
            break;
        case Plant::LinkToNothing:
            m_planter.link(m_root.filePath("nowhere"), at);
            break;
        case Plant::PlainFile:
            writeBytes(at, "not a folder");
            break;
        case Plant::FolderOfAnother:
            m_planter.folder(at);
            writeBytes(at + "/D.db", "theirs");
            break;
        case Plant::FolderWithForeignFile:
            QVERIFY(QDir().mkdir(at));
            writeBytes(at + "/notes.txt", "someone's notes");
            break;
        case Plant::FolderWithLinkInside:
            QVERIFY(QDir().mkdir(at));
            m_planter.link(m_victim + "/precious.txt", at + "/D.px");
            break;
        case Plant::FolderCrashLeft: // what a creation killed half way leaves
            QVERIFY(QDir().mkdir(at));
            writeBytes(at + "/D.db", QByteArray(2048, 'x'));
            writeBytes(at + "/D.px", QByteArray(100, 'y'));
            writeBytes(at + "/.D.px.Ab3dEf6hIj9L.tmp", QByteArray(10, 'z'));
            break;
        }
    }

    // Links at every name a run of `command` may have used aside in earlier
    // versions: fixed names, and "%PID" for the next few hundred process numbers.
    QStringList plantOldNames(const QStringList& oldNames) {
        QFile last(QStringLiteral("/proc/sys/kernel/ns_last_pid"));
        const int pid = last.open(QIODevice::ReadOnly) ? last.readAll().trimmed().toInt() : 0;
        QStringList planted;
        for (const QString& name : oldNames)
            for (int n = pid + 1; n <= pid + (name.contains("%PID") ? 300 : 1); ++n)
                planted << QString(name).replace("%PID", QString::number(n));
        for (const QString& name : planted)
            m_planter.link(m_victim + "/precious.txt", m_shared + "/" + name);
        return planted;
    }

    struct Outcome {
        Run run;
        std::map<QString, QByteArray> outputs;
        QByteArray listing;
        std::set<QString> temporaries;
    };

    Outcome runWatched(const QStringList& command, const QStringList& outputs) {
        Outcome o;
        const CreatedNames created(m_shared);
        o.run = cli(command, m_shared);
        // The journal's own names are the journal's business (and its tests').
        for (const QString& name : created.take())
            if ((name.endsWith(".tmp") || name.contains(".part-")) && !name.contains("-journal"))
                o.temporaries.insert(name);
        for (const QString& name : outputs)
            o.outputs[name] = bytesOf(m_shared + "/" + name);
        if (QFile::exists(m_shared + "/D.db"))
            o.listing = cli({"list", "D.db"}, m_shared).out;
        return o;
    }

private slots:
    void initTestCase() {
        QVERIFY(m_root.isValid());
        QVERIFY(QDir().mkpath(m_root.filePath("src")));
        m_source = sourcetables::writeClients(m_root.filePath("src/CLIENTS.DB"));
        m_victim = m_root.filePath("victim");
        m_shared = m_root.filePath("shared");
        // The plants' owner must reach the shared folder, as another user would.
        QVERIFY(::chmod(QFile::encodeName(m_root.path()), 0755) == 0);
    }

    void creationFolder_data() {
        QTest::addColumn<Plant>("plant");
        QTest::addColumn<bool>("reused");
        QTest::newRow("a link to another folder") << Plant::LinkToFolder << false;
        QTest::newRow("a link to nothing") << Plant::LinkToNothing << false;
        QTest::newRow("a plain file") << Plant::PlainFile << false;
        QTest::newRow("a folder of another user") << Plant::FolderOfAnother << false;
        QTest::newRow("a folder holding a foreign file") << Plant::FolderWithForeignFile << false;
        QTest::newRow("a folder holding a link") << Plant::FolderWithLinkInside << false;
        QTest::newRow("the folder a killed creation left") << Plant::FolderCrashLeft << true;
    }

    void creationFolder() {
        QFETCH(Plant, plant);
        QFETCH(bool, reused);
        if (plant == Plant::FolderOfAnother && m_planter.uid == ::geteuid())
            QSKIP("only root can make a folder of another user");
        freshVictim();
        freshSharedFolder();
        const QString folder = m_shared + "/.D.db.new";
        this->plant(plant, folder);
        const auto victimBefore = snapshot(m_victim);
        const QByteArray plantBefore = state(folder);

        const Run run = cli({"capture", "--create", "D.db", m_source}, m_shared);

        QCOMPARE(snapshot(m_victim), victimBefore);
        if (reused) {
            QCOMPARE(run.status, 0);
            QVERIFY(!QFileInfo::exists(folder));
            QVERIFY(cli({"list", "D.db"}, m_shared).out.contains("CLIENTS.DB"));
            return;
        }
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains(QFile::encodeName(folder)) && run.err.contains("Supprimez-le"),
                 run.err.constData());
        QCOMPARE(state(folder), plantBefore);
        QVERIFY(!QFileInfo::exists(m_shared + "/D.db"));
    }

    void temporaryNames_data() {
        QTest::addColumn<QStringList>("command");
        QTest::addColumn<bool>("needsDictionary");
        QTest::addColumn<QStringList>("outputs");
        QTest::addColumn<QStringList>("oldNames");
        const QStringList indexTemporaries = {"D.px.tmp", "D.xg0.tmp", "D.yg0.tmp",
                                              "D.PX.tmp", "D.XG0.tmp", "D.YG0.tmp"};
        QTest::newRow("code -o") << QStringList{"code", "%SRC", "-o", "out.txt"} << false
                                 << QStringList{"out.txt"} << QStringList{"out.txt.part-%PID"};
        QTest::newRow("capture --code, then the dictionary's index files")
            << QStringList{"capture", "--create", "D.db", "%SRC", "--code", "code.txt"} << false
            << QStringList{"code.txt"} << QStringList{"code.txt.part-%PID"} + indexTemporaries;
        QTest::newRow("capture into an existing dictionary")
            << QStringList{"capture", "D.db", "%SRC"} << true << QStringList{} << indexTemporaries;
        QTest::newRow("doc -o") << QStringList{"doc", "D.db", "-o", "out.html"} << true
                                << QStringList{"out.html"} << QStringList{"out.html.part-%PID"};
        QTest::newRow("export --postgresql")
            << QStringList{"export", "--postgresql", "out.sql", "%SRC"} << false
            << QStringList{"out.sql"} << QStringList{"out.sql.part-%PID"};
    }

    void temporaryNames() {
        QFETCH(QStringList, command);
        QFETCH(bool, needsDictionary);
        QFETCH(QStringList, outputs);
        QFETCH(QStringList, oldNames);
        command.replaceInStrings("%SRC", m_source);
        // A dictionary that has not captured CLIENTS.DB yet, or already has.
        const QStringList setup = {
            "capture", "--create", "D.db",
            needsDictionary && command[0] == "capture"
                ? sourcetables::writeEveryKind(m_root.filePath("src/TOUT.DB"))
                : m_source};

        freshVictim();
        freshSharedFolder();
        if (needsDictionary)
            QCOMPARE(cli(setup, m_shared).status, 0);
        const Outcome clean = runWatched(command, outputs);
        QCOMPARE(clean.run.status, 0);

        freshSharedFolder();
        if (needsDictionary)
            QCOMPARE(cli(setup, m_shared).status, 0);
        const auto victimBefore = snapshot(m_victim);
        const QStringList planted = plantOldNames(oldNames);
        // Files replaced keep their permissions exactly, wider than the umask allows.
        QStringList replaced = outputs;
        if (needsDictionary)
            replaced << "D.px"
                     << "D.xg0"
                     << "D.yg0";
        for (const QString& name : replaced) {
            if (!QFileInfo::exists(m_shared + "/" + name))
                writeBytes(m_shared + "/" + name, "old");
            QVERIFY(::chmod(QFile::encodeName(m_shared + "/" + name), 0664) == 0);
        }
        const mode_t umaskWas = ::umask(022);
        const Outcome attacked = runWatched(command, outputs);
        ::umask(umaskWas);
        for (const QString& name : replaced) {
            struct stat st = {};
            QVERIFY(::stat(QFile::encodeName(m_shared + "/" + name), &st) == 0);
            QCOMPARE(st.st_mode & 0777, mode_t(0664));
        }

        QVERIFY2(attacked.run.status == 0, attacked.run.err.constData());
        QCOMPARE(snapshot(m_victim), victimBefore);
        QCOMPARE(attacked.outputs, clean.outputs);
        QCOMPARE(attacked.listing, clean.listing);
        // Outputs are written aside; a dictionary that exists changes in place under its journal.
        QCOMPARE(attacked.temporaries.empty(), outputs.isEmpty());
        for (const QString& name : attacked.temporaries) {
            QVERIFY2(kHiddenTemporary.match(name).hasMatch(), qPrintable(name));
            QVERIFY2(!planted.contains(name), qPrintable(name));
            QVERIFY2(!clean.temporaries.count(name), qPrintable(name + " used twice"));
            QVERIFY2(!QFileInfo::exists(m_shared + "/" + name), qPrintable(name + " left"));
        }
    }

    void companionLinks_data() {
        QTest::addColumn<QString>("companion");
        QTest::addColumn<bool>("refused");
        QTest::newRow("memo file") << "CLIENTS.MB" << true;
        QTest::newRow("primary index") << "CLIENTS.PX" << false;
        QTest::newRow("named index") << "CLIENTS.XG0" << false;
        QTest::newRow("named index's tree") << "CLIENTS.YG1" << false;
    }

    // A copy of the companion, elsewhere, that the planted link leads to: the table
    // reads as before, and a row with a long memo is added.
    void companionLinks() {
        QFETCH(QString, companion);
        QFETCH(bool, refused);
        freshVictim();
        freshSharedFolder();
        const QString table = sourcetables::writeClients(m_shared + "/CLIENTS.DB");
        QVERIFY(QFile::copy(m_shared + "/" + companion, m_victim + "/" + companion));
        QVERIFY(QFile::remove(m_shared + "/" + companion));
        m_planter.link(m_victim + "/" + companion, m_shared + "/" + companion);
        const auto victimBefore = snapshot(m_victim);

        QString error;
        try {
            auto file = engine::TableFile::open(table.toStdString());
            engine::Cursor cursor(file);
            engine::Row row = file->emptyRow();
            row[1] = engine::Value::fromText("Durand");
            row[4] = engine::Value::fromText(std::string(300, 'm'));
            cursor.insert(row);
            file->flush(); // the index files, as a program writes them when it closes
        } catch (const engine::EngineError& e) {
            error = QString::fromUtf8(e.what());
        }

        QCOMPARE(snapshot(m_victim), victimBefore);
        QCOMPARE(error.contains(companion) && error.contains("lien symbolique"), refused);
        if (!refused)
            QVERIFY(!QFileInfo(m_shared + "/" + companion).isSymLink());
        // The refused row is not half there: no row without its memo.
        QCOMPARE(engine::Cursor(engine::TableFile::open(table.toStdString())).count(),
                 refused ? 0 : 1);
    }
};

QTEST_GUILESS_MAIN(TestPlantedLinks)
#include "tst_plantedlinks.moc"
