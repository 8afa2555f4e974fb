// The about box as the user meets it: opened from the Help menu, in the
// language of the run, closed by OK or Enter and not by Escape; the
// program's icon on it and on the windows.

#include "tests/app/MainWindowFixture.h"

#include "about/ProgramIcon.h"
#include "about/Tf_Apropos.h"
#include "app/Startup.h"
#include "framework/widgets/Label.h"
#include "framework/widgets/Label3D.h"
#include "framework/widgets/Panel.h"
#include "framework/widgets/Screen.h"

#include <QRegularExpression>

using widgets::ModalSeam;

class TestAbout : public QObject {
    Q_OBJECT

private slots:
    void textsInBothLanguages_data();
    void textsInBothLanguages();
    void enterClosesEscapeDoesNot();
    void iconInSixteenColoursAndLargerSizes();
};

void TestAbout::textsInBothLanguages_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("product");
    QTest::newRow("English, after the main window is shown")
        << 1 << "The Dictionary for Databases applications with Delphi and Paradox tables";
    QTest::newRow("French") << 0
                            << "Le Dictionnaire pour applications de bases de données avec "
                               "Delphi et des tables Paradox";
}

void TestAbout::textsInBothLanguages() {
    QFETCH(int, language);
    QFETCH(QString, product);
    MainWindowFixture f; // shown: every window switched to English
    lang::SetGlobalLanguage(language);
    Tf_Apropos* box = f_Apropos;
    QVERIFY(box);
    QCOMPARE(box->ML->ActiveLanguage(), quint8(language));
    QCOMPARE(box->Label3D1->caption(), QStringLiteral("Korvanta "));
    QCOMPARE(box->etProduit->caption(), product);
    QCOMPARE(box->BitBtn1->caption(), QStringLiteral("OK"));
    QCOMPARE(box->Panel2->caption(), QString());
    QCOMPARE(box->etVersion->caption(), QStringLiteral("1.0"));
    // The credit names the product and a year, and nobody.
    const QString credit = box->Label1->caption();
    QVERIFY2(
        credit.contains(QRegularExpression(QStringLiteral("^[^A-Za-z]*Korvanta[^A-Za-z]*$|"
                                                          "^Copyright \\S+ \\d{4} Korvanta$"))),
        qPrintable(credit));
    // Every text fits its box in the fonts the box uses.
    for (widgets::Label* label : {box->etVersion, box->Label1}) {
        QVERIFY2(label->fontMetrics().horizontalAdvance(label->caption()) <= label->width(),
                 qPrintable(label->objectName()));
    }
    QVERIFY(box->etProduit->heightForWidth(box->etProduit->width()) <= box->etProduit->height());
}

void TestAbout::enterClosesEscapeDoesNot() {
    MainWindowFixture f;
    widgets::FixedScreen screen(QSize(1024, 768));
    widgets::Screen::install(&screen);
    bool stayedOpen = false;
    QWidget* focused = nullptr;
    QRect place;
    ModalSeam::push([&](widgets::Form& box) {
        place = box.geometry();
        focused = box.focusWidget();
        QTest::keyClick(&box, Qt::Key_Escape);
        stayedOpen = box.isShowingModal();
        QTest::keyClick(box.focusWidget(), Qt::Key_Return);
    });
    f.trigger("itApropos");
    widgets::Screen::install(nullptr);
    QCOMPARE(ModalSeam::pending(), 0);
    QVERIFY(stayedOpen);
    QCOMPARE(f_Apropos->modalResult(), int(widgets::mrOk));
    QVERIFY(!f_Apropos->isVisible());
    QCOMPARE(focused, static_cast<QWidget*>(f_Apropos->BitBtn1));
    QCOMPARE(place.size(), QSize(285, 218)); // no title bar, no border
    QCOMPARE(place.topLeft(), QPoint((1024 - 285) / 2, (768 - 218) / 2));
    QVERIFY(f_Apropos->windowFlags() & Qt::FramelessWindowHint);
}

void TestAbout::iconInSixteenColoursAndLargerSizes() {
    const QImage image = ProgramIcon::sixteenColours().toImage();
    QCOMPARE(image.size(), QSize(32, 32));
    QSet<QRgb> colours;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            if (qAlpha(image.pixel(x, y)) > 0)
                colours.insert(image.pixel(x, y) | 0xff000000u);
    QVERIFY(colours.size() > 3);
    QVERIFY(colours.size() <= 16);
    Startup::setProgramIcon();
    const QList<QSize> sizes = QApplication::windowIcon().availableSizes();
    QVERIFY(sizes.contains(QSize(32, 32)));
    QVERIFY(sizes.contains(QSize(48, 48)));
    QVERIFY(sizes.contains(QSize(128, 128)));
}

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
