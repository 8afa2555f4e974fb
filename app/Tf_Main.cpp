#include "app/Tf_Main.h"

#include "about/Tf_Apropos.h"

#include "framework/dataset/DataSource.h"
#include "framework/dataset/Field.h"
#include "framework/dataset/Table.h"
#include "framework/widgets/Align.h"
#include "framework/widgets/DataGrid.h"
#include "framework/widgets/ErrorGuard.h"
#include "framework/widgets/MenuItem.h"
#include "framework/widgets/MessageDlg.h"
#include "framework/widgets/Panel.h"
#include "framework/widgets/SpeedButton.h"
#include "lang/FixedTexts.h"
#include "lang/Messages.h"
#include "lang/TMultiLang.h"
#include "lang/Vocabulary.h"
#include "store/DictionaryStore.h"

#include <QCloseEvent>

Tf_Main* f_Main = nullptr;

namespace {
constexpr int kDesignWidth = 652;
constexpr int kDesignHeight = 456;
constexpr int kMinWidth = 434;
constexpr int kMinHeight = 456;
constexpr int kQuitMargin = 2;
constexpr int kTablesWidthWithoutDescription = 240;
constexpr int kFieldsWidthWithoutDescription = 280;
constexpr int kShownDescriptionWidth = 16;
} // namespace

Tf_Main::Tf_Main(QWidget* parent) : widgets::Form(parent, QStringLiteral("f_Main")) {
    resize(kDesignWidth, kDesignHeight);
    moveToScreenCorner();
    setAcceptDrops(true);
    createMenu();
    createToolbar();
    createGrids();
    Store = new store::DictionaryStore(this, *this);
    connect(Store, &store::DictionaryStore::stateChanged, this, &Tf_Main::UpdateCommands);
    adoptStoreComponents();
    setGridEditing();

    ML = new lang::TMultiLang(this);
    lang::Vocabulary::applyDesign(*ML, QStringLiteral("Tf_Main"));
    connectHandlers();
    finishLoading();
    refreshRecentItems();
    widgets::runGuarded([this] { FormCreate(); });
}

Tf_Main::~Tf_Main() {
    discardAddWindow();
    if (f_Main == this)
        f_Main = nullptr;
}

void Tf_Main::connectHandlers() {
    using widgets::guarded;
    const auto onClick = [this](QObject* sender, void (Tf_Main::*handler)()) {
        if (auto* button = qobject_cast<widgets::SpeedButton*>(sender))
            connect(button, &QToolButton::clicked, this, guarded(this, handler));
        else if (auto* menuItem = qobject_cast<widgets::MenuItem*>(sender))
            connect(menuItem, &QAction::triggered, this, guarded(this, handler));
    };
    onClick(spNouveau, &Tf_Main::spNouveauClick);
    onClick(itNouvDico, &Tf_Main::spNouveauClick);
    onClick(spOuvrir, &Tf_Main::spOuvrirClick);
    onClick(itOpenDico, &Tf_Main::spOuvrirClick);
    onClick(spSupprimer, &Tf_Main::spSupprimerClick);
    onClick(itSupDico, &Tf_Main::spSupprimerClick);
    onClick(spQuitter, &Tf_Main::itQuitterClick);
    onClick(itQuitter, &Tf_Main::itQuitterClick);
    onClick(itUseDescr, &Tf_Main::itUseDescrClick);
    onClick(itGenCode, &Tf_Main::itGenCodeClick);
    onClick(spAjTable, &Tf_Main::spAjTableClick);
    onClick(itAjTable, &Tf_Main::spAjTableClick);
    onClick(spVisuCode, &Tf_Main::itVisuCodeClick);
    onClick(itVisuCode, &Tf_Main::itVisuCodeClick);
    onClick(itTableDescr, &Tf_Main::itTableDescrClick);
    onClick(itDescrChamps, &Tf_Main::spDescrChampClick);
    onClick(spSupTable, &Tf_Main::spSupTableClick);
    onClick(itSupTable, &Tf_Main::spSupTableClick);
    onClick(spSupChamp, &Tf_Main::spSupChampClick);
    onClick(itApropos, &Tf_Main::itAproposClick);
    onClick(spImprimer, &Tf_Main::spImprimerClick);
    onClick(itImpDico, &Tf_Main::spImprimerClick);
    connect(grTables, &widgets::DataGrid::dblClick, this,
            guarded(this, &Tf_Main::itTableDescrClick));
    connect(grChamps, &widgets::DataGrid::dblClick, this,
            guarded(this, &Tf_Main::spDescrChampClick));
    // The store routes dsDico's data changes to its own handler (see
    // dsDicoDataChange), so the window does not connect them a second time.
    connect(dsChamps, &dataset::DataSource::stateChanged, this,
            guarded(this, &Tf_Main::dsChampsStateChange));
    grTables->setCalcCellColors([this](dataset::Field* field) { grTablesCalcCellColors(field); });
    grChamps->setCalcCellColors([this](dataset::Field* field) { grChampsCalcCellColors(field); });
}

