// Text in the table's code page: decoding of the DOS and Windows pages (and a
// multi-byte one), refusal of characters a page cannot hold, the case folding used by
// case-insensitive indexes, and tables written in one page read back.

#include <QtTest>

#include "engine/CodePage.h"
#include "engine/EngineError.h"

using namespace engine;

class TestCodePage : public QObject {
    Q_OBJECT

private slots:
    void decode_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("437 é") << 437 << QByteArray("Mari\x82") << QStringLiteral("Marié");
        QTest::newRow("437 box") << 437 << QByteArray("\xC9\xCD") << QStringLiteral("╔═");
        QTest::newRow("850 ø") << 850 << QByteArray("\x9B") << QStringLiteral("ø");
        QTest::newRow("852 ł") << 852 << QByteArray("\x88") << QStringLiteral("ł");
        QTest::newRow("857 ş") << 857 << QByteArray("\x9F") << QStringLiteral("ş");
        QTest::newRow("860 ã") << 860 << QByteArray("\x84") << QStringLiteral("ã");
        QTest::newRow("865 ø") << 865 << QByteArray("\x9B") << QStringLiteral("ø");
        QTest::newRow("866 Я") << 866 << QByteArray("\x9F") << QStringLiteral("Я");
        QTest::newRow("1250 ő") << 1250 << QByteArray("\xF5") << QStringLiteral("ő");
        QTest::newRow("1251 ж") << 1251 << QByteArray("\xE6") << QStringLiteral("ж");
        QTest::newRow("1252 €œ") << 1252 << QByteArray("\x80\x9C") << QStringLiteral("€œ");
        QTest::newRow("1253 Ω") << 1253 << QByteArray("\xD9") << QStringLiteral("Ω");
        QTest::newRow("1254 ğ") << 1254 << QByteArray("\xF0") << QStringLiteral("ğ");
        QTest::newRow("1255 א") << 1255 << QByteArray("\xE0") << QStringLiteral("א");
        QTest::newRow("1256 ع") << 1256 << QByteArray("\xDA") << QStringLiteral("ع");
        QTest::newRow("1257 ą") << 1257 << QByteArray("\xE0") << QStringLiteral("ą");
        QTest::newRow("1258 ₫") << 1258 << QByteArray("\xFE") << QStringLiteral("₫");
        QTest::newRow("936 中文") << 936 << QByteArray("\xD6\xD0\xCE\xC4")
                                  << QStringLiteral("中文");
        QTest::newRow("1252 undefined byte kept")
            << 1252 << QByteArray("\x81") << QString(QChar(0x81));
    }
    void decode() {
        QFETCH(int, page);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        const CodePage& cp = CodePage::get(page);
        const std::string utf8 =
            cp.decode(std::string_view(bytes.constData(), size_t(bytes.size())));
        QCOMPARE(QString::fromStdString(utf8), text);
        std::string back;
        QVERIFY(cp.encode(utf8, back));
        QCOMPARE(QByteArray::fromStdString(back), bytes);
    }

    void unencodable_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("text");
        QTest::newRow("Cyrillic in 1252") << 1252 << QStringLiteral("Я");
        QTest::newRow("euro in 437") << 437 << QStringLiteral("€");
        QTest::newRow("CJK in 1251") << 1251 << QStringLiteral("中");
        QTest::newRow("emoji in 936") << 936 << QStringLiteral("😀");
    }
    void unencodable() {
        QFETCH(int, page);
        QFETCH(QString, text);
        std::string out;
        QVERIFY(!CodePage::get(page).encode(text.toStdString(), out));
    }

    void malformedUtf8Refused() {
        std::string out;
        QVERIFY(!CodePage::get(1252).encode("a\xC3", out));
        QVERIFY(!CodePage::get(1252).encode("\xC0\xAF", out)); // overlong
    }

    void folding_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("lower");
        QTest::addColumn<QString>("upper");
        QTest::newRow("ASCII") << 1252 << "abcxyz"
                               << "ABCXYZ";
        QTest::newRow("1252 accents") << 1252 << "éèàçœšÿ"
                                      << "ÉÈÀÇŒŠŸ";
        QTest::newRow("850 accents") << 850 << "éåø"
                                     << "ÉÅØ";
        QTest::newRow("437 é has no capital É? it does") << 437 << "é"
                                                         << "É";
        QTest::newRow("437 à has none: unchanged") << 437 << "à"
                                                   << "à";
        QTest::newRow("1251 Cyrillic") << 1251 << "жёя"
                                       << "ЖЁЯ";
        QTest::newRow("866 Cyrillic") << 866 << "жя"
                                      << "ЖЯ";
        QTest::newRow("1253 Greek") << 1253 << "αβω"
                                    << "ΑΒΩ";
        QTest::newRow("digits and signs unchanged") << 1252 << "12-_ ."
                                                    << "12-_ .";
    }
    void folding() {
        QFETCH(int, page);
        QFETCH(QString, lower);
        QFETCH(QString, upper);
        const CodePage& cp = CodePage::get(page);
        std::string bytes, expected;
        QVERIFY(cp.encode(lower.toStdString(), bytes));
        QVERIFY(cp.encode(upper.toStdString(), expected));
        cp.foldInPlace(bytes.data(), bytes.size());
        QCOMPARE(QString::fromStdString(cp.decode(bytes)), upper);
    }

    void unknownPage() {
        try {
            CodePage::get(4242);
            QFAIL("an unknown code page was accepted");
        } catch (const EngineError& e) {
            QCOMPARE(e.code(), ErrorCode::NotSupported);
        }
    }
};

QTEST_GUILESS_MAIN(TestCodePage)
#include "tst_codepage.moc"
