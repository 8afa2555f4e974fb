// The print command: the open dictionary laid out on the report form and
// previewed, in English with the heading still French, and printed again as
// the dictionary then is.

#include "MainWindowFixture.h"

#include "framework/reporting/ReportPreviewWindow.h"
#include "report/Tr_Korvanta.h"

#include <QApplication>

using reporting::PageItem;
using reporting::ReportPreviewWindow;

namespace {

ReportPreviewWindow* shownPreview() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* preview = qobject_cast<ReportPreviewWindow*>(w); preview && preview->isVisible())
            return preview;
    return nullptr;
}

// The texts one component printed, over every page.
QStringList printed(const ReportPreviewWindow& preview, const QString& source) {
    QStringList texts;
    for (const reporting::ReportPage& page : preview.report().pages)
        for (const PageItem& item : page.items)
            if (item.source == source)
                texts << item.text;
    return texts;
}

} // namespace

class TestPrint : public QObject {
    Q_OBJECT

private slots:
    void printPreviewsTheOpenDictionary();
};

void TestPrint::printPreviewsTheOpenDictionary() {
    MainWindowFixture f;
    r_Korvanta = new Tr_Korvanta();
    f.openFilledDictionary();
    QCOMPARE(lang::TMultiLang::CurrentLanguage(), quint8(1));

    f.click("spImprimer");
    ReportPreviewWindow* preview = shownPreview();
    QVERIFY(preview);
    QCOMPARE(printed(*preview, "etNomDico"), QStringList{"Dictionnaire: " + f.nomDico()});
    QCOMPARE(preview->report().title, "Dictionary: " + f.nomDico());
    QCOMPARE(printed(*preview, "QRDBText1"), QStringList{"CLIENTS"});
    QCOMPARE(printed(*preview, "QRDBText2"), QStringList{"NOM"});
    QCOMPARE(printed(*preview, "QRLabel2"), QStringList{"Page -"});
    // The report's views stay open on the dictionary after the preview.
    QVERIFY(r_Korvanta->taTables->Active() && r_Korvanta->taChamps->Active());
    delete preview;

    // A table added since is printed by the next print, from the menu.
    f.addTable(QStringLiteral("ARTICLES"), {QStringLiteral("REF"), QStringLiteral("PRIX")});
    f.trigger("itImpDico");
    preview = shownPreview();
    QVERIFY(preview);
    QCOMPARE(printed(*preview, "QRDBText1"), (QStringList{"ARTICLES", "CLIENTS"}));
    QCOMPARE(printed(*preview, "QRDBText2"), (QStringList{"REF", "PRIX", "NOM"}));
    delete preview;

    delete r_Korvanta;
    r_Korvanta = nullptr;
}

QTEST_MAIN(TestPrint)
#include "tst_print.moc"
