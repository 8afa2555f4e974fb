// The main window: its components as designed, the captions and command
// states through start-up and the dictionary states, the grids, the resize
// minimum, the two option items and the close query.

#include "tests/app/MainWindowFixture.h"

#include "app/Startup.h"
#include "framework/dataset/TableModel.h"
#include "framework/reporting/ReportLabel.h"
#include "framework/widgets/MainMenu.h"
#include "framework/widgets/Panel.h"
#include "framework/widgets/Splitter.h"
#include "framework/widgets/StatusBar.h"
#include "report/Tr_Korvanta.h"

#include <QApplication>
#include <QHeaderView>

using widgets::MessageSeam;

namespace {

// Every dictionary command with its button and menu item, as UpdateCommands
// enables them: no dictionary, empty dictionary, filled dictionary.
struct Command {
    const char* button;
    const char* item;
    bool none, empty, filled;
};
const Command kCommands[] = {
    {"spNouveau", "itNouvDico", true, false, true},
    {"spOuvrir", "itOpenDico", true, false, true},
    {"spSupprimer", "itSupDico", true, true, true},
    {"spImprimer", "itImpDico", false, false, true},
    {"spAjTable", "itAjTable", false, true, true},
    {"spSupTable", "itSupTable", false, false, true},
    {nullptr, "itTableDescr", false, false, true},
    {nullptr, "itDescrChamps", false, false, true},
    {"spQuitter", "itQuitter", true, true, true},
};

void checkCommands(Tf_Main* window, int state) {
    for (const Command& c : kCommands) {
        const bool expected = state == 0 ? c.none : state == 1 ? c.empty : c.filled;
        if (c.button) {
            auto* button = window->component<widgets::SpeedButton>(QLatin1String(c.button));
            QVERIFY2(button->isEnabled() == expected, c.button);
        }
        auto* item = window->component<widgets::MenuItem>(QLatin1String(c.item));
        QVERIFY2(item->isEnabled() == expected, c.item);
    }
    QVERIFY(window->itGenCode->isEnabled());
    QVERIFY(window->itGenCode->isChecked());
    QCOMPARE(window->grTables->isVisible(), state != 0);
    QCOMPARE(window->grChamps->isVisible(), state != 0);
}

// Column titles as the user sees them, left to right.
QStringList columnTitles(widgets::DataGrid* grid) {
    QStringList titles;
    for (int v = 0; v < grid->model()->columnCount(); ++v) {
        const int c = grid->horizontalHeader()->logicalIndex(v);
        titles << grid->model()->headerData(c, Qt::Horizontal).toString();
    }
    return titles;
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void designBeforeTheFirstShowing();
    void toolbarButtons_data();
    void toolbarButtons();
    void startUpSwitchesToEnglish();
    void commandStatesFollowTheDictionary();
    void gridsShowTheOpenDictionary();
    void resizeKeepsTheMinimum_data();
    void resizeKeepsTheMinimum();
    void generateCodeIsCheckedAgainAtEveryRefresh();
    void seeDescriptionsWithAndWithoutDictionary();
    void closeQuery_data();
    void closeQuery();
    void closeQueryRefusedPostKeepsTheWindow();
};

void TestMainWindow::designBeforeTheFirstShowing() {
    MainWindowFixture f(false);
    Tf_Main* w = f.window;
    QCOMPARE(w->caption(), QStringLiteral("Korvanta - ") + f.dataDir());
    QVERIFY(QDir(f.dataDir()).exists());
    QCOMPARE(w->size(), QSize(652, 456));
    // Enabled at design: only the code toggle, the hidden field button and Quit.
    for (const char* name :
         {"spNouveau", "spOuvrir", "spSupprimer", "spImprimer", "spAjTable", "spSupTable"})
        QVERIFY2(!w->component<widgets::SpeedButton>(QLatin1String(name))->isEnabled(), name);
    QVERIFY(w->spVisuCode->isEnabled());
    QVERIFY(w->spQuitter->isEnabled());
    QVERIFY(w->spSupChamp->isEnabled());
    QVERIFY(w->spSupChamp->isHidden());
    QCOMPARE(w->spSupChamp->caption(), QStringLiteral("C-"));
    for (QAction* a : w->findChildren<widgets::MenuItem*>())
        QVERIFY2(a->isEnabled(), qPrintable(a->objectName()));
    QVERIFY(w->grTables->isHidden());
    QVERIFY(w->grChamps->isHidden());
    QVERIFY(w->itGenCode->isChecked());
    QVERIFY(!w->itUseDescr->isChecked());
    QCOMPARE(w->itNouvDico->caption(), QStringLiteral("&Nouveau..."));
    QCOMPARE(w->paHaut->height(), 32);
    QCOMPARE(w->StatusBar1->height(), 16);
    QCOMPARE(w->RxSplitter1->width(), 3);
}

void TestMainWindow::toolbarButtons_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("left");
    QTest::addColumn<QString>("hint");
    QTest::addColumn<int>("group");
    QTest::newRow("new") << "spNouveau" << 2 << "New Dictionary" << 0;
    QTest::newRow("open") << "spOuvrir" << 29 << "Open a Dictionary" << 0;
    QTest::newRow("delete") << "spSupprimer" << 56 << "Delete a Dictionary" << 0;
    QTest::newRow("print") << "spImprimer" << 87 << "Print Dictionary" << 0;
    QTest::newRow("add tables") << "spAjTable" << 118 << "Add table to dictionary" << 40;
    QTest::newRow("delete table") << "spSupTable" << 145 << "Delete table to dictionary" << 0;
    QTest::newRow("code") << "spVisuCode" << 177 << "View code" << 50;
    QTest::newRow("delete field") << "spSupChamp" << 282 << "Delete field from dictionary" << 0;
    QTest::newRow("quit") << "spQuitter" << 652 - 27 - 2 << "Quit the program" << 0;
}

