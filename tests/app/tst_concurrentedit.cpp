// The window open on a dictionary while another program (korvanta-cli capture,
// run as a real process) adds a table to it: whatever description the user
// is typing or has typed meanwhile is stored, and the new table shows too.

#include "tests/app/MainWindowFixture.h"
#include "tests/capture/SourceTables.h"

#include <QFileSystemWatcher>
#include <QHeaderView>
#include <QLineEdit>
#include <QPointer>
#include <QProcess>
#include <QSignalSpy>

namespace {

QLineEdit* openEditor(widgets::DataGrid* grid) {
    for (QLineEdit* editor : grid->findChildren<QLineEdit*>())
        if (editor->isVisible())
            return editor;
    return nullptr;
}

// The description column of `grid`'s `row` made current and its editor opened.
QLineEdit* startTyping(widgets::DataGrid* grid, int row, const QString& text) {
    int column = -1;
    for (int position = 0; position < grid->model()->columnCount(); ++position)
        if (grid->fieldAtPosition(position) == QLatin1String("Description"))
            column = grid->horizontalHeader()->logicalIndex(position);
    if (column < 0)
        return nullptr;
    grid->setFocus();
    grid->setCurrentIndex(grid->model()->index(row, column));
    QTest::keyClick(grid, Qt::Key_F2);
    QLineEdit* editor = openEditor(grid);
    if (editor)
        QTest::keyClicks(editor, text);
    return editor;
}

QStringList listedTables(widgets::DataGrid* grid) {
    QStringList names;
    for (int row = 0; row < grid->model()->rowCount(); ++row)
        names << grid->model()->index(row, 0).data().toString();
    return names;
}

int captureInAnotherProcess(const QString& dictionary, const QString& table) {
    QProcess capture;
    capture.start(QStringLiteral(KV_CLI_PATH), {QStringLiteral("capture"), dictionary, table});
    if (!capture.waitForFinished(60000))
        return -1;
    return capture.exitCode();
}

} // namespace

class TestConcurrentEdit : public QObject {
    Q_OBJECT

private slots:
    void descriptionTypedDuringACaptureIsKept_data();
    void descriptionTypedDuringACaptureIsKept();
};

void TestConcurrentEdit::descriptionTypedDuringACaptureIsKept_data() {
    QTest::addColumn<QString>("grid");
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("entered");
    QTest::addColumn<int>("number"); // NoEnreg of the described entry
    // Rows: 1 CLIENTS, 2 NOM, 3 VILLE, 4 ARTICLES, 5 CODE.
    QTest::newRow("table, being typed") << "grTables" << 1 << false << 4;
    QTest::newRow("table, entered") << "grTables" << 0 << true << 1;
    QTest::newRow("field, being typed") << "grChamps" << 1 << false << 3;
    QTest::newRow("field, entered") << "grChamps" << 0 << true << 2;
}

void TestConcurrentEdit::descriptionTypedDuringACaptureIsKept() {
    QFETCH(QString, grid);
    QFETCH(int, row);
    QFETCH(bool, entered);
    QFETCH(int, number);
    MainWindowFixture f;
    f.makeDictionaryFile(QStringLiteral("paye.DB"));
    f.openDictionary(QStringLiteral("paye.DB"));
    f.addTable(QStringLiteral("CLIENTS"), {QStringLiteral("NOM"), QStringLiteral("VILLE")});
    f.addTable(QStringLiteral("ARTICLES"), {QStringLiteral("CODE")});
    f.trigger("itUseDescr"); // the fields grid shows descriptions
    f.window->taDico->First();
    const QString source = sourcetables::writeClients(f.dataFile(QStringLiteral("STOCK.DB")));
    widgets::DataGrid* typedIn = f.window->component<widgets::DataGrid>(grid);
    const QString text = QStringLiteral("typed meanwhile");
    const QPointer<QLineEdit> editor = startTyping(typedIn, row, text);
    QVERIFY(editor);
    if (entered)
        QTest::keyClick(editor, Qt::Key_Return);

    QFileSystemWatcher watcher({f.nomDico()});
    QSignalSpy changed(&watcher, &QFileSystemWatcher::fileChanged);
    QCOMPARE(captureInAnotherProcess(f.nomDico(), source), 0);
    QTRY_VERIFY(!changed.isEmpty());
    QTest::qWait(300); // the window's own watcher has heard it too
    if (!entered) {
        QVERIFY2(editor && openEditor(typedIn) == editor, "the editor was closed");
        QCOMPARE(editor->text(), text);
        QTest::keyClick(editor, Qt::Key_Return);
    }
    // Leaving the row posts it.
    QTest::keyClick(typedIn, row == 0 ? Qt::Key_Down : Qt::Key_Up);
    QTRY_COMPARE(f.window->taDico->State(), dataset::DataSetState::Browse);
    QCOMPARE(f.window->taChamps->State(), dataset::DataSetState::Browse);
    dataset::Table probe;
    probe.setTableName(f.nomDico());
    probe.Open();
    QVERIFY(probe.FindKey({number}));
    QCOMPARE(probe.FieldByName(QStringLiteral("Description"))->AsString(), text);
    QTRY_COMPARE(listedTables(f.window->grTables),
                 (QStringList{"CLIENTS", "ARTICLES", "STOCK.DB"}));
}

QTEST_MAIN(TestConcurrentEdit)
#include "tst_concurrentedit.moc"
