// Building the main window's components, as the window is designed.

#include "app/Tf_Main.h"
#include "app/ToolbarGlyphs.h"

#include "framework/dataset/DataSource.h"
#include "framework/dataset/Database.h"
#include "framework/dataset/Field.h"
#include "framework/dataset/Table.h"
#include "framework/widgets/Align.h"
#include "framework/widgets/DataGrid.h"
#include "framework/widgets/MainMenu.h"
#include "framework/widgets/MenuItem.h"
#include "framework/widgets/Panel.h"
#include "framework/widgets/SpeedButton.h"
#include "framework/widgets/Splitter.h"
#include "framework/widgets/StatusBar.h"
#include "store/DictionaryStore.h"

using widgets::Align;
using widgets::MenuItem;
using widgets::SpeedButton;

namespace {

constexpr int kButtonSize = 27;
constexpr int kButtonTop = 2;
constexpr int kToolbarHeight = 32;
constexpr int kTablesGridWidth = 339;
constexpr int kSplitterWidth = 3;
constexpr int kStatusBarHeight = 16;

SpeedButton* toolButton(widgets::Panel* bar, const char* name, int left, const QIcon& glyph,
                        bool enabled) {
    auto* button = new SpeedButton(bar, QLatin1String(name));
    button->setGeometry(left, kButtonTop, kButtonSize, kButtonSize);
    button->setIconSize(QSize(ToolbarGlyphs::Size, ToolbarGlyphs::Size));
    button->setGlyph(glyph);
    button->setEnabled(enabled);
    return button;
}

MenuItem* item(QObject* parent, const char* name, const char* caption) {
    return new MenuItem(parent, QLatin1String(name), QString::fromUtf8(caption));
}

} // namespace

void Tf_Main::createToolbar() {
    paHaut = new widgets::Panel(this, QStringLiteral("paHaut"));
    paHaut->resize(width(), kToolbarHeight);
    widgets::setAlign(paHaut, Align::Top);

    spNouveau = toolButton(paHaut, "spNouveau", 2, ToolbarGlyphs::newDictionary(), false);
    spOuvrir = toolButton(paHaut, "spOuvrir", 29, ToolbarGlyphs::openDictionary(), false);
    spSupprimer = toolButton(paHaut, "spSupprimer", 56, ToolbarGlyphs::deleteDictionary(), false);
    spImprimer = toolButton(paHaut, "spImprimer", 87, ToolbarGlyphs::print(), false);
    spAjTable = toolButton(paHaut, "spAjTable", 118, ToolbarGlyphs::addTable(), false);
    spAjTable->setGroupIndex(40);
    spAjTable->setAllowAllUp(true);
    spSupTable = toolButton(paHaut, "spSupTable", 145, ToolbarGlyphs::deleteTable(), false);
    spVisuCode = toolButton(paHaut, "spVisuCode", 177, ToolbarGlyphs::viewCode(), true);
    spVisuCode->setGroupIndex(50);
    spVisuCode->setAllowAllUp(true);
    spSupChamp = toolButton(paHaut, "spSupChamp", 282, ToolbarGlyphs::deleteField(), true);
    spSupChamp->setCaption(QStringLiteral("C-"));
    spSupChamp->setVisible(false);
    // Placed at the right end of the toolbar by FormResize.
    spQuitter = toolButton(paHaut, "spQuitter", 0, ToolbarGlyphs::quit(), true);
}