void TestMainWindow::toolbarButtons() {
    QFETCH(QString, name);
    QFETCH(int, left);
    QFETCH(QString, hint);
    QFETCH(int, group);
    MainWindowFixture f;
    auto* button = f.window->component<widgets::SpeedButton>(name);
    QVERIFY(button);
    QCOMPARE(button->parentWidget(), f.window->paHaut);
    QCOMPARE(button->geometry(), QRect(left, 2, 27, 27));
    QCOMPARE(button->hint(), hint);
    QCOMPARE(button->groupIndex(), group);
    QCOMPARE(button->allowAllUp(), group != 0);
    QVERIFY(!button->icon().isNull());
}

void TestMainWindow::startUpSwitchesToEnglish() {
    SeamGuard seams;
    QTemporaryDir dir;
    store::setAppDirOverride(dir.path());
    lang::SetGlobalLanguage(0);
    Startup::setApplicationTitle();
    Startup::createWindows();
    QVERIFY(f_Main);
    // The code window is created right after it, hidden, and lives on.
    QVERIFY(f_CodeG && !f_CodeG->isVisible());
    // The report form comes last, hidden, its word table with it.
    QVERIFY(r_Korvanta && !r_Korvanta->isVisible());
    QCOMPARE(lang::TMultiLang::Instances().back(), r_Korvanta->ML);
    f_Main->move(40, 30);
    f_Main->show();
    QCOMPARE(QApplication::applicationName(), QStringLiteral("Korvanta 1.0"));
    QCOMPARE(f_Main->caption(), QStringLiteral("Korvanta"));
    QCOMPARE(f_Main->pos(), QPoint(0, 0));
    QCOMPARE(lang::TMultiLang::CurrentLanguage(), quint8(1));
    QCOMPARE(f_Main->mnDico->caption(), QStringLiteral("&Dictionary"));
    QCOMPARE(f_Main->itAjTable->caption(), QStringLiteral("&Add window..."));
    QCOMPARE(f_Main->itUseDescr->caption(), QStringLiteral("&See descriptions"));
    QCOMPARE(f_Main->mnChamps->caption(), QStringLiteral("&Fields"));
    QVERIFY(f_Main->N3->isSeparator());
    QCOMPARE(f_Main->taChamps->FieldByName(QStringLiteral("Longueur"))->DisplayLabel(),
             QStringLiteral("Size"));
    // An empty English label shows the field's name.
    QCOMPARE(f_Main->taDico->FieldByName(QStringLiteral("NoEnreg"))->DisplayLabel(),
             QStringLiteral("NoEnreg"));
    checkCommands(f_Main, 0);
    QVERIFY(!f_CodeG->isVisible());
    QCOMPARE(f_CodeG->caption(), QStringLiteral("Code window"));
    QVERIFY(!r_Korvanta->isVisible());
    QCOMPARE(r_Korvanta->QRLabel2->Caption(), QStringLiteral("Page -"));
    Startup::destroyWindows();
    QVERIFY(!r_Korvanta);
    QVERIFY(!f_Main);
    QVERIFY(!f_CodeG);
    lang::SetGlobalLanguage(0);
    store::setAppDirOverride(QString());
}

