// The main window's grids: in-place editing posted when the row is left, the
// keyboard's insert and delete in the fields grid, none in the tables grid.

#include "tests/app/MainWindowFixture.h"

#include "framework/dataset/TableModel.h"

#include <QAbstractItemView>
#include <QLineEdit>

using widgets::MessageSeam;

namespace {

// A second view on the dictionary file, to see what was really written.
int rowsInFile(const MainWindowFixture& f) {
    dataset::Table probe;
    probe.setTableName(f.nomDico());
    probe.Open();
    return probe.RecordCount();
}

QString descriptionInFile(const QString& path, int number) {
    dataset::Table probe;
    probe.setTableName(path);
    probe.Open();
    if (!probe.FindKey({number}))
        return QStringLiteral("<missing>");
    return probe.FieldByName(QStringLiteral("Description"))->AsString();
}
QString descriptionInFile(const MainWindowFixture& f, int number) {
    return descriptionInFile(f.nomDico(), number);
}

// Opens the editor on the first table entry's description and types `text`
// into it; the editor, or nullptr when none opened.
QLineEdit* typeFirstDescription(widgets::DataGrid* grid, const QString& text) {
    grid->setCurrentIndex(grid->model()->index(0, 1));
    QTest::keyClick(grid, Qt::Key_F2);
    auto* editor = grid->findChild<QLineEdit*>();
    if (editor) {
        editor->setFocus();
        QTest::keyClicks(editor, text);
    }
    return editor;
}

// A dictionary opened by path with two tables: CLIENTS (1: NOM 2, VILLE 3)
// and ARTICLES (4: CODE 5).
void openTwoTables(MainWindowFixture& f) {
    f.makeDictionaryFile(QStringLiteral("paye.DB"));
    f.openDictionary(QStringLiteral("paye.DB"));
    f.addTable(QStringLiteral("CLIENTS"), {QStringLiteral("NOM"), QStringLiteral("VILLE")});
    f.addTable(QStringLiteral("ARTICLES"), {QStringLiteral("CODE")});
    f.window->taDico->First();
}

} // namespace

class TestGrid : public QObject {
    Q_OBJECT

private slots:
    void editIsPostedWhenTheRowIsLeft();
    void escapeDropsTheEdit();
    void typedTextSurvivesACommandThatClosesTheDictionary();
    void insertKeyAndUntouchedRow();
    void deleteKeyAsksFirst_data();
    void deleteKeyAsksFirst();
    void tablesGridHasNoKeyboardDelete();
};

void TestGrid::editIsPostedWhenTheRowIsLeft() {
    MainWindowFixture f;
    openTwoTables(f);
    widgets::DataGrid* grid = f.window->grTables;
    grid->setFocus();
    // Opened right after start, row 0 is CLIENTS (number 1).
    QLineEdit* editor = typeFirstDescription(grid, QStringLiteral("Nos clients"));
    QVERIFY(editor);
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents(); // the editor hands its text over
    // Enter ends the cell, not the row.
    QCOMPARE(f.window->taDico->State(), dataset::DataSetState::Edit);
    QCOMPARE(descriptionInFile(f, 1), QString());
    QTest::keyClick(grid, Qt::Key_Down);
    QCOMPARE(f.window->taDico->State(), dataset::DataSetState::Browse);
    QCOMPARE(descriptionInFile(f, 1), QStringLiteral("Nos clients"));
    QCOMPARE(f.window->taDico->FieldByName(QStringLiteral("Table"))->AsString(),
             QStringLiteral("ARTICLES"));
}

void TestGrid::escapeDropsTheEdit() {
    MainWindowFixture f;
    openTwoTables(f);
    widgets::DataGrid* grid = f.window->grTables;
    QLineEdit* editor = typeFirstDescription(grid, QStringLiteral("oops"));
    QVERIFY(editor);
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    QCOMPARE(f.window->taDico->State(), dataset::DataSetState::Edit);
    QTest::keyClick(grid, Qt::Key_Escape);
    QCOMPARE(f.window->taDico->State(), dataset::DataSetState::Browse);
    QTest::keyClick(grid, Qt::Key_Down);
    QCOMPARE(descriptionInFile(f, 1), QString());
}

// The toolbar takes no focus, so a cell may still be in the middle of being
// typed when a command replaces the dictionary: the text is written first.
void TestGrid::typedTextSurvivesACommandThatClosesTheDictionary() {
    MainWindowFixture f;
    openTwoTables(f);
    const QString path = f.nomDico();
    f.makeDictionaryFile(QStringLiteral("stock.DB"));
    widgets::DataGrid* grid = f.window->grTables;
    grid->setFocus();
    QVERIFY(typeFirstDescription(grid, QStringLiteral("Nos clients")));
    f.openDictionary(QStringLiteral("stock.DB"));
    QCOMPARE(f.state(), store::DicoState::Empty);
    QCOMPARE(descriptionInFile(path, 1), QStringLiteral("Nos clients"));
}

void TestGrid::insertKeyAndUntouchedRow() {
    MainWindowFixture f;
    openTwoTables(f);
    widgets::DataGrid* grid = f.window->grChamps;
    const int rows = rowsInFile(f);
    const int shown = grid->model()->rowCount();
    QTest::keyClick(grid, Qt::Key_Insert);
    QCOMPARE(f.window->taChamps->State(), dataset::DataSetState::Insert);
    QCOMPARE(grid->model()->rowCount(), shown + 1);
    // Leaving the new row without typing drops it.
    QTest::keyClick(grid, Qt::Key_Up);
    QCOMPARE(f.window->taChamps->State(), dataset::DataSetState::Browse);
    QCOMPARE(grid->model()->rowCount(), shown);
    QCOMPARE(rowsInFile(f), rows);
}

void TestGrid::deleteKeyAsksFirst_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("removed");
    QTest::newRow("confirmed") << int(widgets::mrOk) << 1;
    QTest::newRow("cancelled") << int(widgets::mrCancel) << 0;
}

void TestGrid::deleteKeyAsksFirst() {
    QFETCH(int, answer);
    QFETCH(int, removed);
    MainWindowFixture f;
    openTwoTables(f);
    widgets::DataGrid* grid = f.window->grChamps;
    const int rows = rowsInFile(f);
    MessageSeam::pushAnswer(answer);
    QTest::keyClick(grid, Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(f.lastMessage(), QStringLiteral("Supprimer l'enregistrement ?"));
    QCOMPARE(MessageSeam::last().type, widgets::mtConfirmation);
    QCOMPARE(rowsInFile(f), rows - removed);
}

void TestGrid::tablesGridHasNoKeyboardDelete() {
    MainWindowFixture f;
    openTwoTables(f);
    const int rows = rowsInFile(f);
    QTest::keyClick(f.window->grTables, Qt::Key_Delete);
    QTest::keyClick(f.window->grTables, Qt::Key_Insert);
    QCOMPARE(MessageSeam::shownCount(), 0);
    QCOMPARE(f.window->taDico->State(), dataset::DataSetState::Browse);
    QCOMPARE(rowsInFile(f), rows);
}

QTEST_MAIN(TestGrid)
#include "tst_grid.moc"
