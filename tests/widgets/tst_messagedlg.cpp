// The standard message box: French titles and buttons whatever the language
// of the windows, line breaks, the answer queue and strict mode of its seam,
// and the error guard that shows handler errors in it.

#include "framework/widgets/ErrorGuard.h"
#include "framework/widgets/MessageDlg.h"
#include "framework/widgets/MessageSeam.h"
#include "tests/widgets/SeamGuard.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <stdexcept>

using namespace widgets;

class TestMessageDlg : public QObject {
    Q_OBJECT

private slots:
    void titlesFollowTheIcon_data();
    void titlesFollowTheIcon();
    void queuedAnswersComeBackInOrderAndAreRecorded();
    void strictModeFailsAtOnceWithoutAnswer();
    void answerThatNoButtonGivesIsReported();
    void carriageReturnIsALineBreak_data();
    void carriageReturnIsALineBreak();
    void realBoxShowsFrenchButtons();
    void guardShowsTheErrorAndGoesOn();
    void guardedSlotStopsOnlyTheHandler();
    void errorEscapingAnEventIsShown();
};

void TestMessageDlg::titlesFollowTheIcon_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("title");
    QTest::newRow("warning") << int(mtWarning) << QStringLiteral("Avertissement");
    QTest::newRow("error") << int(mtError) << QStringLiteral("Erreur");
    QTest::newRow("information") << int(mtInformation) << QStringLiteral("Information");
    QTest::newRow("confirmation") << int(mtConfirmation) << QStringLiteral("Confirmation");
}

void TestMessageDlg::titlesFollowTheIcon() {
    QFETCH(int, type);
    QFETCH(QString, title);
    SeamGuard seams;
    MessageSeam::pushAnswer(mrOk);
    MessageDlg(QStringLiteral("Delete informations of table:  CLIENTS"), MsgDlgType(type), mbOK);
    QCOMPARE(MessageSeam::last().title, title);
    QCOMPARE(MessageSeam::last().type, MsgDlgType(type));
}

void TestMessageDlg::queuedAnswersComeBackInOrderAndAreRecorded() {
    SeamGuard seams;
    MessageSeam::pushAnswer(mrNo);
    MessageSeam::pushAnswer(mrYes);
    QCOMPARE(MessageDlg(QStringLiteral("first ?"), mtConfirmation, mbYesNo), int(mrNo));
    QCOMPARE(MessageDlg(QStringLiteral("second ?"), mtConfirmation, mbYesNo), int(mrYes));
    QCOMPARE(MessageSeam::shownCount(), 2);
    const auto shown = MessageSeam::history();
    QCOMPARE(shown[0].text, QStringLiteral("first ?"));
    QCOMPARE(shown[0].answer, int(mrNo));
    QCOMPARE(shown[1].text, QStringLiteral("second ?"));
    QCOMPARE(shown[1].buttons, mbYesNo);
}

void TestMessageDlg::strictModeFailsAtOnceWithoutAnswer() {
    MessageSeam::clear();
    MessageSeam::setStrict(true);
    FailureRecorder failures;
    QElapsedTimer clock;
    clock.start();
    const int result =
        MessageDlg(QStringLiteral("Impossible to add an empty selection !"), mtWarning, mbOK);
    QVERIFY(clock.elapsed() < 2000);
    QCOMPARE(result, int(mrCancel));
    QCOMPARE(failures.reasons.size(), 1);
    QVERIFY(failures.reasons[0].contains(QStringLiteral("Impossible to add an empty selection !")));
    // The unexpected box is still recorded, so its text can be reported.
    QCOMPARE(MessageSeam::last().text, QStringLiteral("Impossible to add an empty selection !"));
    MessageSeam::clear();
}

void TestMessageDlg::answerThatNoButtonGivesIsReported() {
    MessageSeam::clear();
    MessageSeam::setStrict(true);
    FailureRecorder failures;
    MessageSeam::pushAnswer(mrYes);
    MessageDlg(QStringLiteral("only OK"), mtWarning, mbOK);
    QCOMPARE(failures.reasons.size(), 1);
    MessageSeam::clear();
}

void TestMessageDlg::carriageReturnIsALineBreak_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::newRow("cr")
        << QStringLiteral("Value must not be higher than\rnumber of available languages.")
        << QStringLiteral("Value must not be higher than\nnumber of available languages.");
    QTest::newRow("double cr") << QStringLiteral("a\r\rb") << QStringLiteral("a\n\nb");
    QTest::newRow("crlf") << QStringLiteral("a\r\nb") << QStringLiteral("a\nb");
    QTest::newRow("none") << QStringLiteral("plain") << QStringLiteral("plain");
}

