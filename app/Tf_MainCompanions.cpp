// The main window's two modeless companions: the add-tables window, created
// each time it is switched on and destroyed when switched off, and the code
// window, created at start-up and only shown and hidden; and the switch of
// code generation.

#include "app/Tf_Main.h"

#include "capture/window/Tf_SelFichiers.h"
#include "codewin/Tf_CodeG.h"
#include "framework/widgets/ErrorGuard.h"
#include "framework/widgets/MenuItem.h"
#include "framework/widgets/SpeedButton.h"
#include "store/DictionaryStore.h"

#include <stdexcept>

void Tf_Main::spAjTableClick() {
    AddWindowShown = !AddWindowShown;
    itAjTable->setChecked(AddWindowShown);
    if (!AddWindowShown) {
        discardAddWindow();
        if (spAjTable->isDown())
            spAjTable->setDown(false);
        return;
    }
    f_SelFichiers = new Tf_SelFichiers(*Store, *this, this);
    connect(f_SelFichiers, &Tf_SelFichiers::closeBoxUsed, this,
            widgets::guarded(this, &Tf_Main::addWindowCloseBox));
    f_SelFichiers->placeFor(*this);
    f_SelFichiers->prepare(Store->AppDir());
    f_SelFichiers->show();
    AddWindowShown = true;
    UpdateCommands();
    if (!spAjTable->isDown())
        spAjTable->setDown(true);
}

// Freed once the current event is handled: the switch may come from the
// window's own close box, while the window is still handling it.
void Tf_Main::discardAddWindow() {
    Tf_SelFichiers* window = f_SelFichiers;
    f_SelFichiers = nullptr;
    if (!window)
        return;
    window->hide();
    window->deleteLater();
}

void Tf_Main::addWindowCloseBox() {
    if (AddWindowShown)
        spAjTableClick();
}

void Tf_Main::itVisuCodeClick() {
    CodeWindowShown = !CodeWindowShown;
    itVisuCode->setChecked(CodeWindowShown);
    if (CodeWindowShown) {
        f_CodeG->placeBeside(*this);
        f_CodeG->show();
        if (!spVisuCode->isDown())
            spVisuCode->setDown(true);
        return;
    }
    f_CodeG->hide();
    if (spVisuCode->isDown())
        spVisuCode->setDown(false);
}

void Tf_Main::codeWindowCloseBox() {
    spVisuCode->setDown(false);
    if (CodeWindowShown)
        itVisuCode->trigger();
}

void Tf_Main::itGenCodeClick() {
    itGenCode->setChecked(!itGenCode->isChecked());
}

bool Tf_Main::codeGenerationOn() const {
    return itGenCode->isChecked();
}

capture::CodeText& Tf_Main::codeText() {
    // Start-up creates the code window right after this window.
    if (!f_CodeG)
        throw std::logic_error("the code window does not exist");
    return *f_CodeG;
}
