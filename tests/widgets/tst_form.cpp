// Windows: the components they own and find by name, modal showing with
// results, close query, default and cancel buttons, and the modal-window seam.

#include "framework/widgets/Button.h"
#include "framework/widgets/Edit.h"
#include "framework/widgets/Form.h"
#include "framework/widgets/Label.h"
#include "framework/widgets/MainMenu.h"
#include "framework/widgets/MenuItem.h"
#include "framework/widgets/ModalSeam.h"
#include "framework/widgets/Panel.h"
#include "framework/widgets/SaveDialog.h"
#include "tests/widgets/SeamGuard.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include <stdexcept>

using namespace widgets;

namespace {

// A dialog like the system's name dialog: an edit, OK (default) and Cancel.
class NameDialog : public Form {
public:
    NameDialog() : Form(nullptr, QStringLiteral("f_Name")) {
        edit = new Edit(this, QStringLiteral("chNom"));
        ok = new Button(this, QStringLiteral("biOK"), QStringLiteral("OK"));
        ok->setModalResult(mrOk);
        ok->setDefault(true);
        cancel = new Button(this, QStringLiteral("biAnnuler"), QStringLiteral("Annuler"));
        cancel->setModalResult(mrCancel);
        cancel->setCancel(true);
        ok->setGeometry(250, 10, 77, 26);
        cancel->setGeometry(250, 40, 77, 26);
        edit->setGeometry(117, 25, 89, 23);
        setClientSize(337, 79);
    }
    bool refuseClose = false;
    int shows = 0;
    Edit* edit;
    Button* ok;
    Button* cancel;

protected:
    void onShow() override { ++shows; }
    void onCloseQuery(bool& canClose) override { canClose = !refuseClose; }
};

} // namespace

class TestForm : public QObject {
    Q_OBJECT

private slots:
    void findsOwnedComponentsIgnoringCase_data();
    void findsOwnedComponentsIgnoringCase();
    void firstComponentOfANameWins();
    void destroyedComponentIsNoLongerFound();
    void modalResultOfTheButtonClosesTheWindow_data();
    void modalResultOfTheButtonClosesTheWindow();
    void closeQueryCanKeepAModalWindowOpen();
    void closeBoxGivesCancel();
    void handlerMayTakeTheResultBack();
    void strictModalSeamFailsAtOnce();
    void modalActionThatLeavesTheWindowOpenIsReported();
    void errorInAWindowHookIsShown();
    void windowDestroyedWhileModalEndsItsLoop();
};

void TestForm::findsOwnedComponentsIgnoringCase_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("found");
    QTest::newRow("exact") << "paHaut"
                           << "paHaut";
    QTest::newRow("other case") << "PAHAUT"
                                << "paHaut";
    QTest::newRow("nested control") << "etNom"
                                    << "etNom";
    QTest::newRow("menu item") << "itquitter"
                               << "itQuitter";
    QTest::newRow("non-visual") << "SaveDlg"
                                << "SaveDlg";
    QTest::newRow("empty key") << ""
                               << "";
    QTest::newRow("message key") << "MsgNoTableName"
                                 << "";
    QTest::newRow("window itself is not a component") << "f_Test"
                                                      << "";
    QTest::newRow("plain child not owned") << "loose"
                                           << "";
}

void TestForm::findsOwnedComponentsIgnoringCase() {
    QFETCH(QString, key);
    QFETCH(QString, found);
    Form window(nullptr, QStringLiteral("f_Test"));
    auto* panel = new Panel(&window, QStringLiteral("paHaut"));
    new Label(panel, QStringLiteral("etNom"));
    auto* menu = new MainMenu(&window, QStringLiteral("mnuPrinc"));
    auto* file = new MenuItem(menu, QStringLiteral("mnDico"), QStringLiteral("&Dictionnaire"));
    new MenuItem(file, QStringLiteral("itQuitter"), QStringLiteral("&Quitter"));
    new SaveDialog(&window, QStringLiteral("SaveDlg"));
    // A plain Qt child is not a component unless the window is told so.
    (new QObject(&window))->setObjectName(QStringLiteral("loose"));
    QObject* hit = window.findComponent(key);
    QCOMPARE(hit ? hit->objectName() : QString(), found);
}

void TestForm::firstComponentOfANameWins() {
    Form window;
    auto* first = new Label(&window, QStringLiteral("Label5"));
    new Label(&window, QStringLiteral("LABEL5"));
    QCOMPARE(window.findComponent(QStringLiteral("label5")), first);
    QCOMPARE(window.components().size(), 2);
}

void TestForm::destroyedComponentIsNoLongerFound() {
    Form window;
    auto* label = new Label(&window, QStringLiteral("etGone"));
    delete label;
    QCOMPARE(window.findComponent(QStringLiteral("etGone")), nullptr);
    QVERIFY(window.components().isEmpty());
}

