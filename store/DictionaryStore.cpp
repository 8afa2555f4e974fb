#include "store/DictionaryStore.h"

#include "engine/Database.h"
#include "engine/EngineError.h"
#include "framework/dataset/DataSource.h"
#include "framework/dataset/Database.h"
#include "framework/dataset/Field.h"
#include "framework/dataset/NativePath.h"
#include "framework/dataset/Table.h"
#include "store/AppDir.h"
#include "store/DataDirLocation.h"
#include "store/DicoFormat.h"
#include "store/DicoName.h"
#include "store/StoreHost.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFileInfo>

#include <filesystem>
#include <system_error>

namespace store {

using namespace dataset;

namespace {
const QString kTable = QStringLiteral("Table");
const QString kCaptionPrefix = QStringLiteral("Korvanta - ");
// How often a reading put off by the user's editing looks whether it is over.
constexpr int kEditingOverCheckMs = 250;

struct Display {
    const char* field;
    int width;         // 0: the field's default
    const char* label; // nullptr: the field name until a word table sets one
    bool shown;
};

void applyDisplay(Table& view, std::initializer_list<Display> items) {
    for (const Display& d : items) {
        Field* field = view.FieldByName(QLatin1String(d.field));
        if (d.width > 0)
            field->setDisplayWidth(d.width);
        if (d.label)
            field->setDisplayLabel(QString::fromUtf8(d.label));
        field->setVisible(d.shown);
    }
}
} // namespace

DictionaryStore::DictionaryStore(QObject* componentParent)
    : DictionaryStore(componentParent, m_noWindow) {}

DictionaryStore::DictionaryStore(QObject* componentParent, StoreHost& host)
    : QObject(componentParent), m_host(host) {
    createComponents(componentParent ? componentParent : this);
    // A new dictionary gets its fields view tied from this event (see the
    // handler); a window that also routes the event here does no harm, the
    // handler does nothing once the view is tied.
    connect(m_dsDico, &DataSource::dataChanged, this, [this](Field* field) {
        if (!field)
            dsDicoDataChange();
    });
}

// Another program (a korvanta-cli capture) may write the open dictionary: the
// views show its tables as soon as it commits, not at the user's next command.
// Our own commits change the file too; the engine tells them apart.
void DictionaryStore::watchDictionary() {
    m_editingOver.stop();
    // Without an event loop (the command-line tool) nobody would hear it.
    if (!QCoreApplication::instance())
        return;
    if (!m_watcher) {
        m_watcher = std::make_unique<QFileSystemWatcher>();
        connect(m_watcher.get(), &QFileSystemWatcher::fileChanged, this,
                &DictionaryStore::dictionaryFileChanged);
        m_editingOver.setInterval(kEditingOverCheckMs);
        m_editingOver.setSingleShot(true);
        connect(&m_editingOver, &QTimer::timeout, this, &DictionaryStore::refreshAfterEditing);
    }
    if (!m_watcher->files().isEmpty())
        m_watcher->removePaths(m_watcher->files());
    if (m_taDico->Active())
        m_watcher->addPath(dataset::fromNativePath(m_taDico->FilePath()));
}

void DictionaryStore::dictionaryFileChanged() {
    if (!m_taDico->Active() || m_editingOver.isActive())
        return;
    // Reading the views again now would drop a row being edited or the text
    // of a cell being typed: that waits until the user is done.
    if (userIsEditing()) {
        m_editingOver.start();
        return;
    }
    try {
        if (m_taDico->ChangedElsewhere())
            refreshViews();
    } catch (const std::exception&) {
        // Busy or unreadable this instant: the next change, or command, looks again.
    }
}

bool DictionaryStore::userIsEditing() const {
    for (const dataset::Table* view : {m_taDico, m_taChamps})
        if (view->Active() && view->State() != DataSetState::Browse)
            return true;
    return m_host.holdsTypedText();
}

// Our own posts since the change also read the file, so the engine may no
// longer tell that another program wrote it: the views are read regardless.
void DictionaryStore::refreshAfterEditing() {
    if (!m_taDico->Active())
        return;
    if (userIsEditing()) {
        m_editingOver.start();
        return;
    }
    try {
        m_taDico->ChangedElsewhere();
        refreshViews();
    } catch (const std::exception&) {
        // Busy or unreadable this instant: the next change, or command, looks again.
    }
}

void DictionaryStore::refreshViews() {
    m_taDico->Refresh();
    if (m_taChamps->Active())
        m_taChamps->Refresh();
    ReopenFieldsView();
    emit stateChanged();
}

DictionaryStore::~DictionaryStore() = default;

void DictionaryStore::createComponents(QObject* parent) {
    m_dbDico = new Database(parent, QStringLiteral("dbDico"));
    m_dbDico->setDriverName(QStringLiteral("STANDARD"));

    m_taDico = new Table(parent, QStringLiteral("taDico"));
    m_taDico->setDatabaseName(QStringLiteral("dbDico"));
    m_taDico->setTableType(TableType::Paradox);
    m_taDico->setFilter(QStringLiteral("CT=True"));
    m_taDico->setFiltered(true);
    m_dsDico = new DataSource(parent, QStringLiteral("dsDico"));
    m_dsDico->setDataSet(m_taDico);

    m_taChamps = new Table(parent, QStringLiteral("taChamps"));
    m_taChamps->setDatabaseName(QStringLiteral("dbDico"));
    m_taChamps->setTableType(TableType::Paradox);
    m_taChamps->setFilter(QStringLiteral("CC=True"));
    m_taChamps->setFiltered(true);
    m_dsChamps = new DataSource(parent, QStringLiteral("dsChamps"));
    m_dsChamps->setDataSet(m_taChamps);

    m_taCheck = new Table(parent, QStringLiteral("taCheck"));
    m_taCheck->setDatabaseName(QStringLiteral("dbDico"));

    m_dbLitTable = new Database(parent, QStringLiteral("dbLitTable"));
    m_dbLitTable->setDriverName(QStringLiteral("STANDARD"));
    m_dbLitTable->setPath(QString());
    m_taLitTable = new Table(parent, QStringLiteral("taLitTable"));
    m_taLitTable->setDatabaseName(QStringLiteral("dbLitTable"));
    m_dsLitTable = new DataSource(parent, QStringLiteral("dsLitTable"));
    m_dsLitTable->setDataSet(m_taLitTable);

    // Declaring the eight fields makes a file that lacks one unusable as a
    // dictionary: the views refuse to open it.
    declareFields(*m_taDico);
    declareFields(*m_taChamps);
    setDisplayAttributes();
}

void DictionaryStore::declareFields(Table& view) {
    const FieldType types[] = {ftInteger, ftString,  ftString,  ftString,
                               ftString,  ftInteger, ftBoolean, ftBoolean};
    const QStringList& names = DicoFieldNames();
    for (int i = 0; i < names.size(); ++i)
        view.AddField(names[i], types[i]);
}

void DictionaryStore::setDisplayAttributes() {
    applyDisplay(*m_taDico, {{"Table", 14, "Table", true},
                             {"Description", 30, "Description", true},
                             {"Champ", 14, nullptr, false},
                             {"Type", 8, nullptr, false},
                             {"Longueur", 7, nullptr, false},
                             {"NoEnreg", 0, nullptr, false},
                             {"CT", 0, nullptr, false},
                             {"CC", 0, nullptr, false}});
    applyDisplay(*m_taChamps, {{"Champ", 16, "Champ", true},
                               {"Type", 17, "Type", true},
                               {"Longueur", 5, "Taille", true},
                               {"Description", 12, "Description", false},
                               {"NoEnreg", 0, nullptr, false},
                               {"Table", 0, nullptr, false},
                               {"CT", 0, nullptr, false},
                               {"CC", 0, nullptr, false}});
}

// ---- Data directory ----------------------------------------------------------------

void DictionaryStore::PrepareDataDir() {
    m_appDir = store::AppDir();
    m_dataDir = DataDirLocation::forAppDir(m_appDir);
    if (!QFileInfo(m_dataDir).isDir()) {
        std::error_code error;
        std::filesystem::create_directory(dataset::toNativePath(m_dataDir), error);
        if (error) {
            throw engine::EngineError(
                engine::ErrorCode::Io,
                QStringLiteral("Impossible de créer le répertoire des dictionnaires « %1 » : %2")
                    .arg(m_dataDir, QString::fromStdString(error.message()))
                    .toStdString());
        }
    }
    m_dbDico->Close();
    m_dbDico->setPath(m_dataDir);
    m_dbDico->Open();
    m_nomDico.clear();
    m_dbDico->Close();
}

// ---- Creating ------------------------------------------------------------------------

bool DictionaryStore::DicoExists(const QString& name) const {
    // Listed as bytes: a name that is not UTF-8 is still a name in use.
    const QString fileName = DicoFileName(name);
    std::error_code error;
    for (std::filesystem::directory_iterator it(dataset::toNativePath(m_dataDir), error), end;
         !error && it != end; it.increment(error)) {
        const QString entry = dataset::fromNativePath(it->path().filename());
        if (entry.compare(fileName, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

void DictionaryStore::CheckDicoName(const QString& name) const {
    engine::requireBareName(dataset::toNativeBytes(name));
}

void DictionaryStore::untieFieldsView() {
    m_taChamps->Close();
    m_taChamps->setTableName(QString());
    m_taChamps->setIndexName(QString());
    m_taChamps->setMasterSource(nullptr);
    m_taChamps->setMasterFields(QString());
}

DicoCreation DictionaryStore::CreateDico(const QString& name) {
    if (name.isEmpty())
        return {false, m_host.GetWord(QStringLiteral("MsgNomDicoManquant"))};
    CheckDicoName(name);
    if (DicoExists(name))
        return {false, m_host.GetWord(QStringLiteral("MsgImpossibleCreation"))};
    m_batch = false;
    untieFieldsView();

    m_taDico->Close();
    m_taDico->setTableName(DicoFileName(name)); // bare: made in the data directory
    m_taDico->setTableType(TableType::Paradox);
    DefineDicoTable(*m_taDico);
    // Refused, not replaced, if another program made this name since the check.
    CreateDicoTable(*m_taDico, true);
    m_taDico->setIndexFieldNames(kTable);
    m_taDico->Open();

    m_taChamps->Close();
    m_taChamps->setDatabaseName(m_taDico->DatabaseName());
    m_taChamps->setTableName(m_taDico->TableName());
    m_taChamps->Open();

    // The file actually made, so that the name shown and printed leads to it.
    m_nomDico = m_dataDir + QLatin1Char('/') + DicoFileName(name);
    watchDictionary();
    return {true, QString()};
}

// ---- Opening and tying -----------------------------------------------------------------

void DictionaryStore::OpenDico(const QString& path) {
    if (path.isEmpty())
        return;
    m_batch = false;
    m_taChamps->Close();
    m_taDico->Close();
    m_nomDico = path;
    // The tables view keeps the order it has: primary order until the first
    // creation, tie or capture of the run, then table-name order for good.
    m_taDico->setTableName(path);
    m_taDico->Open();

    m_taChamps->Close();
    m_taChamps->setTableName(path);
    m_taChamps->setIndexFieldNames(kTable);
    m_taChamps->setMasterSource(m_dsDico);
    m_taChamps->setMasterFields(kTable);
    m_taChamps->Open();

    watchDictionary();
    m_host.setCaption(kCaptionPrefix + m_nomDico);
    m_host.repaintNow();
    emit stateChanged();
}

void DictionaryStore::OpenForBatch(const QString& path) {
    m_taChamps->Close();
    m_taDico->Close();
    m_batch = true;
    m_nomDico = path;
    m_taDico->setTableName(path);
    m_taDico->Open();
}

void DictionaryStore::ReopenFieldsView() {
    if (m_batch || m_taChamps->Active() || State() != DicoState::Filled ||
        m_taDico->State() != DataSetState::Browse)
        return;
    LinkChampsToDico();
}

void DictionaryStore::ReleaseSourceTable() {
    m_dbLitTable->Close();
    if (m_batch)
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void DictionaryStore::LinkChampsToDico() {
    m_taDico->Close();
    m_taDico->setIndexFieldNames(kTable);
    m_taChamps->Close();
    m_taChamps->setIndexFieldNames(kTable);
    m_taChamps->setMasterSource(m_dsDico);
    m_taChamps->setMasterFields(kTable);
    m_taChamps->Open();
    m_taDico->Open();
}

void DictionaryStore::dsDicoDataChange() {
    // Only between operations: tying closes and reopens the tables view, which
    // must not drop a row being built.
    if (m_taDico->State() != DataSetState::Browse || !m_taChamps->Active())
        return;
    if (m_taChamps->MasterSource() || m_taDico->RecordCount() <= 1)
        return;
    LinkChampsToDico();
    m_host.setCaption(kCaptionPrefix + m_nomDico);
}

// ---- Deleting ---------------------------------------------------------------------------

bool DictionaryStore::isOpenDictionary(const QString& path) const {
    if (!m_taDico->Active())
        return false;
    std::error_code error;
    return std::filesystem::equivalent(m_taDico->FilePath(), dataset::toNativePath(path), error);
}

void DictionaryStore::DeleteDico(const QString& path) {
    if (isOpenDictionary(path)) {
        m_taChamps->Close();
        m_taChamps->setTableName(QString());
        m_taDico->Close();
        m_taDico->setTableName(QString());
    }
    m_taCheck->Close();
    m_taCheck->setTableName(path);
    std::error_code error;
    if (!std::filesystem::exists(dataset::toNativePath(path), error))
        return;
    watchDictionary();
    m_taCheck->DeleteTable();
    emit stateChanged();
}

void DictionaryStore::DiscardDico() {
    m_taChamps->Close();
    m_taDico->Close();
    m_taDico->DeleteTable();
    emit stateChanged();
}

void DictionaryStore::CloseDico() {
    m_taChamps->Close();
    m_taDico->Close();
    watchDictionary();
    m_nomDico.clear();
    emit stateChanged();
}

// ---- Queries ----------------------------------------------------------------------------

DicoState DictionaryStore::State() const {
    if (!m_taDico->Active())
        return DicoState::NoDictionary;
    return m_taDico->RecordCount() > 0 ? DicoState::Filled : DicoState::Empty;
}

bool DictionaryStore::TablesViewOpen() const {
    return m_taDico->Active();
}

bool DictionaryStore::FieldsViewOpen() const {
    return m_taChamps->Active();
}

bool DictionaryStore::FieldsViewTied() const {
    return m_taChamps->MasterSource() != nullptr;
}

} // namespace store
