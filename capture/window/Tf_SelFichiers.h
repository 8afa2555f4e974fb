#pragma once

#include "capture/CaptureOutcome.h"
#include "framework/widgets/Form.h"

namespace capture {
class StructureCapture;
} // namespace capture
namespace dataset {
class Table;
}
namespace lang {
class TMultiLang;
}
namespace store {
class DictionaryStore;
}
namespace widgets {
class BitBtn;
class CheckBox;
class DirectoryListBox;
class DriveComboBox;
class FileListBox;
class Panel;
class StatusBar;
} // namespace widgets

// The add-tables window: the user browses drives and directories, picks a
// Paradox table file ("*.db" in any letter case) and adds it to the open
// dictionary, whose structure capture records it. A refusal is shown here;
// what was captured, with its creation code when code generation is on, is
// told to the main window (tableCaptured), which owns the code window.
//
// It is a modeless companion of the main window, which switches it on and
// off: switching on creates a fresh window in the application's directory,
// switching off destroys it. Its close box asks the main window to switch it
// off (closeBoxUsed), so that the toggle never shows "on" without a window.
class Tf_SelFichiers : public widgets::Form {
    Q_OBJECT

public:
    explicit Tf_SelFichiers(store::DictionaryStore& store, QWidget* parent = nullptr);
    ~Tf_SelFichiers() override;

    // ---- Components, by component name ----------------------------------
    widgets::Panel* paGauche;
    widgets::Panel* paLecteur;
    widgets::DriveComboBox* syLecteur;
    widgets::DirectoryListBox* syRepertoire;
    widgets::Panel* paDroite;
    widgets::Panel* Panel1;
    widgets::BitBtn* biAjouter;
    widgets::CheckBox* chkTous;
    widgets::FileListBox* syFichiers;
    widgets::StatusBar* stBar;
    dataset::Table* taCheck;
    lang::TMultiLang* ML;

    // ---- Handlers ---------------------------------------------------------
    void FormResize();
    void FormCloseQuery(bool& CanClose);
    // The add command: the focused file of the list, one per command.
    void biAjouterClick();

    // ---- Switching on, as the main window does it -------------------------
    // Under `mainWindow` when the screen leaves it room below, else centred.
    void placeFor(const QWidget& mainWindow);
    // Shows the browsing half, starts in `directory` and makes the list and
    // the add button ready.
    void prepare(const QString& directory);
    // Whether the add command also makes the table's code ("Generate code").
    void setCodeGeneration(bool on);

signals:
    // The user closed the window by its close box.
    void closeBoxUsed();
    // The add command captured a table or was refused (the refusal shown
    // already); the outcome carries the code when generation was on.
    void tableCaptured(const capture::CaptureOutcome& outcome);

protected:
    void onResize() override { FormResize(); }
    void onCloseQuery(bool& canClose) override { FormCloseQuery(canClose); }

private:
    void createBrowsingPanel();
    void createFilePanel();

    store::DictionaryStore& m_store;
    capture::StructureCapture* m_capture;
    capture::CodeGeneration m_generation = capture::CodeGeneration::Off;
};

// The add-tables window while it is switched on, else nullptr; only the main
// window's switch writes it.
extern Tf_SelFichiers* f_SelFichiers;
