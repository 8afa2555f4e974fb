// NAME.VAL read by the engine: every real file of the shared corpus (both layouts)
// checked against its table, and files built byte by byte for what the corpus lacks
// (a level-7 table with a lookup and a link, a required memo), then made stale and
// damaged. Skips the corpus part with a message when the corpus is absent.

#include "engine/CodePage.h"
#include "engine/TableData.h"
#include "engine/TableDefinition.h"
#include "engine/TableFile.h"
#include "engine/ValidityFile.h"
#include "tests/support/ValidityImage.h"

#include <QDirIterator>
#include <QTemporaryDir>
#include <QtTest>

#include <fstream>

using engine::FieldType;
using engine::Value;

namespace {

const QString kCorpus = QStringLiteral(KV_SHARED_DIR "/corpus");

Value::Kind kindOf(FieldType t) {
    switch (t) {
    case FieldType::Alpha:
    case FieldType::Memo:
        return Value::Kind::Text;
    case FieldType::Short:
    case FieldType::Long:
    case FieldType::AutoInc:
        return Value::Kind::Integer;
    case FieldType::Number:
    case FieldType::Money:
        return Value::Kind::Float;
    case FieldType::Logical:
        return Value::Kind::Boolean;
    case FieldType::Date:
        return Value::Kind::Date;
    case FieldType::Time:
        return Value::Kind::Time;
    case FieldType::Timestamp:
        return Value::Kind::Timestamp;
    case FieldType::Bcd:
        return Value::Kind::Bcd;
    default:
        return Value::Kind::Bytes;
    }
}

// Autoincrement keys are referred to by Long Integer fields.
FieldType keyType(FieldType t) {
    return t == FieldType::AutoInc ? FieldType::Long : t;
}

void writeFile(const std::filesystem::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary | std::ios::trunc) << bytes;
}

bool damaged(const engine::ValidityRules& r) {
    for (const std::string& p : r.problems)
        if (p.find("endommagé") != std::string::npos)
            return true;
    return false;
}

bool hasRules(const engine::ValidityRules& r) {
    return !r.checks.empty() || !r.references.empty() || !r.dependents.empty();
}

// Whether a problem names this table (a lookup or parent table missing).
bool said(const engine::ValidityRules& r, const std::string& table) {
    for (const std::string& p : r.problems)
        if (p.find("« " + table + " »") != std::string::npos)
            return true;
    return false;
}

// Everything wrong with one table's rules against the tables beside it; empty when
// every field named exists, every value decodes to its field's type, and every
// lookup, parent and child table is found with fields of matching types.
QStringList faultsOf(const engine::TableFile& t, const engine::ValidityRules& r) {
    QStringList faults;
    const auto& fields = t.fields();
    for (const engine::FieldCheck& c : r.checks) {
        if (c.field < 0 || size_t(c.field) >= fields.size()) {
            faults << QStringLiteral("check on field %1").arg(c.field);
            continue;
        }
        const engine::FieldInfo& f = fields[size_t(c.field)];
        for (const auto* v : {&c.minimum, &c.maximum, &c.defaultValue})
            if (*v && (*v)->kind != kindOf(f.type))
                faults << QString::fromStdString(f.name) + ": value of another type";
        if (c.lookup) {
            if (c.lookup->file.empty() && !said(r, c.lookup->table))
                faults << QString::fromStdString("lookup " + c.lookup->table + " missing unsaid");
            else if (c.lookup->file.empty())
                continue;
            else if (keyType(engine::TableFile::open(c.lookup->file)->fields()[0].type) !=
                     keyType(f.type))
                faults << QString::fromStdString(f.name) + ": lookup of another type";
        }
    }
    for (const engine::TableLink& l : r.references) {
        if (l.file.empty() && said(r, l.table))
            continue;
        if (l.file.empty() || l.fieldNames.size() != l.fields.size() ||
            l.tableFieldNames.size() != l.fields.size()) {
            faults << QString::fromStdString("link " + l.name + " unresolved");
            continue;
        }
        const auto parent = engine::TableFile::open(l.file);
        for (size_t i = 0; i < l.fields.size(); ++i)
            if (keyType(fields[size_t(l.fields[i])].type) !=
                    keyType(parent->fields()[size_t(l.tableFields[i])].type) ||
                l.tableFields[i] >= parent->keyFieldCount())
                faults << QString::fromStdString("link " + l.name + ": field " + l.fieldNames[i]);
    }
    for (const engine::TableLink& l : r.dependents)
        if (l.tableFieldNames.size() != l.tableFields.size() ||
            (!l.file.empty() && l.fieldNames.size() != l.fields.size()))
            faults << QString::fromStdString("dependent " + l.name + " unresolved");
    return faults;
}

