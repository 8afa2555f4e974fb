// Tables written by pxlib (an independent implementation) are read by the engine
// row for row: every field type pxlib can write, keyed and unkeyed, one and many
// blocks, NULLs, two code pages. (pxlib cannot write BLOBs: its .MB code aborts.)

#include "engine/EngineError.h"
#include "engine/TableFile.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <cstring>

#ifdef KV_HAVE_PXLIB
extern "C" {
#include <paradox.h>
}
#endif

using engine::FieldType;
using engine::Value;

namespace {

#ifdef KV_HAVE_PXLIB
struct Column {
    const char* name;
    int pxType;
    int len;
    FieldType type;
};

const Column kColumns[] = {
    {"Id", pxfLong, 4, FieldType::Long},
    {"Name", pxfAlpha, 24, FieldType::Alpha},
    {"Day", pxfDate, 4, FieldType::Date},
    {"Small", pxfShort, 2, FieldType::Short},
    {"Price", pxfCurrency, 8, FieldType::Money},
    {"Ratio", pxfNumber, 8, FieldType::Number},
    {"Flag", pxfLogical, 1, FieldType::Logical},
    {"At", pxfTime, 4, FieldType::Time},
    {"Stamp", pxfTimestamp, 8, FieldType::Timestamp},
    {"Counter", pxfAutoInc, 4, FieldType::AutoInc},
    {"Amount", pxfBCD, 17, FieldType::Bcd},
    {"Raw", pxfBytes, 6, FieldType::Bytes},
};
constexpr int kColumnCount = int(sizeof kColumns / sizeof kColumns[0]);

// Every 7th row holds NULLs outside its key and counter.
bool nullRow(int r) {
    return r % 7 == 3;
}

// The raw Alpha bytes of row r in the given code page, and the same text in UTF-8.
std::pair<std::string, std::string> nameOf(int r, int codePage) {
    if (r % 5 == 1)
        return codePage == 850
                   ? std::pair{std::string("caf\x82 \x90t\x82"), std::string("café Été")}
                   : std::pair{std::string("caf\xE9 \xC9t\xE9"), std::string("café Été")};
    std::string s = "row " + std::to_string(r) + (r % 2 ? " odd" : "");
    return {s, s};
}

std::string bcdText(int r) {
    int cents = (r * 137) % 100000 - 50000;
    char b[32];
    std::snprintf(b, sizeof b, "%s%d.%02d", cents < 0 ? "-" : "", std::abs(cents) / 100,
                  std::abs(cents) % 100);
    return b;
}

Value expected(int r, int column, int codePage) {
    if (nullRow(r) && column != 0 && column != 9)
        return Value::null();
    switch (column) {
    case 0:
        return Value::fromInt(r + 1);
    case 1:
        return Value::fromText(nameOf(r, codePage).second);
    case 2:
        return Value::fromDate(Value::daysFromCivil(1990 + r % 30, 1 + r % 12, 1 + r % 28));
    case 3:
        return Value::fromInt(r % 2 ? -(r % 32767) : r % 32767);
    case 4:
        return Value::fromFloat(r * 1.25 - 100);
    case 5:
        return Value::fromFloat(r % 3 ? 1.0 / (r + 1) : -1e10 * r);
    case 6:
        return Value::fromBool(r % 2 == 0);
    case 7:
        return Value::fromTime((r * 1234567LL) % 86400000);
    case 8:
        return Value::fromTimestamp(Value::daysFromCivil(2000 + r % 20, 2, 3) * 86400000LL +
                                    r * 1000);
    case 9:
        return Value::fromInt(r + 1);
    case 10:
        return Value::fromBcd(bcdText(r));
    case 11:
        return Value::fromBytes(std::string("\x01\xFF") + char(r % 256) + std::string("xyz"));
    }
    return Value::null();
}

void errorHandler(pxdoc_t*, int, const char* msg, void*) {
    qWarning("pxlib: %s", msg);
}

// Writes `rows` rows with pxlib; keyed tables get their rows in key order.
bool writeWithPxlib(const QString& path, bool keyed, int rows, int codePage) {
    pxdoc_t* px = PX_new2(errorHandler, nullptr, nullptr, nullptr);
    auto* fields =
        static_cast<pxfield_t*>(px->malloc(px, kColumnCount * sizeof(pxfield_t), "fields"));
    for (int i = 0; i < kColumnCount; ++i) {
        fields[i].px_fname = static_cast<char*>(px->malloc(px, 32, "name"));
        std::strcpy(fields[i].px_fname, kColumns[i].name);
        fields[i].px_ftype = char(kColumns[i].pxType);
        fields[i].px_flen = kColumns[i].len;
        fields[i].px_fdc = kColumns[i].pxType == pxfBCD ? 2 : 0;
    }
    if (PX_create_file(px, fields, kColumnCount, path.toLocal8Bit().constData(),
                       keyed ? pxfFileTypIndexDB : pxfFileTypNonIndexDB) < 0)
        return false;
    if (keyed)
        PX_set_value(px, "numprimkeys", 1);
    PX_set_value(px, "codepage", float(codePage));
    std::vector<char> rec(size_t(PX_get_recordsize(px)));
    for (int r = 0; r < rows; ++r) {
        std::fill(rec.begin(), rec.end(), 0);
        char* p = rec.data();
        for (int c = 0; c < kColumnCount; ++c) {
            Value v = expected(r, c, codePage);
            const int len = kColumns[c].len;
            if (!v.isNull()) {
                switch (kColumns[c].type) {
                case FieldType::Alpha: {
                    std::string raw = nameOf(r, codePage).first;
                    PX_put_data_alpha(px, p, len, raw.data());
                    break;
                }
                case FieldType::Short:
                    PX_put_data_short(px, p, len, short(v.integer));
                    break;
                case FieldType::Money:
                case FieldType::Number:
                    PX_put_data_double(px, p, len, v.real);
                    break;
                case FieldType::Logical:
                    PX_put_data_byte(px, p, len, char(v.boolean));
                    break;
                case FieldType::Timestamp:
                    PX_put_data_double(px, p, len, double(v.integer));
                    break;
                case FieldType::Bcd: {
                    std::string s = v.text;
                    PX_put_data_bcd(px, p, 2, s.data());
                    break;
                }
                case FieldType::Bytes: {
                    std::string s = v.text;
                    PX_put_data_bytes(px, p, len, s.data());
                    break;
                }
                default:
                    PX_put_data_long(px, p, len, int(v.integer));
                    break;
                }
            }
            p += len;
        }
        if (PX_put_record(px, rec.data()) < 0)
            return false;
    }
    PX_close(px);
    PX_delete(px);
    return true;
}

bool sameValue(const Value& a, const Value& b) {
    if (a.kind != b.kind)
        return false;
    switch (a.kind) {
    case Value::Kind::Float:
        return a.real == b.real;
    case Value::Kind::Bcd:
        return std::stod(a.text) == std::stod(b.text);
    case Value::Kind::Bytes: {
        std::string x = a.text, y = b.text;
        x.resize(std::max(x.size(), y.size()), '\0');
        y.resize(x.size(), '\0');
        return x == y;
    }
    default:
        return a == b;
    }
}
#endif

} // namespace

