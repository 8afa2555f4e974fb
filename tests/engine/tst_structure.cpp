// Structure of the real tables of the shared corpus, as this engine reports it,
// against the reference dumps written by an independent reader: fields (name, type,
// size), key fields, row count, level, code page, sort order and index files.

#include <QtTest>

#include "engine/CodePage.h"
#include "engine/Cursor.h"
#include "engine/EngineError.h"
#include "engine/TableFile.h"

#include <fstream>
#include <map>

namespace {

struct RefField {
    std::string name;
    int type = 0;
    int size = 0;
    bool key = false;
};

struct Reference {
    std::map<std::string, std::string> values;
    std::vector<RefField> fields;
    std::vector<std::string> indexFiles; // "XG0", "X02"...
};

std::string unquote(const std::string& s) {
    if (s.size() >= 2 && s.front() == '"' && s.back() == '"')
        return s.substr(1, s.size() - 2);
    return s;
}

Reference parseReference(const std::string& file) {
    Reference ref;
    std::ifstream in(file, std::ios::binary);
    std::string line;
    bool inFields = false;
    while (std::getline(in, line)) {
        if (line.rfind("records:", 0) == 0)
            break;
        if (line == "fields:") {
            inFields = true;
            continue;
        }
        if (inFields && line.rfind("  ", 0) == 0 && line.size() > 2 &&
            std::isdigit(uint8_t(line[2]))) {
            // '  3: "Name" type=0x06 N (number) size=8 key'
            RefField f;
            const size_t q1 = line.find('"'), q2 = line.find("\" type=0x");
            f.name = line.substr(q1 + 1, q2 - q1 - 1);
            f.type = std::stoi(line.substr(q2 + 9, 2), nullptr, 16);
            const size_t sz = line.find(" size=", q2);
            f.size = std::stoi(line.substr(sz + 6));
            f.key = line.find(" key", sz) != std::string::npos;
            if (f.type == 0x17) { // BCD: the reference shows the width and the decimals
                const size_t dec = line.find("decimals=");
                f.size = dec == std::string::npos ? 0 : std::stoi(line.substr(dec + 9));
            }
            ref.fields.push_back(f);
            continue;
        }
        inFields = false;
        if (line.rfind("index ", 0) == 0) {
            const std::string name = line.substr(6, line.size() - 7);
            ref.indexFiles.push_back(name.substr(name.rfind('.') + 1));
            continue;
        }
        const size_t colon = line.find(": ");
        if (colon != std::string::npos && line[0] != ' ')
            ref.values[line.substr(0, colon)] = unquote(line.substr(colon + 2));
    }
    return ref;
}

std::string upper(std::string s) {
    for (char& c : s)
        c = char(std::toupper(uint8_t(c)));
    return s;
}

} // namespace

class TestStructure : public QObject {
    Q_OBJECT

private slots:
    void corpusTables_data();
    void corpusTables();

private:
    void checkTable();
};

void TestStructure::corpusTables_data() {
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("reference");
    const QString refRoot = QStringLiteral(KV_SHARED_DIR "/corpus/reference");
    if (!QDir(refRoot).exists())
        QSKIP("The shared corpus (" KV_SHARED_DIR "/corpus) is not present.");
    QDirIterator it(refRoot, {"*.txt"}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString ref = it.next();
        QString rel = QDir(refRoot).relativeFilePath(ref);
        rel.chop(4);
        QTest::newRow(rel.toUtf8().constData())
            << QStringLiteral(KV_SHARED_DIR "/corpus/") + rel << ref;
    }
}

void TestStructure::corpusTables() {
    try {
        checkTable();
    } catch (const engine::EngineError& e) {
        QFAIL(e.what());
    }
}

void TestStructure::checkTable() {
    QFETCH(QString, table);
    QFETCH(QString, reference);
    const Reference ref = parseReference(reference.toStdString());
    const std::filesystem::path path(table.toStdString());

    auto t = engine::TableFile::open(path);
    QCOMPARE(t->versionByte(), std::stoi(ref.values.at("version_byte"), nullptr, 16));
    QCOMPARE(t->isKeyed(), ref.values.at("file_type").front() == '0');
    QCOMPARE(t->recordSize(), std::stoi(ref.values.at("record_size")));
    QCOMPARE(t->blockSize(), std::stoi(ref.values.at("block_size")));
    QCOMPARE(int(t->recordCount()), std::stoi(ref.values.at("num_records")));
    QCOMPARE(t->keyFieldCount(), std::stoi(ref.values.at("key_fields")));
    QCOMPARE(t->isEncrypted(), ref.values.at("encryption") != "0x00000000");
    const int refCodePage = std::stoi(ref.values.at("code_page"));
    if (t->versionByte() >= 5) {
        QCOMPARE(t->codePage(), refCodePage);
        QCOMPARE(t->sortOrder(), ref.values.at("sort_order"));
    }

    const engine::CodePage& cp =
        engine::CodePage::get(t->codePage() == 0 && t->versionByte() >= 5 ? 0 : t->codePage());
    QCOMPARE(t->fields().size(), ref.fields.size());
    for (size_t i = 0; i < ref.fields.size(); ++i) {
        const engine::FieldInfo& f = t->fields()[i];
        QCOMPARE(f.name, cp.decode(ref.fields[i].name));
        QCOMPARE(int(f.type), ref.fields[i].type);
        QCOMPARE(f.size, ref.fields[i].size);
        QCOMPARE(ref.fields[i].key, int(i) < t->keyFieldCount());
        QCOMPARE(t->fieldIndex(upper(f.name)), int(i));
    }

    // Index files: every one the reference decoded is reported, in file order.
    std::vector<std::string> reported;
    for (const engine::IndexInfo& ix : t->indexes())
        if (ix.fileName != "PX")
            reported.push_back(upper(ix.fileName));
    std::vector<std::string> expected;
    for (const std::string& x : ref.indexFiles)
        expected.push_back(upper(x));
    std::sort(expected.begin(), expected.end(), [](const std::string& a, const std::string& b) {
        const bool ga = a[1] == 'G', gb = b[1] == 'G';
        return ga != gb ? !ga : a < b;
    });
    QCOMPARE(reported, expected);

    // The rows the chain holds match the count, and a cursor on each index sees them all.
    // A table whose BLOB file is missing keeps its structure but cannot give its rows.
    std::ifstream whole(reference.toStdString(), std::ios::binary);
    const std::string refText((std::istreambuf_iterator<char>(whole)),
                              std::istreambuf_iterator<char>());
    if (t->isEncrypted() || refText.find(",nomb)") != std::string::npos) {
        QVERIFY_THROWS_EXCEPTION(engine::EngineError,
                                 t->forEachRow([](const engine::Row&) { return true; }));
        return;
    }
    int rows = 0;
    t->forEachRow([&](const engine::Row& r) {
        ++rows;
        return r.size() == t->fields().size();
    });
    QCOMPARE(rows, std::stoi(ref.values.at("num_records")));
    for (const engine::IndexInfo& ix : t->indexes()) {
        std::vector<std::string> names;
        std::string fields = ix.fields;
        for (size_t p; (p = fields.find(';')) != std::string::npos; fields.erase(0, p + 1))
            names.push_back(fields.substr(0, p));
        names.push_back(fields);
        engine::Cursor c(t, names);
        QCOMPARE(c.count(), int64_t(rows));
        int seen = 0;
        for (bool ok = c.first(); ok; ok = c.next())
            ++seen;
        QCOMPARE(seen, rows);
    }
}

QTEST_GUILESS_MAIN(TestStructure)
#include "tst_structure.moc"
