// A keyboard user, from start-up to a captured table and a saved code file,
// without the mouse: the shortcuts, the menus by their access keys, the add
// window's lists (type-ahead, Enter), Tab out of the code, Escape out of the
// preview. Message boxes and the save dialog answer through their seams.

#include "tests/app/MainWindowFixture.h"
#include "tests/capture/SourceTables.h"

#include "capture/window/Tf_SelFichiers.h"
#include "framework/reporting/ReportPreviewWindow.h"
#include "framework/widgets/DirectoryListBox.h"
#include "framework/widgets/FileDialogs.h"
#include "framework/widgets/Memo.h"
#include "report/Tr_Korvanta.h"

#include <QApplication>
#include <QMenu>

using widgets::MessageSeam;

namespace {

// What the window manager does for a window the user goes to; a closing
// menu hands the activation back to its own window first.
void activate(QWidget* window) {
    QTest::qWait(20);
    window->activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), window);
}

// The key goes where the keyboard focus is, as a real key would.
void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWidget* target = QApplication::activePopupWidget();
    if (!target)
        target = QApplication::focusWidget();
    if (!target)
        target = QApplication::activeWindow();
    QVERIFY(target);
    QTest::keyClick(target, Qt::Key(key), modifiers);
}

// A menu of the menu bar by its access key, then an item by its own.
void menuCommand(int menuKey, int itemKey) {
    press(menuKey, Qt::AltModifier);
    QTRY_VERIFY(qobject_cast<QMenu*>(QApplication::activePopupWidget()));
    press(itemKey);
}

// Tab until `target` has the focus; false if it never gets it.
bool tabTo(QWidget* target) {
    for (int k = 0; k < 12 && QApplication::focusWidget() != target; ++k) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    return QApplication::focusWidget() == target;
}

QStringList linesOf(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"));
}

} // namespace

class TestKeyboard : public QObject {
    Q_OBJECT

private slots:
    void fromStartUpToSavedCodeWithoutTheMouse();
    void keyboardFocusShowsInEveryListAndGrid();
    void typingInTheTablesGridFindsATable();
};

