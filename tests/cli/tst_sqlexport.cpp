// korvanta-cli export and ddl against real tables: a table of every type built by
// the test, and every table of the shared corpus (skipped with a message when it is
// absent). What SQLite holds after an export is read back through the sqlite3 library
// and compared, value by value, with what rows --json gives; the DDL of a dictionary
// of the corpus is loaded into SQLite and into a PostgreSQL server the test starts
// (skipped with a message when Debian's postgresql package is not installed).

#include "CliRun.h"
#include "EngineTables.h"

#include "engine/Database.h"

#include "tests/support/SeedTables.h"
#include "tests/support/ValidityImage.h"

#include "engine/TableData.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QTemporaryDir>
#include <QtTest>

#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <unistd.h>

using clirun::cli;
using clirun::isUtf8;
using clirun::rawControls;
using clirun::Run;
using engine::FieldType;
using engine::Value;

namespace {

const QString kCorpus = QStringLiteral(KV_SHARED_DIR "/corpus");

// Row count and an order-free checksum of every value, in one canonical spelling
// whichever side it comes from: numbers as %.17g, BLOBs in base64, NULL as "~".
struct Digest {
    qsizetype rows = 0;
    QByteArray sum;
    bool operator==(const Digest&) const = default;
};

QByteArray number(double d) {
    return QByteArray::number(d, 'g', 17);
}

Digest digestOf(QList<QByteArray> rows) {
    std::sort(rows.begin(), rows.end());
    return {rows.size(), QCryptographicHash::hash(rows.join('\n'), QCryptographicHash::Sha1)};
}

QByteArray canonicalRow(const QMap<QString, QByteArray>& values) {
    QByteArray row;
    for (auto it = values.begin(); it != values.end(); ++it)
        row += it.key().toUtf8() + '=' + it.value() + '\x1f';
    return row;
}

QByteArray canonical(const QJsonValue& v) {
    if (v.isNull())
        return "~";
    if (v.isBool())
        return v.toBool() ? "1" : "0";
    if (v.isDouble())
        return number(v.toDouble());
    return v.toString().toUtf8();
}

Digest digestOfRows(const QString& table, const QStringList& options = {}) {
    Run r = cli(QStringList{"rows", "--json"} + options + QStringList{table});
    if (r.status != 0)
        return {-1, r.err};
    QList<QByteArray> rows;
    for (const QByteArray& line : r.lines()) {
        const QJsonObject o = QJsonDocument::fromJson(line).object();
        QMap<QString, QByteArray> values;
        for (auto it = o.begin(); it != o.end(); ++it)
            values[it.key()] = canonical(it.value());
        rows.append(canonicalRow(values));
    }
    return digestOf(rows);
}

QByteArray canonical(sqlite3_stmt* s, int column) {
    switch (sqlite3_column_type(s, column)) {
    case SQLITE_NULL:
        return "~";
    case SQLITE_INTEGER:
        return number(double(sqlite3_column_int64(s, column)));
    case SQLITE_FLOAT:
        return number(sqlite3_column_double(s, column));
    case SQLITE_BLOB:
        return QByteArray(static_cast<const char*>(sqlite3_column_blob(s, column)),
                          sqlite3_column_bytes(s, column))
            .toBase64();
    default:
        return QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(s, column)),
                          sqlite3_column_bytes(s, column));
    }
}

class Sqlite {
public:
    explicit Sqlite(const QString& file, bool create = false) {
        sqlite3_open_v2(file.toUtf8().constData(), &m_db,
                        SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0), nullptr);
    }
    ~Sqlite() { sqlite3_close(m_db); }

    Digest digestOf(const QString& table) const {
        sqlite3_stmt* s = nullptr;
        const QByteArray sql = "SELECT * FROM \"" + table.toUtf8() + "\"";
        if (sqlite3_prepare_v2(m_db, sql.constData(), -1, &s, nullptr) != SQLITE_OK)
            return {-1, sqlite3_errmsg(m_db)};
        QList<QByteArray> rows;
        while (sqlite3_step(s) == SQLITE_ROW) {
            QMap<QString, QByteArray> values;
            for (int c = 0; c < sqlite3_column_count(s); ++c)
                values[QString::fromUtf8(sqlite3_column_name(s, c))] = canonical(s, c);
            rows.append(canonicalRow(values));
        }
        sqlite3_finalize(s);
        return ::digestOf(rows);
    }
    QString exec(const QByteArray& sql) const {
        char* message = nullptr;
        sqlite3_exec(m_db, sql.constData(), nullptr, nullptr, &message);
        const QString why = message ? QString::fromUtf8(message) : QString();
        sqlite3_free(message);
        return why;
    }
    int scalar(const char* sql) const {
        sqlite3_stmt* s = nullptr;
        int value = -1;
        if (sqlite3_prepare_v2(m_db, sql, -1, &s, nullptr) == SQLITE_OK &&
            sqlite3_step(s) == SQLITE_ROW)
            value = sqlite3_column_int(s, 0);
        sqlite3_finalize(s);
        return value;
    }
    QByteArray text(const char* sql) const {
        sqlite3_stmt* s = nullptr;
        QByteArray value;
        if (sqlite3_prepare_v2(m_db, sql, -1, &s, nullptr) == SQLITE_OK &&
            sqlite3_step(s) == SQLITE_ROW)
            value = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
        sqlite3_finalize(s);
        return value;
    }
    QByteArray declaredType(const QString& table, const QString& column) const {
        const char* type = nullptr;
        sqlite3_table_column_metadata(m_db, nullptr, table.toUtf8().constData(),
                                      column.toUtf8().constData(), &type, nullptr, nullptr, nullptr,
                                      nullptr);
        return type ? QByteArray(type) : QByteArray();
    }

private:
    sqlite3* m_db = nullptr;
};

void writeBytes(const QString& file, const std::string& bytes) {
    std::ofstream(file.toStdString(), std::ios::binary | std::ios::trunc) << bytes;
}

