// The dictionary commands of the main window: New, Open and Delete, with
// their dialogs.

#include "app/Tf_Main.h"
#include "app/Tf_SelDico.h"
#include "app/Tf_ajmsdico.h"

#include "framework/dataset/Table.h"
#include "framework/widgets/DataGrid.h"
#include "framework/widgets/Edit.h"
#include "framework/widgets/FileListBox.h"
#include "framework/widgets/MessageDlg.h"
#include "lang/FixedTexts.h"
#include "lang/Messages.h"
#include "lang/TMultiLang.h"
#include "store/DictionaryStore.h"

#include "framework/widgets/ErrorGuard.h"
#include "framework/widgets/MenuItem.h"

#include <QFileInfo>
#include <QMenu>

#include <memory>

namespace {

// Keeps a program-wide dialog variable pointing at the dialog while its
// command runs; the dialog never outlives the command.
template <class Dialog> class CommandDialog {
public:
    explicit CommandDialog(Dialog*& variable)
        : m_variable(variable), m_dialog(std::make_unique<Dialog>()) {
        m_variable = m_dialog.get();
    }
    ~CommandDialog() { m_variable = nullptr; }
    CommandDialog(const CommandDialog&) = delete;
    CommandDialog& operator=(const CommandDialog&) = delete;
    Dialog* operator->() const { return m_dialog.get(); }
    Dialog& operator*() const { return *m_dialog; }

private:
    Dialog*& m_variable;
    std::unique_ptr<Dialog> m_dialog;
};

QString text(lang::Msg message, const lang::TMultiLang* wordTable) {
    return lang::Messages::text(message, wordTable->ActiveLanguage());
}

void warn(const QString& message) {
    widgets::MessageDlg(message, widgets::mtWarning, widgets::mbOK);
}

bool ask(const QString& question) {
    return widgets::MessageDlg(question, widgets::mtConfirmation, widgets::mbYesNo) ==
           widgets::mrYes;
}

// Shows the select-dictionary dialog on the data directory; the full path of
// the file chosen with OK, or an empty text.
QString chooseDictionary(Tf_SelDico& dialog, const QString& dataDir) {
    dialog.fiDico->setDirectory(dataDir);
    if (dialog.showModal() != widgets::mrOk)
        return {};
    return dialog.fiDico->fileName();
}

} // namespace

void Tf_Main::spNouveauClick() {
    postPendingRows();
    CommandDialog<Tf_ajmsdico> dialog(f_ajmsdico);
    dialog->chNomDico->clear();
    if (dialog->showModal() != widgets::mrOk)
        return;
    const QString name = dialog->chNomDico->text();
    // Blanks alone name nothing a user could find again.
    if (name.trimmed().isEmpty()) {
        warn(text(lang::Msg::DicoNameRequired, dialog->ML));
        return;
    }
    // A name that leads out of the data directory is refused before it is looked
    // for there (the engine's message), so nothing outside can be replaced.
    Store->CheckDicoName(name);
    if (Store->DicoExists(name)) {
        warn(text(lang::Msg::DicoNameInUse, dialog->ML));
        return;
    }
    if (!ask(text(lang::Msg::CreateDicoQuestion, dialog->ML) + name + QStringLiteral(" ?")))
        return;
    createDictionary(name);
}

// Creates the dictionary `name`. Until the new dictionary receives its first
// table the caption says it is not saved yet. A creation that fails (refused,
// or an engine error) leaves the caption and the open dictionary as they were.
void Tf_Main::createDictionary(const QString& name) {
    const QString oldCaption = caption();
    const bool hadDictionary = Store->TablesViewOpen();
    const QString oldPath = Store->NomDico();
    setCaption(lang::fixed::captionPrefix() + Store->DataDir() + QLatin1Char('/') + name +
               lang::fixed::notSavedSuffix());
    bool created = false;
    try {
        const store::DicoCreation creation = Store->CreateDico(name);
        created = creation.created;
        if (!created)
            widgets::MessageDlg(creation.refusal, widgets::mtWarning, widgets::mbOK);
    } catch (...) {
        setCaption(oldCaption);
        // Creation closes the open dictionary before it makes the file: open
        // it again so that the failure costs the user nothing but the message.
        if (hadDictionary && !Store->TablesViewOpen()) {
            try {
                Store->OpenDico(oldPath);
            } catch (...) {
                openFailed();
            }
        }
        UpdateCommands();
        throw;
    }
    if (!created)
        setCaption(oldCaption);
    UpdateCommands();
}

