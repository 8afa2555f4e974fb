// The integrity checker against damage planted by hand: a whole table family written
// by the engine (keyed, several blocks, a case-insensitive secondary index, memos in
// the .MB) is copied, one invariant broken in the copy, and the checker must name the
// damage in the right file. The same family with header byte 0x4F set has index files
// that may lag: damage there is then no finding.

#include "engine/Engine.h"
#include "engine/IntegrityCheck.h"

#include <QTemporaryDir>
#include <QtTest>

#include <fstream>
#include <functional>

using namespace engine;
namespace fs = std::filesystem;

namespace {

constexpr int kRows = 300;

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}
void writeFile(const fs::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary | std::ios::trunc) << bytes;
}
unsigned u16at(const std::string& s, size_t off) {
    return uint8_t(s[off]) | uint8_t(s[off + 1]) << 8;
}
void put16(std::string& s, size_t off, unsigned v) {
    s[off] = char(v & 0xFF);
    s[off + 1] = char(v >> 8);
}

// Offsets in a data-like or index file image.
struct Layout {
    explicit Layout(const std::string& f)
        : recordSize(u16at(f, 0)), headerSize(u16at(f, 2)), blockSize(uint8_t(f[5]) * 1024u) {}
    size_t blockAt(unsigned b) const { return headerSize + (b - 1) * size_t(blockSize); }
    size_t recordAt(unsigned b, unsigned slot) const { return blockAt(b) + 6 + slot * recordSize; }
    unsigned recordSize, headerSize, blockSize;
};

// One file of the family changed in place.
using Damage = std::function<void(std::string& file)>;

struct Case {
    const char* name;
    const char* ext;
    Damage damage;
    const char* file;    // where the finding must be ("" for none expected)
    const char* finding; // a part of its words
};

unsigned firstBlock(const std::string& f) {
    return u16at(f, 0x0E);
}
unsigned secondBlock(const std::string& f) {
    return u16at(f, Layout(f).blockAt(firstBlock(f)));
}

std::vector<Case> cases() {
    return {
        // 1. every row once, keys ascending without duplicate
        {"duplicate key", "DB",
         [](std::string& f) {
             const Layout l(f);
             f.replace(l.recordAt(firstBlock(f), 1), 4, f.substr(l.recordAt(firstBlock(f), 0), 4));
         },
         "T.DB", "répète la clé"},
        {"key lower than the previous", "DB",
         [](std::string& f) {
             const Layout l(f);
             f.replace(l.recordAt(secondBlock(f), 0), 4, f.substr(l.recordAt(firstBlock(f), 0), 4));
         },
         "T.DB", "inférieure à la précédente"},
        {"chain loops", "DB",
         [](std::string& f) { put16(f, Layout(f).blockAt(secondBlock(f)), firstBlock(f)); }, "T.DB",
         "repasse par le bloc"},
        {"back link", "DB",
         [](std::string& f) { put16(f, Layout(f).blockAt(secondBlock(f)) + 2, 0); }, "T.DB",
         "comme précédent"},
        // 2. no empty or overfull block in the chain
        {"empty block chained", "DB",
         [](std::string& f) {
             put16(f, Layout(f).blockAt(secondBlock(f)) + 4, uint16_t(-int(Layout(f).recordSize)));
         },
         "T.DB", "est vide"},
        {"overfull block", "DB",
         [](std::string& f) {
             const Layout l(f);
             put16(f, l.blockAt(firstBlock(f)) + 4, (l.blockSize / l.recordSize) * l.recordSize);
         },
         "T.DB", "dernier enregistrement incorrecte"},
        // 3. the header's counters describe the chain
        {"row count", "DB", [](std::string& f) { put16(f, 0x06, u16at(f, 0x06) + 1); }, "T.DB",
         "lignes mais la chaîne"},
        {"blocks in use", "DB", [](std::string& f) { put16(f, 0x0A, u16at(f, 0x0A) - 1); }, "T.DB",
         "blocs en usage"},
        {"last block", "DB", [](std::string& f) { put16(f, 0x10, firstBlock(f)); }, "T.DB",
         "s'arrête au bloc"},
        {"file longer than the header says", "DB",
         [](std::string& f) { f.append(Layout(f).blockSize, '\0'); }, "T.DB", "octets"},
        // 4. free blocks apart from the chain
        {"free list meets the chain", "DB", [](std::string& f) { put16(f, 0x4D, secondBlock(f)); },
         "T.DB", "libre et dans la chaîne"},
        // 5. index files agree with the rows while 0x4F is clear
        {"secondary entry changed", "XG0",
         [](std::string& f) { f[Layout(f).recordAt(firstBlock(f), 2)] ^= 0x01; }, "T.XG0",
         "ordre de l'index"},
        {"secondary entry missing", "XG0",
         [](std::string& f) {
             const Layout l(f);
             put16(f, l.blockAt(firstBlock(f)) + 4,
                   u16at(f, l.blockAt(firstBlock(f)) + 4) - l.recordSize);
         },
         "T.XG0", "entrées pour"},
        {"primary tree count", "PX",
         [](std::string& f) {
             const Layout l(f);
             const size_t entry = l.recordAt(firstBlock(f), 0);
             f[entry + l.recordSize - 3] ^= 0x01; // low byte of the first entry's count
         },
         "T.PX", "l'arbre nomme"},
        {"secondary tree missing", "YG0", nullptr, "T.YG0", "T.YG0"},
        // BLOB references of the rows
        {"memo past the end of the .MB", "DB",
         [](std::string& f) {
             const Layout l(f);
             const size_t descriptor = l.recordAt(firstBlock(f), 0) + l.recordSize - 10;
             put16(f, descriptor + 2, 0x7FFF); // offset far past the file
         },
         "T.MB", "ligne 1"},
        // The same index damage with 0x4F set: the files may lag, nothing to say.
        {"index lag announced", "XG0",
         [](std::string& f) { f[Layout(f).recordAt(firstBlock(f), 2)] ^= 0x01; }, "", ""},
    };
}

