// The print command: the open dictionary laid out on the report form and
// previewed, in English with the heading still French, and printed again as
// the dictionary then is.

#include "MainWindowFixture.h"

#include "capture/window/Tf_SelFichiers.h"
#include "framework/reporting/ReportPreviewWindow.h"
#include "report/Tr_Korvanta.h"

#include <QApplication>
#include <QPointer>

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
    void afterPrintingTheOpenDictionaryCanBeDeleted();
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
    // The report's views are open while the preview shows, and go with it.
    QVERIFY(r_Korvanta->taTables->Active() && r_Korvanta->taChamps->Active());
    delete preview;
    QVERIFY(!r_Korvanta->taTables->Active() && !r_Korvanta->taChamps->Active());

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

// Printed, previewed and the preview closed by the user: nothing holds the
// dictionary any more, so deleting it succeeds and leaves the window with no
// dictionary (caption, commands, no add window); a new dictionary then prints.
void TestPrint::afterPrintingTheOpenDictionaryCanBeDeleted() {
    MainWindowFixture f;
    r_Korvanta = new Tr_Korvanta();
    f.openFilledDictionary();
    f.click("spAjTable");
    QVERIFY(f_SelFichiers);
    f.click("spImprimer");
    ReportPreviewWindow* preview = shownPreview();
    QVERIFY(preview);
    QCOMPARE(preview->parentWidget(), f.window);
    preview->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!shownPreview());

    f.pickFile(QStringLiteral("paye.DB"));
    widgets::MessageSeam::pushAnswer(widgets::mrYes);
    f.click("spSupprimer");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(widgets::MessageSeam::shownCount(), 1); // the question, and no error
    QVERIFY(!f.dataFiles().contains(QStringLiteral("paye.DB")));
    QCOMPARE(f.state(), store::DicoState::NoDictionary);
    QCOMPARE(f.window->caption(), QStringLiteral("Korvanta"));
    QVERIFY(f.nomDico().isEmpty());
    for (const char* disabled : {"spImprimer", "spAjTable", "spSupTable"})
        QVERIFY2(!f.window->component<widgets::SpeedButton>(QLatin1String(disabled))->isEnabled(),
                 disabled);
    QVERIFY(!f.window->AddWindowShown && !f_SelFichiers);
    QVERIFY(!f.window->itAjTable->isChecked() && !f.window->spAjTable->isDown());

    f.openFilledDictionary();
    f.trigger("itImpDico");
    preview = shownPreview();
    QVERIFY(preview);
    QCOMPARE(printed(*preview, "QRDBText1"), QStringList{"CLIENTS"});
    // The preview goes with the main window.
    const QPointer<ReportPreviewWindow> owned(preview);
    delete f.window;
    f.window = nullptr;
    QVERIFY(!owned);
    delete r_Korvanta;
    r_Korvanta = nullptr;
}

QTEST_MAIN(TestPrint)
#include "tst_print.moc"
