#include "capture/CapturePlan.h"
#include "capture/FieldTypes.h"
#include "capture/IndexOptions.h"
#include "store/DicoRules.h"

#include <QTest>

using namespace capture;
using store::DicoRow;

class TestCapturePlan : public QObject {
    Q_OBJECT
private slots:
    // Names, type texts and recorded sizes of every type code.
    void typeTable_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("size"); // recorded for a display width of 10 (30 for strings)
        const char* names[] = {
            "ftUnknow",  "ftString",     "ftSmallInt", "ftInteger",    "ftWord", "ftBoolean",
            "ftFloat",   "ftCurrency",   "ftBCD",      "ftDate",       "ftTime", "ftDateTime",
            "ftBytes",   "ftVarBytes",   "ftAutoInc",  "ftBLOB",       "ftMemo", "ftGraphic",
            "ftFmtMemo", "ftParadoxOle", "ftDBaseOle", "ftTypedBinary"};
        const QList<int> zeroSized = {2, 3, 5, 6, 7, 9, 14};
        for (int code = 0; code < 22; ++code) {
            const int size = zeroSized.contains(code) ? 0 : (code == 1 ? 30 : 10);
            QTest::newRow(names[code]) << code << QString::fromLatin1(names[code]) << size;
        }
        QTest::newRow("out of range") << 99 << QStringLiteral("ftUnknow") << 10;
    }

    void typeTable() {
        QFETCH(int, code);
        QFETCH(QString, name);
        QFETCH(int, size);
        QCOMPARE(FieldTypeName(code), name);
        TableStructure t;
        t.tableName = QStringLiteral("T");
        t.fields = {{QStringLiteral("F"), code, code == 1 ? 30 : 10}};
        const DicoRow row = PlanCaptureRows(t, 1).at(1);
        QCOMPARE(row.type, std::optional<QString>(name.mid(2)));
        QCOMPARE(row.longueur, std::optional<int>(size));
    }

    void optionLabels_data() {
        QTest::addColumn<QList<unsigned>>("options");
        QTest::addColumn<QStringList>("labels");
        QTest::newRow("first without option is empty, the next one carries nothing")
            << QList<unsigned>{0, 0, ixDescending, 0}
            << QStringList{"", "", "ixDescending", "ixDescending"};
        QTest::newRow("last option named, primary never beside unique")
            << QList<unsigned>{ixPrimary, ixPrimary | ixUnique, ixUnique | ixDescending,
                               ixCaseInsensitive | ixExpression}
            << QStringList{"ixPrimary", "ixUnique", "ixDescending", "ixExpression"};
    }

    void optionLabels() {
        QFETCH(QList<unsigned>, options);
        QFETCH(QStringList, labels);
        TableStructure t;
        t.tableName = QStringLiteral("T");
        for (unsigned o : options)
            t.indexes.append({QStringLiteral("I"), QStringLiteral("F"), o});
        const QList<DicoRow> rows = PlanCaptureRows(t, 1);
        QStringList got;
        for (int i = 1; i < rows.size(); ++i)
            got.append(*rows[i].type);
        QCOMPARE(got, labels);
    }

    // Readers sort what capture wrote by the index-row rule: over every field
    // type and every option set an index can have, first or after another,
    // each planned row is told for what it is. The description lock is the
    // describe command's narrower rule: "ix" or "IX" exactly, never a blank
    // label nor another mix of case.
    void indexRowRule() {
        using store::DicoRules;
        TableStructure t;
        t.tableName = QStringLiteral("T");
        for (int code = 0; code <= 21; ++code)
            t.fields.append({QStringLiteral("F%1").arg(code), code, 10});
        for (unsigned options = 0; options < 32; ++options) {
            for (unsigned before : {0u, options, 31u - options}) {
                t.indexes.append({QStringLiteral("I"), QStringLiteral("F0"), before});
                t.indexes.append({QStringLiteral("J"), QStringLiteral("F1"), options});
            }
        }
        const QList<DicoRow> rows = PlanCaptureRows(t, 1);
        for (qsizetype i = 1; i < rows.size(); ++i) {
            const QString type = rows[i].type.value_or(QString());
            const bool index = i > t.fields.size();
            QVERIFY2(DicoRules::IsIndexRow(type) == index, qPrintable(type));
            QCOMPARE(DicoRules::DescriptionLocked(type), index && !type.isEmpty());
        }
        struct Typed {
            const char* type;
            bool index;
            bool locked;
        };
        for (const Typed& typed :
             {Typed{"ixUnique", true, true}, Typed{"", true, false},
              Typed{"IXPRIMARY", false, true}, Typed{"IxUnique", false, false},
              Typed{"iXUnique", false, false}, Typed{"String", false, false}}) {
            const QString type = QString::fromLatin1(typed.type);
            QCOMPARE(DicoRules::IsIndexRow(type), typed.index);
            QCOMPARE(DicoRules::DescriptionLocked(type), typed.locked);
        }
    }

    void sourceFileName_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("name");
        QTest::newRow("backslash") << "C:\\a\\b\\CLIENTS.DB"
                                   << "CLIENTS.DB";
        QTest::newRow("drive only") << "D:CLIENTS.DB"
                                    << "CLIENTS.DB";
        QTest::newRow("slash") << "/tmp/x/clients.db"
                               << "clients.db";
        QTest::newRow("bare") << "clients.db"
                              << "clients.db";
    }

    void sourceFileName() {
        QFETCH(QString, path);
        QFETCH(QString, name);
        QCOMPARE(SourceFileName(path), name);
    }
};

QTEST_GUILESS_MAIN(TestCapturePlan)
#include "tst_captureplan.moc"
