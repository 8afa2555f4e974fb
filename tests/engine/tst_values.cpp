// Field values: the order-preserving encodings (byte order = value order, zero bytes =
// NULL) and a round trip of every field type, with NULLs and edge values, through a
// table written and read back by the engine.

#include <QtTest>

#include "engine/Engine.h"
#include "engine/ValueCodec.h"

#include <cmath>
#include <random>

using namespace engine;

class TestValues : public QObject {
    Q_OBJECT

private slots:
    void integerOrder() {
        std::mt19937 rng{3};
        for (int width : {2, 4}) {
            const int64_t limit = width == 2 ? 32767 : 2147483647;
            std::vector<int64_t> values = {-limit, -1, 0, 1, limit};
            for (int i = 0; i < 200; ++i)
                values.push_back(int64_t(rng() % uint32_t(2 * limit)) - limit);
            std::sort(values.begin(), values.end());
            std::string previous;
            for (int64_t v : values) {
                char buf[4];
                codec::encodeInt(buf, width, v);
                const std::string image(buf, size_t(width));
                QVERIFY(!codec::allZero(buf, size_t(width))); // never mistaken for NULL
                QVERIFY(previous <= image);
                previous = image;
                int64_t back = 0;
                QVERIFY(codec::decodeInt(buf, width, back));
                QCOMPARE(back, v);
            }
        }
        char one[4];
        codec::encodeInt(one, 4, 1);
        QCOMPARE(std::string(one, 4), std::string("\x80\x00\x00\x01", 4));
    }

    void doubleOrder() {
        std::vector<double> values = {-1e300, -2.5, -1, -1e-300, 0.0, -0.0, 1e-300, 1, 2.5, 1e300};
        std::mt19937 rng{5};
        std::uniform_real_distribution<double> dist(-1e6, 1e6);
        for (int i = 0; i < 200; ++i)
            values.push_back(dist(rng));
        std::sort(values.begin(), values.end());
        std::string previous;
        for (double v : values) {
            char buf[8];
            codec::encodeDouble(buf, v);
            const std::string image(buf, 8);
            QVERIFY(previous <= image);
            previous = image;
            double back = 0;
            QVERIFY(codec::decodeDouble(buf, back));
            QCOMPARE(back, v == 0 ? 0.0 : v);
        }
        char zero[8];
        codec::encodeDouble(zero, -0.0);
        QCOMPARE(std::string(zero, 8), std::string("\x80\0\0\0\0\0\0\0", 8));
    }

    void bcd_data() {
        QTest::addColumn<int>("scale");
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("out"); // empty: refused
        QTest::newRow("1.23") << 2 << "1.23"
                              << "1.23";
        QTest::newRow("-1.23") << 2 << "-1.23"
                               << "-1.23";
        QTest::newRow("zero") << 2 << "0"
                              << "0.00";
        QTest::newRow("minus zero") << 2 << "-0.00"
                                    << "0.00";
        QTest::newRow("pads decimals") << 4 << "7.5"
                                       << "7.5000";
        QTest::newRow("integer scale 0") << 0 << "-123456"
                                         << "-123456";
        QTest::newRow("32 digits") << 0 << "12345678901234567890123456789012"
                                   << "12345678901234567890123456789012";
        QTest::newRow("too many digits") << 2 << "123456789012345678901234567890123"
                                         << "";
        QTest::newRow("lost decimals") << 2 << "1.234"
                                       << "";
        QTest::newRow("zero decimals dropped") << 2 << "1.2300"
                                               << "1.23";
        QTest::newRow("not a number") << 2 << "1.2x"
                                      << "";
        QTest::newRow("scale 32") << 32 << "0.5"
                                  << "0.50000000000000000000000000000000";
    }
    void bcd() {
        QFETCH(int, scale);
        QFETCH(QString, in);
        QFETCH(QString, out);
        char buf[17] = {};
        const bool ok = codec::encodeBcd(buf, scale, in.toStdString());
        QCOMPARE(ok, !out.isEmpty());
        if (!ok)
            return;
        std::string back;
        QVERIFY(codec::decodeBcd(buf, scale, back));
        QCOMPARE(QString::fromStdString(back), out);
        if (in == "1.23")
            QCOMPARE(std::string(buf, 17),
                     std::string("\xC2", 1) + std::string(14, '\0') + "\x01\x23");
        if (in == "-1.23")
            QCOMPARE(std::string(buf, 17),
                     std::string("\x42", 1) + std::string(14, '\xFF') + "\xFE\xDC");
    }

