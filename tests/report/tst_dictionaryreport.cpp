// The dictionary report's pages, checked as data (what each band printed and
// where) and, for cutting and alignment, as drawn.

#include "DictionaryFile.h"

#include "framework/dataset/Database.h"
#include "framework/reporting/LayoutProgress.h"
#include "framework/reporting/PagePainter.h"
#include "framework/reporting/PageStore.h"
#include "framework/reporting/PdfReportFile.h"
#include "framework/reporting/PreparedReportFile.h"
#include "framework/reporting/Report.h"
#include "framework/reporting/TextMeasure.h"
#include "lang/TMultiLang.h"
#include "report/Tr_Korvanta.h"

#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QtTest>

using reporting::PageItem;
using reporting::PreparedReport;
using reporting::ReportPage;

namespace {

// Where the page footer starts: the report's bottom margin and footer band
// above the paper's foot.
double footerTop(const PreparedReport& report) {
    return report.pageSize.height() - 38 - 40;
}

const PageItem* find(const ReportPage& page, const QString& source) {
    for (const PageItem& item : page.items)
        if (item.source == source)
            return &item;
    return nullptr;
}

bool isPageFrame(const QString& source) {
    static const QStringList frame{"etNomDico", "QRSysData1", "QRShape3",
                                   "QRLabel2",  "QRSysData2", "QRShape4"};
    return frame.contains(source);
}

// The body of every page in print order, one "source=text" per item.
QStringList transcript(const PreparedReport& report) {
    QStringList lines;
    for (const ReportPage& page : report.pages)
        for (const PageItem& item : page.items)
            if (!isPageFrame(item.source))
                lines << item.source + QLatin1Char('=') + item.text;
    return lines;
}

// What one field entry prints, in band order.
QStringList fieldLines(const FieldEntry& f) {
    QStringList lines{"QRDBText2=" + f.champ};
    if (!f.description.isEmpty())
        lines << "QRDBText5=" + f.description;
    if (!f.type.isEmpty())
        lines << "QRDBText3=" + f.type;
    if (f.longueur.toInt() != 0)
        lines << "etLongueur=" + QString::number(f.longueur.toInt());
    return lines << "QRShape2=";
}

QList<FieldEntry> numberedFields(const QString& prefix, int count) {
    QList<FieldEntry> fields;
    for (int i = 1; i <= count; ++i)
        fields << FieldEntry{prefix + QString::number(i), "d", "ftString", i};
    return fields;
}

// The band a page item belongs to starts this far above the item.
double bandTopOf(const PageItem& item) {
    static const QHash<QString, double> offsets{
        {"QRDBText1", 10}, {"QRShape1", 25}, {"QRShape2", 12}};
    return item.box.top() - offsets.value(item.source, 0);
}

double bandHeightOf(const PageItem& item) {
    return item.source == QLatin1String("QRDBText1") || item.source == QLatin1String("QRShape1")
               ? 30
               : 15;
}

} // namespace

// Every step the layout reports, as (done, total).
class StepRecorder : public reporting::LayoutProgress {
public:
    bool advance(int done, int total) override {
        seen.append({done, total});
        return true;
    }
    QList<QPair<int, int>> seen;
};

class TestDictionaryReport : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void bandsFollowTheDictionary();
    void everyPageHasItsFooter_data();
    void everyPageHasItsFooter();
    void textIsCutAndAlignedInItsBox();
    void pagesHandedOnMatchTheWholeReport();

private:
    PreparedReport print(const DictionaryFile& dictionary);

    QTemporaryDir m_dir;
    std::unique_ptr<dataset::Database> m_dbDico;
    std::unique_ptr<Tr_Korvanta> m_form;
};

void TestDictionaryReport::initTestCase() {
    QVERIFY(m_dir.isValid());
    reporting::registerFontSubstitutes();
    m_dbDico = std::make_unique<dataset::Database>(nullptr, QStringLiteral("dbDico"));
    m_dbDico->setPath(m_dir.path());
}

void TestDictionaryReport::init() {
    lang::TMultiLang::SetGlobalLanguage(0);
    m_form = std::make_unique<Tr_Korvanta>();
}

PreparedReport TestDictionaryReport::print(const DictionaryFile& dictionary) {
    m_form->setUpForPrinting(dictionary.path(), dictionary.path());
    std::optional<PreparedReport> report = m_form->preparePages();
    if (!report)
        return {};
    return *report;
}