// ---- Window events ----------------------------------------------------------------

void Tf_Main::FormCreate() {
    Store->PrepareDataDir();
    setCaption(lang::fixed::captionPrefix() + Store->DataDir());
}

void Tf_Main::FormShow() {
    move(0, 0);
    lang::SetGlobalLanguage(StartLanguage);
    if (!Store->TablesViewOpen())
        UpdateCommands();
}

// The corner is asked for before the window first appears, so that the window
// manager receives it as a position the program chose: a move to where Qt
// already thinks the window is (0,0 before the first showing) sends no
// position at all, and the manager then places the window as it likes.
void Tf_Main::moveToScreenCorner() {
    move(0, 0);
    setAttribute(Qt::WA_Moved);
}

void Tf_Main::FormResize() {
    if (width() < kMinWidth)
        resize(kMinWidth, height());
    if (height() < kMinHeight)
        resize(width(), kMinHeight);
    spQuitter->move(paHaut->width() - spQuitter->width() - kQuitMargin, spQuitter->y());
}

// Writes a row still being edited or inserted in either view (with the text
// of a cell still being typed), so that nothing typed is lost when a command
// closes the views and the close query judges the dictionary by what is
// really in it; a new row left untouched is dropped.
void Tf_Main::postPendingRows() {
    grTables->commitEdit();
    grChamps->commitEdit();
    for (dataset::Table* view : {taChamps, taDico}) {
        const dataset::DataSetState state = view->State();
        if (state != dataset::DataSetState::Edit && state != dataset::DataSetState::Insert)
            continue;
        if (view->Modified())
            view->Post();
        else
            view->Cancel();
    }
}

bool Tf_Main::holdsTypedText() const {
    for (const widgets::DataGrid* grid : {grTables, grChamps})
        if (grid->indexWidget(grid->currentIndex()))
            return true;
    return false;
}

void Tf_Main::FormCloseQuery(bool& CanClose) {
    if (!Store->TablesViewOpen())
        return;
    // Stays open when a pending row cannot be written: the error is shown.
    CanClose = false;
    postPendingRows();
    // A dictionary that holds any row is never discarded, whatever the
    // fields view shows.
    if (taDico->RecordCount() > 0) {
        CanClose = true;
        return;
    }
    const QString question =
        lang::Messages::text(lang::Msg::CancelCreationQuestion, ML->ActiveLanguage());
    if (widgets::MessageDlg(question, widgets::mtConfirmation, widgets::mbYesNo) != widgets::mrYes)
        return;
    Store->DiscardDico();
    CanClose = true;
}

// The program ends with this window: the companions and a preview go with
// it, each closed as its own close box would.
void Tf_Main::closeEvent(QCloseEvent* event) {
    widgets::Form::closeEvent(event);
    if (event->isAccepted())
        closeOwnedWindows();
}

