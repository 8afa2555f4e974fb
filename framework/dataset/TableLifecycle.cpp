// Table: opening, closing, fields and definitions, creating and deleting files.
#include "framework/dataset/Table.h"

#include "framework/dataset/DataSource.h"
#include "framework/dataset/Database.h"
#include "framework/dataset/DatasetError.h"
#include "framework/dataset/Field.h"
#include "framework/dataset/NativePath.h"
#include "framework/dataset/ValueConvert.h"

#include "engine/Cursor.h"
#include "engine/Database.h"
#include "engine/TableDefinition.h"
#include "engine/TableFile.h"

#include <cstring>

namespace dataset {

std::filesystem::path Table::resolvePath(QPointer<Database>* connected) const {
    if (m_tableName.trimmed().isEmpty())
        throw DatasetError(
            QStringLiteral("Aucun nom de table n'est défini pour %1").arg(quoted(objectName())));
    if (m_databaseName.isEmpty()) {
        Database::ensureEngineStarted();
        return engine::Database().resolve(toNativeBytes(m_tableName));
    }
    Database* db = Database::find(m_databaseName);
    if (!db)
        throw DatasetError(QStringLiteral("La base de données %1 de la table %2 est inconnue")
                               .arg(quoted(m_databaseName), quoted(displayName())));
    db->Open(); // a view connects its database by itself
    if (connected)
        *connected = db;
    return db->resolve(m_tableName);
}

std::filesystem::path Table::FilePath() const {
    return resolvePath(nullptr);
}

void Table::Open() {
    if (Active())
        return;
    QPointer<Database> db;
    const std::filesystem::path path = resolvePath(&db);
    m_file = engine::TableFile::open(path);
    try {
        readDefinitionsFrom(*m_file);
        bindFields();
        checkFilterField();
        m_cursor = makeCursor(currentIndexFields());
        computeIndexColumns();
        m_state = DataSetState::Browse;
        applyMasterRange();
        positionFirst();
    } catch (...) {
        shutdown();
        throw;
    }
    m_database = db;
    if (db)
        db->attach(this);
    ++m_viewGeneration;
    QPointer<Table> self(this);
    notifyState();
    if (self && Active())
        notifyData();
}

void Table::Close() {
    if (!Active())
        return;
    // The last view of a file writes its index files, where a failure can still be
    // reported; the view is closed either way.
    std::exception_ptr failure;
    m_cursor.reset();
    if (m_file && m_file.use_count() == 1) {
        try {
            m_file->flush();
        } catch (...) {
            failure = std::current_exception();
        }
    }
    shutdown();
    ++m_viewGeneration;
    notifyState();
    if (failure)
        std::rethrow_exception(failure);
}

void Table::shutdown() {
    m_cursor.reset();
    unbindFields();
    m_file.reset();
    if (m_database)
        m_database->detach(this);
    m_database = nullptr;
    m_state = DataSetState::Inactive;
    m_modified = false;
    m_hasRow = false;
    m_bof = m_eof = true;
    m_current.clear();
    m_currentHold = 0;
    m_buffer.clear();
    m_detailEmpty = false;
    m_haveRangeKey = false;
    m_filterColumn = -1;
    m_indexColumns.clear();
    m_hiddenTail = {};
    m_lastWrite = {};
}

// ---- Fields -----------------------------------------------------------------------------

Field* Table::AddField(const QString& fieldName, FieldType type) {
    requireInactive("déclarer un champ");
    if (FindField(fieldName))
        throw DatasetError(QStringLiteral("Le champ %1 est déjà déclaré dans la table %2")
                               .arg(quoted(fieldName), quoted(displayName())));
    if (!m_persistentFields) {
        // Leftover dynamic fields of an earlier opening give way to the declared list.
        unbindFields();
        m_persistentFields = true;
    }
    auto* field = new Field(this, fieldName, true);
    field->m_dataType = type;
    m_fields.append(field);
    return field;
}

Field* Table::FindField(QAnyStringView fieldName) const {
    if (Field* f = findAsciiField(fieldName))
        return f;
    for (Field* f : m_fields)
        if (QAnyStringView::equal(f->m_fieldName, fieldName))
            return f;
    for (Field* f : m_fields)
        if (QAnyStringView::compare(f->m_fieldName, fieldName, Qt::CaseInsensitive) == 0)
            return f;
    return nullptr;
}

// The name as declared, the usual spelling in a walk that looks its fields up row after
// row, settled on the fields' name keys; names of other spellings take the general path.
// A walk asks for its fields in turn: each name keeps its own slot of a small cache, so
// that the lookup is one comparison instead of a pass whose length varies from name to name.
Field* Table::findAsciiField(QAnyStringView fieldName) const {
    const FieldNameKey key = FieldNameKey::of(fieldName);
    if (key.size < 0)
        return nullptr;
    Field*& cached = m_fieldsByKey[key.slot(m_fieldsByKey.size())];
    if (cached && cached->m_nameKey.matches(key, fieldName, cached->m_asciiName))
        return cached;
    for (Field* f : m_fields)
        if (f->m_nameKey.matches(key, fieldName, f->m_asciiName))
            return cached = f;
    return nullptr;
}

Field* Table::FieldByName(QAnyStringView fieldName) const {
    if (Field* f = FindField(fieldName))
        return f;
    throw DatasetError(QStringLiteral("Champ %1 introuvable dans la table %2")
                           .arg(quoted(fieldName.toString()), quoted(displayName())));
}

void Table::bindFields() {
    const std::vector<engine::FieldInfo>& infos = m_file->fields();
    auto bind = [](Field* f, const engine::FieldInfo& info, int col) {
        f->m_column = col;
        f->m_dataType = FieldType(info.typeCode());
        f->m_size = info.reportedSize();
        f->m_defaultWidth = info.displayWidth();
    };
    if (!m_persistentFields) {
        for (int col = 0; col < int(infos.size()); ++col) {
            auto* f = new Field(this, QString::fromStdString(infos[col].name), false);
            bind(f, infos[col], col);
            m_fields.append(f);
        }
        return;
    }
    // A fixed field list: the file must hold every declared field (this is how a file of
    // another structure is refused), with the declared type when one was given.
    for (Field* f : m_fields) {
        const int col = m_file->fieldIndex(f->FieldName().toStdString());
        if (col < 0)
            throw DatasetError(QStringLiteral("Champ %1 introuvable dans la table %2 : ce fichier "
                                              "n'a pas la structure attendue")
                                   .arg(quoted(f->FieldName()), quoted(displayName())));
        const int code = infos[col].typeCode();
        if (f->m_dataType != ftUnknown && f->m_dataType != code)
            throw DatasetError(QStringLiteral("Le champ %1 de la table %2 est de type %3 au lieu "
                                              "de %4 : ce fichier n'a pas la structure attendue")
                                   .arg(quoted(f->FieldName()), quoted(displayName()),
                                        convert::typeName(code), convert::typeName(f->m_dataType)));
    }
    for (Field* f : m_fields) {
        const FieldType declared = f->m_dataType;
        const int col = m_file->fieldIndex(f->FieldName().toStdString());
        bind(f, infos[col], col);
        if (declared != ftUnknown)
            f->m_dataType = declared;
    }
}

void Table::unbindFields() {
    if (m_persistentFields) {
        for (Field* f : m_fields)
            f->m_column = -1;
        return;
    }
    // Dynamic fields live while the table is open. deleteLater: a handler further up the
    // stack may still hold one of them.
    for (Field* f : m_fields) {
        f->m_column = -1;
        f->deleteLater();
    }
    m_fields.clear();
    m_fieldsByKey.fill(nullptr);
}

int Table::fieldColumn(const Field* field) const {
    return field && field->m_table == this ? field->m_column : -1;
}

const engine::Value& Table::fieldValue(const Field* field) const {
    static const engine::Value none;
    const int col = field->m_column;
    if (field->m_table != this || col < 0)
        return none;
    if (m_state == DataSetState::Edit || m_state == DataSetState::Insert)
        return col < int(m_buffer.size()) ? m_buffer[size_t(col)] : none;
    // Only the field asked for is decoded.
    return col < int(m_current.size()) ? m_current.value(size_t(col)) : none;
}

// The current row's text of an Alpha field that needs no decoding (see fieldValue).
bool Table::plainFieldText(const Field* field, std::string_view& text) const {
    const int col = plainColumn(field);
    return col >= 0 && m_current.plainText(size_t(col), text);
}

// The same for a whole number.
bool Table::plainFieldInteger(const Field* field, int64_t& value, bool& null) const {
    const int col = plainColumn(field);
    return col >= 0 && m_current.plainInteger(size_t(col), value, null);
}

// The field's column in the current row as read from the file, or -1 (another table's
// field, or a row being edited).
int Table::plainColumn(const Field* field) const {
    const int col = field->m_column;
    if (field->m_table != this || col < 0 || m_state == DataSetState::Edit ||
        m_state == DataSetState::Insert || col >= int(m_current.size()))
        return -1;
    return col;
}

convert::Target Table::conversionTarget(const Field* field) const {
    if (!m_file || field->m_column < 0)
        throw DatasetError(QStringLiteral("Le champ %1 de la table %2 n'est pas disponible : la "
                                          "table est fermée")
                               .arg(quoted(field->FieldName()), quoted(displayName())));
    return convert::Target{m_file->fields()[field->m_column], displayName()};
}

const engine::Row& Table::activeRow() const {
    static const engine::Row none;
    if (m_state == DataSetState::Edit || m_state == DataSetState::Insert)
        return m_buffer;
    return m_current.empty() ? none : currentRow();
}

// ---- Definitions ------------------------------------------------------------------------

void Table::readDefinitions() {
    if (m_file) {
        readDefinitionsFrom(*m_file);
        return;
    }
    const std::shared_ptr<engine::TableFile> file = engine::TableFile::open(FilePath());
    readDefinitionsFrom(*file);
}

void Table::readDefinitionsFrom(const engine::TableFile& file) {
    m_fieldDefs.m_items.clear();
    for (const engine::FieldInfo& info : file.fields()) {
        FieldDef def;
        def.Name = QString::fromStdString(info.name);
        def.DataType = FieldType(info.typeCode());
        def.Size = info.reportedSize();
        def.DisplayWidth = info.displayWidth();
        m_fieldDefs.m_items.append(def);
    }
    m_indexDefs.m_items.clear();
    for (const engine::IndexInfo& ix : file.indexes()) {
        IndexDef def;
        def.Name = QString::fromStdString(ix.name);
        def.Fields = QString::fromStdString(ix.fields);
        def.Options = ix.options;
        m_indexDefs.m_items.append(def);
    }
}

void Table::CreateTable() {
    createFile(engine::ExistingTable::Replace);
}

void Table::CreateNewTable() {
    createFile(engine::ExistingTable::Refuse);
}

void Table::createFile(engine::ExistingTable existing) {
    requireInactive("créer la table");
    std::vector<engine::FieldDef> fields;
    for (const FieldDef& def : m_fieldDefs) {
        engine::FieldDef f;
        f.name = def.Name.toStdString();
        f.type = convert::engineType(def.DataType, def.Name, displayName());
        f.size = def.Size;
        f.required = def.Required;
        fields.push_back(f);
    }
    if (fields.empty())
        throw DatasetError(QStringLiteral("Impossible de créer la table %1 : aucun champ n'est "
                                          "défini")
                               .arg(quoted(displayName())));
    std::vector<engine::IndexDef> indexes;
    for (const IndexDef& def : m_indexDefs)
        indexes.push_back(
            engine::IndexDef{def.Name.toStdString(), convert::fieldNames(def.Fields), def.Options});
    engine::createTable(FilePath(), fields, indexes, existing);
}

void Table::AddIndex(const QString& name, const QString& fields, IndexOptions options) {
    requireInactive("ajouter un index");
    engine::addIndex(FilePath(),
                     engine::IndexDef{name.toStdString(), convert::fieldNames(fields), options});
}

void Table::DeleteTable() {
    requireInactive("supprimer la table");
    engine::deleteTable(FilePath());
}

// ---- Events -----------------------------------------------------------------------------

void Table::addSource(DataSource* source) {
    if (!m_sources.contains(source))
        m_sources.append(source);
}

void Table::removeSource(DataSource* source) {
    m_sources.removeIf([source](const QPointer<DataSource>& s) { return !s || s == source; });
}

void Table::notifyData(Field* field) {
    if (m_sources.size() == 1) { // the usual view: nothing to keep once the event is out
        if (DataSource* s = m_sources.front())
            s->dataEvent(field);
        return;
    }
    const QList<QPointer<DataSource>> sources = m_sources;
    for (const QPointer<DataSource>& s : sources)
        if (s)
            s->dataEvent(field);
}

void Table::notifyState() {
    const QList<QPointer<DataSource>> sources = m_sources;
    for (const QPointer<DataSource>& s : sources)
        if (s)
            s->stateEvent();
}

} // namespace dataset