void TestMainWindow::commandStatesFollowTheDictionary() {
    MainWindowFixture f;
    checkCommands(f.window, 0);

    f.newDictionary(QStringLiteral("stock"));
    QCOMPARE(f.state(), store::DicoState::Empty);
    checkCommands(f.window, 1);

    f.addTable(QStringLiteral("CLIENTS"), {QStringLiteral("NOM")});
    QCOMPARE(f.state(), store::DicoState::Filled);
    checkCommands(f.window, 2);

    // Deleting the open dictionary leaves no dictionary, and the caption no
    // longer names the deleted file.
    f.pickFile(QStringLiteral("stock.DB"));
    MessageSeam::pushAnswer(widgets::mrYes);
    f.click("spSupprimer");
    QCOMPARE(f.state(), store::DicoState::NoDictionary);
    QVERIFY(f.dataFiles().isEmpty());
    QCOMPARE(f.window->caption(), QStringLiteral("Korvanta"));
    checkCommands(f.window, 0);
}

void TestMainWindow::gridsShowTheOpenDictionary() {
    MainWindowFixture f;
    f.makeDictionaryFile(QStringLiteral("paye.DB"));
    f.openDictionary(QStringLiteral("paye.DB"));
    f.addTable(QStringLiteral("CLIENTS"), {QStringLiteral("NOM"), QStringLiteral("VILLE")});
    f.addTable(QStringLiteral("ARTICLES"), {QStringLiteral("CODE")});
    Tf_Main* w = f.window;
    QCOMPARE(columnTitles(w->grTables), (QStringList{"Table", "Description"}));
    QCOMPARE(columnTitles(w->grChamps), (QStringList{"Field", "Type", "Size"}));
    // Docked: tables grid on the left, the splitter right of it, fields grid after.
    QCOMPARE(w->grTables->x(), 0);
    QCOMPARE(w->RxSplitter1->x(), w->grTables->width());
    QCOMPARE(w->grChamps->x(), w->RxSplitter1->x() + 3);
    QCOMPARE(w->grChamps->geometry().right(), w->width() - 1);
    QCOMPARE(w->grTables->y(), w->paHaut->geometry().bottom() + 1);
    QCOMPARE(w->grChamps->geometry().bottom() + 1, w->StatusBar1->y());
    // A column is at least as wide as its display width in characters.
    QVERIFY(w->grTables->columnWidth(0) >= w->grTables->columnPixels(14, QString()));
    QVERIFY(w->grTables->columnWidth(1) >= w->grTables->columnPixels(30, QString()));
    // Opened right after start: table entries in number order. The fields
    // grid follows the table entry the user clicks.
    w->taDico->First();
    QCOMPARE(w->grTables->model()->index(0, 0).data().toString(), QStringLiteral("CLIENTS"));
    QCOMPARE(w->grChamps->model()->rowCount(), 2);
    QCOMPARE(w->grChamps->model()->index(1, 0).data().toString(), QStringLiteral("VILLE"));
    const QModelIndex articles = w->grTables->model()->index(1, 0);
    QTest::mouseClick(w->grTables->viewport(), Qt::LeftButton, {},
                      w->grTables->visualRect(articles).center());
    QCOMPARE(w->taDico->FieldByName(QStringLiteral("Table"))->AsString(),
             QStringLiteral("ARTICLES"));
    QCOMPARE(w->grChamps->model()->rowCount(), 1);
    QCOMPARE(w->grChamps->model()->index(0, 0).data().toString(), QStringLiteral("CODE"));
}

void TestMainWindow::resizeKeepsTheMinimum_data() {
    QTest::addColumn<QSize>("requested");
    QTest::addColumn<QSize>("result");
    QTest::newRow("both too small") << QSize(300, 200) << QSize(434, 456);
    QTest::newRow("too narrow") << QSize(400, 600) << QSize(434, 600);
    QTest::newRow("too low") << QSize(700, 455) << QSize(700, 456);
    QTest::newRow("large") << QSize(900, 700) << QSize(900, 700);
}

void TestMainWindow::resizeKeepsTheMinimum() {
    QFETCH(QSize, requested);
    QFETCH(QSize, result);
    MainWindowFixture f;
    f.window->resize(requested);
    QCOMPARE(f.window->size(), result);
    QCOMPARE(f.window->paHaut->width(), result.width());
    QCOMPARE(f.window->spQuitter->geometry().right(), result.width() - 1 - 2);
}

void TestMainWindow::generateCodeIsCheckedAgainAtEveryRefresh() {
    MainWindowFixture f;
    f.makeDictionaryFile(QStringLiteral("paye.DB"));
    f.trigger("itGenCode");
    QVERIFY(!f.window->itGenCode->isChecked());
    QVERIFY(!f.window->codeGenerationOn());
    f.trigger("itGenCode");
    QVERIFY(f.window->itGenCode->isChecked());
    f.trigger("itGenCode");
    f.openDictionary(QStringLiteral("paye.DB"));
    QVERIFY(f.window->itGenCode->isChecked());
    QVERIFY(f.window->codeGenerationOn());
}

