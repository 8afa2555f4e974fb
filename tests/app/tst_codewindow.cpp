// The code window: created hidden at start-up, its switch on the main
// window, its placement and minimum size, the text the generator appends
// whether it is shown or not, the switch of code generation, copy and save.

#include "tests/app/CompanionFixture.h"

#include "capture/CodeText.h"
#include "framework/widgets/CheckBox.h"
#include "framework/widgets/FileDialogs.h"
#include "framework/widgets/SaveDialog.h"

#include <QClipboard>
#include <QFontInfo>
#include <QGuiApplication>

using widgets::MessageSeam;

namespace {

void checkSwitch(Tf_Main* window, bool on) {
    QCOMPARE(window->CodeWindowShown, on);
    QCOMPARE(window->spVisuCode->isDown(), on);
    QCOMPARE(window->itVisuCode->isChecked(), on);
    QCOMPARE(f_CodeG->isVisible(), on);
}

// Answers the save dialogs of one test from a queue.
class SaveAnswers {
public:
    SaveAnswers() { widgets::FileDialogs::install(&dialogs); }
    ~SaveAnswers() { widgets::FileDialogs::install(nullptr); }
    SaveAnswers(const SaveAnswers&) = delete;
    SaveAnswers& operator=(const SaveAnswers&) = delete;
    widgets::QueuedFileDialogs dialogs;
};

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestCodeWindow : public QObject {
    Q_OBJECT

private slots:
    void createdHiddenAtStartUp();
    void placement_data();
    void placement();
    void neverNarrowsAndKeepsItsMinimum();
    void closeBoxSwitchesOffAndOneClickReopens();
    void textAndCheckBoxSurviveHiding();
    void generationSwitchHoldsUntilTheNextRefresh();
    void copy();
    void saveWritesTheNameAsTypedWithCrLf();
    void textWindows1252CannotHoldIsSavedAsUtf8();
    void failedSaveShowsTheNameAndKeepsTheOldFile();
    void textUsesAMetricCompatibleArial();
};

void TestCodeWindow::createdHiddenAtStartUp() {
    MainWindowFixture f(false);
    QVERIFY(f.codeWindow && !f.codeWindow->isVisible());
    QCOMPARE(f.codeWindow->caption(), QStringLiteral("Fenêtre code"));
    f.window->show();
    QVERIFY(!f.codeWindow->isVisible());
    // Switched to English with every other window when the main window shows.
    QCOMPARE(f.codeWindow->caption(), QStringLiteral("Code window"));
    QCOMPARE(f.codeWindow->meCodeCreat->lineWrapMode(), QPlainTextEdit::NoWrap);
    QVERIFY(f.codeWindow->codeLines().isEmpty());
    QVERIFY(!f.codeWindow->spEnreg->isEnabled());
    QVERIFY(!f.codeWindow->spCopier->isEnabled());
}

// By outer edges, as the add-tables window (the offscreen platform's frame is
// 2 pixels): the main window is 656 x 460 on the screen, the code window's
// design size 248 x 255 inside is 252 x 259.
void TestCodeWindow::placement_data() {
    QTest::addColumn<int>("screenWidth");
    QTest::addColumn<QRect>("expected");
    // Widened to fill the room right of the main window: 1024 - 656 - 2.
    QTest::newRow("wide screen") << 1024 << QRect(656, 0, 366, 460);
    // 800 - 656 is not above 252: the design width stays, 2 pixels from the edge.
    QTest::newRow("narrow screen") << 800 << QRect(800 - 252 - 2, 0, 252, 460);
}

void TestCodeWindow::placement() {
    QFETCH(int, screenWidth);
    QFETCH(QRect, expected);
    CompanionFixture f(QSize(screenWidth, 768));
    f.click("spVisuCode");
    checkSwitch(f.window, true);
    QCOMPARE(f.codeWindow->frameGeometry(), expected);
}

void TestCodeWindow::neverNarrowsAndKeepsItsMinimum() {
    CompanionFixture f;
    f.click("spVisuCode");
    QCOMPARE(f.codeWindow->frameGeometry().width(), 366);
    f.click("spVisuCode");
    // Shown again on a narrower screen: the width it has is kept.
    f.screen = widgets::FixedScreen(QSize(800, 600));
    f.trigger("itVisuCode");
    QCOMPARE(f.codeWindow->frameGeometry(), QRect(800 - 366 - 2, 0, 366, 460));
    f.codeWindow->resize(100, 100);
    QCOMPARE(f.codeWindow->size(), QSize(150, 160));
}

void TestCodeWindow::closeBoxSwitchesOffAndOneClickReopens() {
    CompanionFixture f;
    f.click("spVisuCode");
    QVERIFY(f.codeWindow->close());
    checkSwitch(f.window, false);
    f.click("spVisuCode");
    checkSwitch(f.window, true);
    f.trigger("itVisuCode");
    checkSwitch(f.window, false);
}

void TestCodeWindow::textAndCheckBoxSurviveHiding() {
    CompanionFixture f;
    f.writeClients();
    // Generated while the window is hidden.
    f.switchAddWindowOn();
    f.doubleClickFile(QStringLiteral("CLIENTS.DB"));
    QCOMPARE(f.code(), clientsBlock());
    f.click("spVisuCode");
    QVERIFY(f.codeWindow->spEnreg->isEnabled());
    QVERIFY(f.codeWindow->spCopier->isEnabled());
    QTest::keyClicks(f.codeWindow->meCodeCreat, QStringLiteral("// mine"));
    f.codeWindow->chkSelectAll->setChecked(true);
    const QStringList edited = f.code();
    f.click("spVisuCode");
    f.click("spVisuCode");
    QCOMPARE(f.code(), edited);
    QVERIFY(f.codeWindow->chkSelectAll->isChecked());
    // Emptied by the user: nothing to save or copy.
    f.codeWindow->meCodeCreat->selectAll();
    QTest::keyClick(f.codeWindow->meCodeCreat, Qt::Key_Delete);
    QVERIFY(!f.codeWindow->spEnreg->isEnabled());
    QVERIFY(!f.codeWindow->spCopier->isEnabled());
}

void TestCodeWindow::generationSwitchHoldsUntilTheNextRefresh() {
    CompanionFixture f;
    f.writeClients(QStringLiteral("AAA.DB"));
    f.writeClients(QStringLiteral("BBB.DB"));
    // Switching the add window on refreshes the commands: unchecked after it.
    f.switchAddWindowOn();
    f.trigger("itGenCode");
    QVERIFY(!f.window->itGenCode->isChecked());
    const QString title = f.codeWindow->caption();
    f.doubleClickFile(QStringLiteral("AAA.DB"));
    QCOMPARE(f.tables(), QStringList{QStringLiteral("AAA.DB")});
    QVERIFY(f.code().isEmpty());
    QCOMPARE(f.codeWindow->caption(), title);
    // The refresh after that capture checked the item again.
    QVERIFY(f.window->itGenCode->isChecked());
    f.doubleClickFile(QStringLiteral("BBB.DB"));
    QCOMPARE(f.codeWindow->lineCount(), 29);
    QCOMPARE(f.code().first(),
             QStringLiteral("with TableCreate do  // Beginning generation BBB.DB"));
}

void TestCodeWindow::copy() {
    CompanionFixture f;
    f.codeWindow->meCodeCreat->setPlainText(QStringLiteral("first\nsecond"));
    f.click("spVisuCode");
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(QStringLiteral("held before"));
    f.codeWindow->spCopier->click();
    QCOMPARE(clipboard->text(), QStringLiteral("held before"));

    QTextCursor cursor = f.codeWindow->meCodeCreat->textCursor();
    cursor.setPosition(6);
    cursor.setPosition(9, QTextCursor::KeepAnchor);
    f.codeWindow->meCodeCreat->setTextCursor(cursor);
    f.codeWindow->spCopier->click();
    QCOMPARE(clipboard->text(), QStringLiteral("sec"));

    f.codeWindow->chkSelectAll->setChecked(true);
    f.codeWindow->spCopier->click();
    QCOMPARE(clipboard->text(), QStringLiteral("first\nsecond"));
    // The whole text stays selected, the box checked.
    QCOMPARE(f.codeWindow->meCodeCreat->textCursor().selectedText().size(), 12);
    QVERIFY(f.codeWindow->chkSelectAll->isChecked());
}

void TestCodeWindow::saveWritesTheNameAsTypedWithCrLf() {
    CompanionFixture f;
    SaveAnswers save;
    f.writeClients();
    f.switchAddWindowOn();
    f.doubleClickFile(QStringLiteral("CLIENTS.DB"));
    f.click("spVisuCode");
    const QString path = f.appDir() + QStringLiteral("/codes.pas");
    save.dialogs.push(path);
    f.codeWindow->spEnreg->click();
    QCOMPARE(save.dialogs.requests().size(), 1);
    QCOMPARE(save.dialogs.requests().first().filter,
             QStringLiteral("Text files (*.txt)|*.txt|All files (*.*)|*.*"));
    QVERIFY(!QFile::exists(path + QStringLiteral(".txt")));
    const QByteArray bytes = contents(path);
    QCOMPARE(bytes.count("\r\n"), 29);
    QCOMPARE(bytes.count('\n'), 29);
    QVERIFY(bytes.endsWith("CLIENTS.DB\r\n\r\n\r\n"));
    QCOMPARE(QString::fromLatin1(bytes).split(QStringLiteral("\r\n")).mid(0, 29), clientsBlock());
    // Nothing left beside it.
    QCOMPARE(QDir(f.appDir()).entryList({QStringLiteral("codes*")}, QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("codes.pas")});
    // Cancelled (or the replacement refused in the dialog): nothing written.
    f.codeWindow->meCodeCreat->setPlainText(QStringLiteral("begin end."));
    save.dialogs.push(QString());
    f.codeWindow->spEnreg->click();
    QCOMPARE(contents(path), bytes);
}

void TestCodeWindow::textWindows1252CannotHoldIsSavedAsUtf8() {
    CompanionFixture f;
    SaveAnswers save;
    const QString path = f.appDir() + QStringLiteral("/u.pas");
    // Windows-1252 holds é, € and the non-breaking space: one byte each.
    f.codeWindow->meCodeCreat->setPlainText(QStringLiteral("// é€\u00a0x"));
    save.dialogs.push(path);
    f.codeWindow->spEnreg->click();
    QCOMPARE(contents(path), QByteArray("// \xE9\x80\xA0x\r\n"));
    // A Polish ł it does not: the whole text in UTF-8 behind a byte-order mark.
    f.codeWindow->meCodeCreat->setPlainText(QStringLiteral("// é ł\nx"));
    save.dialogs.push(path);
    f.codeWindow->spEnreg->click();
    QCOMPARE(contents(path), QByteArray("\xEF\xBB\xBF// \xC3\xA9 \xC5\x82\r\nx\r\n"));
}

void TestCodeWindow::failedSaveShowsTheNameAndKeepsTheOldFile() {
    CompanionFixture f;
    SaveAnswers save;
    f.codeWindow->meCodeCreat->setPlainText(QStringLiteral("new text"));
    const QString missing = f.appDir() + QStringLiteral("/nowhere/codes.pas");
    save.dialogs.push(missing);
    MessageSeam::pushAnswer(widgets::mrOk);
    f.codeWindow->spEnreg->click();
    QCOMPARE(MessageSeam::last().text, QStringLiteral("Ne peut créer le fichier ") + missing);
    QCOMPARE(MessageSeam::last().title, QStringLiteral("Erreur"));
    QCOMPARE(f.code(), QStringList{QStringLiteral("new text")});

    // A write-protected file is not replaced.
    const QString locked = f.appDir() + QStringLiteral("/locked.pas");
    QFile file(locked);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("old");
    file.close();
    QVERIFY(file.setPermissions(QFileDevice::ReadOwner));
    save.dialogs.push(locked);
    MessageSeam::pushAnswer(widgets::mrOk);
    f.codeWindow->spEnreg->click();
    QCOMPARE(MessageSeam::last().text, QStringLiteral("Ne peut créer le fichier ") + locked);
    QCOMPARE(contents(locked), QByteArray("old"));
    QVERIFY(file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner));
}

void TestCodeWindow::textUsesAMetricCompatibleArial() {
    CompanionFixture f;
    const QFontInfo memo(f.codeWindow->meCodeCreat->font());
    QCOMPARE(memo.pixelSize(), 12);
    QVERIFY2(memo.family() == QStringLiteral("Arial") ||
                 memo.family() == QStringLiteral("Liberation Sans"),
             qPrintable(memo.family() + QStringLiteral(": run scripts/setup.sh")));
}

QTEST_MAIN(TestCodeWindow)
#include "tst_codewindow.moc"
