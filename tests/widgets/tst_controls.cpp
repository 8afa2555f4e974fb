// Behaviour of the controls that the windows rely on: toolbar toggles,
// menu check marks and separators, the edit box's typing limit, memo lines,
// grid titles, the save dialog through its seam, and the screen seam.

#include "framework/widgets/DataGrid.h"
#include "framework/widgets/Edit.h"
#include "framework/widgets/FileDialogs.h"
#include "framework/widgets/Form.h"
#include "framework/widgets/MainMenu.h"
#include "framework/widgets/Memo.h"
#include "framework/widgets/MenuItem.h"
#include "framework/widgets/Panel.h"
#include "framework/widgets/SaveDialog.h"
#include "framework/widgets/Screen.h"
#include "framework/widgets/SpeedButton.h"
#include "tests/widgets/SeamGuard.h"

#include <QMenu>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTest>

using namespace widgets;

class TestControls : public QObject {
    Q_OBJECT

private slots:
    void speedButtonToggles_data();
    void speedButtonToggles();
    void speedButtonGroupReleasesTheOthers();
    void menuClickLeavesTheCheckMarkToTheCode();
    void menuSeparatorsAndSubmenus();
    void editLimitsTypingButNotCode();
    void memoCountsLines_data();
    void memoCountsLines();
    void gridTitlesOwnColumnsOverModel();
    void saveDialogGoesThroughTheSeam();
    void filterForTheFileDialog_data();
    void filterForTheFileDialog();
    void windowCentresOnTheSeamScreen();
};

void TestControls::speedButtonToggles_data() {
    QTest::addColumn<int>("group");
    QTest::addColumn<bool>("allowAllUp");
    QTest::addColumn<QList<bool>>("downAfterClicks");
    QTest::newRow("push button") << 0 << false << QList<bool>{false, false};
    QTest::newRow("toggle, may be all up") << 40 << true << QList<bool>{true, false, true};
    QTest::newRow("group without all up stays down") << 40 << false << QList<bool>{true, true};
}

void TestControls::speedButtonToggles() {
    QFETCH(int, group);
    QFETCH(bool, allowAllUp);
    QFETCH(QList<bool>, downAfterClicks);
    Panel bar(nullptr, QStringLiteral("paHaut"));
    SpeedButton button(&bar, QStringLiteral("spAjTable"));
    button.setGroupIndex(group);
    button.setAllowAllUp(allowAllUp);
    QSignalSpy clicks(&button, &SpeedButton::clicked);
    for (bool expected : downAfterClicks) {
        button.click();
        QCOMPARE(button.isDown(), expected);
    }
    QCOMPARE(clicks.size(), downAfterClicks.size());
}

void TestControls::speedButtonGroupReleasesTheOthers() {
    Panel bar(nullptr, QStringLiteral("paHaut"));
    auto* a = new SpeedButton(&bar, QStringLiteral("a"));
    auto* b = new SpeedButton(&bar, QStringLiteral("b"));
    auto* other = new SpeedButton(&bar, QStringLiteral("other"));
    a->setGroupIndex(1);
    b->setGroupIndex(1);
    other->setGroupIndex(2);
    other->setDown(true);
    a->click();
    b->click();
    QVERIFY(!a->isDown());
    QVERIFY(b->isDown());
    QVERIFY(other->isDown());
    a->setDown(true); // by code, as a toggle handler does
    QVERIFY(!b->isDown());
    // A push button ignores being put down.
    SpeedButton push(&bar, QStringLiteral("push"));
    push.setDown(true);
    QVERIFY(!push.isDown());
}

void TestControls::menuClickLeavesTheCheckMarkToTheCode() {
    Form window;
    auto* menu = new MainMenu(&window, QStringLiteral("mnuPrinc"));
    auto* options = new MenuItem(menu, QStringLiteral("mnOptions"), QStringLiteral("&Options"));
    auto* gen = new MenuItem(options, QStringLiteral("itGenCode"), QStringLiteral("&Générer code"));
    gen->setChecked(true);
    int handled = 0;
    connect(gen, &QAction::triggered, &window, [&] {
        ++handled;
        gen->setChecked(!gen->isChecked()); // the handler flips it
    });
    gen->trigger();
    QCOMPARE(handled, 1);
    QVERIFY(!gen->isChecked());
    QVERIFY(!gen->QAction::isChecked());
    gen->trigger();
    QVERIFY(gen->isChecked());
    // Without a handler the mark does not move.
    auto* plain =
        new MenuItem(options, QStringLiteral("itUseDescr"), QStringLiteral("&Voir descriptions"));
    plain->setChecked(false);
    plain->trigger();
    QVERIFY(!plain->isChecked());
    QVERIFY(!plain->QAction::isChecked());
}

void TestControls::menuSeparatorsAndSubmenus() {
    Form window;
    auto* menu = new MainMenu(&window, QStringLiteral("mnuPrinc"));
    auto* dico = new MenuItem(menu, QStringLiteral("mnDico"), QStringLiteral("&Dictionnaire"));
    new MenuItem(dico, QStringLiteral("itNouvDico"), QStringLiteral("&Nouveau..."));
    auto* sep = new MenuItem(dico, QStringLiteral("N3"), QStringLiteral("-"));
    auto* table = new MenuItem(dico, QStringLiteral("mnTable"), QStringLiteral("&Table"));
    new MenuItem(table, QStringLiteral("itSupTable"), QStringLiteral("&Supprimer..."));
    QVERIFY(sep->isSeparator());
    sep->setCaption(QStringLiteral("-"));
    QVERIFY(sep->isSeparator());
    QCOMPARE(menu->actions().size(), 1);
    QCOMPARE(dico->submenu()->actions().size(), 3);
    QVERIFY(table->submenu());
    QCOMPARE(table->submenu()->actions().first()->text(), QStringLiteral("&Supprimer..."));
    window.setMenuBar(menu);
    QCOMPARE(window.menuBar(), menu);
}

