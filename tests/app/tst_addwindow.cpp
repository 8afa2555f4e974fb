// The add-tables window: its switch on the main window, its placement and
// minimum size, the fresh start at every switching on, and the add command
// with its warnings, driven as a user would.

#include "tests/app/CompanionFixture.h"

#include "framework/widgets/BitBtn.h"
#include "framework/widgets/CheckBox.h"
#include "framework/widgets/DirectoryListBox.h"
#include "framework/widgets/DriveComboBox.h"
#include "framework/widgets/Panel.h"
#include "lang/FixedTexts.h"
#include "lang/Messages.h"

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QPointer>
#include <QUrl>

using widgets::MessageSeam;

namespace {

void checkSwitch(Tf_Main* window, bool on) {
    QCOMPARE(window->AddWindowShown, on);
    QCOMPARE(window->spAjTable->isDown(), on);
    QCOMPARE(window->itAjTable->isChecked(), on);
    QCOMPARE(f_SelFichiers != nullptr, on);
}

// Lets the windows that were switched off be freed.
void settle() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

class TestAddWindow : public QObject {
    Q_OBJECT

private slots:
    void placement_data();
    void placement();
    void shrinkingSnapsBackToTheMinimum();
    void aFreshWindowStartsInTheApplicationDirectory();
    void closeBoxSwitchesOffAndOneClickReopens();
    void switchFollowsTheDictionaryState();
    void addsOnlyTheFocusedFile();
    void emptySelectionIsRefused();
    void duplicateByDoubleClickIsRefused();
    void withoutADictionaryTheRefusalNamesNoComponent();
    void droppedTablesAreCapturedOneAfterAnother();
};

// Placement is by the windows' outer edges, frame included (the offscreen
// platform draws a frame of 2 pixels around each window): the main window is
// 652 x 456 inside, so 656 x 460 on the screen.
void TestAddWindow::placement_data() {
    QTest::addColumn<int>("screenHeight");
    QTest::addColumn<QRect>("expected");
    // 768 - 460 - 30 = 278 leaves room under the main window: edge to edge
    // with it, one pixel below, down to 30 pixels above the screen's bottom.
    QTest::newRow("under the main window") << 768 << QRect(0, 461, 656, 278);
    // 600 - 460 - 30 = 110 does not: centred, at the design size.
    QTest::newRow("centred") << 600 << QRect((1024 - 446) / 2 - 2, (600 - 159) / 2 - 2, 450, 163);
}

void TestAddWindow::placement() {
    QFETCH(int, screenHeight);
    QFETCH(QRect, expected);
    CompanionFixture f(QSize(1024, screenHeight));
    QCOMPARE(f.window->frameGeometry(), QRect(0, 0, 656, 460));
    Tf_SelFichiers* w = f.switchAddWindowOn();
    QVERIFY(w && w->isVisible());
    QCOMPARE(w->frameGeometry(), expected);
    // Both halves shown and sharing the window.
    QVERIFY(w->paGauche->isVisible());
    QVERIFY(w->biAjouter->isVisible());
    QVERIFY(!w->chkTous->isVisible());
    QCOMPARE(w->paDroite->width(), 164);
    QCOMPARE(w->paGauche->width() + w->paDroite->width(), w->width());
    QCOMPARE(w->caption(), QStringLiteral("Add window"));
    QCOMPARE(w->biAjouter->caption(), QStringLiteral("Add"));
}

void TestAddWindow::shrinkingSnapsBackToTheMinimum() {
    CompanionFixture f;
    Tf_SelFichiers* w = f.switchAddWindowOn();
    w->resize(300, 100);
    QCOMPARE(w->size(), QSize(446, 159));
    w->resize(500, 120);
    QCOMPARE(w->size(), QSize(500, 159));
}

void TestAddWindow::aFreshWindowStartsInTheApplicationDirectory() {
    CompanionFixture f;
    f.writeClients();
    // Tables in any letter case are listed; other files are not.
    for (const char* name : {"b.db", "C.Db", "d.txt", "e.dbx"})
        QVERIFY(
            QFile(f.appDir() + QLatin1Char('/') + QLatin1String(name)).open(QIODevice::WriteOnly));
    QVERIFY(QDir(f.appDir()).mkdir(QStringLiteral("sub")));
    QPointer<Tf_SelFichiers> first = f.switchAddWindowOn();
    QCOMPARE(first->syRepertoire->directory(), f.appDir());
    QCOMPARE(first->syFichiers->directory(), f.appDir());
    // The drive box shows the volume that holds the directory.
    const QString drive = first->syLecteur->drive();
    QVERIFY2(f.appDir().startsWith(drive), qPrintable(drive));

    first->syRepertoire->setDirectory(f.appDir() + QStringLiteral("/sub"));
    QCOMPARE(first->syFichiers->directory(), f.appDir() + QStringLiteral("/sub"));
    f.click("spAjTable");
    checkSwitch(f.window, false);
    settle();
    QVERIFY(!first);

    Tf_SelFichiers* second = f.switchAddWindowOn();
    checkSwitch(f.window, true);
    QCOMPARE(second->syRepertoire->directory(), f.appDir());
    QCOMPARE(second->syFichiers->fileNames(),
             (QStringList{QStringLiteral("b.db"), QStringLiteral("C.Db"),
                          QStringLiteral("CLIENTS.DB")}));
    QCOMPARE(second->syFichiers->selCount(), 0);
    QVERIFY(second->syFichiers->multiSelect());
}

void TestAddWindow::closeBoxSwitchesOffAndOneClickReopens() {
    CompanionFixture f;
    QPointer<Tf_SelFichiers> first = f.switchAddWindowOn();
    checkSwitch(f.window, true);
    QVERIFY(first->close());
    checkSwitch(f.window, false);
    settle();
    QVERIFY(!first);

    f.click("spAjTable");
    checkSwitch(f.window, true);
    QVERIFY(f_SelFichiers->isVisible());
    // The menu item switches it off as the button does.
    f.trigger("itAjTable");
    checkSwitch(f.window, false);
}

void TestAddWindow::switchFollowsTheDictionaryState() {
    CompanionFixture f;
    f.switchAddWindowOn();
    // A dictionary that goes otherwise than by deletion disables the switch
    // but leaves the window on; its close box still switches it off.
    f.window->Store->CloseDico();
    QVERIFY(!f.window->spAjTable->isEnabled());
    checkSwitch(f.window, true);
    QVERIFY(f_SelFichiers->close());
    checkSwitch(f.window, false);
    // Deleting the open dictionary switches the window off with it: there is
    // nothing left to add into.
    f.openDictionary(QStringLiteral("essai.DB"));
    f.switchAddWindowOn();
    f.pickFile(QStringLiteral("essai.DB"));
    MessageSeam::pushAnswer(widgets::mrYes);
    f.click("spSupprimer");
    QCOMPARE(f.state(), store::DicoState::NoDictionary);
    QVERIFY(!f.window->spAjTable->isEnabled());
    QVERIFY(!f.window->itAjTable->isEnabled());
    settle();
    checkSwitch(f.window, false);
}

void TestAddWindow::addsOnlyTheFocusedFile() {
    CompanionFixture f;
    for (const char* name : {"AAA.DB", "BBB.DB", "CCC.DB"})
        f.writeClients(QLatin1String(name));
    f.switchAddWindowOn();
    const QStringList all{QStringLiteral("AAA.DB"), QStringLiteral("BBB.DB"),
                          QStringLiteral("CCC.DB")};
    f.selectFiles(all, QStringLiteral("BBB.DB"));
    f_SelFichiers->biAjouter->click();
    QCOMPARE(f.tables(), QStringList{QStringLiteral("BBB.DB")});
    QCOMPARE(f.codeWindow->lineCount(), 29);
    QCOMPARE(f.codeWindow->caption(), QStringLiteral("Delphi code - Lines generated: 29"));
    // The selection stays: moving the focus adds the next file.
    QCOMPARE(f.files()->selCount(), 3);
    f.files()->setCurrentRow(2, QItemSelectionModel::NoUpdate);
    f_SelFichiers->biAjouter->click();
    QCOMPARE(f.tables(), (QStringList{QStringLiteral("BBB.DB"), QStringLiteral("CCC.DB")}));
    QCOMPARE(f.codeWindow->caption(), QStringLiteral("Delphi code - Lines generated: 58"));
}

void TestAddWindow::emptySelectionIsRefused() {
    CompanionFixture f;
    f.writeClients();
    f.switchAddWindowOn();
    const QString title = f.codeWindow->caption();
    const int shown = MessageSeam::shownCount();
    MessageSeam::pushAnswer(widgets::mrOk);
    f_SelFichiers->biAjouter->click();
    QCOMPARE(MessageSeam::shownCount(), shown + 1);
    QCOMPARE(MessageSeam::last().text, QStringLiteral("Impossible to add an empty selection !"));
    QCOMPARE(MessageSeam::last().type, widgets::mtWarning);
    QVERIFY(f.tables().isEmpty());
    QCOMPARE(f.codeWindow->caption(), title);
    // A double-click on the empty part of the list is the add command too.
    widgets::FileListBox* list = f.files();
    const QPoint below(list->viewport()->width() / 2, list->viewport()->height() - 4);
    QVERIFY(!list->itemAt(below));
    MessageSeam::pushAnswer(widgets::mrOk);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, below);
    QCOMPARE(MessageSeam::shownCount(), shown + 2);
    QCOMPARE(MessageSeam::last().text, QStringLiteral("Impossible to add an empty selection !"));
    QVERIFY(f.tables().isEmpty());
}

