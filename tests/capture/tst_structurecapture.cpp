#include "ClientsExample.h"
#include "SourceTables.h"
#include "WindowCapture.h"
#include "tests/store/DicoFiles.h"
#include "tests/store/StoreTestHost.h"

#include "capture/CodeGenerator.h"
#include "capture/StructureCapture.h"
#include "capture/StructureReader.h"
#include "engine/EngineError.h"
#include "framework/dataset/Database.h"
#include "framework/dataset/Table.h"
#include "store/DictionaryStore.h"
#include "tests/support/FaultFileSystem.h"
#include "tests/support/ScopedFileSystem.h"

#include <QDirIterator>
#include <QFile>
#include <QTest>

#include <algorithm>
#include <cerrno>

#ifdef KV_HAVE_PXLIB
extern "C" {
#include <paradox.h>
}
#endif

using capture::CaptureResult;
using store::DicoRow;
using namespace dicofiles;

namespace {

// A store with a new, empty dictionary, and the capture of the add-tables window.
struct Bench {
    TempAppDir app;
    StoreTestHost host;
    store::DictionaryStore store{&host.window, host};
    QObject addWindow;
    capture::StructureCapture capture{&addWindow, store};

    Bench() {
        host.follow(store);
        store.PrepareDataDir();
        created = store.CreateDico(QStringLiteral("essai")).created;
    }
    QString source(const QString& name) {
        QDir().mkpath(app.path("src"));
        return app.path("src/" + name);
    }
    // Captures the file at `path` as the add-tables window and the main window do.
    CaptureResult add(const QString& path) { return captureAsWindow(host, capture, path); }
    // Writes the customer table, or the table of every field type and index
    // kind, as a source file and captures it.
    CaptureResult captureClients() { return add(sourcetables::writeClients(source("CLIENTS.DB"))); }
    CaptureResult captureEveryKind() {
        return add(sourcetables::writeEveryKind(source("TOUT.DB")));
    }
    QList<DicoRow> rows() const { return readRows(store.NomDico()); }
    // Opening the dictionary's tables again makes them go through the file
    // system installed at that moment.
    void closeDico() {
        store.taChamps().Close();
        store.taDico().Close();
        store.dbLitTable().Close();
    }
    void reopenDico() {
        const QString dico = store.NomDico();
        closeDico();
        store.OpenDico(dico);
    }
    bool created = false;
};

// The counted write-side operations of capturing the table of every kind into a
// dictionary that holds the customer table, as allOrNothing does; 0 if it fails.
uint64_t captureWrites() {
    testsupport::FaultFileSystem counter(engine::fileSystem());
    Bench b;
    if (!b.created || b.captureClients() != CaptureResult::Captured)
        return 0;
    const QString source = sourcetables::writeEveryKind(b.source("TOUT.DB"));
    const testsupport::ScopedFileSystem mounted(counter);
    b.reopenDico();
    counter.reset();
    if (b.add(source) != CaptureResult::Captured)
        return 0;
    const uint64_t writes = counter.operations();
    b.closeDico();
    return writes;
}

// Whether the engine can read the rows of a table (a password forbids it).
bool rowsReadable(const QString& path) {
    try {
        engine::TableFile::open(path.toStdString())->forEachRow([](const engine::Row&) {
            return false;
        });
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

QString describe(const DicoRow& r) {
    auto t = [](const std::optional<QString>& s) {
        return s ? "'" + *s + "'" : QStringLiteral("null");
    };
    return QStringLiteral("%1|%2|%3|%4|%5|%6|%7|%8")
        .arg(r.noEnreg)
        .arg(r.table, t(r.description), t(r.champ), t(r.type),
             r.longueur ? QString::number(*r.longueur) : QStringLiteral("null"))
        .arg(r.ct)
        .arg(r.cc);
}

QList<DicoRow> stored(const QList<DicoRow>& rows) {
    QList<DicoRow> result;
    for (const DicoRow& row : rows)
        result.append(asStored(row));
    return result;
}

} // namespace

class TestStructureCapture : public QObject {
    Q_OBJECT
private slots:
    // The customer table after a dictionary whose highest number is 41: rows
    // 42 to 50 and the 29-line block, each exactly.
    void customerTable() {
        Bench b;
        QVERIFY(b.created);
        appendRows(b.store.NomDico(), {tableEntry(41, "ANCIENNE")});
        const QString path = sourcetables::writeClients(b.source("CLIENTS.DB"));

        QCOMPARE(b.add(path), CaptureResult::Captured);

        QCOMPARE(b.rows().mid(1), stored(clientsRows(42)));
        QCOMPARE(b.host.code.lines(), clientsBlock());
        QCOMPARE(b.host.code.title(), QStringLiteral("Delphi code - Lines generated: 29"));
        QCOMPARE(b.host.updates, 1);
        // Tied by the second row; the tables view in name order from now on.
        QVERIFY(b.store.FieldsViewTied());
        QCOMPARE(b.store.taDico().IndexFieldNames(), QStringLiteral("Table"));
        QCOMPARE(b.store.State(), store::DicoState::Filled);
    }

    // Numbers start at 1 and the next table continues after the last index
    // row of the one before; each capture appends its own block.
    void numberingAcrossCaptures() {
        Bench b;
        QVERIFY(b.created);
        QCOMPARE(b.captureClients(), CaptureResult::Captured);
        QCOMPARE(b.captureEveryKind(), CaptureResult::Captured);
        const QList<DicoRow> rows = b.rows();
        QCOMPARE(rows.mid(0, 9), stored(clientsRows(1)));
        for (int i = 0; i < rows.size(); ++i)
            QCOMPARE(rows[i].noEnreg, i + 1);
        QVERIFY(rows[9].ct && rows[9].table == QStringLiteral("TOUT.DB"));
        QCOMPARE(b.host.code.lines().mid(0, 29), clientsBlock());
        QCOMPARE(b.host.code.lines().at(29),
                 QStringLiteral("with TableCreate do  // Beginning generation TOUT.DB"));
        QCOMPARE(b.host.updates, 2);
    }

    // Every field type and index kind the engine writes, recorded by the rules
    // of the dictionary: type texts, sizes, labels carried over, cuts.
    void everyTypeAndIndexKind() {
        Bench b;
        QVERIFY(b.created);
        QCOMPARE(b.captureEveryKind(), CaptureResult::Captured);
        const QList<DicoRow> rows = b.rows();
        QStringList types, champs, descriptions;
        QList<int> sizes;
        for (const DicoRow& row : rows.mid(1)) {
            types.append(row.type.value_or(QString()));
            champs.append(row.champ.value_or(QString()));
            sizes.append(row.longueur.value_or(-1));
            descriptions.append(row.description.value_or(QString()));
        }
        QCOMPARE(types,
                 (QStringList{"Integer", "SmallInt", "String", "Date", "Currency", "Float",
                              "Boolean", "Memo", "BLOB", "FmtMemo", "ParadoxOle", "Graphic", "Time",
                              "DateTime", "AutoInc", "BCD", "Bytes", "String", "String", "String",
                              // indexes, in the engine's order
                              "ixUnique", "ixUnique", "ixCaseInsensitive", "ixDescending",
                              "ixDescending", "ixDescending"}));
        QCOMPARE(sizes, (QList<int>{0,  0, 40, 0,  0, 0, 0, 10, 10, 10, 10, 10, 10,
                                    10, 0, 10, 10, 5, 5, 5, -1, -1, -1, -1, -1, -1}));
        QCOMPARE(champs.at(17), QString::fromStdString(sourcetables::kLongName).left(20));
        QCOMPARE(champs.mid(20),
                 (QStringList{"", "Nom", "ParNomCI", "ParJour", "ParTaux", "Longue"}));
        QCOMPARE(descriptions.at(20), QStringLiteral("Id;Ligne"));
        QCOMPARE(descriptions.at(23), QStringLiteral("Jour;Nom"));
        QCOMPARE(descriptions.at(25).size(), 80);

        // The generated code keeps whole names and the index's own options.
        const QStringList& code = b.host.code.lines();
        const QString longName = QString::fromStdString(sourcetables::kLongName);
        QVERIFY(code.contains("   Add('" + longName + "',ftString,5,False);"));
        QVERIFY(code.contains(
            "  TableCreate.IndexDefs.Add('','Id;Ligne',[ixPrimary]);  // Primary Index "));
        QVERIFY(code.contains("   TableCreate.AddIndex('Nom','Nom',[]);"));
        QVERIFY(code.contains("   TableCreate.AddIndex('ParJour','Jour;Nom',[ixDescending]);"));
        QVERIFY(code.contains("   TableCreate.AddIndex('Longue','" + longName +
                              ";UnAutreNomDeChampTresLong;EncoreUnNomDeChampTresLon;Nom',[]);"));
    }

    // A table name already in the dictionary (letter case ignored, only the
    // first 12 characters compared) is refused: a warning, nothing written,
    // no code; the line count can still be shown.
    void duplicateNames_data() {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<bool>("refused");
        QTest::newRow("other case") << "CLIENTS.DB"
                                    << "clients.db" << true;
        QTest::newRow("same 12 characters") << "averylongname.db"
                                            << "averylongnameX.db" << true;
        QTest::newRow("different name") << "CLIENTS.DB"
                                        << "CLIENT.DB" << false;
    }

    void duplicateNames() {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(bool, refused);
        Bench b;
        QVERIFY(b.created);
        QDir().mkpath(b.app.path("a"));
        QDir().mkpath(b.app.path("b"));
        QCOMPARE(b.add(sourcetables::writeClients(b.app.path("a/" + first))),
                 CaptureResult::Captured);
        QCOMPARE(b.rows().first().table, first.left(12));
        const int rowsBefore = int(b.rows().size());
        const int linesBefore = b.host.code.lineCount();

        if (refused)
            widgets::MessageSeam::pushAnswer(widgets::mrOk);
        const CaptureResult result = b.add(sourcetables::writeClients(b.app.path("b/" + second)));
        if (!refused) {
            QCOMPARE(result, CaptureResult::Captured);
            QCOMPARE(widgets::MessageSeam::shownCount(), 0);
            return;
        }
        QCOMPARE(result, CaptureResult::NameInUse);
        QCOMPARE(widgets::MessageSeam::last().text,
                 QStringLiteral("Impossible operation... name of table yet used !"));
        QCOMPARE(widgets::MessageSeam::last().type, widgets::mtWarning);
        QCOMPARE(int(b.rows().size()), rowsBefore);
        QCOMPARE(b.host.code.lineCount(), linesBefore);
        QCOMPARE(b.host.code.title(), QStringLiteral("Delphi code - Lines generated: 29"));
        QCOMPARE(b.host.updates, 1);
    }

    void generationOff() {
        Bench b;
        QVERIFY(b.created);
        b.host.generating = false;
        QCOMPARE(b.captureClients(), CaptureResult::Captured);
        QCOMPARE(b.rows().size(), 9);
        QCOMPARE(b.host.code.lineCount(), 0);
        QVERIFY(b.host.code.title().isEmpty());
    }

    // A file that is no table: the engine's error, nothing written.
    void unreadableSource() {
        Bench b;
        QVERIFY(b.created);
        QFile junk(b.source("JUNK.DB"));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write(QByteArray(3000, 'x'));
        junk.close();
        QVERIFY_THROWS_EXCEPTION(engine::EngineError, b.add(junk.fileName()));
        QVERIFY(b.rows().isEmpty());
        QCOMPARE(b.host.code.lineCount(), 0);
        QCOMPARE(b.host.updates, 0);
    }

    // A write that fails at any point of a capture leaves the dictionary as
    // it was and appends no code; the capture can then be made again. The
    // points are counted first on a twin dictionary.
    void allOrNothing() {
        const uint64_t writes = captureWrites();
        QVERIFY2(writes > 0,
                 "the counting capture failed or wrote nothing through the file system");
        // Before the bench: its tables, opened through the faults, close after them.
        testsupport::FaultFileSystem faults(engine::fileSystem());
        Bench b;
        QVERIFY(b.created);
        QCOMPARE(b.captureClients(), CaptureResult::Captured);
        const QString source = sourcetables::writeEveryKind(b.source("TOUT.DB"));
        const QList<DicoRow> before = b.rows();
        const QStringList codeBefore = b.host.code.lines();
        const int updatesBefore = b.host.updates;
        {
            const testsupport::ScopedFileSystem mounted(faults);
            for (uint64_t n = 1; n <= writes; ++n) {
                b.reopenDico();
                faults.reset();
                faults.failAt(n, EIO, /*sticky=*/false);
                bool failed = false;
                try {
                    b.add(source);
                } catch (const engine::EngineError&) {
                    failed = true;
                }
                faults.reset();
                QVERIFY2(failed, qPrintable(QString("write %1 of %2 failed but the capture went on")
                                                .arg(n)
                                                .arg(writes)));
                QCOMPARE(b.rows(), before);
                QCOMPARE(b.host.code.lines(), codeBefore);
            }
            b.reopenDico();
            QCOMPARE(b.add(source), CaptureResult::Captured);
            b.closeDico();
        }
        qInfo("capture failed and was undone at each of its %llu write points", qulonglong(writes));
        const QList<DicoRow> after = b.rows();
        QCOMPARE(after.size(), before.size() + 27);
        QCOMPARE(after.last().noEnreg, int(after.size()));
        QCOMPARE(b.host.code.lines().mid(0, codeBefore.size()), codeBefore);
        QCOMPARE(b.host.code.lineCount() > codeBefore.size(), true);
        QVERIFY(b.host.updates > updatesBefore);
    }

    // Every corpus table into one dictionary: each is captured, refused as a
    // duplicate name, or, when the engine cannot read its rows (a password),
    // fails without writing anything. The numbers run without a gap and each
    // captured table has its block, which names the whole file.
    void corpusIntoOneDictionary() {
        const QString corpus = QStringLiteral(KV_SHARED_DIR "/corpus");
        if (!QFileInfo(corpus).isDir())
            QSKIP("the corpus of real tables is not there");
        QStringList paths;
        QDirIterator it(corpus, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            if (path.endsWith(".db", Qt::CaseInsensitive) && !path.contains("/reference/"))
                paths.append(path);
        }
        paths.sort();
        QVERIFY(paths.size() >= 50);

        Bench b;
        QVERIFY(b.created);
        QSet<QString> seen;
        QStringList captured, capturedFiles;
        int expectedRows = 0;
        for (const QString& path : paths) {
            const QString name = capture::RecordedTableName(capture::SourceFileName(path));
            const bool duplicate = seen.contains(name.toLower());
            if (duplicate)
                widgets::MessageSeam::pushAnswer(widgets::mrOk);
            const qsizetype rowsBefore = b.rows().size();
            try {
                const CaptureResult result = b.add(path);
                QCOMPARE(result == CaptureResult::NameInUse, duplicate);
            } catch (const std::exception& e) {
                QVERIFY2(!rowsReadable(path), qPrintable(path + ": " + e.what()));
                QCOMPARE(b.rows().size(), rowsBefore);
                continue;
            }
            if (duplicate)
                continue;
            seen.insert(name.toLower());
            captured.append(name);
            capturedFiles.append(capture::SourceFileName(path));
            const capture::TableStructure s = capture::ReadTableStructure(path);
            expectedRows += 1 + int(s.fields.size() + s.indexes.size());
        }
        QVERIFY(captured.size() >= 40);
        const QList<DicoRow> rows = b.rows();
        QCOMPARE(int(rows.size()), expectedRows);
        QStringList entries;
        for (int i = 0; i < rows.size(); ++i) {
            QCOMPARE(rows[i].noEnreg, i + 1);
            if (rows[i].ct)
                entries.append(rows[i].table);
        }
        QCOMPARE(entries, captured);
        QStringList blocks;
        for (const QString& line : b.host.code.lines()) {
            if (line.startsWith("with TableCreate do  // Beginning generation "))
                blocks.append(line.mid(45));
        }
        QCOMPARE(blocks, capturedFiles);
    }

    // pxlib reads the dictionary we wrote, row for row.
    void pxlibReadsTheDictionary() {
#ifndef KV_HAVE_PXLIB
        QSKIP("pxlib (pxlib-dev) is not installed");
#else
        Bench b;
        QVERIFY(b.created);
        QCOMPARE(b.captureClients(), CaptureResult::Captured);
        QCOMPARE(b.captureEveryKind(), CaptureResult::Captured);
        b.store.taChamps().Close();
        b.store.taDico().Close();
        const QList<DicoRow> expected = b.rows();

        pxdoc_t* px = PX_new();
        QVERIFY(PX_open_file(px, b.store.NomDico().toLocal8Bit().constData()) == 0);
        QCOMPARE(PX_get_num_fields(px), 8);
        QCOMPARE(PX_get_num_records(px), int(expected.size()));
        pxfield_t* fields = PX_get_fields(px);
        QList<DicoRow> read;
        std::vector<char> record(size_t(px->px_head->px_recordsize));
        for (int r = 0; r < PX_get_num_records(px); ++r) {
            QVERIFY(PX_get_record(px, r, record.data()));
            DicoRow row;
            char* p = record.data();
            auto alpha = [&](int i) -> std::optional<QString> {
                char* value = nullptr;
                std::optional<QString> text;
                if (PX_get_data_alpha(px, p, fields[i].px_flen, &value) > 0 && value) {
                    text = QString::fromLatin1(value);
                    px->free(px, value);
                }
                return text;
            };
            auto integer = [&](int i) -> std::optional<int> {
                // pxlib 0.6.8 tests a long for null by reading a C long, which is 8
                // bytes here and takes in the next field: test the 4 bytes first.
                if (std::all_of(p, p + 4, [](char c) { return c == 0; }))
                    return std::nullopt;
                long value = 0;
                if (PX_get_data_long(px, p, fields[i].px_flen, &value) > 0)
                    return int(value);
                return std::nullopt;
            };
            auto flag = [&](int i) {
                char value = 0;
                return PX_get_data_byte(px, p, fields[i].px_flen, &value) > 0 && value;
            };
            for (int i = 0; i < 8; ++i) {
                switch (i) {
                case 0:
                    row.noEnreg = integer(i).value_or(-1);
                    break;
                case 1:
                    row.table = alpha(i).value_or(QString());
                    break;
                case 2:
                    row.description = alpha(i);
                    break;
                case 3:
                    row.champ = alpha(i);
                    break;
                case 4:
                    row.type = alpha(i);
                    break;
                case 5:
                    row.longueur = integer(i);
                    break;
                case 6:
                    row.ct = flag(i);
                    break;
                case 7:
                    row.cc = flag(i);
                    break;
                }
                p += fields[i].px_flen;
            }
            read.append(row);
        }
        PX_close(px);
        PX_delete(px);
        QCOMPARE(read.size(), expected.size());
        for (int i = 0; i < read.size(); ++i)
            QVERIFY2(read[i] == expected[i],
                     qPrintable(describe(read[i]) + " <> " + describe(expected[i])));
#endif
    }
};

QTEST_MAIN(TestStructureCapture)
#include "tst_structurecapture.moc"
