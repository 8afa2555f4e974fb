// Captures into a dictionary damaged by hand, run as a user runs them: the command
// fails naming the damage, and the dictionary's files are left as they were.

#include "SourceTables.h"

#include "engine/Cursor.h"
#include "engine/TableFile.h"
#include "store/DicoFormat.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

namespace {

struct Run {
    int status = -1;
    QString err;
};

Run cli(const QStringList& args, const QString& dir) {
    QProcess process;
    process.setWorkingDirectory(dir);
    process.start(QStringLiteral(KV_CLI_PATH), args);
    Run run;
    if (!process.waitForFinished(120000))
        return run;
    run.status = process.exitCode();
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

// Rows numbered 1..count, appended in number order: 800 rows fill four blocks of
// 32 KiB, chained 1, 2, 3, 4.
void writeDictionary(const QString& path, int count) {
    store::CreateDicoFile(path);
    auto table = engine::TableFile::open(path.toStdString());
    const size_t number = size_t(table->fieldIndex("NoEnreg"));
    const size_t name = size_t(table->fieldIndex("Table"));
    engine::Cursor cursor(table);
    table->beginTransaction();
    for (int i = 1; i <= count; ++i) {
        engine::Row row = table->emptyRow();
        row[number] = engine::Value::fromInt(i);
        row[name] = engine::Value::fromText("R" + std::to_string(i));
        cursor.insert(row);
    }
    table->commit();
    table->flush();
}

// Every file of the folder, names and bytes.
QByteArray folderDigest(const QString& dir) {
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (const QString& name : QDir(dir).entryList(QDir::Files, QDir::Name)) {
        QFile file(QDir(dir).filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        hash.addData(name.toUtf8());
        hash.addData(file.readAll());
    }
    return hash.result();
}

// The places a damage is written to, read from the table's own header.
struct Layout {
    QByteArray& bytes;
    int headerSize() const { return word(2); }
    int blockSize() const { return uint8_t(bytes[5]) * 1024; }
    int block(int number) const { return headerSize() + (number - 1) * blockSize(); }
    int word(int at) const { return uint8_t(bytes[at]) | uint8_t(bytes[at + 1]) << 8; }
    void setWord(int at, int value) {
        bytes[at] = char(value & 0xFF);
        bytes[at + 1] = char(value >> 8);
    }
};

using Damage = std::function<void(Layout&)>;

void damageFile(const QString& path, const Damage& damage) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QByteArray bytes = file.readAll();
    Layout layout{bytes};
    damage(layout);
    QVERIFY(file.resize(0));
    QCOMPARE(file.write(bytes), bytes.size());
}

} // namespace

Q_DECLARE_METATYPE(Damage)

class TestDamagedCapture : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    QString pristine() const { return m_dir.filePath("pristine"); }

    // A fresh copy of the pristine dictionary, damaged; its folder.
    QString damagedCopy(const QString& name, const Damage& damage) {
        const QString dir = m_dir.filePath(name);
        QDir().mkpath(dir);
        for (const QString& file : QDir(pristine()).entryList(QDir::Files))
            QFile::copy(QDir(pristine()).filePath(file), QDir(dir).filePath(file));
        damageFile(QDir(dir).filePath("D.db"), damage);
        return dir;
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        QDir(m_dir.path()).mkpath("pristine");
        QDir(m_dir.path()).mkpath("src");
        writeDictionary(QDir(pristine()).filePath("D.db"), 800);
        for (const char* name : {"T1.DB", "T2.DB", "T3.DB"})
            sourcetables::writeClients(m_dir.filePath(QStringLiteral("src/") + name));
        // The pristine dictionary takes the capture.
        const QString copy = damagedCopy("sound", [](Layout&) {});
        const Run run =
            cli({"capture", copy + "/D.db", "src/T1.DB", "src/T2.DB", "src/T3.DB"}, m_dir.path());
        QCOMPARE(run.err, QString());
        QCOMPARE(run.status, 0);
    }

