// The main window's two modeless companions: the add-tables window, created
// each time it is switched on and destroyed when switched off, and the code
// window, created at start-up and only shown and hidden; and the switch of
// code generation.

#include "app/Tf_Main.h"

#include "capture/CaptureOutcome.h"
#include "capture/StructureCapture.h"
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
    f_SelFichiers = new Tf_SelFichiers(*Store, this);
    connect(f_SelFichiers, &Tf_SelFichiers::closeBoxUsed, this,
            widgets::guarded(this, &Tf_Main::addWindowCloseBox));
    connect(f_SelFichiers, &Tf_SelFichiers::tableCaptured, this, &Tf_Main::tableCaptured);
    f_SelFichiers->setCodeGeneration(codeGenerationOn());
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
    setCodeGeneration(!itGenCode->isChecked());
}

void Tf_Main::setCodeGeneration(bool on) {
    itGenCode->setChecked(on);
    if (f_SelFichiers)
        f_SelFichiers->setCodeGeneration(on);
}

bool Tf_Main::codeGenerationOn() const {
    return itGenCode->isChecked();
}

// The code goes in before the commands are refreshed; the title counts the
// lines only when code was asked for, so a table added with generation off
// leaves the code window's title alone. A refusal was shown by whoever
// captured.
void Tf_Main::tableCaptured(const capture::CaptureOutcome& outcome) {
    if (outcome.captured()) {
        for (const QString& line : outcome.code)
            codeText().appendLine(line);
        UpdateCommands();
    }
    if (outcome.generating())
        capture::StructureCapture::ShowLineCount(codeText());
}

capture::CodeText& Tf_Main::codeText() {
    // Start-up creates the code window right after this window.
    if (!f_CodeG)
        throw std::logic_error("the code window does not exist");
    return *f_CodeG;
}