void TestAddWindow::duplicateByDoubleClickIsRefused() {
    CompanionFixture f;
    f.writeClients();
    f.switchAddWindowOn();
    f.doubleClickFile(QStringLiteral("CLIENTS.DB"));
    QCOMPARE(f.tables(), QStringList{QStringLiteral("CLIENTS.DB")});
    QCOMPARE(f.code(), clientsBlock());

    // Refused, but the title is set again with the unchanged count.
    f.codeWindow->setCaption(QStringLiteral("touched"));
    MessageSeam::pushAnswer(widgets::mrOk);
    f.doubleClickFile(QStringLiteral("CLIENTS.DB"));
    QCOMPARE(MessageSeam::last().text,
             QStringLiteral("Impossible operation... name of table yet used !"));
    QCOMPARE(f.tables(), QStringList{QStringLiteral("CLIENTS.DB")});
    QCOMPARE(f.codeWindow->lineCount(), 29);
    QCOMPARE(f.codeWindow->caption(), QStringLiteral("Delphi code - Lines generated: 29"));
}

// The window stays on when the dictionary goes; its add command then says so
// in the user's language instead of letting an engine message name a
// component of ours, and writes nothing.
void TestAddWindow::withoutADictionaryTheRefusalNamesNoComponent() {
    CompanionFixture f;
    f.writeClients();
    f.switchAddWindowOn();
    f.window->Store->CloseDico();
    f.selectFiles({QStringLiteral("CLIENTS.DB")}, QStringLiteral("CLIENTS.DB"));
    for (const bool byKey : {false, true}) {
        MessageSeam::pushAnswer(widgets::mrOk);
        if (byKey)
            QTest::keyClick(f.files(), Qt::Key_Return);
        else
            f_SelFichiers->biAjouter->click();
        QCOMPARE(MessageSeam::last().text, lang::Messages::text(lang::Msg::NoDictionaryOpen, 1));
        QCOMPARE(MessageSeam::last().type, widgets::mtWarning);
    }
    QVERIFY(f.code().isEmpty());
}