// PARENT(Id key, Name) with rows 1 and 2; CHILD(No counter key, ParentId -> PARENT by
// a link that cascades updates and by a lookup, Note memo required, Qty 1..99 default
// 5, Kind picture {Big,Small}) with two sound rows; OLD(Id key, Qty >= 1, Code
// required) whose rows 1 and 3 break both rules. Their files, children first.
QStringList writeRuleTables(const QString& dir) {
    const QString parent = dir + "/PARENT.DB", child = dir + "/CHILD.DB", old = dir + "/OLD.DB";
    enginetables::writeTable(
        parent.toStdString(), {{"Id", FieldType::Long}, {"Name", FieldType::Alpha, 20}},
        {{"", {"Id"}, engine::ixPrimary}},
        {{Value::fromInt(1), Value::fromText("one")}, {Value::fromInt(2), Value::fromText("two")}});
    enginetables::writeTable(child.toStdString(),
                             {{"No", FieldType::AutoInc},
                              {"ParentId", FieldType::Long},
                              {"Note", FieldType::Memo, 10},
                              {"Qty", FieldType::Short},
                              {"Kind", FieldType::Alpha, 10}},
                             {{"", {"No"}, engine::ixPrimary}},
                             {{Value::null(), Value::fromInt(1), Value::fromText("a"),
                               Value::fromInt(3), Value::fromText("Big")},
                              {Value::null(), Value::fromInt(2), Value::fromText("b"),
                               Value::fromInt(99), Value::fromText("Small")}});
    enginetables::writeTable(
        old.toStdString(),
        {{"Id", FieldType::Long}, {"Qty", FieldType::Short}, {"Code", FieldType::Alpha, 5}},
        {{"", {"Id"}, engine::ixPrimary}},
        {{Value::fromInt(1), Value::fromInt(0), Value::null()},
         {Value::fromInt(2), Value::fromInt(4), Value::fromText("ok")},
         {Value::fromInt(3), Value::fromInt(-2), Value::null()}});
    {
        const auto table = engine::TableFile::open(child.toStdString());
        testsupport::ValidityImage val(table->data().header);
        val.checks = {
            {1, false, "parent.db", 2, {}, {}, {}, {}},
            {2, true, "", 0, {}, {}, {}, {}},
            {3, false, "", 0, Value::fromInt(1), Value::fromInt(99), Value::fromInt(5), {}},
            {4, false, "", 0, {}, {}, {}, "{Big,Small}"}};
        val.references = {{"kids", "parent.db", true, {2}, {1}}};
        writeBytes(dir + "/CHILD.VAL", val.bytes());
    }
    {
        const auto table = engine::TableFile::open(parent.toStdString());
        testsupport::ValidityImage val(table->data().header);
        val.dependents = {{"kids", "CHILD.DB", true, {2}, {1}}};
        writeBytes(dir + "/PARENT.VAL", val.bytes());
    }
    {
        const auto table = engine::TableFile::open(old.toStdString());
        testsupport::ValidityImage val(table->data().header);
        val.checks = {{1, false, "", 0, Value::fromInt(1), {}, {}, {}},
                      {2, true, "", 0, {}, {}, {}, {}}};
        writeBytes(dir + "/OLD.VAL", val.bytes());
    }
    return {child, parent, old};
}

// The corpus tables of one source folder: names are unique inside a source, not
// across them, and an export replaces a table of the same name.
QMap<QString, QStringList> corpusTablesBySource() {
    QMap<QString, QStringList> tables;
    QDirIterator it(kCorpus, {QStringLiteral("*.db"), QStringLiteral("*.DB")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (!path.contains(QLatin1String("/reference/")))
            tables[QDir(kCorpus).relativeFilePath(path).section('/', 0, 0)].append(path);
    }
    return tables;
}

QString sqlName(const QString& path) {
    return QFileInfo(path).completeBaseName();
}

// korvanta-cli run in `dir` with a last argument given as bytes that need not be
// UTF-8 (QProcess passes text): `printfBytes` spells them with printf's \0NNN.
Run cliWithRawName(const QString& dir, const QStringList& args, const QString& printfBytes) {
    QProcess p;
    p.setWorkingDirectory(dir);
    p.start(QStringLiteral("sh"),
            QStringList{"-c", "last=$(printf %b \"$1\"); shift; exec \"$@\" \"$last\"", "sh",
                        printfBytes, QStringLiteral(KV_CLI_PATH)} +
                args);
    p.waitForFinished(120000);
    return {p.exitCode(), p.readAllStandardOutput(), p.readAllStandardError()};
}

// A PostgreSQL server of Debian's package in a folder of the test, reached through a
// Unix socket there only. As root it runs as the postgres user, which it requires.
class Postgres {
public:
    bool start(const QString& dir, QString& why) {
        const QStringList versions = QDir(QStringLiteral("/usr/lib/postgresql"))
                                         .entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        if (versions.isEmpty()) {
            why =
                QStringLiteral("no PostgreSQL server in /usr/lib/postgresql (package postgresql)");
            return false;
        }
        m_bin = QStringLiteral("/usr/lib/postgresql/") + versions.last() + QStringLiteral("/bin/");
        m_dir = dir;
        m_port = QString::number(20000 + getpid() % 20000);
        if (geteuid() == 0 && !run({QStringLiteral("chown"), QStringLiteral("postgres"), dir})) {
            why = QStringLiteral("cannot give the folder to the postgres user");
            return false;
        }
        const QString data = dir + QStringLiteral("/data");
        if (!server({m_bin + "initdb", "-D", data, "-A", "trust", "-U", "postgres", "--no-sync",
                     "-E", "UTF8", "--locale=C"}) ||
            !server({m_bin + "pg_ctl", "-D", data, "-w", "-l", dir + "/log", "-o",
                     "-p " + m_port + " -k " + dir + " -c listen_addresses='' -c fsync=off",
                     "start"})) {
            why = QStringLiteral("the server did not start: ") + m_lastError;
            return false;
        }
        m_started = true;
        return true;
    }
    ~Postgres() {
        if (m_started)
            server({m_bin + "pg_ctl", "-D", m_dir + "/data", "-m", "immediate", "stop"});
    }
    // psql on a script or a command; false with psql's message on the first error.
    // Without stopOnError, psql goes on after a failed statement unless the script
    // itself says otherwise.
    bool psql(const QStringList& what, QByteArray& out, bool stopOnError = true) {
        QProcess p;
        const QStringList stop{"-v", "ON_ERROR_STOP=1"};
        p.start(m_bin + "psql",
                QStringList{"-X", "-q", "-tA"} + (stopOnError ? stop : QStringList{}) +
                    QStringList{"-h", m_dir, "-p", m_port, "-U", "postgres", "-d", "postgres"} +
                    what);
        p.waitForFinished(120000);
        out = p.readAllStandardOutput() + p.readAllStandardError();
        return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    }

private:
    bool run(const QStringList& command) {
        QProcess p;
        p.start(command.first(), command.mid(1));
        p.waitForFinished(120000);
        m_lastError = QString::fromUtf8(p.readAllStandardError());
        return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    }
    bool server(const QStringList& command) {
        if (geteuid() != 0)
            return run(command);
        return run(QStringList{"runuser", "-u", "postgres", "--"} + command);
    }

    QString m_bin, m_dir, m_port, m_lastError;
    bool m_started = false;
};

// Values made to leave a COPY block and be read as SQL, or to end it early.
const std::vector<std::string> kHostileValues = {
    "a; COMMIT; CREATE TABLE pwned(x int); --",
    "\\.",
    "x\n\\.\nCREATE TABLE pwned(x int);",
    "back\\slash \\N \\\\",
    "tab\there\r\nCR LF\r",
    "\xc3\xa9t\xc3\xa9 \x1b[2J\x07 \xc2\x81",
};

// Names that need quoting, doubled quotes and escapes to stay one name.
const std::vector<engine::FieldDef> kHostileFields = {
    {"Id", FieldType::Long},
    {"say \"hi\"; --", FieldType::Alpha, 120},
    {"back\\slash", FieldType::Memo, 10},
    {"new\nline", FieldType::Alpha, 10},
    {"esc\x1b[31m\x07\xc2\x81", FieldType::Short},
};

std::vector<engine::Row> hostileRows() {
    std::vector<engine::Row> rows;
    for (size_t i = 0; i < kHostileValues.size(); ++i)
        rows.push_back({Value::fromInt(int64_t(i) + 1), Value::fromText(kHostileValues[i]),
                        Value::fromText(kHostileValues[i]),
                        i % 2 ? Value::null() : Value::fromText("\xc3\xa9"),
                        Value::fromInt(int64_t(i))});
    return rows;
}

// The rows as PostgreSQL's json_agg gives them back, in Id order.
QJsonArray hostileRowsAsJson() {
    QJsonArray rows;
    for (const engine::Row& row : hostileRows()) {
        QJsonObject o;
        for (size_t i = 0; i < row.size(); ++i) {
            const QString name = QString::fromStdString(kHostileFields[i].name);
            if (row[i].isNull())
                o[name] = QJsonValue::Null;
            else if (row[i].kind == Value::Kind::Integer)
                o[name] = double(row[i].integer);
            else
                o[name] = QString::fromStdString(row[i].text);
        }
        rows.append(o);
    }
    return rows;
}

// Every table and view outside PostgreSQL's own schemas, as "name:kind".
QByteArray userRelations(Postgres& pg) {
    QByteArray out;
    pg.psql({"-c", "SELECT string_agg(c.relname || ':' || c.relkind::text, ',' ORDER BY c.relname) "
                   "FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace WHERE "
                   "n.nspname NOT IN ('pg_catalog', 'information_schema') AND n.nspname NOT "
                   "LIKE 'pg_toast%' AND c.relkind IN ('r', 'v', 'm', 'p', 'f')"},
            out);
    return out.trimmed();
}

// A table of one Long field N holding 1..rows, through the engine.
void writeCounted(const QString& file, int rows,
                  const std::vector<engine::FieldDef>& fields = {{"N", FieldType::Long}}) {
    QDir().mkpath(QFileInfo(file).path());
    std::vector<engine::Row> values;
    for (int i = 1; i <= rows; ++i) {
        engine::Row row(fields.size(), Value::null());
        row[0] = Value::fromInt(i);
        values.push_back(row);
    }
    enginetables::writeTable(file.toStdString(), fields, {}, values);
}

// The name each table was given in the target: the one reported as "FILE -> NAME",
// else its file's.
QString targetNameOf(const Run& r, const QString& table) {
    for (const QByteArray& line : r.err.split('\n'))
        if (line.startsWith(table.toUtf8() + " -> "))
            return QString::fromUtf8(line.mid(table.toUtf8().size() + 4));
    return sqlName(table);
}

// A CSV file as python3's csv module reads it: its lines of fields. Empty when
// python3 is missing or refuses the file.
QJsonArray csvByPython(const QString& file) {
    QProcess p;
    p.start(QStringLiteral("python3"),
            {"-c",
             "import csv, json, sys\n"
             "with open(sys.argv[1], newline='', encoding='utf-8') as f:\n"
             "    print(json.dumps(list(csv.reader(f, strict=True))))\n",
             file});
    p.waitForFinished(60000);
    return QJsonDocument::fromJson(p.readAllStandardOutput()).array();
}

// A value of rows --json as the CSV file must spell it; numbers compared as doubles.
QByteArray csvSpelling(const QJsonValue& v) {
    if (v.isNull())
        return "";
    if (v.isBool())
        return v.toBool() ? "true" : "false";
    if (v.isDouble())
        return number(v.toDouble());
    return v.toString().toUtf8();
}

} // namespace

