// The main window's grids: in-place editing posted when the row is left, the
// keyboard's insert and delete in the fields grid, none in the tables grid.

#include "tests/app/MainWindowFixture.h"

#include "framework/dataset/TableModel.h"

#include "framework/widgets/Splitter.h"

#include <QAbstractItemView>
#include <QHeaderView>
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

// Types `text` on the grid's current cell as a user would: the first key
// opens the cell's editor, the others go to the editor. The editor, or
// nullptr when the cell opened none.
QLineEdit* typeInto(widgets::DataGrid* grid, const QString& text) {
    QTest::keyClick(grid, text.at(0).toLatin1());
    // Editors already closed may linger, hidden, until they are deleted.
    for (QLineEdit* editor : grid->findChildren<QLineEdit*>()) {
        if (editor->isVisible()) {
            QTest::keyClicks(editor, text.mid(1));
            return editor;
        }
    }
    return nullptr;
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
    void typingEditsTheClickedDescriptionOnly();
    void capturedColumnsAndIndexRowsAreReadOnlyInPlace();
    void refusedValueThenGoodEditsAndInsertedFieldEntries();
    void editorTakesNoMoreThanTheFieldHolds();
    void keyboardReachesBothGrids();
    void splitterNeverHidesAGrid();
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

// A click on ARTICLES' description, then typing: that description changes,
// and nothing else (not the name in the first column).
void TestGrid::typingEditsTheClickedDescriptionOnly() {
    MainWindowFixture f;
    openTwoTables(f);
    widgets::DataGrid* grid = f.window->grTables;
    const QRect cell = grid->visualRect(grid->model()->index(1, 1));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(grid->currentIndex(), grid->model()->index(1, 1));
    QLineEdit* editor = typeInto(grid, QStringLiteral("Stock"));
    QVERIFY(editor);
    QTest::keyClick(editor, Qt::Key_Return);
    QTest::keyClick(grid, Qt::Key_Up);
    QCOMPARE(descriptionInFile(f, 4), QStringLiteral("Stock"));
    QCOMPARE(descriptionInFile(f, 1), QString());
    dataset::Table probe;
    probe.setTableName(f.nomDico());
    probe.Open();
    QVERIFY(probe.FindKey({4}));
    QCOMPARE(probe.FieldByName(QStringLiteral("Table"))->AsString(), QStringLiteral("ARTICLES"));
    // The field entries still follow their table entry.
    QCOMPARE(f.window->grChamps->model()->rowCount(), 2);
}

void TestGrid::capturedColumnsAndIndexRowsAreReadOnlyInPlace() {
    MainWindowFixture f;
    openTwoTables(f);
    f.addTypedTable(QStringLiteral("ZONES"),
                    {{QStringLiteral("Primaire"), QStringLiteral("ixPrimary")}});
    f.trigger("itUseDescr"); // the fields grid shows descriptions
    f.window->taDico->Last();
    const auto editorOpens = [](widgets::DataGrid* grid, int position, Qt::Key key) {
        const int column = grid->horizontalHeader()->logicalIndex(position);
        grid->setCurrentIndex(grid->model()->index(grid->currentIndex().row(), column));
        QTest::keyClick(grid, key, {}, key == Qt::Key_F2 ? 0 : 'x');
        QLineEdit* editor = grid->findChild<QLineEdit*>();
        const bool opened = editor && editor->isVisible();
        if (opened)
            QTest::keyClick(editor, Qt::Key_Escape);
        return opened;
    };
    widgets::DataGrid* fields = f.window->grChamps;
    for (int column = 0; column < 4; ++column) { // Champ, Type, Longueur, Description
        QVERIFY2(!editorOpens(fields, column, Qt::Key_F2),
                 qPrintable(fields->fieldAtPosition(column)));
        QVERIFY(!editorOpens(fields, column, Qt::Key_X));
    }
    QVERIFY(!editorOpens(f.window->grTables, 0, Qt::Key_F2));
    QVERIFY(editorOpens(f.window->grTables, 1, Qt::Key_F2));
    f.window->taDico->First();
    QVERIFY(editorOpens(fields, 3, Qt::Key_F2)); // a field's description
    QCOMPARE(f.window->taChamps->State(), dataset::DataSetState::Browse);
}

// A value the view refuses is reported once; the edits after it work. A row
// inserted from the keyboard becomes a field entry of the current table.
void TestGrid::refusedValueThenGoodEditsAndInsertedFieldEntries() {
    MainWindowFixture f;
    openTwoTables(f);
    widgets::DataGrid* grid = f.window->grChamps;
    grid->setFocus();
    const auto typeCell = [grid](const QString& text, Qt::Key end = Qt::Key_Tab) {
        if (QLineEdit* editor = typeInto(grid, text))
            QTest::keyClick(editor, end);
        QCoreApplication::processEvents(); // Enter hands the text over from the event loop
    };
    QTest::keyClick(grid, Qt::Key_Insert);
    QCOMPARE(
        grid->fieldAtPosition(grid->horizontalHeader()->visualIndex(grid->currentIndex().column())),
        QStringLiteral("Champ"));
    typeCell(QStringLiteral("CP"));
    typeCell(QStringLiteral("ftInteger"));
    MessageSeam::pushAnswer(widgets::mrOk);
    typeCell(QStringLiteral("cinq"), Qt::Key_Return);
    QCOMPARE(MessageSeam::last().type, widgets::mtError);
    // The good value after it is taken, and the row posted on leaving it.
    QCOMPARE(
        grid->fieldAtPosition(grid->horizontalHeader()->visualIndex(grid->currentIndex().column())),
        QStringLiteral("Longueur"));
    typeCell(QStringLiteral("5"), Qt::Key_Return);
    QTest::keyClick(grid, Qt::Key_Up);
    QCOMPARE(f.window->taChamps->State(), dataset::DataSetState::Browse);
    // A second row, and a description typed in place.
    QTest::keyClick(grid, Qt::Key_Insert);
    typeCell(QStringLiteral("TEL"));
    QTest::keyClick(grid, Qt::Key_Up);
    dataset::Table probe;
    probe.setTableName(f.nomDico());
    probe.Open();
    for (int number : {6, 7}) {
        QVERIFY(probe.FindKey({number}));
        QCOMPARE(probe.FieldByName(QStringLiteral("Table"))->AsString(), QStringLiteral("CLIENTS"));
        QVERIFY(probe.FieldByName(QStringLiteral("CC"))->AsBoolean());
    }
    QVERIFY(probe.FindKey({6}));
    QCOMPARE(probe.FieldByName(QStringLiteral("Longueur"))->AsInteger(), 5);
    QCOMPARE(probe.FieldByName(QStringLiteral("Champ"))->AsString(), QStringLiteral("CP"));
    QCOMPARE(grid->model()->rowCount(), 4); // shown after a refresh too
    f.window->taChamps->Refresh();
    QCOMPARE(grid->model()->rowCount(), 4);
    QCOMPARE(MessageSeam::shownCount(), 1);
}

void TestGrid::editorTakesNoMoreThanTheFieldHolds() {
    MainWindowFixture f;
    openTwoTables(f);
    QLineEdit* editor = typeFirstDescription(f.window->grTables, QString(95, QLatin1Char('d')));
    QVERIFY(editor);
    QCOMPARE(editor->text().size(), 80);
}

// After Open the tables grid has the focus; Tab moves between its cells and
// Ctrl+Tab, Ctrl+Shift+Tab between the two grids.
void TestGrid::keyboardReachesBothGrids() {
    MainWindowFixture f;
    QApplication::setActiveWindow(f.window);
    openTwoTables(f);
    widgets::DataGrid* tables = f.window->grTables;
    QCOMPARE(f.window->focusWidget(), static_cast<QWidget*>(tables));
    tables->setCurrentIndex(tables->model()->index(0, 0));
    QTest::keyClick(tables, Qt::Key_Tab);
    QCOMPARE(tables->currentIndex(), tables->model()->index(0, 1));
    QTest::keyClick(tables, Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(f.window->focusWidget(), static_cast<QWidget*>(f.window->grChamps));
    QTest::keyClick(f.window->grChamps, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(f.window->focusWidget(), static_cast<QWidget*>(tables));
}

void TestGrid::splitterNeverHidesAGrid() {
    MainWindowFixture f;
    openTwoTables(f);
    widgets::Splitter* splitter = f.window->RxSplitter1;
    const QPoint grip(1, splitter->height() / 2);
    for (int distance : {2000, -2000}) {
        QMouseEvent press(QEvent::MouseButtonPress, grip, splitter->mapToGlobal(grip),
                          Qt::LeftButton, Qt::LeftButton, {});
        QApplication::sendEvent(splitter, &press);
        const QPoint to = grip + QPoint(distance, 0);
        QMouseEvent move(QEvent::MouseMove, to, splitter->mapToGlobal(to), Qt::NoButton,
                         Qt::LeftButton, {});
        QApplication::sendEvent(splitter, &move);
        QMouseEvent release(QEvent::MouseButtonRelease, to, splitter->mapToGlobal(to),
                            Qt::LeftButton, Qt::NoButton, {});
        QApplication::sendEvent(splitter, &release);
        QVERIFY(f.window->grTables->width() >= 30);
        QVERIFY2(f.window->grChamps->width() >= 30, qPrintable(QString::number(distance)));
    }
}

QTEST_MAIN(TestGrid)
#include "tst_grid.moc"
