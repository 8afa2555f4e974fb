#include "app/Startup.h"

#include "about/ProgramIcon.h"
#include "about/Tf_Apropos.h"
#include "app/Tf_Main.h"
#include "codewin/Tf_CodeG.h"
#include "describe/Tf_Descrip.h"
#include "engine/EngineNotice.h"
#include "framework/widgets/ErrorGuard.h"
#include "framework/widgets/MessageDlg.h"
#include "lang/FixedTexts.h"
#include "report/Tr_Korvanta.h"

#include <QApplication>
#include <QFont>
#include <QMetaObject>

void Startup::setApplicationTitle() {
    QApplication::setApplicationName(lang::fixed::applicationTitle());
}

void Startup::setProgramIcon() {
    QApplication::setWindowIcon(ProgramIcon::icon());
}

void Startup::showEngineNotices() {
    engine::setNoticeHandler([](const std::string& message) {
        // Queued: the notice comes from inside a read, which a modal box must not
        // interrupt.
        QMetaObject::invokeMethod(
            qApp,
            [text = QString::fromStdString(message)] {
                widgets::MessageDlg(text, widgets::mtWarning, widgets::mbOK);
            },
            Qt::QueuedConnection);
    });
}

void Startup::substituteFonts() {
    // Metric-compatible free faces. A substitute only serves when the family
    // itself is missing; fontconfig's own aliases usually get there first.
    QFont::insertSubstitutions(QStringLiteral("Arial"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo")});
}

void Startup::createWindows() {
    // The main window first: its creation prepares the data directory. The
    // code window, the description dialog, the about box and the report form
    // follow it here, hidden, in that order.
    f_Main = new Tf_Main();
    createCodeWindow();
    createDescriptionDialog();
    createAboutBox();
    r_Korvanta = new Tr_Korvanta();
}

void Startup::createCodeWindow() {
    // A companion of the main window: closing the main window still ends the
    // program while the code window is shown, and the window manager keeps
    // the two together.
    f_CodeG = new Tf_CodeG(f_Main);
    QObject::connect(f_CodeG, &Tf_CodeG::closeBoxUsed, f_Main,
                     widgets::guarded(f_Main, &Tf_Main::codeWindowCloseBox));
}

// The dialogs belong to the main window, so that the window manager keeps them
// above it.
void Startup::createDescriptionDialog() {
    f_Descrip = new Tf_Descrip(f_Main);
}

void Startup::createAboutBox() {
    f_Apropos = new Tf_Apropos(f_Main);
}

void Startup::destroyWindows() {
    delete r_Korvanta;
    r_Korvanta = nullptr;
    delete f_Apropos;
    delete f_Descrip;
    delete f_CodeG;
    delete f_Main;
}