QString describe(const engine::TableFile& t, const engine::ValidityRules& r) {
    QStringList parts;
    for (const engine::FieldCheck& c : r.checks)
        parts << QStringLiteral("%1:%2%3%4%5%6%7")
                     .arg(QString::fromStdString(t.fields()[size_t(c.field)].name))
                     .arg(c.required ? " required" : "")
                     .arg(c.minimum ? " min" : "")
                     .arg(c.maximum ? " max" : "")
                     .arg(c.defaultValue ? " default" : "")
                     .arg(c.picture.empty() ? "" : " picture=" + QString::fromStdString(c.picture))
                     .arg(c.lookup ? " lookup=" + QString::fromStdString(c.lookup->table) : "");
    for (const engine::TableLink& l : r.references)
        parts << QString::fromStdString("references " + l.table +
                                        (l.cascade ? " cascade" : " restrict"));
    for (const engine::TableLink& l : r.dependents)
        parts << QString::fromStdString("referenced by " + l.table);
    return parts.join(QStringLiteral("; "));
}

} // namespace

class TestValidityFile : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    std::filesystem::path path(const char* name) const {
        return std::filesystem::path(m_dir.path().toStdString()) / name;
    }

    // PARENT(Id key, Name) and a level-7 CHILD(No key, ParentId -> PARENT, Note memo
    // required, Qty 1..99 default 5, Kind picture) with the CHILD.VAL and PARENT.VAL
    // the program that made them would have written.
    std::string makePair() {
        engine::createTable(path("PARENT.DB"),
                            {{"Id", FieldType::Long}, {"Name", FieldType::Alpha, 20}},
                            {{"", {"Id"}, engine::ixPrimary}});
        engine::createTable(path("CHILD.DB"),
                            {{"No", FieldType::AutoInc},
                             {"ParentId", FieldType::Long},
                             {"Note", FieldType::Memo, 10},
                             {"Qty", FieldType::Short},
                             {"Kind", FieldType::Alpha, 10}},
                            {{"", {"No"}, engine::ixPrimary}});
        const auto childTable = engine::TableFile::open(path("CHILD.DB"));
        testsupport::ValidityImage child(childTable->data().header);
        child.checks = {
            {1, false, "parent.db", 2, {}, {}, {}, {}},
            {2, true, "", 0, {}, {}, {}, {}},
            {3, false, "", 0, Value::fromInt(1), Value::fromInt(99), Value::fromInt(5), {}},
            {4, true, "", 0, {}, {}, {}, "{Big,Small}"}};
        child.references = {{"kids", "parent.db", true, {2}, {1}}};
        const std::string bytes = child.bytes();
        writeFile(path("CHILD.VAL"), bytes);
        const auto parentTable = engine::TableFile::open(path("PARENT.DB"));
        testsupport::ValidityImage parent(parentTable->data().header);
        parent.dependents = {{"kids", "CHILD.DB", true, {2}, {1}}};
        writeFile(path("PARENT.VAL"), parent.bytes());
        return bytes;
    }

