#pragma once

#include "app/RecentDictionaries.h"
#include "framework/widgets/Form.h"
#include "store/StoreHost.h"

#include <functional>

namespace capture {
class StructureCapture;
class CodeText;
struct CaptureOutcome;
} // namespace capture
namespace dataset {
class DataSource;
class Database;
class Field;
class Table;
} // namespace dataset
namespace lang {
class TMultiLang;
}
namespace store {
class DictionaryStore;
}
namespace widgets {
class DataGrid;
class MainMenu;
class MenuItem;
class Panel;
class SpeedButton;
class Splitter;
class StatusBar;
} // namespace widgets

// The main window: the toolbar and the menu through which every command is
// given, the grid of table entries (left) and the grid of the field entries
// of the selected table (right), and the components that hold the open
// dictionary. UpdateCommands is the one place that enables the commands by
// the dictionary state; the close query guards a new dictionary that never
// received a table. Two toggles switch the modeless companions on and off:
// the add-tables window and the code window, whose text the generator fills.
class Tf_Main : public widgets::Form, public store::StoreHost {
    Q_OBJECT

public:
    explicit Tf_Main(QWidget* parent = nullptr);
    ~Tf_Main() override;

    // ---- Components, by component name ----------------------------------
    widgets::Panel* paHaut;
    widgets::SpeedButton* spNouveau;
    widgets::SpeedButton* spOuvrir;
    widgets::SpeedButton* spSupprimer;
    widgets::SpeedButton* spImprimer;
    widgets::SpeedButton* spAjTable;
    widgets::SpeedButton* spSupTable;
    widgets::SpeedButton* spVisuCode;
    widgets::SpeedButton* spSupChamp;
    widgets::SpeedButton* spQuitter;

    widgets::MainMenu* mnuPrinc;
    widgets::MenuItem* mnDico;
    widgets::MenuItem* itNouvDico;
    widgets::MenuItem* itOpenDico;
    widgets::MenuItem* itSupDico;
    widgets::MenuItem* itImpDico;
    widgets::MenuItem* N3;
    widgets::MenuItem* mnTable;
    widgets::MenuItem* itSupTable;
    widgets::MenuItem* itTableDescr;
    widgets::MenuItem* mnChamps;
    widgets::MenuItem* itDescrChamps;
    widgets::MenuItem* N1;
    widgets::MenuItem* itQuitter;
    widgets::MenuItem* mnOptions;
    widgets::MenuItem* itAjTable;
    widgets::MenuItem* itVisuCode;
    widgets::MenuItem* itGenCode;
    widgets::MenuItem* N2;
    widgets::MenuItem* itUseDescr;
    widgets::MenuItem* mnAide;
    widgets::MenuItem* itApropos;

    widgets::DataGrid* grTables;
    widgets::Splitter* RxSplitter1;
    widgets::DataGrid* grChamps;
    widgets::StatusBar* StatusBar1;

    store::DictionaryStore* Store;
    dataset::Database* dbDico;
    dataset::Table* taDico;
    dataset::DataSource* dsDico;
    dataset::Table* taChamps;
    dataset::DataSource* dsChamps;
    dataset::Table* taCheck;
    dataset::Database* dbLitTable;
    dataset::Table* taLitTable;
    dataset::DataSource* dsLitTable;

    lang::TMultiLang* ML;

    // Whether the add-tables window and the code window are switched on; the
    // toggles' down states and check marks follow them.
    bool AddWindowShown = false;
    bool CodeWindowShown = false;
    // The language every word table switches to when the window is first
    // shown: 1 (English) unless the command line chose French (0).
    int StartLanguage = 1;

    // ---- Handlers ---------------------------------------------------------
    void FormCreate();
    void FormShow();
    void FormResize();
    void FormCloseQuery(bool& CanClose);
    void itQuitterClick();
    void itAproposClick();
    void itUseDescrClick();
    void itGenCodeClick();
    void spAjTableClick();
    void itVisuCodeClick();
    void dsDicoDataChange();
    void dsChampsStateChange();
    void grTablesCalcCellColors(dataset::Field* field);
    void grChampsCalcCellColors(dataset::Field* field);

    // Dictionary commands.
    void spNouveauClick();
    void spOuvrirClick();
    void spSupprimerClick();
    // One of the dictionaries opened last, from the Dictionary menu.
    void openRecent(const QString& path);
    // Print command (Tf_MainPrint.cpp).
    void spImprimerClick();

    // Descriptions and deletions.
    void itTableDescrClick();
    void spDescrChampClick();
    void spSupTableClick();
    void spSupChampClick();

    // ---- What the store and the other windows use -------------------------
    void UpdateCommands();
    void setCaption(const QString& caption) override;
    void repaintNow() override;
    QString GetWord(const QString& key) override;
    bool holdsTypedText() const override;

    // Posts what is being edited in the grids; every command that closes or
    // replaces the open dictionary calls it first.
    void postPendingRows();

    // Code generation is on while "Generate code" is checked.
    bool codeGenerationOn() const;
    // What a capture, from the add-tables window or a drop, did: a refusal
    // shown, the code appended to the code window, the commands refreshed.
    void tableCaptured(const capture::CaptureOutcome& outcome);

    // The companions' close boxes switch their toggles off.
    void addWindowCloseBox();
    void codeWindowCloseBox();

protected:
    void onShow() override { FormShow(); }
    void onResize() override { FormResize(); }
    void onCloseQuery(bool& canClose) override { FormCloseQuery(canClose); }
    void closeEvent(QCloseEvent* event) override;
    // Table files dropped on the window are captured (Tf_MainDrop.cpp).
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void moveToScreenCorner();
    void createToolbar();
    void createMenu();
    void assignShortcuts();
    void createGrids();
    void setGridEditing();
    bool fieldsCellEditable(const dataset::Field& field, bool newRow) const;
    void fillNewFieldEntry(dataset::Table& view);
    int nextRecordNumber() const;
    void refreshingCommands(const std::function<void()>& deletion);
    // Checks or unchecks "Generate code", and tells the add-tables window.
    void setCodeGeneration(bool on);
    // The code window's text.
    capture::CodeText& codeText();
    void adoptStoreComponents();
    void connectHandlers();
    void showGrids(bool shown);
    void createDictionary(const QString& name);
    void openFailed();
    void deleteDictionary(const QString& path);
    void openDictionaryFile(const QString& path);
    void refreshRecentItems();
    void reopenOrForget(const QString& path);
    void enterNoDictionaryState();
    void discardAddWindow();
    void closeOwnedWindows();

    void captureDroppedTable(const QString& path);

    RecentDictionaries m_recents;
    capture::StructureCapture* m_dropCapture = nullptr;
    // The recent dictionaries' items, above "Quit", after a separator.
    QList<QAction*> m_recentItems;
    QAction* m_recentSeparator = nullptr;
};

// The main window, for the whole run.
extern Tf_Main* f_Main;
