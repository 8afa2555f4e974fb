#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

#include "store/DicoCreation.h"
#include "store/StoreHost.h"

#include <memory>

namespace dataset {
class DataSource;
class Database;
class Table;
} // namespace dataset

namespace store {

// The three states the commands are enabled by.
enum class DicoState { NoDictionary, Empty, Filled };

// The open dictionary and everything that holds it: the alias dbDico on the
// data directory, the tables view taDico (rows with CT true) and the fields
// view taChamps (rows with CC true) with their data sources, the check view
// taCheck, and the reading alias dbLitTable with its view taLitTable for
// source tables. The components are children of the parent the window gives,
// under their component names, and the two views carry their eight fields as
// persistent fields named view + field (taDicoTable, taChampsChamp, ...).
//
// The fields view is tied (it follows the current table entry through the
// case-insensitive index on Table) or untied (every field entry in number
// order). A dictionary opened by path is tied at once; a new one stays untied
// until the tables view holds more than one row, when the data-change event
// of dsDico ties it (see dsDicoDataChange).
//
// Without a window (the command-line tools) a store opens its dictionary for a
// batch (OpenForBatch): the tables view alone, untied, without a fields view
// to follow every value written and without watching the file.
class DictionaryStore : public QObject {
    Q_OBJECT
public:
    DictionaryStore(QObject* componentParent, StoreHost& host);
    // A store without a window.
    explicit DictionaryStore(QObject* componentParent);
    ~DictionaryStore() override;

    // Sets AppDir and DataDir, creates the data directory when it is missing
    // (an I/O failure is raised as an engine error and leaves the alias as it
    // was), points dbDico at it and clears NomDico.
    void PrepareDataDir();

    // Creates an empty dictionary in the data directory under the name cut to
    // 8 characters plus ".DB", and opens it untied. Refuses an empty name and
    // an existing file, in the window's words, and changes nothing then.
    DicoCreation CreateDico(const QString& name);
    // Opens the dictionary at a full path, tied; an empty path does nothing.
    void OpenDico(const QString& path);
    // Opens the dictionary at a full path for a batch of captures: the tables
    // view only, nothing watched, the window told nothing.
    void OpenForBatch(const QString& path);
    // Ties the fields view to the tables view.
    void LinkChampsToDico();
    // A fields view that closed with the dictionary's last table entry comes
    // back, tied, once the dictionary holds rows again: after a capture, a
    // deletion undone, another program's rows. A batch has none to bring back.
    void ReopenFieldsView();
    // Closes the source table of the last capture and frees its fields at
    // once: a batch has no event loop to free them later, and they would pile
    // up table after table.
    void ReleaseSourceTable();
    // Deletes the dictionary file at a full path with its index files,
    // closing both views first when it is the open dictionary. A missing file
    // is no error.
    void DeleteDico(const QString& path);
    // Closes both views and deletes the open dictionary's file (the close
    // query's answer to a dictionary that never received a table).
    void DiscardDico();
    // Closes both views and forgets the current dictionary's name, then
    // tells its state changed: no dictionary is open afterwards. This is how a
    // failed open ends, so that no command acts on a dictionary that is gone.
    void CloseDico();

    // Whether creating a dictionary called `name` would meet a file already in
    // the data directory: its first 8 characters + ".DB", compared without
    // letter case so that two dictionaries never differ by case alone.
    bool DicoExists(const QString& name) const;
    // A dictionary's name is a bare file name: one that is absolute, holds a path
    // separator or is a ".." component would lead out of the data directory, and
    // is refused with the engine's error (InvalidName) before anything else.
    void CheckDicoName(const QString& name) const;

    // The handler of dsDico's data changes, connected by the store itself:
    // ties a new dictionary's fields view once the tables view holds more
    // than one row, and shows the dictionary's name in the caption.
    void dsDicoDataChange();

    QString AppDir() const { return m_appDir; }
    QString DataDir() const { return m_dataDir; }
    // The current dictionary: the path it was opened by, or the file created.
    QString NomDico() const { return m_nomDico; }
    DicoState State() const;
    bool TablesViewOpen() const;
    bool FieldsViewOpen() const;
    bool FieldsViewTied() const;

    dataset::Database& dbDico() const { return *m_dbDico; }
    dataset::Table& taDico() const { return *m_taDico; }
    dataset::DataSource& dsDico() const { return *m_dsDico; }
    dataset::Table& taChamps() const { return *m_taChamps; }
    dataset::DataSource& dsChamps() const { return *m_dsChamps; }
    dataset::Table& taCheck() const { return *m_taCheck; }
    dataset::Database& dbLitTable() const { return *m_dbLitTable; }
    dataset::Table& taLitTable() const { return *m_taLitTable; }
    dataset::DataSource& dsLitTable() const { return *m_dsLitTable; }

signals:
    // The dictionary was opened, closed, deleted, or read again after another
    // program wrote it: the commands that depend on its state follow it.
    void stateChanged();

private:
    void createComponents(QObject* parent);
    void declareFields(dataset::Table& view);
    void setDisplayAttributes();
    bool isOpenDictionary(const QString& path) const;
    void untieFieldsView();
    void watchDictionary();
    void dictionaryFileChanged();
    bool userIsEditing() const;
    void refreshAfterEditing();
    void refreshViews();

    StoreHost m_noWindow;
    StoreHost& m_host;
    bool m_batch = false;
    std::unique_ptr<QFileSystemWatcher> m_watcher; // the open dictionary's file
    // Another program changed the dictionary while the user was editing:
    // the views are read again once the editing is over.
    QTimer m_editingOver;
    QString m_appDir;
    QString m_dataDir;
    QString m_nomDico;

    dataset::Database* m_dbDico = nullptr;
    dataset::Table* m_taDico = nullptr;
    dataset::DataSource* m_dsDico = nullptr;
    dataset::Table* m_taChamps = nullptr;
    dataset::DataSource* m_dsChamps = nullptr;
    dataset::Table* m_taCheck = nullptr;
    dataset::Database* m_dbLitTable = nullptr;
    dataset::Table* m_taLitTable = nullptr;
    dataset::DataSource* m_dsLitTable = nullptr;
};

} // namespace store