// Table files dropped on the main window go in as the add command puts one
// file in: the same rows, code, title and duplicate warning; other files
// are left out, and nothing is taken without an open dictionary.
void TestAddWindow::droppedTablesAreCapturedOneAfterAnother() {
    CompanionFixture f;
    const QString clients = f.writeClients();
    const QString copy = f.writeClients(QStringLiteral("COPIE.db"));
    QFile notATable(f.appDir() + QStringLiteral("/notes.txt"));
    QVERIFY(notATable.open(QIODevice::WriteOnly));
    const auto drop = [&](const QStringList& paths) {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& path : paths)
            urls.append(QUrl::fromLocalFile(path));
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(f.window, &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent dropped(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(f.window, &dropped);
        return true;
    };
    QVERIFY(drop({notATable.fileName(), clients, copy}));
    QCOMPARE(f.tables(), (QStringList{QStringLiteral("CLIENTS.DB"), QStringLiteral("COPIE.db")}));
    QCOMPARE(f.code().mid(0, clientsBlock().size()), clientsBlock());
    QCOMPARE(f.codeWindow->lineCount(), 58);
    QCOMPARE(f.codeWindow->caption(), QStringLiteral("Delphi code - Lines generated: 58"));

    MessageSeam::pushAnswer(widgets::mrOk);
    QVERIFY(drop({clients}));
    QCOMPARE(MessageSeam::last().text,
             QStringLiteral("Impossible operation... name of table yet used !"));
    QCOMPARE(f.tables().size(), 2);

    f.window->Store->CloseDico();
    QVERIFY(!drop({clients}));
}

QTEST_MAIN(TestAddWindow)
#include "tst_addwindow.moc"