void TestDictionaryReport::bandsFollowTheDictionary() {
    const QList<FieldEntry> zeta{{"Z1", "size recorded as 0", "ftInteger", 0},
                                 {"Z2", "", "ftMemo", {}},
                                 {"Z3", "code", "ftString", 12},
                                 {"Z0", "", "ixPrimary", {}}};
    const QList<FieldEntry> beta{{"B2", "second captured first", "ftString", 5},
                                 {"B1", "", "ftDate", 0}};
    DictionaryFile dico(m_dir.filePath("ORDER.DB"));
    dico.addTable("zeta.db", zeta);
    dico.addTable("Alpha.db", {});
    dico.addTable("BETA.db", beta);
    const PreparedReport report = print(dico);
    QCOMPARE(report.title, "Dictionary: " + dico.path());
    QCOMPARE(report.pages.size(), size_t(1));

    // Case-insensitive name order; within a table, the engine's order for
    // equal keys, which is capture order here; no size for 0 or empty.
    QStringList expected{"QRDBText1=Alpha.db", "QRShape1=", "QRDBText1=BETA.db", "QRShape1="};
    for (const FieldEntry& f : beta)
        expected << fieldLines(f);
    expected << "QRDBText1=zeta.db"
             << "QRShape1=";
    for (const FieldEntry& f : zeta)
        expected << fieldLines(f);
    QCOMPARE(transcript(report), expected);

    const ReportPage& page = report.pages.front();
    const PageItem* heading = find(page, "etNomDico");
    QVERIFY(heading);
    QCOMPARE(heading->text, "Dictionnaire: " + dico.path());
    QCOMPARE(heading->box, QRectF(40, 38 + 10, 596, 19));
    QCOMPARE(find(page, "QRShape3")->box, QRectF(40, 38 + 30, 696, 0));
    QCOMPARE(find(page, "QRSysData1")->text,
             QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat));
    // The first heading under the 41-unit title band, its line 15 units lower,
    // the first field row right under the 30-unit detail band.
    QCOMPARE(find(page, "QRDBText1")->box, QRectF(45, 38 + 41 + 10, 446, 17));
    QCOMPARE(find(page, "QRShape1")->box, QRectF(45, 38 + 41 + 25, 691, 0));
    QCOMPARE(find(page, "QRDBText2")->box.top(), 38.0 + 41 + 30 + 30);
    QCOMPARE(find(page, "QRShape2")->box, QRectF(695, 38 + 41 + 30 + 30 + 12, 41, 0));
    QCOMPARE(find(page, "etLongueur")->alignment, int(Qt::AlignRight));

    // The same form prints another dictionary next: every item reads the new file.
    DictionaryFile other(m_dir.filePath("OTHER.DB"));
    other.addTable("solo.db", zeta);
    QStringList second{"QRDBText1=solo.db", "QRShape1="};
    for (const FieldEntry& f : zeta)
        second << fieldLines(f);
    QCOMPARE(transcript(print(other)), second);
}

void TestDictionaryReport::everyPageHasItsFooter_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("label");
    QTest::newRow("French") << 0 << "Page - ";
    QTest::newRow("English") << 1 << "Page -";
}

void TestDictionaryReport::everyPageHasItsFooter() {
    QFETCH(int, language);
    QFETCH(QString, label);
    lang::TMultiLang::SetGlobalLanguage(quint8(language));
    DictionaryFile dico(m_dir.filePath(QStringLiteral("LONG%1.DB").arg(language)));
    for (int t = 0; t < 4; ++t)
        dico.addTable(QStringLiteral("T%1.db").arg(t), numberedFields("F", 45));
    const PreparedReport report = print(dico);
    QVERIFY(report.pages.size() >= 3);
    QCOMPARE(find(report.pages.front(), "etNomDico")->text, "Dictionnaire: " + dico.path());
    QCOMPARE(report.title, "Dictionary: " + dico.path());
    QCOMPARE(transcript(report).count("QRShape2="), 4 * 45);
    // The progress bar is measured in table entries, as it advances, and ends
    // full: the file's 4 + 180 rows are not its length.
    StepRecorder steps;
    QVERIFY(m_form->preparePages(&steps));
    QCOMPARE(steps.seen, (QList<QPair<int, int>>{{1, 4}, {2, 4}, {3, 4}, {4, 4}}));

    const double foot = footerTop(report);
    for (size_t i = 0; i < report.pages.size(); ++i) {
        const ReportPage& page = report.pages[i];
        QCOMPARE(page.number, int(i + 1));
        QCOMPARE(bool(find(page, "etNomDico")), i == 0);
        QCOMPARE(find(page, "QRLabel2")->text, label);
        QCOMPARE(find(page, "QRLabel2")->box.top(), foot + 15);
        QCOMPARE(find(page, "QRSysData2")->text, QString::number(i + 1));
        QCOMPARE(find(page, "QRShape4")->box.top(), foot + 10);
        // No band reaches into the footer, and a page ends only when the next
        // band would have.
        double lastBottom = 0;
        for (const PageItem& item : page.items) {
            if (isPageFrame(item.source))
                continue;
            lastBottom = qMax(lastBottom, bandTopOf(item) + bandHeightOf(item));
        }
        QVERIFY2(lastBottom <= foot, qPrintable(QString::number(lastBottom)));
        if (i + 1 < report.pages.size()) {
            const PageItem* next = nullptr;
            for (const PageItem& item : report.pages[i + 1].items)
                if (!isPageFrame(item.source) && !next)
                    next = &item;
            QVERIFY(next);
            QVERIFY(lastBottom + bandHeightOf(*next) > foot);
        }
    }
}