    void refusedWhole_data() {
        QTest::addColumn<Damage>("damage");
        QTest::addColumn<QString>("named");
        QTest::newRow("next of the block before the last, past the end")
            << Damage([](Layout& l) { l.setWord(l.block(3), 50); })
            << "le bloc 3 pointe au-delà de la fin du fichier (bloc 50)";
        QTest::newRow("next of the first block, past the end")
            << Damage([](Layout& l) { l.setWord(l.block(1), 50); })
            << "le bloc 1 pointe au-delà de la fin du fichier (bloc 50)";
        QTest::newRow("next of the block before the last, skipping the last")
            << Damage([](Layout& l) { l.setWord(l.block(3), 0); })
            << "l'en-tête annonce 800 lignes";
        QTest::newRow("back link of the last block")
            << Damage([](Layout& l) { l.setWord(l.block(4) + 2, 2); })
            << "le bloc 4 désigne le bloc 2 comme précédent au lieu du bloc 3";
        QTest::newRow("last block counting one record more") << Damage([](Layout& l) {
            l.setWord(l.block(4) + 4, l.word(l.block(4) + 4) + l.word(0));
        }) << "l'en-tête annonce 800 lignes mais la chaîne des blocs en contient 801";
        QTest::newRow("header's row count")
            << Damage([](Layout& l) { l.setWord(0x06, 801); })
            << "l'en-tête annonce 801 lignes mais la chaîne des blocs en contient 800";
        QTest::newRow("header's last block not the chain's end")
            << Damage([](Layout& l) { l.setWord(0x10, 3); })
            << "la chaîne des blocs s'arrête au bloc 4 au lieu du bloc 3";
        QTest::newRow("header's first block 0")
            << Damage([](Layout& l) { l.setWord(0x0E, 0); })
            << "l'en-tête annonce 800 lignes mais aucun bloc de données";
        QTest::newRow("header counting a block the file lacks")
            << Damage([](Layout& l) { l.setWord(0x0C, 5); })
            << "l'en-tête annonce 5 blocs mais le fichier en contient 4";
        QTest::newRow("file holding a block the header forgot")
            << Damage([](Layout& l) { l.bytes.append(QByteArray(l.blockSize(), '\0')); })
            << "l'en-tête annonce 4 blocs mais le fichier en contient 5";
    }

    // Exit 1, the damage named as list names it when list sees it, and no file of
    // the dictionary changed, not even its index files at close.
    void refusedWhole() {
        QFETCH(Damage, damage);
        QFETCH(QString, named);
        const QString dir = damagedCopy(QTest::currentDataTag(), damage);
        const QByteArray before = folderDigest(dir);
        const Run list = cli({"list", dir + "/D.db"}, m_dir.path());
        const Run run =
            cli({"capture", dir + "/D.db", "src/T1.DB", "src/T2.DB", "src/T3.DB"}, m_dir.path());
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains(named), qPrintable(run.err));
        QVERIFY2(run.err.startsWith(dir + "/D.db: "), qPrintable(run.err));
        if (list.status != 0)
            QCOMPARE(run.err, list.err);
        QCOMPARE(folderDigest(dir), before);
    }

    // Block 2 lies away from where the rows go (block 4 and its neighbour 3): the
    // check before the write does not read it, but whatever reads it later in the
    // command (the index files rewritten at close read every row) names it.
    void damageAwayFromTheWrite() {
        const QString dir = damagedCopy("away", [](Layout& l) { l.setWord(l.block(2), 50); });
        const Run run =
            cli({"capture", dir + "/D.db", "src/T1.DB", "src/T2.DB", "src/T3.DB"}, m_dir.path());
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains("le bloc 2 pointe au-delà de la fin du fichier (bloc 50)"),
                 qPrintable(run.err));
    }
};

QTEST_GUILESS_MAIN(TestDamagedCapture)
#include "tst_damagedcapture.moc"