void TestForm::modalResultOfTheButtonClosesTheWindow_data() {
    QTest::addColumn<int>("how");
    QTest::addColumn<int>("result");
    QTest::newRow("click OK") << 0 << int(mrOk);
    QTest::newRow("click Cancel") << 1 << int(mrCancel);
    QTest::newRow("Enter in the edit") << 2 << int(mrOk);
    QTest::newRow("Escape") << 3 << int(mrCancel);
}

void TestForm::modalResultOfTheButtonClosesTheWindow() {
    QFETCH(int, how);
    QFETCH(int, result);
    SeamGuard seams;
    NameDialog dialog;
    ModalSeam::push([how](Form& w) {
        auto& d = static_cast<NameDialog&>(w);
        QTest::keyClicks(d.edit, QStringLiteral("stock"));
        switch (how) {
        case 0:
            d.ok->click();
            break;
        case 1:
            d.cancel->click();
            break;
        case 2:
            QTest::keyClick(d.edit, Qt::Key_Return);
            break;
        default:
            QTest::keyClick(d.edit, Qt::Key_Escape);
            break;
        }
    });
    QCOMPARE(dialog.showModal(), result);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.edit->text(), QStringLiteral("stock"));
    QCOMPARE(dialog.shows, 1);
}

void TestForm::closeQueryCanKeepAModalWindowOpen() {
    SeamGuard seams;
    NameDialog dialog;
    dialog.refuseClose = true;
    bool stillOpen = false;
    ModalSeam::push([&](Form& w) {
        auto& d = static_cast<NameDialog&>(w);
        d.ok->click();
        QTimer::singleShot(20, &d, [&] {
            stillOpen = d.isVisible() && d.isShowingModal();
            d.refuseClose = false;
            d.cancel->click();
        });
    });
    QCOMPARE(dialog.showModal(), int(mrCancel));
    QVERIFY(stillOpen);
}

void TestForm::closeBoxGivesCancel() {
    SeamGuard seams;
    NameDialog dialog;
    ModalSeam::push([](Form& w) { w.close(); });
    QCOMPARE(dialog.showModal(), int(mrCancel));
}

void TestForm::handlerMayTakeTheResultBack() {
    SeamGuard seams;
    NameDialog dialog;
    int clicks = 0;
    // A click handler connected after the button's own result can cancel it.
    connect(dialog.ok, &QPushButton::clicked, &dialog, [&] {
        if (++clicks == 1)
            dialog.setModalResult(mrNone);
    });
    ModalSeam::push([&](Form& w) {
        auto& d = static_cast<NameDialog&>(w);
        d.ok->click();
        QTimer::singleShot(20, &d, [&d] { d.ok->click(); });
    });
    QCOMPARE(dialog.showModal(), int(mrOk));
    QCOMPARE(clicks, 2);
}

void TestForm::strictModalSeamFailsAtOnce() {
    ModalSeam::clear();
    ModalSeam::setStrict(true);
    FailureRecorder failures;
    NameDialog dialog;
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(dialog.showModal(), int(mrCancel));
    QVERIFY(clock.elapsed() < 2000);
    QCOMPARE(failures.reasons.size(), 1);
    QVERIFY(failures.reasons[0].contains(QStringLiteral("f_Name")));
    ModalSeam::clear();
}

void TestForm::modalActionThatLeavesTheWindowOpenIsReported() {
    ModalSeam::clear();
    FailureRecorder failures;
    NameDialog dialog;
    ModalSeam::setGraceMs(50);
    ModalSeam::push([](Form&) {});
    QCOMPARE(dialog.showModal(), int(mrCancel));
    QCOMPARE(failures.reasons.size(), 1);
    ModalSeam::setGraceMs(1000);
    ModalSeam::clear();
}

void TestForm::errorInAWindowHookIsShown() {
    struct Failing : Form {
        void onShow() override { throw std::runtime_error("Erreur de lecture"); }
    } window;
    SeamGuard seams;
    MessageSeam::pushAnswer(mrOk);
    window.show();
    QCOMPARE(MessageSeam::last().title, QStringLiteral("Erreur"));
    QCOMPARE(MessageSeam::last().text, QStringLiteral("Erreur de lecture"));
}

void TestForm::windowDestroyedWhileModalEndsItsLoop() {
    SeamGuard seams;
    auto* dialog = new NameDialog;
    QPointer<NameDialog> watch(dialog);
    ModalSeam::push([](Form& w) { w.deleteLater(); });
    QCOMPARE(dialog->showModal(), int(mrCancel));
    QVERIFY(!watch);
}

QTEST_MAIN(TestForm)
#include "tst_form.moc"