class TestPxlib : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void initTestCase() {
#ifndef KV_HAVE_PXLIB
        QSKIP("pxlib (pxlib-dev) is not installed");
#endif
        QVERIFY(m_dir.isValid());
    }

    void readsPxlibTables_data() {
        QTest::addColumn<bool>("keyed");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("codePage");
        QTest::newRow("keyed, empty") << true << 0 << 1252;
        QTest::newRow("keyed, one block") << true << 5 << 1252;
        QTest::newRow("keyed, many blocks") << true << 700 << 1252;
        QTest::newRow("unkeyed, many blocks") << false << 300 << 1252;
        QTest::newRow("unkeyed, code page 850") << false << 20 << 850;
    }
    void readsPxlibTables() {
#ifdef KV_HAVE_PXLIB
        QFETCH(bool, keyed);
        QFETCH(int, rows);
        QFETCH(int, codePage);
        const QString path =
            m_dir.filePath(QStringLiteral("P%1_%2_%3.DB").arg(keyed).arg(rows).arg(codePage));
        QVERIFY(writeWithPxlib(path, keyed, rows, codePage));

        auto t = engine::TableFile::open(path.toStdString());
        QCOMPARE(t->isKeyed(), keyed);
        QCOMPARE(t->keyFieldCount(), keyed ? 1 : 0);
        QCOMPARE(int(t->recordCount()), rows);
        QCOMPARE(t->codePage(), codePage);
        QCOMPARE(int(t->fields().size()), kColumnCount);
        for (int c = 0; c < kColumnCount; ++c) {
            QCOMPARE(t->fields()[size_t(c)].name, std::string(kColumns[c].name));
            QCOMPARE(t->fields()[size_t(c)].type, kColumns[c].type);
            QCOMPARE(t->fields()[size_t(c)].width, kColumns[c].len);
        }
        int r = 0;
        t->forEachRow([&](const engine::Row& row) {
            for (int c = 0; c < kColumnCount; ++c) {
                Value want = expected(r, c, codePage);
                if (!sameValue(row[size_t(c)], want)) {
                    qWarning(
                        "row %d field %s: kind %d/%d int %lld/%lld real %.17g/%.17g text '%s'/'%s'",
                        r, kColumns[c].name, int(row[size_t(c)].kind), int(want.kind),
                        (long long)row[size_t(c)].integer, (long long)want.integer,
                        row[size_t(c)].real, want.real, row[size_t(c)].text.c_str(),
                        want.text.c_str());
                    r = -1000000;
                    return false;
                }
            }
            ++r;
            return true;
        });
        QCOMPARE(r, rows);
#endif
    }
};

QTEST_GUILESS_MAIN(TestPxlib)
#include "tst_pxlib.moc"
