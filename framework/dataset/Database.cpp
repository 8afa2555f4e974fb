#include "framework/dataset/Database.h"
#include "framework/dataset/NativePath.h"

#include "framework/dataset/DatasetError.h"
#include "framework/dataset/Table.h"

#include "engine/Database.h"
#include "engine/TableFile.h"

#include <algorithm>

namespace dataset {

namespace {

// Every live alias component, in order of creation.
QList<Database*>& registry() {
    static QList<Database*> all;
    return all;
}

const QString kPathKey = QStringLiteral("PATH");

} // namespace

Database::Database(QObject* parent, const QString& name) : QObject(parent), m_aliasName(name) {
    setObjectName(name);
    registry().append(this);
}

Database::~Database() {
    // Tables keep their open files: an alias only names a directory. No events go out from
    // here, since the window owning both may already be half destroyed.
    registry().removeAll(this);
}

void Database::refuseWhileConnected(const char* what) const {
    if (m_connected)
        throw DatasetError(QStringLiteral("Impossible de modifier %1 de la base de données %2 "
                                          "pendant qu'elle est connectée")
                               .arg(QString::fromUtf8(what), quoted(m_aliasName)));
}

void Database::setDatabaseName(const QString& alias) {
    if (alias == m_aliasName)
        return;
    refuseWhileConnected("le nom");
    m_aliasName = alias;
}

void Database::setDriverName(const QString& driver) {
    refuseWhileConnected("le pilote");
    m_driverName = driver;
}

void Database::setParams(const QStringList& params) {
    if (params == m_params)
        return;
    refuseWhileConnected("les paramètres");
    m_params = params;
}

QString Database::Path() const {
    for (const QString& line : m_params) {
        const qsizetype eq = line.indexOf(u'=');
        if (eq > 0 && line.left(eq).trimmed().compare(kPathKey, Qt::CaseInsensitive) == 0)
            return line.mid(eq + 1).trimmed();
    }
    return {};
}

void Database::setPath(const QString& dir) {
    QStringList params;
    for (const QString& line : m_params) {
        const qsizetype eq = line.indexOf(u'=');
        if (eq <= 0 || line.left(eq).trimmed().compare(kPathKey, Qt::CaseInsensitive) != 0)
            params.append(line);
    }
    params.append(kPathKey + u'=' + dir);
    setParams(params);
}

void Database::setConnected(bool on) {
    if (on)
        Open();
    else
        Close();
}

void Database::ensureEngineStarted() {
    engine::initialise(); // does nothing after the first success
}

void Database::Open() {
    if (m_connected)
        return;
    ensureEngineStarted();
    m_connected = true;
    emit connectedChanged(true);
}

void Database::Close() {
    if (!m_connected)
        return;
    Rollback();
    // Closing a table detaches it from m_openTables: walk a copy.
    const QList<QPointer<Table>> tables = m_openTables;
    for (const QPointer<Table>& t : tables)
        if (t)
            t->Close();
    m_openTables.clear();
    m_connected = false;
    emit connectedChanged(false);
}

std::filesystem::path Database::resolve(const QString& tableName) const {
    engine::Database alias(m_aliasName.toStdString());
    alias.setPath(toNativePath(Path()));
    return alias.resolve(toNativeBytes(tableName));
}

Database* Database::find(const QString& aliasName) {
    const QList<Database*>& all = registry();
    for (auto it = all.rbegin(); it != all.rend(); ++it)
        if ((*it)->m_aliasName.compare(aliasName, Qt::CaseInsensitive) == 0)
            return *it;
    return nullptr;
}

void Database::StartTransaction() {
    if (m_inTransaction)
        throw DatasetError(QStringLiteral("Une transaction est déjà en cours sur la base %1")
                               .arg(quoted(m_aliasName)));
    Open();
    m_inTransaction = true;
    try {
        const QList<QPointer<Table>> tables = m_openTables;
        for (const QPointer<Table>& t : tables)
            if (t && t->Active())
                t->enlistInTransaction();
    } catch (...) {
        Rollback();
        throw;
    }
}

void Database::enlist(const std::shared_ptr<engine::TableFile>& file) {
    for (const auto& f : m_enlisted)
        if (f == file)
            return;
    file->beginTransaction();
    m_enlisted.push_back(file);
}

void Database::Commit() {
    if (!m_inTransaction)
        throw DatasetError(
            QStringLiteral("Aucune transaction en cours sur la base %1").arg(quoted(m_aliasName)));
    std::vector<std::shared_ptr<engine::TableFile>> files;
    files.swap(m_enlisted);
    m_inTransaction = false;
    try {
        for (auto& f : files)
            f->commit();
    } catch (...) {
        for (auto& f : files)
            f->rollback(); // those not committed yet; nothing for the others
        refreshViews();
        throw;
    }
    // A file no view holds any more writes its index files now, while an error can
    // still reach the caller.
    for (auto& f : files)
        if (f.use_count() == 1)
            f->flush();
}

void Database::Rollback() {
    if (!m_inTransaction)
        return;
    std::vector<std::shared_ptr<engine::TableFile>> files;
    files.swap(m_enlisted);
    m_inTransaction = false;
    for (auto& f : files)
        f->rollback();
    if (!files.empty())
        refreshViews();
}

// The views drop the rows the file no longer holds.
void Database::refreshViews() {
    const QList<QPointer<Table>> tables = m_openTables;
    for (const QPointer<Table>& t : tables)
        if (t && t->Active() && t->State() == DataSetState::Browse)
            t->Refresh();
}

void Database::attach(Table* table) {
    if (!m_openTables.contains(table))
        m_openTables.append(table);
}

void Database::detach(Table* table) {
    m_openTables.removeIf([table](const QPointer<Table>& t) { return !t || t == table; });
}

} // namespace dataset