void TestMessageDlg::carriageReturnIsALineBreak() {
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QCOMPARE(displayText(text), shown);
}

void TestMessageDlg::realBoxShowsFrenchButtons() {
    MessageSeam::clear(); // not strict: the real box appears
    QStringList buttons;
    QString title;
    QString text;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        title = box->windowTitle();
        text = box->text();
        QPushButton* no = nullptr;
        for (QAbstractButton* b : box->buttons()) {
            buttons.append(b->text());
            if (b->text() == QStringLiteral("&Non"))
                no = qobject_cast<QPushButton*>(b);
        }
        if (no)
            no->click();
        else
            box->reject();
    });
    const int result =
        MessageDlg(QStringLiteral("Cancel creation ?\rsure"), mtConfirmation, mbYesNo);
    QCOMPARE(result, int(mrNo));
    QCOMPARE(title, QStringLiteral("Confirmation"));
    QCOMPARE(text, QStringLiteral("Cancel creation ?\nsure"));
    QCOMPARE(buttons, (QStringList{QStringLiteral("&Oui"), QStringLiteral("&Non")}));
    QCOMPARE(MessageSeam::last().answer, int(mrNo));

    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        buttons.clear();
        for (QAbstractButton* b : box->buttons())
            buttons.append(b->text());
        box->reject(); // Escape
    });
    QCOMPARE(MessageDlg(QStringLiteral("x"), mtWarning, mbOKCancel), int(mrCancel));
    QCOMPARE(buttons, (QStringList{QStringLiteral("OK"), QStringLiteral("Annuler")}));
    MessageSeam::clear();
}

void TestMessageDlg::guardShowsTheErrorAndGoesOn() {
    SeamGuard seams;
    MessageSeam::pushAnswer(mrOk);
    bool after = false;
    const bool completed = runGuarded([&] {
        throw std::runtime_error("Violation de clé dans « DICO.DB »");
        after = true;
    });
    QVERIFY(!completed);
    QVERIFY(!after);
    QCOMPARE(MessageSeam::last().title, QStringLiteral("Erreur"));
    QCOMPARE(MessageSeam::last().type, mtError);
    QCOMPARE(MessageSeam::last().text, QStringLiteral("Violation de clé dans « DICO.DB »"));
    QVERIFY(runGuarded([] {}));
}

void TestMessageDlg::guardedSlotStopsOnlyTheHandler() {
    struct Window : QObject {
        int steps = 0;
        void handler() {
            ++steps;
            throw std::logic_error("Table inexistante");
        }
    } window;
    QPushButton button;
    QObject::connect(&button, &QPushButton::clicked, &window, guarded(&window, &Window::handler));
    SeamGuard seams;
    MessageSeam::pushAnswer(mrOk);
    MessageSeam::pushAnswer(mrOk);
    button.click();
    button.click(); // the program went on after the first error
    QCOMPARE(window.steps, 2);
    QCOMPARE(MessageSeam::shownCount(), 2);
    QCOMPARE(MessageSeam::last().text, QStringLiteral("Table inexistante"));
}

void TestMessageDlg::errorEscapingAnEventIsShown() {
    // An object whose event handler throws, outside any guard of its own: the
    // application object shows the error and the event loop goes on.
    struct Throwing : QObject {
        int events = 0;
        bool event(QEvent* e) override {
            if (e->type() != QEvent::User)
                return QObject::event(e);
            ++events;
            throw std::runtime_error("Fichier verrouillé");
        }
    } target;
    QVERIFY(qobject_cast<Application*>(QCoreApplication::instance()));
    SeamGuard seams;
    MessageSeam::pushAnswer(mrOk);
    MessageSeam::pushAnswer(mrOk);
    QEvent direct(QEvent::User);
    QCoreApplication::sendEvent(&target, &direct);
    QCoreApplication::postEvent(&target, new QEvent(QEvent::User));
    QCoreApplication::processEvents();
    QCOMPARE(target.events, 2);
    QCOMPARE(MessageSeam::shownCount(), 2);
    QCOMPARE(MessageSeam::last().title, QStringLiteral("Erreur"));
    QCOMPARE(MessageSeam::last().text, QStringLiteral("Fichier verrouillé"));
}

// The program's own application object, so that its event guard is tested.
int main(int argc, char** argv) {
    Application app(argc, argv);
    TestMessageDlg test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_messagedlg.moc"
