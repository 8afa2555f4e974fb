#pragma once

#include "capture/CodeText.h"
#include "framework/widgets/Form.h"

namespace lang {
class TMultiLang;
}
namespace widgets {
class CheckBox;
class Memo;
class Panel;
class SaveDialog;
class SpeedButton;
class StatusBar;
} // namespace widgets

// The code window: the code text that the generator appends to while tables
// are added, which the user may edit, save to a file or copy to the
// clipboard. Created hidden at start-up and kept for the whole run; the main
// window shows and hides it, and the text lives on while it is hidden. Its
// close box asks the main window to switch it off (closeBoxUsed), so that
// the toggle and the window always agree.
class Tf_CodeG : public widgets::Form, public capture::CodeText {
    Q_OBJECT

public:
    explicit Tf_CodeG(QWidget* parent = nullptr);
    ~Tf_CodeG() override;

    // ---- Components, by component name ----------------------------------
    widgets::Panel* paHaut;
    widgets::SpeedButton* spEnreg;
    widgets::SpeedButton* spCopier;
    widgets::CheckBox* chkSelectAll;
    widgets::Panel* Panel1;
    widgets::Memo* meCodeCreat;
    widgets::StatusBar* StatusBar1;
    widgets::SaveDialog* SaveDlg;
    lang::TMultiLang* ML;

    // ---- Handlers ---------------------------------------------------------
    void FormShow();
    void FormResize();
    void FormCloseQuery(bool& CanClose);
    void meCodeCreatChange();
    void spEnregClick();
    void spCopierClick();
    // The whole text to the clipboard, whatever is selected.
    void copyAll();

    // At the top right of the screen, as high as `mainWindow`, widened to
    // fill the room right of it (never narrowed).
    void placeBeside(const QWidget& mainWindow);

    // ---- The code text, for the generator ---------------------------------
    void appendLine(const QString& line) override;
    int lineCount() const override;
    void setTitle(const QString& title) override;
    // The text as the user sees it, line by line.
    QStringList codeLines() const;

signals:
    // The user closed the window by its close box.
    void closeBoxUsed();

protected:
    void onShow() override { FormShow(); }
    void onResize() override { FormResize(); }
    void onCloseQuery(bool& canClose) override { FormCloseQuery(canClose); }

private:
    void createButtonBar();
    void createMemo();
    void createKeyboardCommands();
    bool hasText() const;
};

// The code window, for the whole run.
extern Tf_CodeG* f_CodeG;