    void dates() {
        QCOMPARE(Value::daysFromCivil(1, 1, 1), int64_t(1));
        QCOMPARE(Value::daysFromCivil(1996, 5, 4), int64_t(728783));
        QCOMPARE(Value::daysFromCivil(2018, 1, 1), int64_t(736695));
        for (int64_t d :
             {int64_t(1), int64_t(59), int64_t(60), int64_t(728783), int64_t(3652059)}) {
            int y, m, day;
            Value::civilFromDays(d, y, m, day);
            QCOMPARE(Value::daysFromCivil(y, m, day), d);
        }
    }

    // Every type through a table: values, NULLs and the edges each type allows.
    void everyTypeRoundTrip() {
        QTemporaryDir dir;
        const std::filesystem::path file =
            std::filesystem::path(dir.path().toStdString()) / "TYPES.DB";
        const std::vector<FieldDef> defs = {
            {"Key", FieldType::AutoInc},    {"A", FieldType::Alpha, 20},
            {"D", FieldType::Date},         {"S", FieldType::Short},
            {"I", FieldType::Long},         {"M$", FieldType::Money},
            {"N", FieldType::Number},       {"L", FieldType::Logical},
            {"Memo", FieldType::Memo, 5},   {"Bin", FieldType::Blob, 4},
            {"Fmt", FieldType::FmtMemo, 1}, {"Ole", FieldType::Ole, 1},
            {"Pic", FieldType::Graphic, 1}, {"T", FieldType::Time},
            {"TS", FieldType::Timestamp},   {"BCD", FieldType::Bcd, 3},
            {"Y", FieldType::Bytes, 6}};
        createTable(file, defs, {{"", {"Key"}, ixPrimary}});
        const std::string longMemo(5000, 'x');
        const std::string midBlob = std::string("\0\1\2", 3) + std::string(1500, '\xAB');
        std::vector<Row> rows;
        rows.push_back(Row(defs.size())); // all NULL
        rows.push_back({Value::null(), Value::fromText("Été à l'œil"), Value::fromDate(728783),
                        Value::fromInt(-32767), Value::fromInt(2147483647),
                        Value::fromFloat(-12.25), Value::fromFloat(0.0), Value::fromBool(false),
                        Value::fromText("abc"), Value::fromBytes(std::string("\0\1", 2)),
                        Value::fromBytes("f"), Value::fromBytes("ole"), Value::fromBytes("GIF89a"),
                        Value::fromTime(0),
                        Value::fromTimestamp(int64_t(736695) * 86400000 + 3601000),
                        Value::fromBcd("-0.125"), Value::fromBytes(std::string("\0\0\1", 3))});
        rows.push_back({Value::null(), Value::fromText(std::string(20, 'Z')), Value::fromDate(1),
                        Value::fromInt(32767), Value::fromInt(-2147483647), Value::fromFloat(1e300),
                        Value::fromFloat(-0.5), Value::fromBool(true), Value::fromText(longMemo),
                        Value::fromBytes(midBlob), Value::fromBytes(longMemo),
                        Value::fromBytes(midBlob), Value::fromBytes(longMemo),
                        Value::fromTime(86399999), Value::fromTimestamp(86400000),
                        Value::fromBcd("12345.999"), Value::fromBytes("\xFF\xFF\xFF\xFF\xFF\xFF")});
        {
            auto t = TableFile::open(file);
            Cursor c(t);
            for (const Row& r : rows)
                c.insert(r);
        }
        auto t = TableFile::open(file);
        Cursor c(t);
        QCOMPARE(c.count(), int64_t(rows.size()));
        int i = 0;
        for (bool ok = c.first(); ok; ok = c.next(), ++i) {
            const Row& got = c.row();
            QCOMPARE(got[0].integer, int64_t(i + 1)); // handed out by the table
            for (size_t f = 1; f < defs.size(); ++f) {
                Value want = rows[size_t(i)][f];
                if (defs[f].type == FieldType::Bytes && !want.isNull())
                    want.text.resize(6, '\0');
                if (defs[f].type == FieldType::Bcd && !want.isNull())
                    want.text = i == 1 ? "-0.125" : "12345.999";
                const std::string where = "row " + std::to_string(i) + " field " + defs[f].name;
                QVERIFY2(got[f] == want, where.c_str());
            }
        }
        QVERIFY(std::filesystem::exists(file.parent_path() / "TYPES.MB"));
    }
};

QTEST_GUILESS_MAIN(TestValues)
#include "tst_values.moc"
