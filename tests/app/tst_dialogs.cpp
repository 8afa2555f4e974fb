// The dictionary-name dialog as the New command shows it: empty edit, OK
// enabled exactly while a name is typed, Enter and Escape.

#include "tests/app/MainWindowFixture.h"

#include "app/Tf_ajmsdico.h"
#include "framework/widgets/Bevel.h"
#include "framework/widgets/Label.h"

#include <QApplication>

using widgets::MessageSeam;

class TestDialogs : public QObject {
    Q_OBJECT

private slots:
    void nameDialogAsDesigned();
    void okFollowsTheText();
    void keysOfTheNameDialog_data();
    void keysOfTheNameDialog();
};

void TestDialogs::nameDialogAsDesigned() {
    MainWindowFixture f;
    widgets::ModalSeam::push([](widgets::Form& dialog) {
        QCOMPARE(dialog.caption(), QStringLiteral("Korvanta"));
        QCOMPARE(dialog.clientWidth(), 337);
        QCOMPARE(dialog.clientHeight(), 79);
        QCOMPARE(dialog.component<widgets::Bevel>(QStringLiteral("Bevel1"))->geometry(),
                 QRect(5, 10, 236, 56));
        auto* label = dialog.component<widgets::Label>(QStringLiteral("etNomDico"));
        QCOMPARE(label->caption(), QStringLiteral("Dictionary:"));
        QCOMPARE(label->pos(), QPoint(40, 30));
        auto* edit = dialog.component<widgets::Edit>(QStringLiteral("chNomDico"));
        QCOMPARE(edit->geometry(), QRect(117, 25, 89, 23));
        QCOMPARE(edit->maxLength(), 0);
        auto* ok = dialog.component<widgets::BitBtn>(QStringLiteral("biOK"));
        auto* cancel = dialog.component<widgets::BitBtn>(QStringLiteral("biAnnuler"));
        QCOMPARE(ok->geometry(), QRect(250, 10, 77, 26));
        QCOMPARE(cancel->geometry(), QRect(250, 40, 77, 26));
        QCOMPARE(cancel->caption(), QStringLiteral("Cancel"));
        QVERIFY(ok->isDefault());
        QVERIFY(cancel->isCancel());
        cancel->click();
    });
    f.click("spNouveau");
}

void TestDialogs::okFollowsTheText() {
    MainWindowFixture f;
    // A text left in the edit from an earlier use never shows again.
    widgets::ModalSeam::push([](widgets::Form& dialog) {
        auto* edit = dialog.component<widgets::Edit>(QStringLiteral("chNomDico"));
        auto* ok = dialog.component<widgets::BitBtn>(QStringLiteral("biOK"));
        QVERIFY(edit->text().isEmpty());
        QVERIFY(!ok->isEnabled());
        QCOMPARE(QApplication::focusWidget() == edit || !QApplication::focusWindow(), true);
        QTest::keyClick(edit, Qt::Key_S);
        QVERIFY(ok->isEnabled());
        QTest::keyClick(edit, Qt::Key_Backspace);
        QVERIFY(!ok->isEnabled());
        QTest::keyClicks(edit, QStringLiteral("xy"));
        QVERIFY(ok->isEnabled());
        dialog.component<widgets::BitBtn>(QStringLiteral("biAnnuler"))->click();
    });
    f.click("spNouveau");
    QVERIFY(!f_ajmsdico);
}

void TestDialogs::keysOfTheNameDialog_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("created");
    QTest::newRow("Enter gives OK") << int(Qt::Key_Return) << true;
    QTest::newRow("Escape cancels") << int(Qt::Key_Escape) << false;
}

void TestDialogs::keysOfTheNameDialog() {
    QFETCH(int, key);
    QFETCH(bool, created);
    MainWindowFixture f;
    widgets::ModalSeam::push([key](widgets::Form& dialog) {
        auto* edit = dialog.component<widgets::Edit>(QStringLiteral("chNomDico"));
        QTest::keyClicks(edit, QStringLiteral("stock"));
        QTest::keyClick(&dialog, Qt::Key(key));
    });
    if (created)
        MessageSeam::pushAnswer(widgets::mrYes);
    f.click("spNouveau");
    QCOMPARE(QFile::exists(f.dataFile(QStringLiteral("stock.DB"))), created);
}

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