void TestMainWindow::seeDescriptionsWithAndWithoutDictionary() {
    MainWindowFixture f;
    dataset::Field* description = f.window->taChamps->FieldByName(QStringLiteral("Description"));
    // No dictionary: only the check mark changes.
    f.trigger("itUseDescr");
    QVERIFY(f.window->itUseDescr->isChecked());
    QVERIFY(!description->Visible());
    f.trigger("itUseDescr");
    QVERIFY(!f.window->itUseDescr->isChecked());

    f.openFilledDictionary();
    f.trigger("itUseDescr");
    QVERIFY(description->Visible());
    QCOMPARE(description->DisplayWidth(), 16);
    QCOMPARE(columnTitles(f.window->grChamps),
             (QStringList{"Field", "Type", "Size", "Description"}));
    f.trigger("itUseDescr");
    QVERIFY(!description->Visible());
    QCOMPARE(columnTitles(f.window->grChamps), (QStringList{"Field", "Type", "Size"}));
}

void TestMainWindow::closeQuery_data() {
    QTest::addColumn<QString>("situation");
    QTest::addColumn<int>("answer"); // mrNone: no question expected
    QTest::addColumn<bool>("closes");
    QTest::addColumn<bool>("fileKept");
    QTest::newRow("no dictionary") << "none" << int(widgets::mrNone) << true << false;
    QTest::newRow("new empty, yes") << "empty" << int(widgets::mrYes) << true << false;
    QTest::newRow("new empty, no") << "empty" << int(widgets::mrNo) << false << true;
    QTest::newRow("filled") << "filled" << int(widgets::mrNone) << true << true;
    QTest::newRow("row being inserted is posted")
        << "inserting" << int(widgets::mrNone) << true << true;
    QTest::newRow("untouched new row is dropped")
        << "untouched" << int(widgets::mrNo) << false << true;
    QTest::newRow("fields view closed, rows")
        << "fields closed, rows" << int(widgets::mrNone) << true << true;
    QTest::newRow("fields view closed, no row")
        << "fields closed, empty" << int(widgets::mrYes) << true << false;
}

void TestMainWindow::closeQuery() {
    QFETCH(QString, situation);
    QFETCH(int, answer);
    QFETCH(bool, closes);
    QFETCH(bool, fileKept);
    MainWindowFixture f;
    if (situation != QLatin1String("none"))
        f.newDictionary(QStringLiteral("stock"));
    dataset::Table& taDico = *f.window->taDico;
    if (situation == QLatin1String("filled") || situation == QLatin1String("fields closed, rows"))
        f.addTable(QStringLiteral("CLIENTS"), {QStringLiteral("NOM")});
    if (situation == QLatin1String("inserting") || situation == QLatin1String("untouched")) {
        taDico.Append();
        if (situation == QLatin1String("inserting")) {
            taDico.FieldByName(QStringLiteral("NoEnreg"))->setAsInteger(1);
            taDico.FieldByName(QStringLiteral("Table"))->setAsString(QStringLiteral("CLIENTS"));
            taDico.FieldByName(QStringLiteral("CT"))->setAsBoolean(true);
        }
    }
    if (situation.startsWith(QLatin1String("fields closed")))
        f.window->taChamps->Close();
    if (answer != widgets::mrNone)
        MessageSeam::pushAnswer(answer);
    const int shownBefore = MessageSeam::shownCount();

    f.click("spQuitter");

    QCOMPARE(f.window->isVisible(), !closes);
    QCOMPARE(MessageSeam::shownCount() - shownBefore, answer == widgets::mrNone ? 0 : 1);
    if (answer != widgets::mrNone) {
        QCOMPARE(f.lastMessage(), QStringLiteral("Cancel creation ?"));
        QCOMPARE(MessageSeam::last().type, widgets::mtConfirmation);
        QCOMPARE(MessageSeam::last().buttons, widgets::mbYesNo);
    }
    QCOMPARE(QFile::exists(f.dataFile(QStringLiteral("stock.DB"))), fileKept);
    if (situation == QLatin1String("inserting"))
        QCOMPARE(taDico.RecordCount(), 1);
}

void TestMainWindow::closeQueryRefusedPostKeepsTheWindow() {
    MainWindowFixture f;
    f.newDictionary(QStringLiteral("stock"));
    f.addTable(QStringLiteral("CLIENTS"), {});
    dataset::Table& taDico = *f.window->taDico;
    taDico.Append();
    taDico.FieldByName(QStringLiteral("NoEnreg"))->setAsInteger(1); // taken: key violation
    taDico.FieldByName(QStringLiteral("CT"))->setAsBoolean(true);
    MessageSeam::pushAnswer(widgets::mrOk);
    f.trigger("itQuitter");
    QVERIFY(f.window->isVisible());
    QCOMPARE(MessageSeam::last().title, QStringLiteral("Erreur"));
    QVERIFY(QFile::exists(f.dataFile(QStringLiteral("stock.DB"))));
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