void TestControls::editLimitsTypingButNotCode() {
    Edit edit(nullptr, QStringLiteral("chDescription"));
    edit.setMaxLength(16);
    QTest::keyClicks(&edit, QStringLiteral("abcdefghijklmnopqrstu"));
    QCOMPARE(edit.text(), QStringLiteral("abcdefghijklmnop"));
    const QString eighty(80, QLatin1Char('x'));
    edit.setText(eighty);
    QCOMPARE(edit.text(), eighty);
    edit.setMaxLength(0);
    edit.clear();
    QTest::keyClicks(&edit, eighty);
    QCOMPARE(edit.text(), eighty);
}

void TestControls::memoCountsLines_data() {
    QTest::addColumn<QStringList>("added");
    QTest::newRow("none") << QStringList{};
    QTest::newRow("one empty line") << QStringList{QString()};
    QTest::newRow("empty then text")
        << QStringList{QString(), QStringLiteral("  Table1 := TTable.Create(nil);")};
    QTest::newRow("several") << QStringList{QStringLiteral("a"), QString(), QStringLiteral("c")};
}

void TestControls::memoCountsLines() {
    QFETCH(QStringList, added);
    Memo memo(nullptr, QStringLiteral("meCodeCreat"));
    for (const QString& line : added)
        memo.addLine(line);
    QCOMPARE(memo.lineCount(), added.size());
    QCOMPARE(memo.lines(), added);
    memo.setLines(added);
    QCOMPARE(memo.lineCount(), added.size());
    if (!added.isEmpty()) {
        memo.setLine(0, QString());
        QCOMPARE(memo.lineCount(), added.size());
    }
}

void TestControls::gridTitlesOwnColumnsOverModel() {
    QStandardItemModel model(2, 3);
    model.setHorizontalHeaderLabels(
        {QStringLiteral("Champ"), QStringLiteral("Type"), QStringLiteral("Taille")});
    DataGrid grid(nullptr, QStringLiteral("grChamps"));
    grid.setDataModel(&model);
    QCOMPARE(grid.columnCount(), 0);
    QCOMPARE(grid.model()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("Taille"));
    grid.addColumn(QStringLiteral("Champ"), QStringLiteral("Champ"));
    grid.setColumnTitle(0, QStringLiteral("Field"));
    QCOMPARE(grid.model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Field"));
    QCOMPARE(grid.model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Type"));
    QCOMPARE(grid.model()->rowCount(), 2);
}

void TestControls::saveDialogGoesThroughTheSeam() {
    SeamGuard seams;
    QueuedFileDialogs dialogs;
    FileDialogs::install(&dialogs);
    Form window;
    SaveDialog save(&window, QStringLiteral("SaveDlg"));
    save.setFilter(QStringLiteral("Text files (*.txt)|*.txt|All files (*.*)|*.*"));
    dialogs.push(QStringLiteral("/tmp/code.txt"));
    QVERIFY(save.execute());
    QCOMPARE(save.fileName(), QStringLiteral("/tmp/code.txt"));
    dialogs.push(QString());
    QVERIFY(!save.execute());
    QCOMPARE(save.fileName(), QStringLiteral("/tmp/code.txt"));
    QCOMPARE(dialogs.requests().size(), 2);
    QCOMPARE(dialogs.requests()[0].filter, save.filter());
    QCOMPARE(dialogs.requests()[0].title, QString());
    FileDialogs::install(nullptr);
}

void TestControls::filterForTheFileDialog_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("qt");
    QTest::newRow("descriptions show their patterns")
        << "Fichiers textes  (*.txt)|*.txt|Tous (*.*)|*.*"
        << "Fichiers textes  (*.txt);;Tous (*)";
    // "*.*" lists every file, names without a dot included.
    QTest::newRow("every file") << "Text files|*.txt|All files|*.*"
                                << "Text files (*.txt);;All files (*)";
    QTest::newRow("pattern added") << "Tables|*.db"
                                   << "Tables (*.db)";
    QTest::newRow("several patterns") << "Tables|*.db;*.px"
                                      << "Tables (*.db *.px)";
    QTest::newRow("odd part ignored") << "Tables|*.db|Lone"
                                      << "Tables (*.db)";
    QTest::newRow("empty") << ""
                           << "";
}

void TestControls::filterForTheFileDialog() {
    QFETCH(QString, filter);
    QFETCH(QString, qt);
    QCOMPARE(qtFilterOf(filter), qt);
}

void TestControls::windowCentresOnTheSeamScreen() {
    const FixedScreen screen(QSize(1024, 768));
    Screen::install(&screen);
    QCOMPARE(Screen::current().size(), QSize(1024, 768));
    Form window;
    window.resize(294, 75);
    window.centreOnScreen();
    QCOMPARE(window.pos(), QPoint((1024 - 294) / 2, (768 - 75) / 2));
    Screen::install(nullptr);
    QVERIFY(Screen::current().size().isValid());
}

QTEST_MAIN(TestControls)
#include "tst_controls.moc"
