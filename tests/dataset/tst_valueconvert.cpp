// How field values read and write as text, numbers and Booleans.
#include "framework/dataset/DatasetError.h"
#include "framework/dataset/ValueConvert.h"

#include <QTest>

using namespace dataset;
using engine::Value;

Q_DECLARE_METATYPE(engine::Value)

namespace {

engine::FieldInfo info(engine::FieldType type, int size = 0, const char* name = "F") {
    engine::FieldInfo i;
    i.name = name;
    i.type = type;
    i.size = size;
    return i;
}

} // namespace

class TestValueConvert : public QObject {
    Q_OBJECT
private slots:
    void reading_data() {
        QTest::addColumn<Value>("value");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("integer");
        QTest::addColumn<bool>("boolean");
        QTest::newRow("null") << Value::null() << "" << 0 << false;
        QTest::newRow("text") << Value::fromText("Clients") << "Clients" << 0 << false;
        QTest::newRow("integer") << Value::fromInt(42) << "42" << 42 << true;
        QTest::newRow("true") << Value::fromBool(true) << "True" << 1 << true;
        QTest::newRow("false") << Value::fromBool(false) << "False" << 0 << false;
        QTest::newRow("float") << Value::fromFloat(2.5) << "2.5" << 3 << true;
        QTest::newRow("date") << Value::fromDate(728783) << "04/05/1996" << 728783 << false;
        QTest::newRow("time") << Value::fromTime(3601000) << "01:00:01" << 3601000 << false;
        QTest::newRow("timestamp") << Value::fromTimestamp(737456LL * 86400000 + 3601000)
                                   << "01/02/2020 01:00:01" << 0 << false;
    }
    void reading() {
        QFETCH(Value, value);
        QFETCH(QString, text);
        QFETCH(bool, boolean);
        QCOMPARE(convert::toText(value), text);
        QCOMPARE(convert::toBool(value), boolean);
        if (value.kind != Value::Kind::Timestamp) {
            QFETCH(int, integer);
            QCOMPARE(convert::toInt(value), integer);
        }
    }

    void writingText_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("size");
        QTest::addColumn<QString>("text");
        QTest::addColumn<Value>("expected");
        const int alpha = int(engine::FieldType::Alpha);
        const int lng = int(engine::FieldType::Long);
        const int logical = int(engine::FieldType::Logical);
        QTest::newRow("string fits")
            << alpha << 12 << "CLIENTS.DB" << Value::fromText("CLIENTS.DB");
        QTest::newRow("string cut to width")
            << alpha << 12 << "averylongnameX.db" << Value::fromText("averylongnam");
        QTest::newRow("empty string is null") << alpha << 12 << "" << Value::null();
        QTest::newRow("integer") << lng << 0 << " 17 " << Value::fromInt(17);
        QTest::newRow("empty integer is null") << lng << 0 << "" << Value::null();
        QTest::newRow("Boolean True") << logical << 0 << "True" << Value::fromBool(true);
        QTest::newRow("Boolean faux") << logical << 0 << "faux" << Value::fromBool(false);
        QTest::newRow("date") << int(engine::FieldType::Date) << 0 << "04/05/1996"
                              << Value::fromDate(728783);
    }
    void writingText() {
        QFETCH(int, type);
        QFETCH(int, size);
        QFETCH(QString, text);
        QFETCH(Value, expected);
        const engine::FieldInfo fi = info(engine::FieldType(type), size);
        QCOMPARE(convert::fromText(text, {fi, "T.DB"}), expected);
    }

    // A value the field cannot hold is refused in French, naming the field and the table.
    void refusedValues_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("text");
        QTest::newRow("letters in an integer") << int(engine::FieldType::Long) << "douze";
        QTest::newRow("short out of range") << int(engine::FieldType::Short) << "40000";
        QTest::newRow("not a Boolean") << int(engine::FieldType::Logical) << "peut-être";
        QTest::newRow("not a date") << int(engine::FieldType::Date) << "31/02/2020";
    }
    void refusedValues() {
        QFETCH(int, type);
        QFETCH(QString, text);
        const engine::FieldInfo fi = info(engine::FieldType(type), 0, "Longueur");
        try {
            convert::fromText(text, {fi, "paye.DB"});
            QFAIL("the value was accepted");
        } catch (const DatasetError& e) {
            QVERIFY2(e.text().contains("« Longueur »") && e.text().contains("« paye.DB »"),
                     qPrintable(e.text()));
        }
    }

    void creationTypes() {
        QCOMPARE(convert::engineType(ftInteger, "NoEnreg", "T"), engine::FieldType::Long);
        QCOMPARE(convert::engineType(ftString, "Table", "T"), engine::FieldType::Alpha);
        QCOMPARE(convert::engineType(ftBoolean, "CT", "T"), engine::FieldType::Logical);
        QCOMPARE(convert::engineType(ftCurrency, "Solde", "T"), engine::FieldType::Money);
        QCOMPARE(convert::engineType(ftAutoInc, "Code", "T"), engine::FieldType::AutoInc);
        for (FieldType t : {ftUnknown, ftWord, ftDBaseOle})
            QVERIFY_THROWS_EXCEPTION(DatasetError, convert::engineType(t, "X", "T"));
    }
};

QTEST_GUILESS_MAIN(TestValueConvert)
#include "tst_valueconvert.moc"