void TestKeyboard::fromStartUpToSavedCodeWithoutTheMouse() {
    MainWindowFixture f;
    r_Korvanta = new Tr_Korvanta();
    const QString sources = f.dir.filePath(QStringLiteral("sources"));
    QVERIFY(QDir().mkpath(sources));
    sourcetables::writeClients(sources + QStringLiteral("/CLIENTS.DB"));
    widgets::QueuedFileDialogs saveAnswers;
    widgets::FileDialogs::install(&saveAnswers);
    activate(f.window);

    // Ctrl+N, the name typed, Enter; Yes to the question.
    widgets::ModalSeam::push([](widgets::Form& dialog) {
        QTest::keyClicks(dialog.focusWidget(), QStringLiteral("essai"));
        QTest::keyClick(dialog.focusWidget(), Qt::Key_Return);
    });
    MessageSeam::pushAnswer(widgets::mrYes);
    press(Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(f.state(), store::DicoState::Empty);
    activate(f.window); // the platform gives no window back after a dialog

    // Options > Add window; in the folders, "sou" finds the indented
    // "sources" and Enter opens it; in the files, Home then Enter adds.
    menuCommand(Qt::Key_O, Qt::Key_A);
    QVERIFY(f_SelFichiers);
    activate(f_SelFichiers);
    QVERIFY(tabTo(f_SelFichiers->syRepertoire));
    QTest::keyClicks(f_SelFichiers->syRepertoire, QStringLiteral("sou"));
    press(Qt::Key_Return);
    QCOMPARE(f_SelFichiers->syFichiers->directory(), QDir(sources).absolutePath());
    QVERIFY(tabTo(f_SelFichiers->syFichiers));
    press(Qt::Key_Home);
    press(Qt::Key_Return);
    QCOMPARE(f.window->taDico->RecordCount() > 0, true);
    QCOMPARE(f.state(), store::DicoState::Filled);

    // Options > Code window; Tab leaves the memo without writing a tab, and
    // Ctrl+S saves from anywhere in the window.
    activate(f.window);
    menuCommand(Qt::Key_O, Qt::Key_C);
    QVERIFY(f_CodeG->isVisible());
    activate(f_CodeG);
    const QStringList code = f_CodeG->codeLines();
    QVERIFY(code.size() > 10);
    f_CodeG->meCodeCreat->setFocus();
    press(Qt::Key_Tab);
    QVERIFY(QApplication::focusWidget() != f_CodeG->meCodeCreat);
    QCOMPARE(f_CodeG->codeLines(), code);
    const QString saved = f.dir.filePath(QStringLiteral("code.pas"));
    saveAnswers.push(saved);
    press(Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(linesOf(saved).mid(0, code.size()), code);

    // Ctrl+P previews; Escape closes the preview.
    activate(f.window);
    press(Qt::Key_P, Qt::ControlModifier);
    auto* preview = f.window->findChild<reporting::ReportPreviewWindow*>();
    QVERIFY(preview && preview->isVisible());
    activate(preview);
    const QPointer<reporting::ReportPreviewWindow> watched(preview);
    press(Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!watched);

    widgets::FileDialogs::install(nullptr);
    delete r_Korvanta;
    r_Korvanta = nullptr;
}

// The item the keyboard is on looks different while its list or grid has the
// focus, whether that item is selected (grids select whole rows) or not.
void TestKeyboard::keyboardFocusShowsInEveryListAndGrid() {
    MainWindowFixture f;
    sourcetables::writeClients(f.dir.filePath(QStringLiteral("CLIENTS.DB")));
    f.openFilledDictionary();
    activate(f.window);
    f.click("spAjTable");
    QVERIFY(f_SelFichiers);
    activate(f_SelFichiers);
    const QList<QAbstractItemView*> views{f.window->grTables, f.window->grChamps,
                                          f_SelFichiers->syRepertoire, f_SelFichiers->syFichiers};
    for (QAbstractItemView* view : views) {
        const QModelIndex first = view->model()->index(0, 0);
        QVERIFY2(first.isValid(), qPrintable(view->objectName()));
        activate(view->window());
        view->selectionModel()->setCurrentIndex(first, QItemSelectionModel::NoUpdate);
        const QRect item = view->visualRect(first);
        view->setFocus();
        QTRY_VERIFY(view->hasFocus());
        const QImage focused = view->viewport()->grab(item).toImage();
        view->window()->setFocus(); // the focus elsewhere in the same window
        view->clearFocus();
        QTRY_VERIFY(!view->hasFocus());
        const QImage unfocused = view->viewport()->grab(item).toImage();
        QVERIFY2(focused != unfocused, qPrintable(view->objectName()));
    }
}

// Letters typed in the tables grid move to the first table whose name starts
// with them; after a pause a new search starts.
void TestKeyboard::typingInTheTablesGridFindsATable() {
    MainWindowFixture f;
    f.makeDictionaryFile(QStringLiteral("paye.DB"));
    f.openDictionary(QStringLiteral("paye.DB"));
    for (const char* table : {"ARTICLES.DB", "CLIENTS.DB", "COMMANDES.DB", "FOURNIS.DB"})
        f.addTable(QLatin1String(table), {QStringLiteral("F")});
    activate(f.window);
    widgets::DataGrid* grid = f.window->grTables;
    grid->setFocus();
    grid->setCurrentIndex(grid->model()->index(0, 0));
    const auto current = [&] {
        return f.window->taDico->FieldByName(QStringLiteral("Table"))->AsString();
    };
    const auto typeAfterAPause = [&](const QString& letters) {
        QTest::qWait(QApplication::keyboardInputInterval() + 50);
        QTest::keyClicks(grid, letters);
    };
    typeAfterAPause(QStringLiteral("co"));
    QCOMPARE(current(), QStringLiteral("COMMANDES.DB"));
    typeAfterAPause(QStringLiteral("f"));
    QCOMPARE(current(), QStringLiteral("FOURNIS.DB"));
    typeAfterAPause(QStringLiteral("cl"));
    QCOMPARE(current(), QStringLiteral("CLIENTS.DB"));
    // Nothing starts with it: the grid stays where it is.
    typeAfterAPause(QStringLiteral("z"));
    QCOMPARE(current(), QStringLiteral("CLIENTS.DB"));
}

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
