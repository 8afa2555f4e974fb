#pragma once
// A database alias component ("dbDico", "dbLitTable"): driver STANDARD, one parameter PATH
// against which bare table names resolve. Tables name it through their DatabaseName; the
// alias names are process-wide (letter case ignored), as the component names are.
//
// Connecting does not touch the disk beyond starting the engine: the first connection of
// the process starts it (engine::initialise). A table that opens connects its database by
// itself; disconnecting closes every table opened through it.

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <filesystem>
#include <memory>
#include <vector>

namespace engine {
class Database;
class TableFile;
} // namespace engine

namespace dataset {

class Table;

class Database : public QObject {
    Q_OBJECT
public:
    // objectName and DatabaseName both start as `name`.
    explicit Database(QObject* parent = nullptr, const QString& name = {});
    ~Database() override;

    QString DatabaseName() const { return m_aliasName; }
    void setDatabaseName(const QString& alias); // refused while connected
    QString DriverName() const { return m_driverName; }
    void setDriverName(const QString& driver);
    // "NAME=value" lines; only PATH is used. Refused while connected.
    QStringList Params() const { return m_params; }
    void setParams(const QStringList& params);
    QString Path() const;             // the value of PATH ("" when absent)
    void setPath(const QString& dir); // sets PATH, keeping the other parameters

    // A transaction groups the writes of the views on this database: each file written
    // between StartTransaction and Commit gets all of them or none, even after a crash.
    // (Files commit one after the other: a transaction is atomic per file.) Rollback
    // drops them and refreshes the open views; closing the database rolls back.
    // The files of the views open at the start are the transaction's from the start:
    // each is held for writing until the end (another program waits), so that what
    // is read before the first write (a free number, a name not taken) stays true.
    void StartTransaction();
    void Commit();
    void Rollback();
    bool InTransaction() const { return m_inTransaction; }

    bool Connected() const { return m_connected; }
    void setConnected(bool on);
    void Open();
    void Close();

    // The file a table name stands for: a full path names the file itself, a bare name
    // is looked up in PATH (engine rules; an invalid name raises the engine's error).
    std::filesystem::path resolve(const QString& tableName) const;

    // The live alias with that name (letter case ignored), nullptr if none. When two live
    // components carry the same alias, the one created last wins.
    static Database* find(const QString& aliasName);

    // Starts the engine if no connection of this process did yet.
    static void ensureEngineStarted();

signals:
    void connectedChanged(bool connected);

private:
    friend class Table;
    void attach(Table* table);
    void detach(Table* table);
    void refuseWhileConnected(const char* what) const;
    void enlist(const std::shared_ptr<engine::TableFile>& file);
    void refreshViews();

    QString m_aliasName;
    QString m_driverName = QStringLiteral("STANDARD");
    QStringList m_params;
    bool m_connected = false;
    QList<QPointer<Table>> m_openTables;
    bool m_inTransaction = false;
    std::vector<std::shared_ptr<engine::TableFile>> m_enlisted; // files written in the transaction
};

} // namespace dataset