std::string describe(const std::vector<IntegrityFinding>& findings) {
    std::string text;
    for (const auto& f : findings)
        text += f.file + ": " + f.what + "\n";
    return text.empty() ? "no finding" : text;
}

} // namespace

class TestIntegrity : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    fs::path m_whole;

private slots:
    void initTestCase() {
        m_whole = fs::path(m_dir.path().toStdString()) / "whole";
        fs::create_directories(m_whole);
        const fs::path table = m_whole / "T.DB";
        createTable(table,
                    {{"NoEnreg", FieldType::Long},
                     {"Table", FieldType::Alpha, 12},
                     {"Description", FieldType::Alpha, 100},
                     {"Note", FieldType::Memo, 10}},
                    {{"", {"NoEnreg"}, ixPrimary | ixUnique}});
        addIndex(table, {"IndTable", {"Table"}, ixCaseInsensitive});
        auto t = TableFile::open(table);
        Cursor c(t);
        t->beginTransaction();
        for (int k = kRows; k >= 1; --k)
            c.insert({Value::fromInt(k), Value::fromText(k % 3 ? "Clients" : "ARTICLES"),
                      Value::fromText(std::string(size_t(k % 90), 'd')),
                      Value::fromText("une note assez longue pour le fichier des BLOB " +
                                      std::to_string(k))});
        t->commit();
        t->flush();
        t.reset();
        QCOMPARE(describe(IntegrityCheck::of(table)), std::string("no finding"));
    }

    // Each invariant broken in a copy of its own, caught and placed.
    void eachDamageIsFound() {
        for (const Case& c : cases()) {
            const fs::path dir = fs::path(m_dir.path().toStdString()) / c.name;
            fs::create_directories(dir);
            for (const auto& e : fs::directory_iterator(m_whole))
                fs::copy_file(e.path(), dir / e.path().filename());
            const fs::path target = dir / (std::string("T.") + c.ext);
            if (!c.damage) {
                fs::remove(target);
            } else {
                std::string bytes = readFile(target);
                c.damage(bytes);
                writeFile(target, bytes);
            }
            if (!*c.file) { // the lag announced in the table's header
                std::string db = readFile(dir / "T.DB");
                db[0x4F] = 1;
                writeFile(dir / "T.DB", db);
            }
            const auto findings = IntegrityCheck::of(dir / "T.DB");
            const bool found = std::any_of(findings.begin(), findings.end(), [&](const auto& f) {
                return f.file == c.file && f.what.find(c.finding) != std::string::npos;
            });
            QVERIFY2(*c.file ? found : findings.empty(),
                     qPrintable(QString("%1: %2").arg(c.name, describe(findings).c_str())));
        }
    }
};

QTEST_GUILESS_MAIN(TestIntegrity)
#include "tst_integrity.moc"