void Tf_Main::createMenu() {
    mnuPrinc = new widgets::MainMenu(this, QStringLiteral("mnuPrinc"));

    mnDico = item(mnuPrinc, "mnDico", "&Dictionnaire");
    itNouvDico = item(mnDico, "itNouvDico", "&Nouveau...");
    itOpenDico = item(mnDico, "itOpenDico", "&Ouvrir...");
    itSupDico = item(mnDico, "itSupDico", "&Supprimer...");
    itImpDico = item(mnDico, "itImpDico", "&Imprimer...");
    N3 = item(mnDico, "N3", "-");
    mnTable = item(mnDico, "mnTable", "&Table");
    itSupTable = item(mnTable, "itSupTable", "&Supprimer...");
    itTableDescr = item(mnTable, "itTableDescr", "&Ajouter description...");
    mnChamps = item(mnDico, "mnChamps", "&Champs");
    itDescrChamps = item(mnChamps, "itDescrChamps", "&Ajouter description...");
    N1 = item(mnDico, "N1", "-");
    itQuitter = item(mnDico, "itQuitter", "&Quitter");

    mnOptions = item(mnuPrinc, "mnOptions", "&Options");
    itAjTable = item(mnOptions, "itAjTable", "fenêtre d'&ajouts");
    itVisuCode = item(mnOptions, "itVisuCode", "fenêtre &code");
    itGenCode = item(mnOptions, "itGenCode", "&Générer code");
    itGenCode->setChecked(true);
    N2 = item(mnOptions, "N2", "-");
    itUseDescr = item(mnOptions, "itUseDescr", "&Voir descriptions");
    itUseDescr->setChecked(false);

    mnAide = item(mnuPrinc, "mnAide", "&?");
    itApropos = item(mnAide, "itApropos", "&A propos de...");

    assignShortcuts();
    setMenuBar(mnuPrinc);
}

// The keys users expect from any desktop program; the menus show them beside
// the items' texts, in either language.
void Tf_Main::assignShortcuts() {
    itNouvDico->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    itOpenDico->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    itImpDico->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    itQuitter->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    itApropos->setShortcut(QKeySequence(Qt::Key_F1));
}

void Tf_Main::createGrids() {
    // Creation order matters for the docking: the tables grid comes before
    // the splitter, so that, docked left, the splitter always lies right of it.
    grTables = new widgets::DataGrid(this, QStringLiteral("grTables"));
    grTables->setGeometry(0, kToolbarHeight, kTablesGridWidth, 300);
    grTables->setFieldOrder({QStringLiteral("Table"), QStringLiteral("Description")});
    grTables->setTypeAheadField(QStringLiteral("Table"));
    grTables->setVisible(false);

    RxSplitter1 = new widgets::Splitter(this, QStringLiteral("RxSplitter1"));
    RxSplitter1->resize(kSplitterWidth, 300);
    widgets::setAlign(RxSplitter1, Align::Left);

    grChamps = new widgets::DataGrid(this, QStringLiteral("grChamps"));
    grChamps->setKeyboardEditing(true);
    // The description, when shown, comes after the field's size.
    grChamps->setFieldOrder({QStringLiteral("Champ"), QStringLiteral("Type"),
                             QStringLiteral("Longueur"), QStringLiteral("Description")});
    grChamps->setVisible(false);

    StatusBar1 = new widgets::StatusBar(this, QStringLiteral("StatusBar1"));
    StatusBar1->resize(width(), kStatusBarHeight);
}

void Tf_Main::adoptStoreComponents() {
    dbDico = &Store->dbDico();
    taDico = &Store->taDico();
    dsDico = &Store->dsDico();
    taChamps = &Store->taChamps();
    dsChamps = &Store->dsChamps();
    taCheck = &Store->taCheck();
    dbLitTable = &Store->dbLitTable();
    taLitTable = &Store->taLitTable();
    dsLitTable = &Store->dsLitTable();
    // The word table finds the views' persistent fields (taDicoTable, ...) by
    // name, like any other component of the window.
    for (QObject* component : {static_cast<QObject*>(dbDico), static_cast<QObject*>(taDico),
                               static_cast<QObject*>(dsDico), static_cast<QObject*>(taChamps),
                               static_cast<QObject*>(dsChamps), static_cast<QObject*>(taCheck),
                               static_cast<QObject*>(dbLitTable), static_cast<QObject*>(taLitTable),
                               static_cast<QObject*>(dsLitTable)})
        addComponent(component);
    for (dataset::Table* view : {taDico, taChamps}) {
        for (dataset::Field* field : view->fieldList())
            addComponent(field);
    }
    grTables->setDataSource(dsDico);
    grChamps->setDataSource(dsChamps);
}