private slots:
    void corpusFilesTieAndDecode() {
        if (!QDir(kCorpus).exists())
            QSKIP("the shared corpus is absent (" KV_SHARED_DIR "/corpus): nothing to check");
        int oldLayout = 0, newLayout = 0, checks = 0, links = 0, dependents = 0;
        QDirIterator it(kCorpus, {"*.val", "*.VAL", "*.Val"}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QFileInfo val(it.next());
            const auto db = engine::ValidityFile::findBeside(
                val.absolutePath().toStdString(), val.completeBaseName().toStdString() + ".db");
            QVERIFY2(!db.empty(), qPrintable(val.filePath()));
            const auto table = engine::TableFile::open(db);
            const auto rules = engine::ValidityFile::readBeside(*table);
            QFile raw(val.filePath());
            QVERIFY(raw.open(QIODevice::ReadOnly));
            (raw.read(2).at(1) == 1 ? oldLayout : newLayout)++;
            QVERIFY(rules.present);
            QVERIFY2(!damaged(rules), qPrintable(val.filePath()));
            QVERIFY2(!rules.stale && hasRules(rules), qPrintable(val.filePath()));
            const QStringList faults = faultsOf(*table, rules);
            QVERIFY2(faults.isEmpty(), qPrintable(val.filePath() + ": " + faults.join(", ")));
            checks += int(rules.checks.size());
            links += int(rules.references.size());
            dependents += int(rules.dependents.size());
            qInfo("%s: %s", qPrintable(val.fileName()), qPrintable(describe(*table, rules)));
            for (const std::string& p : rules.problems)
                qInfo("  %s", p.c_str());
        }
        QVERIFY(oldLayout >= 1 && newLayout >= 5);
        QVERIFY(checks >= 10 && links >= 2 && dependents >= 2);
    }

    // A level-7 pair with a lookup, a link and a required memo reads back as built,
    // seen from both sides; the parent gone, the link is kept and the loss said.
    void handBuiltLevel7Pair() {
        makePair();
        const auto child = engine::TableFile::open(path("CHILD.DB"));
        auto rules = engine::ValidityFile::readBeside(*child);
        QVERIFY2(rules.problems.empty(), rules.problems.empty() ? "" : rules.problems[0].c_str());
        QCOMPARE(
            describe(*child, rules),
            QStringLiteral("ParentId: lookup=parent.db; Note: required; Qty: min max default; "
                           "Kind: required picture={Big,Small}; references parent.db cascade"));
        QVERIFY(faultsOf(*child, rules).isEmpty());
        QCOMPARE(rules.checks[2].maximum->integer, 99);
        QVERIFY(!rules.checks[0].lookup->allCorrespondingFields && rules.checks[0].lookup->help);
        QCOMPARE(rules.references[0].tableFieldNames, std::vector<std::string>{"Id"});
        const auto parentRules =
            engine::ValidityFile::readBeside(*engine::TableFile::open(path("PARENT.DB")));
        QCOMPARE(parentRules.dependents.size(), size_t(1));
        QCOMPARE(parentRules.dependents[0].fieldNames, std::vector<std::string>{"ParentId"});
        QCOMPARE(parentRules.dependents[0].tableFieldNames, std::vector<std::string>{"Id"});

        std::filesystem::rename(path("PARENT.DB"), path("GONE.DB"));
        rules = engine::ValidityFile::readBeside(*child);
        QCOMPARE(rules.references.size(), size_t(1));
        QCOMPARE(rules.problems.size(), size_t(2)); // the lookup and the link
        QVERIFY(rules.problems[1].find("introuvable") != std::string::npos);
        std::filesystem::rename(path("GONE.DB"), path("PARENT.DB"));
    }

    // Stale (another stamp, a field renamed) and damaged files give no rule and say
    // why: every truncation, and every byte of the file overwritten, never crashes
    // nor keeps a rule naming a field the table lacks.
    void staleAndDamagedFiles() {
        const std::string good = makePair();
        const auto child = engine::TableFile::open(path("CHILD.DB"));
        const auto tie = engine::ValidityFile::tieTo(child->data().header, path("CHILD.VAL"));
        std::string stamp = good;
        stamp[0] = char(stamp[0] + 1);
        auto rules = engine::ValidityFile::parse(stamp, tie);
        QVERIFY(rules.stale && !hasRules(rules) && rules.problems.size() == 1);
        std::string renamed = good;
        renamed[renamed.size() - 2] = 'X'; // the last field's name
        QVERIFY(engine::ValidityFile::parse(renamed, tie).stale);
        for (size_t n = 0; n < good.size(); ++n) {
            rules = engine::ValidityFile::parse(std::string_view(good).substr(0, n), tie);
            QVERIFY2(!hasRules(rules) && rules.problems.size() == 1,
                     qPrintable(QString::number(n)));
        }
        for (size_t at = 0; at < good.size(); ++at)
            for (const char b : {'\x00', '\x7F', '\xFF'}) {
                std::string bad = good;
                bad[at] = b;
                rules = engine::ValidityFile::parse(bad, tie);
                QVERIFY(hasRules(rules) || !rules.problems.empty() || bad == good);
                QVERIFY(faultsOf(*child, rules).join(',').indexOf("check on field") < 0);
            }
    }
};

QTEST_GUILESS_MAIN(TestValidityFile)
#include "tst_validityfile.moc"