class TestSqlExport : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_every; // every field type, three rows, primary and secondary indexes
    std::unique_ptr<QTemporaryDir> m_pgDir;
    std::unique_ptr<Postgres> m_pg;
    QString m_pgMissing;

    // One server for the tests below that need one, started on first use; each of
    // them starts from an empty public schema. Null when there is no server.
    Postgres* freshPostgres() {
        if (!m_pg && m_pgMissing.isEmpty()) {
            m_pgDir = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/kv-pg-XXXXXX");
            auto pg = std::make_unique<Postgres>();
            if (pg->start(m_pgDir->path(), m_pgMissing))
                m_pg = std::move(pg);
        }
        QByteArray out;
        if (m_pg && !m_pg->psql({"-c", "DROP SCHEMA public CASCADE; CREATE SCHEMA public;"}, out))
            return nullptr;
        return m_pg.get();
    }

    // One number asked of the target: the SQLite database `file`, or the server.
    static int scalarIn(Postgres* pg, const QString& file, const QByteArray& sql) {
        if (!pg)
            return Sqlite(file).scalar(sql.constData());
        QByteArray out;
        // The server's notices (a name cut to 63 bytes) follow the answer.
        return pg->psql({"-c", QString::fromUtf8(sql)}, out) ? out.split('\n').first().toInt() : -1;
    }
    static int rowsIn(Postgres* pg, const QString& file, const QString& table) {
        return scalarIn(pg, file, "SELECT count(*) FROM \"" + table.toUtf8() + "\"");
    }
    static int tablesIn(Postgres* pg, const QString& file) {
        return scalarIn(pg, file,
                        pg ? "SELECT count(*) FROM pg_tables WHERE schemaname='public'"
                           : "SELECT count(*) FROM sqlite_master WHERE type='table'");
    }
    // Loads a script: into the server, or into a new SQLite database `file`.
    static QByteArray load(Postgres* pg, const QString& file, const QByteArray& script) {
        if (!pg)
            return Sqlite(file, true).exec(script).toUtf8();
        const QString path = file + QStringLiteral(".load.sql");
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(script);
        f.close();
        QByteArray out;
        return pg->psql({"-f", path}, out) ? QByteArray() : out;
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        engine::initialise();
        using namespace testsupport::seeds;
        tableimage::writeFamily(
            m_dir.path().toStdString(), "EVERY",
            everyType(true, {{"ByName", {1}, 0x01, true}, {"Mix", {2, 1}, 0x21, true}}, "x")
                .family);
        m_every = m_dir.filePath(QStringLiteral("EVERY.DB"));
    }

    void everyTypeReadsBackFromSqlite() {
        const QString out = m_dir.filePath(QStringLiteral("every.sqlite"));
        Run r = cli({"export", "--sqlite", out, m_every});
        QCOMPARE(r.status, 0);
        Sqlite db(out);
        QCOMPARE(db.digestOf("EVERY"), digestOfRows(m_every));
        // Formatted memos are bytes, BCD keeps its exact decimal text.
        QCOMPARE(db.declaredType("EVERY", "Rich"), QByteArray("BLOB"));
        QCOMPARE(db.declaredType("EVERY", "Amount"), QByteArray("TEXT"));
        QVERIFY(db.exec("INSERT INTO EVERY (Id) VALUES (1)").contains("UNIQUE"));
        // The case-insensitive secondary index came along.
        QCOMPARE(db.scalar("SELECT count(*) FROM sqlite_master WHERE name='EVERY_ByName' AND "
                           "sql LIKE '%COLLATE NOCASE%'"),
                 1);
        // A second export, asked to, replaces the table instead of adding its rows again.
        QCOMPARE(cli({"export", "--sqlite", out, "--replace", m_every}).status, 0);
        QCOMPARE(Sqlite(out).digestOf("EVERY"), digestOfRows(m_every));
    }

    void refusedTableIsNamedAndOthersGo() {
        const QString broken = m_dir.filePath(QStringLiteral("BROKEN.DB"));
        QFile f(broken);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(300, 'x'));
        f.close();
        const QString out = m_dir.filePath(QStringLiteral("partial.sqlite"));
        Run r = cli({"export", "--sqlite", out, broken, m_every});
        QCOMPARE(r.status, 1);
        QVERIFY(r.err.contains("BROKEN.DB"));
        QCOMPARE(Sqlite(out).digestOf("EVERY").rows, 3);
        // A file that is no database is named, and left as it was.
        QCOMPARE(cli({"export", "--sqlite", broken, m_every}).status, 1);
        QCOMPARE(QFileInfo(broken).size(), 300);
        QCOMPARE(cli({"export", m_every}).status, 2);
        QCOMPARE(cli({"export", "--sqlite", out, "--code-page", "x", m_every}).status, 2);
    }

    void corpusExportMatchesRows() {
        if (!QDir(kCorpus).exists())
            QSKIP("the shared corpus is absent (" KV_SHARED_DIR "/corpus): nothing to export");
        const auto sources = corpusTablesBySource();
        int compared = 0;
        for (auto it = sources.begin(); it != sources.end(); ++it) {
            const QString out = m_dir.filePath(it.key() + QStringLiteral(".sqlite"));
            Run r = cli(QStringList{"export", "--sqlite", out} + it.value());
            Sqlite db(out);
            for (const QString& table : it.value()) {
                const Digest expected = digestOfRows(table);
                if (expected.rows < 0) { // rows refuses it (encrypted, .MB missing)
                    QVERIFY2(r.status == 1 && r.err.contains(table.toUtf8()), qPrintable(table));
                    continue;
                }
                QVERIFY2(db.digestOf(sqlName(table)) == expected, qPrintable(table));
                ++compared;
            }
        }
        QVERIFY(compared >= 50);
    }

    void codePageNamedByTheUser() {
        const QString note = kCorpus + QStringLiteral("/paradoxdriver/db/NOTE1251.DB");
        if (!QFile::exists(note))
            QSKIP("the shared corpus is absent: no table with a wrong code page");
        QVERIFY(cli({"info", note}).out.contains("do not decode cleanly in code page 936"));
        Run fixed = cli({"info", "--json", "--code-page", "1251", note});
        QVERIFY(fixed.out.contains("\"textCodePage\":1251,\"textClean\":true"));
        Run rows = cli({"rows", "--json", "--code-page", "1251", note});
        QVERIFY(QString::fromUtf8(rows.out).contains(QStringLiteral("Удивительное устройство")));
        const QString out = m_dir.filePath(QStringLiteral("note.sqlite"));
        QCOMPARE(cli({"export", "--code-page", "1251", "--sqlite", out, note}).status, 0);
        QCOMPARE(Sqlite(out).digestOf("NOTE1251"), digestOfRows(note, {"--code-page", "1251"}));
    }

    // A table named in Latin-1 bytes, with names and values made to break out of
    // their quotes or of the COPY block: the script is UTF-8 without a raw control
    // character, loads with or without psql's ON_ERROR_STOP on the command line, makes
    // that table alone and gives every value back exactly. A script that fails part
    // way leaves no table of its own behind.
    void hostileNamesAndValuesStayData() {
        const QString dir = m_dir.filePath(QStringLiteral("hostile"));
        QVERIFY(QDir().mkpath(dir));
        // QTemporaryDir cannot remove a name that is not UTF-8.
        const std::unique_ptr<const QString, void (*)(const QString*)> removal(
            &dir, [](const QString* d) { std::filesystem::remove_all(d->toStdString()); });
        enginetables::writeTable(dir.toStdString() + "/x\xe9.db", kHostileFields,
                                 {{"", {"Id"}, engine::ixPrimary},
                                  {"By\"quote", {"new\nline"}, engine::ixCaseInsensitive}},
                                 hostileRows());
        const QString latinName = QStringLiteral("x\\0351.db");
        const QByteArray tableName = "x\xc3\xa9"; // 0xE9 read as Windows-1252

        Run pgDdl = cliWithRawName(dir, {"ddl", "--dialect", "postgresql"}, latinName);
        QCOMPARE(pgDdl.status, 0);
        QVERIFY(isUtf8(pgDdl.out));
        QCOMPARE(rawControls(pgDdl.out), QByteArray());
        QVERIFY(pgDdl.out.contains("CREATE TABLE \"" + tableName + "\" ("));
        Run liteDdl = cliWithRawName(dir, {"ddl", "--dialect", "sqlite"}, latinName);
        QCOMPARE(liteDdl.status, 1);
        QVERIFY2(liteDdl.err.contains("contient un caractère de contrôle"), liteDdl.err);
        QCOMPARE(rawControls(liteDdl.err), QByteArray());

        QTemporaryDir pgDir(QDir::tempPath() + QStringLiteral("/kv-pg-XXXXXX"));
        const QString script = pgDir.filePath(QStringLiteral("hostile.sql"));
        // Its C1 controls are bytes undefined in the table's page: told, status 1, all written.
        QCOMPARE(
            cliWithRawName(dir, {"export", "--postgresql", script, "--replace"}, latinName).status,
            1);
        QFile f(script);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray text = f.readAll();
        QVERIFY(isUtf8(text));
        QCOMPARE(rawControls(text), QByteArray());
        QVERIFY(text.startsWith("\\set ON_ERROR_STOP on\n"));

        Postgres pg;
        QString why;
        if (!pg.start(pgDir.path(), why))
            QSKIP(qPrintable("PostgreSQL not tested: " + why));
        QByteArray out;
        for (bool stopOnError : {false, true}) {
            QVERIFY2(pg.psql({"-f", script}, out, stopOnError), out.constData());
            QCOMPARE(userRelations(pg), tableName + ":r");
            QVERIFY(pg.psql({"-c", "SELECT json_agg(t ORDER BY t.\"Id\") FROM \"" +
                                       QString::fromUtf8(tableName) + "\" t"},
                            out));
            QCOMPARE(QJsonDocument::fromJson(out).array(), hostileRowsAsJson());
        }

        const std::vector<engine::FieldDef> one = {{"N", FieldType::Long}};
        enginetables::writeTable(dir.toStdString() + "/fresh.db", one, {}, {{Value::fromInt(1)}});
        enginetables::writeTable(dir.toStdString() + "/blocked.db", one, {}, {{Value::fromInt(2)}});
        const QString failing = pgDir.filePath(QStringLiteral("failing.sql"));
        QCOMPARE(
            cli({"export", "--postgresql", failing, dir + "/fresh.db", dir + "/blocked.db"}).status,
            0);
        QVERIFY(pg.psql({"-c", "CREATE VIEW blocked AS SELECT 1 AS n"}, out));
        QVERIFY(!pg.psql({"-f", failing}, out, false));
        QVERIFY2(out.contains("blocked"), out.constData());
        QCOMPARE(userRelations(pg), "blocked:v," + tableName + ":r");
    }

    // Tables (and columns) that one target would take for one: the run is refused
    // before anything is written, or the later ones renamed in the order given, with
    // every row present. SQLite ignores letter case; PostgreSQL cuts at 63 bytes (our
    // engine refuses two fields that differ in letter case only).
    void clashingNamesRefusedThenRenamed_data() {
        QTest::addColumn<QString>("dialect");
        QTest::newRow("sqlite") << "sqlite";
        QTest::newRow("postgresql") << "postgresql";
    }
    void clashingNamesRefusedThenRenamed() {
        QFETCH(QString, dialect);
        Postgres* pg = dialect == "postgresql" ? freshPostgres() : nullptr;
        if (dialect == "postgresql" && !pg)
            QSKIP(qPrintable("PostgreSQL not tested: " + m_pgMissing));
        const QString dir = m_dir.filePath("clash-" + dialect);
        const QString e32(32, QChar(0xE9)); // 64 bytes: cut inside the 32nd letter
        const QStringList tables = {dir + "/A/Prets.DB",        dir + "/B/Prets.db",
                                    dir + "/C/PRETS.DB",        dir + "/L/" + e32 + "a.db",
                                    dir + "/L/" + e32 + "b.db", dir + "/Cols.db"};
        for (int i = 0; i + 1 < tables.size(); ++i)
            writeCounted(tables[i], i + 1);
        const std::string longName = e32.toStdString();
        writeCounted(tables.last(), 6,
                     {{"N", FieldType::Long},
                      {"Nom", FieldType::Alpha, 5},
                      {longName + "x", FieldType::Short},
                      {longName + "y", FieldType::Short}});
        const QString out = dir + (pg ? "/out.sql" : "/out.sqlite");
        const QStringList exportTo{"export", "--" + dialect, out};
        const QStringList ddl{"ddl", "--dialect", dialect};

        for (const QStringList& command : {exportTo, ddl}) {
            Run refused = cli(command + tables);
            QCOMPARE(refused.status, 1);
            QVERIFY(!QFile::exists(out) && refused.out.isEmpty());
            const QString clashing = pg ? tables[4] : tables[1];
            QVERIFY2(refused.err.contains(clashing.toUtf8()), refused.err);
        }

        Run r = cli(exportTo + QStringList{"--rename-clashes"} + tables);
        QCOMPARE(r.status, 0);
        QVERIFY(r.err.contains(tables[1].toUtf8() + " -> Prets_2\n"));
        QByteArray psqlSaid;
        QVERIFY2(!pg || pg->psql({"-f", out}, psqlSaid), psqlSaid.constData());
        for (int i = 0; i < tables.size(); ++i)
            QVERIFY2(rowsIn(pg, out, targetNameOf(r, tables[i])) == i + 1, qPrintable(tables[i]));
        QCOMPARE(tablesIn(pg, out), int(tables.size()));
        QCOMPARE(scalarIn(pg, out,
                          pg ? "SELECT count(*) FROM information_schema.columns WHERE "
                               "table_name='Cols'"
                             : "SELECT count(*) FROM pragma_table_info('Cols')"),
                 4);

        Run schema = cli(ddl + QStringList{"--rename-clashes"} + tables);
        QCOMPARE(schema.status, 0);
        pg = pg ? freshPostgres() : nullptr;
        const QString loaded = dir + "/ddl.sqlite";
        QCOMPARE(load(pg, loaded, schema.out), QByteArray());
        QCOMPARE(tablesIn(pg, loaded), int(tables.size()));
    }

    // A table the user already has in the target: without --replace, SQLite refuses
    // the whole run before writing and the script stops at CREATE TABLE, his rows
    // kept; with it, the table holds the exported rows and his other tables stay.
    void usersTableKeptUnlessReplaced_data() {
        QTest::addColumn<QString>("dialect");
        QTest::newRow("sqlite") << "sqlite";
        QTest::newRow("postgresql") << "postgresql";
    }
    void usersTableKeptUnlessReplaced() {
        QFETCH(QString, dialect);
        Postgres* pg = dialect == "postgresql" ? freshPostgres() : nullptr;
        if (dialect == "postgresql" && !pg)
            QSKIP(qPrintable("PostgreSQL not tested: " + m_pgMissing));
        const QString dir = m_dir.filePath("mine-" + dialect);
        const QStringList tables = {dir + "/Fresh.db", dir + "/Prets.db"};
        writeCounted(tables[0], 2);
        writeCounted(tables[1], 3);
        const QString db = dir + "/mine.sqlite";
        // SQLite takes prets for Prets; PostgreSQL only "Prets".
        const QByteArray prets = pg ? "\"Prets\"" : "prets";
        const QByteArray users = "CREATE TABLE " + prets + " (n int); INSERT INTO " + prets +
                                 " VALUES (7); CREATE TABLE keep (n int); INSERT INTO keep "
                                 "VALUES (8);";
        QCOMPARE(load(pg, db, users), QByteArray());
        auto exportRun = [&](const QStringList& options) {
            const QString out = pg ? dir + "/out.sql" : db;
            Run r = cli(QStringList{"export", "--" + dialect, out} + options + tables);
            QByteArray said;
            if (pg && r.status == 0 && !pg->psql({"-f", out}, said))
                return Run{1, r.out, said};
            return r;
        };
        Run kept = exportRun({});
        QCOMPARE(kept.status, 1);
        QVERIFY2(kept.err.contains(pg ? "\"Prets\" already exists"
                                      : "Prets.db: la base contient "
                                        "déjà la table « prets »"),
                 kept.err);
        QCOMPARE(scalarIn(pg, db, "SELECT sum(n) FROM " + prets), 7);
        QCOMPARE(tablesIn(pg, db), 2); // Fresh, before Prets, was not kept either

        QCOMPARE(exportRun({"--replace"}).status, 0);
        QCOMPARE(rowsIn(pg, db, "Prets"), 3);
        QCOMPARE(rowsIn(pg, db, "Fresh"), 2);
        QCOMPARE(scalarIn(pg, db, "SELECT sum(n) FROM keep"), 8);
    }

    // Fields named after every keyword of both engines (SQLite's from its library,
    // PostgreSQL's from the server), in tables named after keywords, with a primary
    // and a secondary index: the export loads into both and gives every value back.
    void everyKeywordIsAName() {
        QStringList words;
        for (int i = 0; i < sqlite3_keyword_count(); ++i) {
            const char* word = nullptr;
            int size = 0;
            sqlite3_keyword_name(i, &word, &size);
            words += QString::fromLatin1(word, size).toLower();
        }
        Postgres* pg = freshPostgres();
        QByteArray said;
        if (pg && pg->psql({"-c", "SELECT string_agg(word, ',') FROM pg_get_keywords()"}, said))
            words += QString::fromUtf8(said.trimmed()).split(',');
        words.removeDuplicates();
        QVERIFY(words.size() > (pg ? 400 : 140));

        const QString dir = m_dir.filePath(QStringLiteral("keywords"));
        const QStringList names = {"select", "table", "order", "group", "where"};
        QStringList tables;
        constexpr qsizetype kFieldsPerTable = 150;
        for (qsizetype from = 0; from < words.size(); from += kFieldsPerTable) {
            std::vector<engine::FieldDef> fields;
            engine::Row row;
            for (const QString& word : words.mid(from, kFieldsPerTable)) {
                fields.push_back({word.toStdString(), FieldType::Long});
                row.push_back(Value::fromInt(fields.size()));
            }
            tables += dir + '/' + names[tables.size()] + ".db";
            QDir().mkpath(dir);
            enginetables::writeTable(
                tables.last().toStdString(), fields,
                {{"", {fields[0].name}, engine::ixPrimary}, {fields[1].name, {fields[1].name}, 0}},
                {row});
        }

        const QString lite = dir + "/keywords.sqlite";
        Run r = cli(QStringList{"export", "--sqlite", lite} + tables);
        QVERIFY2(r.status == 0, r.err);
        for (const QString& table : tables)
            QCOMPARE(Sqlite(lite).digestOf(sqlName(table)), digestOfRows(table));
        if (!pg)
            QSKIP(qPrintable("PostgreSQL not tested: " + m_pgMissing));
        const QString script = dir + "/keywords.sql";
        QCOMPARE(cli(QStringList{"export", "--postgresql", script} + tables).status, 0);
        QVERIFY2(pg->psql({"-f", script}, said), said.constData());
        for (const QString& table : tables)
            QCOMPARE(rowsIn(pg, script, sqlName(table)), 1);
        QCOMPARE(scalarIn(pg, script,
                          "SELECT count(*) FROM information_schema.columns WHERE "
                          "table_schema='public'"),
                 int(words.size()));
    }

    // The identity column continues from the table's own counter, even when the rows
    // that took its last numbers were deleted since.
    void countersContinue_data() {
        QTest::addColumn<int>("numbered");
        QTest::addColumn<int>("deletedAtEnd");
        QTest::newRow("last rows deleted") << 5 << 2;
        QTest::newRow("every row kept") << 3 << 0;
        QTest::newRow("every row deleted") << 4 << 4;
        QTest::newRow("never numbered") << 0 << 0;
    }
    void countersContinue() {
        QFETCH(int, numbered);
        QFETCH(int, deletedAtEnd);
        Postgres* pg = freshPostgres();
        if (!pg)
            QSKIP(qPrintable("PostgreSQL not tested: " + m_pgMissing));
        const QString dir = m_dir.filePath(QStringLiteral("counters"));
        QDir().mkpath(dir);
        const QString file = dir + "/Counted.db";
        enginetables::writeTable(file.toStdString(),
                                 {{"Id", FieldType::AutoInc}, {"Name", FieldType::Alpha, 10}},
                                 {{"", {"Id"}, engine::ixPrimary}}, {});
        {
            auto table = engine::TableFile::open(file.toStdString());
            engine::Cursor cursor(table);
            for (int i = 0; i < numbered; ++i)
                cursor.insert({Value::null(), Value::fromText("old")});
            for (int i = 0; i < deletedAtEnd && cursor.last(); ++i)
                cursor.remove();
            table->flush();
        }
        const QString script = dir + "/counted.sql";
        QCOMPARE(cli({"export", "--postgresql", script, file}).status, 0);
        QByteArray said;
        QVERIFY2(pg->psql({"-f", script}, said), said.constData());
        QCOMPARE(scalarIn(pg, script,
                          "INSERT INTO \"Counted\" (\"Name\") VALUES ('new') "
                          "RETURNING \"Id\""),
                 numbered + 1);
    }

    // The rules of NAME.VAL files (built by hand, and the corpus's parent/child pairs
    // when present) go into SQLite and PostgreSQL with ddl and with export, child
    // tables given before their parents; the target then refuses a child without its
    // parent, a NULL in a required field, a value out of range, a text off its
    // picture. OLD's rows break two rules: exported whole, the rules reported and
    // left NOT VALID (PostgreSQL) or as comments (SQLite).
    void validityRulesCarried_data() {
        QTest::addColumn<QString>("dialect");
        QTest::addColumn<QString>("command");
        for (const char* dialect : {"sqlite", "postgresql"})
            for (const char* command : {"ddl", "export"})
                QTest::newRow(qPrintable(QString("%1 %2").arg(command, dialect)))
                    << dialect << command;
    }
    void validityRulesCarried() {
        QFETCH(QString, dialect);
        QFETCH(QString, command);
        Postgres* pg = dialect == "postgresql" ? freshPostgres() : nullptr;
        if (dialect == "postgresql" && !pg)
            QSKIP(qPrintable("PostgreSQL not tested: " + m_pgMissing));
        const QString dir = m_dir.filePath("rules-" + dialect + command);
        QDir().mkpath(dir);
        QStringList tables = writeRuleTables(dir);
        const QString pair = kCorpus + "/dpa-electro_store_system/tables/";
        if (QDir(pair).exists())
            tables << pair + "Categorias.DB" << pair + "Familias.db"
                   << kCorpus + "/paradoxdriver/joins/fk1.db"
                   << kCorpus + "/paradoxdriver/joins/primary.db";
        const QString db = dir + "/out.sqlite", script = dir + "/out.sql";
        Run r = command == "ddl" ? cli(QStringList{"ddl", "--dialect", dialect} + tables)
                : pg             ? cli(QStringList{"export", "--postgresql", script} + tables)
                                 : cli(QStringList{"export", "--sqlite", db} + tables);
        QVERIFY2(r.status == 0, r.err);
        if (command == "ddl") {
            QVERIFY(r.out.indexOf("\"CHILD\"") > r.out.indexOf("\"PARENT\""));
            const QByteArray said = load(pg, db, r.out);
            QVERIFY2(said.isEmpty(), said);
        } else if (pg) {
            QByteArray said;
            QVERIFY2(pg->psql({"-f", script}, said), said);
        }
        auto refused = [&](const QString& sql) {
            if (!pg)
                return !Sqlite(db).exec("PRAGMA foreign_keys = ON; " + sql.toUtf8()).isEmpty();
            QByteArray out;
            return !pg->psql({"-c", sql}, out);
        };
        if (command == "ddl")
            QVERIFY(!refused(R"(INSERT INTO "PARENT" VALUES (1, 'one'), (2, 'two'))"));
        const QString child = R"(INSERT INTO "CHILD" ("ParentId", "Note", "Qty", "Kind") VALUES )";
        QVERIFY(!refused(child + "(2, 'n', 7, 'Big')"));
        QVERIFY(refused(child + "(99, 'n', 7, 'Big')"));
        QVERIFY(refused(child + "(2, NULL, 7, 'Big')"));
        QVERIFY(refused(child + "(2, 'n', 100, 'Big')"));
        QVERIFY(refused(child + "(2, 'n', 0, 'Small')"));
        QCOMPARE(pg != nullptr, refused(child + "(2, 'n', 7, 'Huge')"));
        QVERIFY(
            !refused(R"(INSERT INTO "CHILD" ("ParentId", "Note", "Kind") VALUES (2, 'd', 'Big'))"));
        QCOMPARE(scalarIn(pg, db, R"(SELECT "Qty" FROM "CHILD" WHERE "Note" = 'd')"), 5);
        if (QDir(pair).exists())
            QVERIFY(refused(R"(INSERT INTO "Categorias" VALUES ('ZZZ', 'ZZZ', 'none'))"));
        if (pg) { // the link's update rule
            QVERIFY(!refused(R"(UPDATE "PARENT" SET "Id" = 20 WHERE "Id" = 2)"));
            QCOMPARE(scalarIn(pg, db, R"(SELECT count(*) FROM "CHILD" WHERE "ParentId" = 20)"),
                     command == "ddl" ? 2 : 3);
        }
        if (command == "ddl")
            return;
        QCOMPARE(rowsIn(pg, db, "OLD"), 3);
        for (const char* rule : {"OLD_Qty_min", "OLD_Code_required"})
            QVERIFY2(r.err.contains(QString("« %1 » (lignes 1, 3)").arg(rule).toUtf8()), r.err);
        if (pg)
            QCOMPARE(scalarIn(pg, db,
                              "SELECT count(*) FROM pg_constraint WHERE NOT convalidated AND "
                              "conname IN ('OLD_Qty_min', 'OLD_Code_required')"),
                     2);
        else
            QVERIFY(Sqlite(db)
                        .text("SELECT sql FROM sqlite_master WHERE name = 'OLD'")
                        .contains("-- OLD_Qty_min : Qty >= 1 (2 lignes ne la respectent pas)"));
        QVERIFY(!refused(R"(INSERT INTO "OLD" VALUES (9, 0, 'x'))") == !pg);
    }

    // info --json gives the checks and links in the shape other tools rely on, from
    // both sides of the link; doc lists them, the parent and the child linked to
    // each other's section.
    void rulesShownByInfoAndDoc() {
        const QString dir = m_dir.filePath("rules-shown");
        QDir().mkpath(dir);
        const QStringList tables = writeRuleTables(dir);
        Run info = cli({"info", "--json", tables[0], tables[1]});
        QCOMPARE(info.status, 0);
        const QJsonObject child = QJsonDocument::fromJson(info.out.split('\n')[0]).object();
        const QJsonObject parent = QJsonDocument::fromJson(info.out.split('\n')[1]).object();
        const QJsonArray fields = child["fields"].toArray();
        auto checks = [&](int at) {
            return QJsonDocument(fields[at].toObject()["checks"].toObject())
                .toJson(QJsonDocument::Compact);
        };
        QCOMPARE(checks(0), QByteArray("{}"));
        QCOMPARE(checks(1), QByteArray(R"({"lookup":{"field":"Id","fill":"current-field",)"
                                       R"("help":true,"table":"parent.db"}})"));
        QCOMPARE(checks(2), QByteArray(R"({"required":true})"));
        QCOMPARE(checks(3), QByteArray(R"({"default":5,"max":99,"min":1})"));
        QCOMPARE(checks(4), QByteArray(R"({"picture":"{Big,Small}"})"));
        const QByteArray link =
            R"([{"fields":["ParentId"],"name":"kids","onDelete":"restrict",)"
            R"("onUpdate":"cascade","table":"parent.db","tableFields":["Id"]}])";
        QCOMPARE(QJsonDocument(child["references"].toArray()).toJson(QJsonDocument::Compact), link);
        QCOMPARE(
            QJsonDocument(parent["referencedBy"].toArray()).toJson(QJsonDocument::Compact),
            QByteArray(R"([{"fields":["Id"],"name":"kids","onDelete":"restrict",)"
                       R"("onUpdate":"cascade","table":"CHILD.DB","tableFields":["ParentId"]}])"));

        const QString dict = dir + "/DICT.DB", md = dir + "/dict.md";
        QCOMPARE(cli(QStringList{"capture", "--create", dict} + tables).status, 0);
        QCOMPARE(cli({"doc", dict, "-o", md}).status, 0);
        QFile f(md);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray doc = f.readAll();
        QVERIFY2(doc.contains("| 4 | Qty | SmallInt |  |  | min 1; max 99; default 5 |"), doc);
        QVERIFY2(doc.contains("- references kids: (ParentId) -\\> [parent.db](#table-"), doc);
        QVERIFY(doc.contains("- referenced by kids: (Id) \\<- [CHILD.DB](#table-"));
    }

    // --schema-only makes the tables without their rows; --data-only then adds the
    // rows to them, every value back; rows only into a table that is not there are
    // refused before anything is written (SQLite) or stop the script (PostgreSQL).
    void schemaThenRowsIntoIt_data() {
        QTest::addColumn<QString>("dialect");
        QTest::newRow("sqlite") << "sqlite";
        QTest::newRow("postgresql") << "postgresql";
    }
    void schemaThenRowsIntoIt() {
        QFETCH(QString, dialect);
        Postgres* pg = dialect == "postgresql" ? freshPostgres() : nullptr;
        if (dialect == "postgresql" && !pg)
            QSKIP(qPrintable("PostgreSQL not tested: " + m_pgMissing));
        const QString dir = m_dir.filePath("split-" + dialect);
        const QString extra = dir + "/Extra.db";
        writeCounted(extra, 4);
        const QString db = dir + "/split.sqlite";
        auto exportRun = [&](const QString& part) {
            const QString out = pg ? dir + "/out.sql" : db;
            Run r = cli({"export", "--" + dialect, out, part, m_every, extra});
            QByteArray said;
            if (pg && r.status == 0 && !pg->psql({"-f", out}, said))
                return Run{1, r.out, said};
            return r;
        };
        Run missing = exportRun("--data-only");
        QCOMPARE(missing.status, 1);
        QVERIFY2(missing.err.contains(pg ? "\"EVERY\" does not exist" : "unable to open"),
                 missing.err);
        QVERIFY(pg || !QFile::exists(db));

        QCOMPARE(exportRun("--schema-only").status, 0);
        QCOMPARE(tablesIn(pg, db), 2);
        QCOMPARE(rowsIn(pg, db, "EVERY") + rowsIn(pg, db, "Extra"), 0);
        QCOMPARE(cli({"export", "--" + dialect, db, "--data-only", "--replace", extra}).status, 2);

        QCOMPARE(exportRun("--data-only").status, 0);
        QCOMPARE(rowsIn(pg, db, "Extra"), 4);
        if (pg)
            QCOMPARE(rowsIn(pg, db, "EVERY"), 3);
        else
            QCOMPARE(Sqlite(db).digestOf("EVERY"), digestOfRows(m_every));
    }

    // CSV files read back by python3's csv module give every value of rows --json,
    // quotes, commas, line breaks and UTF-8 included; a file already there is only
    // replaced when asked.
    void csvReadBackByPython() {
        const QString dir = m_dir.filePath(QStringLiteral("csv"));
        const QString hostile = dir + "/Hostile.db";
        QDir().mkpath(dir);
        enginetables::writeTable(hostile.toStdString(), kHostileFields, {}, hostileRows());
        const QString out = dir + "/out";
        Run r = cli({"export", "--csv", out, m_every, hostile});
        QVERIFY2(r.status == 0, r.err);
        if (csvByPython(out + "/EVERY.csv").isEmpty())
            QSKIP("python3 cannot read the CSV files (missing?)");
        for (const QString& table : {m_every, hostile}) {
            const QString csvPath = out + '/' + sqlName(table) + ".csv";
            const QJsonArray lines = csvByPython(csvPath);
            const QList<QByteArray> expected = cli({"rows", "--json", table}).lines();
            QCOMPARE(lines.size(), expected.size() + 1);
            const QJsonArray header = lines[0].toArray();
            for (qsizetype row = 0; row < expected.size(); ++row) {
                const QJsonObject values = QJsonDocument::fromJson(expected[row]).object();
                const QJsonArray fields = lines[row + 1].toArray();
                QCOMPARE(fields.size(), header.size());
                for (qsizetype i = 0; i < header.size(); ++i) {
                    const QJsonValue want = values[header[i].toString()];
                    const QByteArray got = fields[i].toString().toUtf8();
                    QCOMPARE(want.isDouble() ? number(got.toDouble()) : got, csvSpelling(want));
                }
            }
            QFile f(csvPath);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QVERIFY(f.readAll().endsWith("\r\n"));
        }
        QCOMPARE(cli({"export", "--csv", out, hostile}).status, 1);
        QCOMPARE(QDir(out).entryList(QDir::Files | QDir::Hidden).size(), 2);
        QCOMPARE(cli({"export", "--csv", out, "--replace", hostile}).status, 0);
        QCOMPARE(QDir(out).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }

    // A dictionary's descriptions go along: COMMENT ON in PostgreSQL, read back
    // exactly; comments in the CREATE TABLE text that SQLite keeps, where a line
    // break cannot end the comment early and let the rest be read as SQL.
    void descriptionsTravelWithTheData() {
        const QString dir = m_dir.filePath(QStringLiteral("described"));
        const QString table = dir + "/Described.db";
        QDir().mkpath(dir);
        enginetables::writeTable(
            table.toStdString(), {{"Id", FieldType::Long}, {"Nom", FieldType::Alpha, 20}},
            {{"", {"Id"}, engine::ixPrimary}},
            {{Value::fromInt(1), Value::fromText("a")}, {Value::fromInt(2), Value::null()}});
        const QString dict = dir + "/DICT.db";
        QCOMPARE(cli({"capture", "--create", dict, table}).status, 0);
        const QString tableText = QStringLiteral("Prêts\nDROP TABLE keep; -- 'x' \"y\"");
        const QString fieldText = QStringLiteral("Nom\r\nCREATE TABLE pwned(x int);");
        enginetables::describe(dict, "Described.db", "", tableText);
        enginetables::describe(dict, "Described.db", "Nom", fieldText);

        const QString lite = dir + "/described.sqlite";
        QCOMPARE(Sqlite(lite, true).exec("CREATE TABLE keep (n int)"), QString());
        QCOMPARE(cli({"export", "--sqlite", lite, "--dictionary", dict, table}).status, 0);
        const QByteArray tableComment = "-- Prêts DROP TABLE keep; -- 'x' \"y\"\n";
        const QByteArray fieldComment = "-- Nom  CREATE TABLE pwned(x int);\n";
        const QByteArray kept =
            Sqlite(lite).text("SELECT sql FROM sqlite_master WHERE name = 'Described'");
        QVERIFY2(kept.contains(tableComment) && kept.contains(fieldComment), kept);
        QCOMPARE(tablesIn(nullptr, lite), 2);
        QCOMPARE(rowsIn(nullptr, lite, "Described"), 2);
        Run ddl = cli({"ddl", "--dialect", "sqlite", "--dictionary", dict, table});
        QVERIFY(ddl.out.contains(tableComment) && ddl.out.contains(fieldComment));

        Postgres* pg = freshPostgres();
        if (!pg)
            QSKIP(qPrintable("PostgreSQL not tested: " + m_pgMissing));
        const QString script = dir + "/described.sql";
        QCOMPARE(cli({"export", "--postgresql", script, "--dictionary", dict, table}).status, 0);
        QByteArray said;
        QVERIFY2(pg->psql({"-f", script}, said), said.constData());
        QVERIFY(pg->psql({"-c", "SELECT encode(convert_to(obj_description('\"Described\"'::"
                                "regclass, 'pg_class') || '|' || col_description('\"Described\"'"
                                "::regclass, 2), 'UTF8'), 'hex')"},
                         said));
        QCOMPARE(QString::fromUtf8(QByteArray::fromHex(said.trimmed())),
                 tableText + '|' + fieldText);
    }

    // From a dictionary alone, an index whose option label may be inherited from the
    // index before it is declared without options: the rows of the table, which it
    // does not keep unique, still load.
    void dictionaryDdlStatesOnlyWhatItKnows() {
        const QString dir = m_dir.filePath(QStringLiteral("labels"));
        const QString table = dir + "/Held.db";
        QDir().mkpath(dir);
        enginetables::writeTable(
            table.toStdString(),
            {{"Id", FieldType::Long},
             {"Nom", FieldType::Alpha, 10},
             {"Code", FieldType::Alpha, 10},
             {"Ref", FieldType::Long}},
            {{"", {"Id"}, engine::ixPrimary},
             {"Nom", {"Nom"}, 0},
             {"Code", {"Code"}, engine::ixCaseInsensitive},
             {"Ref", {"Ref"}, engine::ixUnique}},
            {{Value::fromInt(1), Value::fromText("a"), Value::fromText("x"), Value::fromInt(1)},
             {Value::fromInt(2), Value::fromText("a"), Value::fromText("X"), Value::fromInt(2)}});
        const QString dict = dir + "/DICT.db";
        QCOMPARE(cli({"capture", "--create", dict, table}).status, 0);
        QVERIFY(
            cli({"list", "--json", dict}).out.contains("\"Champ\":\"Nom\",\"Type\":\"ixUnique\""));

        Run ddl = cli({"ddl", "--dialect", "sqlite", dict});
        QCOMPARE(ddl.status, 0);
        QVERIFY2(ddl.out.contains("CREATE INDEX \"Held_Nom\" ON \"Held\" (\"Nom\");") &&
                     ddl.out.contains("CREATE INDEX \"Held_Code\" ON \"Held\" (\"Code\" COLLATE "
                                      "NOCASE);") &&
                     ddl.out.contains("CREATE UNIQUE INDEX \"Held_Ref\""),
                 ddl.out);
        const QString lite = dir + "/held.sqlite";
        QCOMPARE(load(nullptr, lite, ddl.out), QByteArray());
        QCOMPARE(cli({"export", "--sqlite", lite, "--data-only", table}).status, 0);
        QCOMPARE(rowsIn(nullptr, lite, "Held"), 2);
    }

    void dictionaryDdlLoadsInSqliteAndPostgresql() {
        if (!QDir(kCorpus).exists())
            QSKIP("the shared corpus is absent (" KV_SHARED_DIR "/corpus): no dictionary to load");
        QStringList all;
        for (const QStringList& tables : corpusTablesBySource())
            all += tables;
        const QString dict = m_dir.filePath(QStringLiteral("CORPUS.DB"));
        cli(QStringList{"capture", "--create", dict} + all); // duplicates and unreadable refused
        const int recorded = int(cli({"list", "--json", dict}).out.count("\"CT\":true"));
        QVERIFY(recorded >= 45);

        Run lite = cli({"ddl", "--dialect", "sqlite", dict});
        QCOMPARE(lite.status, 0);
        const QString liteFile = m_dir.filePath(QStringLiteral("ddl.sqlite"));
        QFile(liteFile).open(QIODevice::WriteOnly);
        Sqlite db(liteFile);
        QCOMPARE(db.exec(lite.out), QString());
        QCOMPARE(db.scalar("SELECT count(*) FROM sqlite_master WHERE type='table'"), recorded);

        QTemporaryDir pgDir(QDir::tempPath() + QStringLiteral("/kv-pg-XXXXXX"));
        Postgres pg;
        QString why;
        if (!pg.start(pgDir.path(), why))
            QSKIP(qPrintable("PostgreSQL not tested: " + why));
        Run ddl = cli({"ddl", "--dialect", "postgresql", dict});
        QCOMPARE(ddl.status, 0);
        const QString ddlFile = pgDir.filePath(QStringLiteral("ddl.sql"));
        QFile f(ddlFile);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(ddl.out);
        f.close();
        QByteArray out;
        QVERIFY2(pg.psql({"-1", "-f", ddlFile}, out), out.constData());
        QVERIFY(pg.psql({"-c", "SELECT count(*) FROM pg_tables WHERE schemaname='public'"}, out));
        QCOMPARE(out.trimmed().toInt(), recorded);

        // Every corpus table's rows through a COPY script, counted by the server.
        for (const QStringList& tables : corpusTablesBySource()) {
            const QString script = pgDir.filePath(QStringLiteral("rows.sql"));
            cli(QStringList{"export", "--postgresql", script, "--replace"} + tables);
            QVERIFY2(pg.psql({"-f", script}, out), out.constData());
            for (const QString& table : tables) {
                const Digest expected = digestOfRows(table);
                if (expected.rows < 0)
                    continue;
                QVERIFY(pg.psql({"-c", "SELECT count(*) FROM \"" + sqlName(table) + "\""}, out));
                QVERIFY2(out.trimmed().toInt() == expected.rows, qPrintable(table));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestSqlExport)
#include "tst_sqlexport.moc"