void Tf_Main::closeOwnedWindows() {
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (child->isWindow() && child->isVisible())
            child->close();
}

// ---- Commands ---------------------------------------------------------------------

void Tf_Main::UpdateCommands() {
    const store::DicoState state = Store->State();
    const bool open = state != store::DicoState::NoDictionary;
    const bool filled = state == store::DicoState::Filled;
    const bool notEmpty = state != store::DicoState::Empty;

    const auto set = [](bool on, widgets::SpeedButton* button, widgets::MenuItem* menuItem) {
        if (button)
            button->setEnabled(on);
        menuItem->setEnabled(on);
    };
    set(notEmpty, spNouveau, itNouvDico);
    set(notEmpty, spOuvrir, itOpenDico);
    for (QAction* recent : m_recentItems)
        recent->setEnabled(notEmpty);
    set(true, spSupprimer, itSupDico);
    set(filled, spImprimer, itImpDico);
    set(open, spAjTable, itAjTable);
    set(filled, spSupTable, itSupTable);
    set(filled, nullptr, itTableDescr);
    set(filled, nullptr, itDescrChamps);
    set(true, spQuitter, itQuitter);
    // Checked again at every refresh, whatever the user chose last.
    itGenCode->setEnabled(true);
    setCodeGeneration(true);
    // A field entry typed into the fields grid belongs to the current table
    // entry: without one there is nothing to insert it into.
    grChamps->setKeyboardEditing(filled);
    showGrids(open);
}

void Tf_Main::showGrids(bool shown) {
    widgets::setAlign(grTables, widgets::Align::None);
    widgets::setAlign(grChamps, widgets::Align::None);
    grTables->setVisible(shown);
    grChamps->setVisible(shown);
    if (!shown)
        return;
    widgets::setAlign(grTables, widgets::Align::Left);
    widgets::setAlign(grChamps, widgets::Align::Client);
}

void Tf_Main::itQuitterClick() {
    close();
}

void Tf_Main::itAproposClick() {
    if (f_Apropos)
        f_Apropos->showModal();
}

void Tf_Main::itUseDescrClick() {
    const bool shown = !itUseDescr->isChecked();
    itUseDescr->setChecked(shown);
    if (!taDico->Active() || !taChamps->Active())
        return;
    dataset::Field* description = taChamps->FieldByName(QStringLiteral("Description"));
    description->setVisible(shown);
    if (shown)
        description->setDisplayWidth(kShownDescriptionWidth);
}

// ---- Data events ------------------------------------------------------------------

void Tf_Main::dsDicoDataChange() {
    Store->dsDicoDataChange();
}

void Tf_Main::dsChampsStateChange() {
    grChamps->setVisible(taDico->Active());
}

// A grid paints only the fields it shows, so these narrow a grid only if a
// hidden "Description" field ever reaches the painting.
void Tf_Main::grTablesCalcCellColors(dataset::Field* field) {
    if (field->FieldName() == QLatin1String("Description") && !field->Visible())
        QMetaObject::invokeMethod(
            this, [this] { grTables->resize(kTablesWidthWithoutDescription, grTables->height()); },
            Qt::QueuedConnection);
}

void Tf_Main::grChampsCalcCellColors(dataset::Field* field) {
    if (field->FieldName() == QLatin1String("Description") && !field->Visible())
        QMetaObject::invokeMethod(
            this, [this] { grChamps->resize(kFieldsWidthWithoutDescription, grChamps->height()); },
            Qt::QueuedConnection);
}

// ---- Store host -------------------------------------------------------------------

void Tf_Main::setCaption(const QString& caption) {
    widgets::Form::setCaption(caption);
}

void Tf_Main::repaintNow() {
    repaint();
}

QString Tf_Main::GetWord(const QString& key) {
    return ML->GetWord(key);
}