void Tf_Main::spOuvrirClick() {
    postPendingRows();
    CommandDialog<Tf_SelDico> dialog(f_SelDico);
    dialog->setCaption(text(lang::Msg::OpenDicoCaption, dialog->ML));
    const QString path = chooseDictionary(*dialog, Store->DataDir());
    if (path.isEmpty())
        return;
    openDictionaryFile(path);
}

void Tf_Main::openDictionaryFile(const QString& path) {
    try {
        Store->OpenDico(path);
    } catch (...) {
        openFailed();
        throw;
    }
    m_recents.remember(path);
    refreshRecentItems();
    // The keyboard starts in the table entries, as the mouse would.
    grTables->setFocus();
}

// A dictionary deleted or moved since is said, then taken off the list.
void Tf_Main::openRecent(const QString& path) {
    postPendingRows();
    if (!QFileInfo(path).isFile()) {
        warn(text(lang::Msg::RecentDicoMissing, ML).arg(path));
        m_recents.forget(path);
        refreshRecentItems();
        return;
    }
    openDictionaryFile(path);
}

void Tf_Main::refreshRecentItems() {
    QMenu* menu = mnDico->submenu();
    qDeleteAll(m_recentItems);
    m_recentItems.clear();
    const QStringList paths = m_recents.paths();
    if (!m_recentSeparator)
        m_recentSeparator = menu->insertSeparator(itQuitter);
    m_recentSeparator->setVisible(!paths.isEmpty());
    for (int k = 0; k < paths.size(); ++k) {
        const QString path = paths[k];
        auto* item = new QAction(QStringLiteral("&%1 %2").arg(k + 1).arg(path), menu);
        item->setObjectName(QStringLiteral("itRecent%1").arg(k + 1));
        item->setEnabled(itOpenDico->isEnabled());
        connect(item, &QAction::triggered, this,
                [this, path] { widgets::runGuarded([this, path] { openRecent(path); }); });
        menu->insertAction(m_recentSeparator, item);
        m_recentItems.append(item);
    }
}

// A file that is not a dictionary leaves no dictionary open: the window says
// so instead of offering commands that would act on nothing.
void Tf_Main::openFailed() {
    Store->CloseDico();
    setCaption(ML->GetWord(QStringLiteral("%Form%")));
}

void Tf_Main::spSupprimerClick() {
    postPendingRows();
    CommandDialog<Tf_SelDico> dialog(f_SelDico);
    const QString path = chooseDictionary(*dialog, Store->DataDir());
    if (path.isEmpty())
        return;
    if (!ask(text(lang::Msg::DeleteDicoQuestion, dialog->ML) + path))
        return;
    deleteDictionary(path);
}

// The store closes the open dictionary's views before it deletes its file:
// whether the views are closed afterwards tells that the open one was
// deleted. A deletion that fails leaves that dictionary open again if its
// file is still there, and the window in a state that matches the store.
void Tf_Main::deleteDictionary(const QString& path) {
    const bool wasOpen = Store->TablesViewOpen();
    const QString openPath = Store->NomDico();
    try {
        Store->DeleteDico(path);
    } catch (...) {
        if (wasOpen && !Store->TablesViewOpen())
            reopenOrForget(openPath);
        UpdateCommands();
        throw;
    }
    if (wasOpen && !Store->TablesViewOpen())
        enterNoDictionaryState();
}

void Tf_Main::reopenOrForget(const QString& path) {
    try {
        Store->OpenDico(path);
    } catch (...) {
        enterNoDictionaryState();
    }
}

// As at start-up with no dictionary: the window's own caption, the commands
// that need a dictionary disabled, and no add window left to add into nothing.
void Tf_Main::enterNoDictionaryState() {
    Store->CloseDico();
    setCaption(ML->GetWord(QStringLiteral("%Form%")));
    if (AddWindowShown)
        spAjTableClick();
}