void TestDictionaryReport::textIsCutAndAlignedInItsBox() {
    DictionaryFile dico(m_dir.filePath("CUT.DB"));
    const QString longText(80, QLatin1Char('W'));
    dico.addTable("cut.db", {{"C1", longText, "ftString", 12345}});
    const PreparedReport report = print(dico);
    const ReportPage& page = report.pages.front();
    const PageItem* description = find(page, "QRDBText5");
    QCOMPARE(description->text, longText);

    const double scale = 2;
    QImage image((report.pageSize * scale).toSize(), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        reporting::PagePainter(painter, scale).paint(page);
    }
    // Columns holding ink in the rows of a box.
    auto inkColumns = [&](const QRectF& box, double from, double to) {
        QList<int> columns;
        for (int x = int(from * scale); x < int(to * scale); ++x)
            for (int y = int(box.top() * scale); y < int((box.bottom() - 1) * scale); ++y)
                if (qGray(image.pixel(x, y)) < 128) {
                    columns << x;
                    break;
                }
        return columns;
    };
    const QRectF box = description->box;
    const QList<int> inside = inkColumns(box, box.left(), box.right());
    QVERIFY(!inside.isEmpty());
    QVERIFY(inside.last() >= int((box.right() - 4) * scale)); // the text runs to the edge
    QVERIFY(inkColumns(box, box.right(), 519).isEmpty());     // and is cut there

    // The digits' rows only: the short line at 695 runs 12 units down the band.
    const PageItem* size = find(page, "etLongueur");
    const QRectF digitRows(size->box.topLeft(), QSizeF(size->box.width(), 12));
    const QList<int> digits = inkColumns(digitRows, size->box.left() - 8, size->box.right() + 8);
    QVERIFY(!digits.isEmpty());
    QVERIFY(digits.last() <= int(size->box.right() * scale));
    QVERIFY(digits.last() >= int((size->box.right() - 3) * scale));
    QVERIFY(digits.first() >= int(size->box.left() * scale));
}

// A long report laid out a page at a time into the preview's page store and
// into a PDF file, never held whole, gives what the whole-in-memory layout
// gives: the same pages read back in any order, the same prepared-report file
// byte for byte (and read back the same), the same number of PDF pages.
void TestDictionaryReport::pagesHandedOnMatchTheWholeReport() {
    DictionaryFile dico(m_dir.filePath("HANDED.DB"));
    m_dbDico->StartTransaction();
    for (int t = 0; t < 40; ++t)
        dico.addTable(QStringLiteral("T%1.db").arg(t, 3, 10, QLatin1Char('0')),
                      numberedFields("F", 5 + t % 30));
    m_dbDico->Commit();
    const PreparedReport whole = print(dico);
    QVERIFY(whole.pages.size() > 10);

    reporting::PageStore store(whole.title, whole.pageSize);
    QVERIFY(m_form->preparePages(store));
    QCOMPARE(store.pageCount(), int(whole.pages.size()));
    for (int i = store.pageCount() - 1; i >= 0; i -= 3)
        QVERIFY2(store.page(i) == whole.pages[size_t(i)], qPrintable(QString::number(i)));
    QVERIFY(store.wholeReport() == whole);

    QString error;
    const QString fromStore = m_dir.filePath("store.kvr");
    const QString fromWhole = m_dir.filePath("whole.kvr");
    QVERIFY2(reporting::PreparedReportFile::saveStore(store, fromStore, error), qPrintable(error));
    QVERIFY2(reporting::PreparedReportFile::save(whole, fromWhole, error), qPrintable(error));
    const auto bytes = [](const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    QVERIFY(!bytes(fromStore).isEmpty());
    QCOMPARE(bytes(fromStore), bytes(fromWhole));
    std::unique_ptr<reporting::PageStore> loaded =
        reporting::PreparedReportFile::loadStore(fromStore, error);
    QVERIFY2(loaded, qPrintable(error));
    QVERIFY(loaded->wholeReport() == whole);

    reporting::PdfReportFile pdf;
    const QString streamed = m_dir.filePath("streamed.pdf");
    QVERIFY2(pdf.begin(streamed, whole.title, whole.pageSize, error), qPrintable(error));
    QVERIFY(m_form->preparePages(pdf));
    QVERIFY2(pdf.commit(error), qPrintable(error));
    QCOMPARE(pdf.pages(), int(whole.pages.size()));
    const QRegularExpression pageObject(QStringLiteral("/Type\\s*/Page[^s]"));
    QCOMPARE(QString::fromLatin1(bytes(streamed)).count(pageObject), int(whole.pages.size()));
}

QTEST_MAIN(TestDictionaryReport)
#include "tst_dictionaryreport.moc"
