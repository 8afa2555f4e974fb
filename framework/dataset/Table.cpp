#include "framework/dataset/Table.h"

#include "framework/dataset/DataSource.h"
#include "framework/dataset/Database.h"
#include "framework/dataset/DatasetError.h"
#include "framework/dataset/Field.h"
#include "framework/dataset/FilterExpression.h"
#include "framework/dataset/ValueConvert.h"

#include "engine/Cursor.h"
#include "engine/Database.h"
#include "engine/TableDefinition.h"
#include "engine/TableFile.h"

namespace dataset {

Table::Table(QObject* parent, const QString& name) : QObject(parent) {
    setObjectName(name);
}

Table::~Table() {
    // Silent: the window that owns this view may already be half destroyed, so no event
    // goes out from here.
    if (m_masterSource)
        m_masterSource->removeDetail(this);
    if (m_database)
        m_database->detach(this);
    m_cursor.reset();
    m_file.reset();
}

// ---- Settings ---------------------------------------------------------------------------

QString Table::displayName() const {
    return m_tableName.isEmpty() ? objectName() : m_tableName;
}

void Table::requireInactive(const char* what) const {
    if (Active())
        throw DatasetError(QStringLiteral("Impossible de %1 : la table %2 est ouverte")
                               .arg(QString::fromUtf8(what), quoted(displayName())));
}

void Table::requireActive(const char* what) const {
    if (!Active())
        throw DatasetError(QStringLiteral("Impossible de %1 : la table %2 est fermée")
                               .arg(QString::fromUtf8(what), quoted(displayName())));
}

void Table::setDatabaseName(const QString& alias) {
    if (alias == m_databaseName)
        return;
    requireInactive("changer la base de données");
    m_databaseName = alias;
}

void Table::setTableName(const QString& name) {
    if (name == m_tableName)
        return;
    requireInactive("changer le nom de la table");
    m_tableName = name;
}

void Table::setTableType(dataset::TableType type) {
    if (type == m_tableType)
        return;
    requireInactive("changer le type de la table");
    m_tableType = type;
}

void Table::setActive(bool on) {
    if (on)
        Open();
    else
        Close();
}

// ---- Order ------------------------------------------------------------------------------

void Table::setIndexFieldNames(const QString& names) {
    if (names == m_indexFieldNames && m_indexName.isEmpty())
        return;
    changeOrder(names, QString());
}

void Table::setIndexName(const QString& name) {
    // Setting the index name, even to nothing, replaces an order given by field names.
    if (name == m_indexName && m_indexFieldNames.isEmpty())
        return;
    changeOrder(QString(), name);
}

void Table::changeOrder(const QString& fieldNames, const QString& indexName) {
    if (!Active()) {
        m_indexFieldNames = fieldNames;
        m_indexName = indexName;
        return;
    }
    if (!checkBrowseMode()) {
        m_indexFieldNames = fieldNames;
        m_indexName = indexName;
        return;
    }
    const QString oldFieldNames = m_indexFieldNames;
    const QString oldIndexName = m_indexName;
    m_indexFieldNames = fieldNames;
    m_indexName = indexName;
    std::unique_ptr<engine::Cursor> cursor;
    try {
        cursor = makeCursor(currentIndexFields());
    } catch (...) {
        m_indexFieldNames = oldFieldNames;
        m_indexName = oldIndexName;
        throw;
    }
    const bool had = m_hasRow;
    const engine::Row saved = currentRow();
    m_cursor = std::move(cursor);
    computeIndexColumns();
    applyMasterRange();
    if (had && !m_detailEmpty && relocate(saved) && visibleAtCursor()) {
        setCurrentFromCursor();
        m_bof = m_eof = false;
    } else {
        positionFirst();
    }
    ++m_viewGeneration;
    notifyData();
}

std::vector<std::string> Table::currentIndexFields() const {
    if (m_indexName.isEmpty())
        return convert::fieldNames(m_indexFieldNames);
    for (const engine::IndexInfo& ix : m_file->indexes())
        if (QString::fromStdString(ix.name).compare(m_indexName, Qt::CaseInsensitive) == 0)
            return convert::fieldNames(QString::fromStdString(ix.fields));
    throw DatasetError(QStringLiteral("Index %1 introuvable dans la table %2")
                           .arg(quoted(m_indexName), quoted(displayName())));
}

std::unique_ptr<engine::Cursor> Table::makeCursor(const std::vector<std::string>& fields) const {
    return std::make_unique<engine::Cursor>(m_file, fields);
}

// A cursor walking what the view shows: its order, within its master–detail range.
std::unique_ptr<engine::Cursor> Table::makeViewCursor() const {
    std::unique_ptr<engine::Cursor> cursor = makeCursor(currentIndexFields());
    if (m_haveRangeKey)
        cursor->setRange(m_rangeKey);
    return cursor;
}

void Table::computeIndexColumns() {
    m_indexColumns.clear();
    const engine::IndexInfo& ix = m_cursor->index();
    for (const std::string& name : convert::fieldNames(QString::fromStdString(ix.fields))) {
        const int col = m_file->fieldIndex(name);
        if (col >= 0)
            m_indexColumns.push_back(col);
    }
    m_indexCaseInsensitive = (ix.options & engine::ixCaseInsensitive) != 0;
}

// ---- Filter -----------------------------------------------------------------------------

void Table::setFilter(const QString& filter) {
    if (filter == m_filterText)
        return;
    std::unique_ptr<FilterExpression> parsed;
    if (!filter.trimmed().isEmpty()) {
        const std::optional<FilterExpression> f = FilterExpression::parse(filter);
        if (!f)
            throw DatasetError(QStringLiteral("Filtre incorrect sur la table %1 : %2 (forme "
                                              "attendue : CHAMP=True ou CHAMP=False)")
                                   .arg(quoted(displayName()), quoted(filter)));
        parsed = std::make_unique<FilterExpression>(*f);
    }
    const QString oldText = m_filterText;
    std::unique_ptr<FilterExpression> old = std::move(m_filter);
    m_filterText = filter;
    m_filter = std::move(parsed);
    if (!m_filtered)
        return; // takes effect when Filtered is switched on
    try {
        refilter();
    } catch (...) {
        m_filterText = oldText;
        m_filter = std::move(old);
        checkFilterField();
        throw;
    }
}

void Table::setFiltered(bool on) {
    if (on == m_filtered)
        return;
    m_filtered = on;
    try {
        refilter();
    } catch (...) {
        m_filtered = !on;
        checkFilterField();
        throw;
    }
}

void Table::refilter() {
    if (!Active())
        return;
    if (!checkBrowseMode())
        return;
    checkFilterField();
    positionFirst();
    ++m_viewGeneration;
    notifyData();
}

void Table::checkFilterField() {
    m_filterColumn = -1;
    if (!m_filtered || !m_filter || !m_file)
        return;
    const QString name = m_filter->fieldName();
    const int col = m_file->fieldIndex(name.toStdString());
    if (col < 0)
        throw DatasetError(QStringLiteral("Filtre de la table %1 : champ %2 introuvable")
                               .arg(quoted(displayName()), quoted(name)));
    if (m_file->fields()[col].type != engine::FieldType::Logical)
        throw DatasetError(QStringLiteral("Filtre de la table %1 : le champ %2 n'est pas booléen")
                               .arg(quoted(displayName()), quoted(name)));
    m_filterColumn = col;
}

// The filter reads one field: the cursor's other fields stay undecoded.
bool Table::visibleAtCursor() const {
    return visibleImage(m_cursor->image());
}

bool Table::visibleImage(const engine::RowImage& row) const {
    if (m_filterColumn < 0)
        return true;
    if (m_filterColumn >= int(row.size()))
        return false;
    const engine::Value& v = row.value(size_t(m_filterColumn));
    return v.kind == engine::Value::Kind::Boolean && v.boolean == m_filter->expected();
}

bool Table::visible(const engine::Row& row) const {
    if (m_filterColumn < 0)
        return true;
    if (m_filterColumn >= int(row.size()))
        return false;
    const engine::Value& v = row[m_filterColumn];
    return v.kind == engine::Value::Kind::Boolean && v.boolean == m_filter->expected();
}

// ---- Master–detail ----------------------------------------------------------------------

DataSource* Table::MasterSource() const {
    return m_masterSource;
}

void Table::setMasterSource(DataSource* source) {
    if (source == m_masterSource)
        return;
    if (source && source->DataSet() == this)
        throw DatasetError(QStringLiteral("La table %1 ne peut pas être sa propre table maître")
                               .arg(quoted(displayName())));
    if (m_masterSource)
        m_masterSource->removeDetail(this);
    m_masterSource = source;
    if (source)
        source->addDetail(this);
    relink();
}

void Table::setMasterFields(const QString& fields) {
    if (fields == m_masterFields)
        return;
    m_masterFields = fields;
    m_masterFieldList = convert::fieldNames(fields);
    relink();
}

void Table::relink() {
    if (!Active() || !checkBrowseMode())
        return;
    applyMasterRange();
    positionFirst();
    ++m_viewGeneration;
    notifyData();
}

bool Table::masterKey(engine::Value& key) const {
    Table* master = m_masterSource ? m_masterSource->DataSet() : nullptr;
    const std::vector<std::string>& names = m_masterFieldList;
    if (!master || !master->Active() || names.empty())
        return false;
    const Field* field = master->FindField(QUtf8StringView(names.front()));
    if (!field)
        throw DatasetError(QStringLiteral("Champ maître %1 introuvable dans la table %2 (table "
                                          "détail %3)")
                               .arg(quoted(QString::fromStdString(names.front())),
                                    quoted(master->displayName()), quoted(displayName())));
    if (master->m_state == DataSetState::Browse && !master->m_hasRow)
        return false;
    key = master->fieldValue(field);
    if (key.isNull())
        return false;
    if (!m_indexColumns.empty())
        key = convert::fitToField(key, m_file->fields()[m_indexColumns.front()]);
    return true;
}

// `known`: the master's key as masterKey just gave it (a null value for none), so that a
// master step reads it once; nullptr asks for it.
void Table::applyMasterRange(const engine::Value* known) {
    m_haveRangeKey = false;
    m_detailEmpty = false;
    const std::vector<std::string>& names = m_masterFieldList;
    if (!m_masterSource || names.empty()) {
        if (m_cursor->hasRange())
            m_cursor->clearRange();
        return;
    }
    if (names.size() > 1)
        throw DatasetError(QStringLiteral("La table %1 ne peut suivre sa table maître que sur un "
                                          "seul champ (champs maîtres %2)")
                               .arg(quoted(displayName()), quoted(m_masterFields)));
    if (m_indexColumns.empty())
        throw DatasetError(QStringLiteral("La table %1 n'a pas d'index sur lequel suivre sa "
                                          "table maître")
                               .arg(quoted(displayName())));
    engine::Value asked;
    if (known ? known->isNull() : !masterKey(asked)) {
        m_detailEmpty = true; // no master row: no detail rows
        if (m_cursor->hasRange())
            m_cursor->clearRange();
        return;
    }
    const engine::Value& key = known ? *known : asked;
    m_cursor->setRange(key);
    m_rangeKey = key;
    m_haveRangeKey = true;
}

bool Table::isMasterField(const Field* field) const {
    const std::vector<std::string>& names = m_masterFieldList;
    return !names.empty() && field->FieldName().compare(QString::fromStdString(names.front()),
                                                        Qt::CaseInsensitive) == 0;
}

void Table::masterDataChanged(Field* field) {
    if (!Active() || m_masterFieldList.empty())
        return;
    if (field && !isMasterField(field))
        return;
    followMaster(field == nullptr);
}

void Table::masterStateChanged() {
    if (Active() && !m_masterFieldList.empty())
        followMaster(false);
}

void Table::followMaster(bool refreshWhenSame) {
    engine::Value key;
    const bool has = masterKey(key); // a null key when there is none
    const bool same = has ? (m_haveRangeKey && key == m_rangeKey) : m_detailEmpty;
    if (same && !refreshWhenSame)
        return;
    if (!checkBrowseMode())
        return;
    if (same) {
        resync();
    } else {
        applyMasterRange(&key);
        positionFirst(true);
        ++m_viewGeneration;
    }
    notifyData();
}

} // namespace dataset
