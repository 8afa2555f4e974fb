#pragma once
// A view on one table file: the rows of the file in the order of an index, optionally
// limited to the rows matching the current row of a master view (master–detail) and
// optionally filtered on a Boolean field. Several views may show the same file; they share
// the engine's table, so a row posted through one is seen by another after its next move
// or Refresh.
//
// Rules the windows rely on:
//  1. Bof and Eof are both set on an empty view. Bof is set by Open, First and a Prior that
//     could not move; Eof by Last and a Next that could not move; any other move clears them.
//  2. RecordCount counts the rows within the master–detail restriction (every row of the file
//     when there is none). The filter does not reduce it.
//  3. Navigation skips the rows the filter hides.
//  4. After Delete the next row becomes current (the previous one when the last row went).
//     After Post the posted row becomes current when it shows, else the nearest row that
//     does, following rows first.
//  5. Refresh re-reads the file and keeps the current row (the next one if it went away).
//  6. Moving, refreshing or changing the order while a row is being edited or inserted posts
//     it when a field was set, and drops it otherwise.
//  7. Events go out through the view's DataSources as the last step of each operation
//     (see DataSource.h), so their handlers may close and reopen the view.
//
// State diagram:
//   Inactive --Open--> Browse --Edit--> Edit   --Post/Cancel--> Browse
//                        |  --Append/Insert--> Insert --Post/Cancel--> Browse
//   any --Close--> Inactive (a pending edit or insert is dropped)

#include "framework/dataset/DataTypes.h"
#include "framework/dataset/FieldDefs.h"
#include "framework/dataset/IndexDefs.h"

#include "engine/Cursor.h"
#include "engine/RowImage.h"
#include "engine/TableDefinition.h"
#include "engine/Value.h"

#include <QAnyStringView>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>

#include <array>
#include <filesystem>
#include <memory>
#include <vector>

namespace engine {
class TableFile;
} // namespace engine

namespace dataset {
namespace convert {
struct Target;
}

class DataSource;
class Database;
class Field;
class FilterExpression;
class VisibleRowReader;

class Table : public QObject {
    Q_OBJECT
public:
    explicit Table(QObject* parent = nullptr, const QString& name = {});
    ~Table() override;

    // ---- What the view shows (set while closed, except where said) -----------------
    QString DatabaseName() const { return m_databaseName; }
    void setDatabaseName(const QString& alias);
    // A bare name (resolved against the alias's PATH) or a full path. Reads back as set.
    QString TableName() const { return m_tableName; }
    void setTableName(const QString& name);
    dataset::TableType TableType() const { return m_tableType; }
    void setTableType(dataset::TableType type);

    // The order: field names joined by ';'. The primary key fields give the primary order;
    // other names choose the secondary index on those fields (e.g. "Table" -> IndTable).
    // Empty: primary order. May be changed while open: the current row is kept.
    QString IndexFieldNames() const { return m_indexFieldNames; }
    void setIndexFieldNames(const QString& names);
    // The order by index name instead; setting one clears the other.
    QString IndexName() const { return m_indexName; }
    void setIndexName(const QString& name);

    // "FIELD=True" or "FIELD=False" (blanks allowed around the parts, letter case ignored).
    // Any other text is refused at once with a DatasetError. A field the file lacks, or one
    // that is not Boolean, is refused when the filter takes effect. May change while open.
    QString Filter() const { return m_filterText; }
    void setFilter(const QString& filter);
    bool Filtered() const { return m_filtered; }
    void setFiltered(bool on);

    // Master–detail: the view shows only the rows whose first index field equals the master
    // field named by MasterFields in the current row of the master (matched through the
    // index, so a case-insensitive index ignores case), and follows every move of the master.
    // No master row (master closed or empty) means no rows. May change while open.
    DataSource* MasterSource() const;
    void setMasterSource(DataSource* source);
    QString MasterFields() const { return m_masterFields; }
    void setMasterFields(const QString& fields);

    // ---- Opening ---------------------------------------------------------------------
    void Open();
    // Closes the view; the last view of a file writes its index files first and throws
    // when that fails (the view is closed all the same).
    void Close();
    bool Active() const { return m_state != DataSetState::Inactive; }
    void setActive(bool on);
    DataSetState State() const { return m_state; }
    // The file the table name stands for (connects the database when needed).
    std::filesystem::path FilePath() const;

    // ---- Moving ----------------------------------------------------------------------
    void First();
    void Next();
    void Prior();
    void Last();
    bool Bof() const { return m_bof; }
    bool Eof() const { return m_eof; }
    bool IsEmpty() const; // no visible row (and nothing being inserted)
    // Exact lookup on the current index, one value per index field (a shorter list looks up
    // the leading fields). A string longer than its field is cut to the field's width; a
    // case-insensitive index ignores case. Found: the row becomes current and true is
    // returned; not found: the current row stays and false is returned.
    bool FindKey(const QVariantList& keyValues);
    int RecordCount() const;
    // The rows the view shows (the filter does reduce it), counted without moving the
    // view, so that nothing follows it meanwhile: for a progress bar over a walk.
    int shownRowCount() const;

    // ---- Changing rows ---------------------------------------------------------------
    void Append();
    void Insert();
    void Edit();
    void Post();
    void Cancel();
    void Delete();
    void Refresh();
    // True when another program changed the file since this process last read it
    // (what the views cached is then stale: Refresh them). Never waits long.
    bool ChangedElsewhere();
    bool Modified() const { return m_modified; }

    // ---- Fields ----------------------------------------------------------------------
    // Declares a persistent field (while closed). With a declared type, Open also refuses
    // a file whose field has another type.
    Field* AddField(const QString& fieldName, FieldType type = ftUnknown);
    // Names compare ignoring case. A view (a literal, a QLatin1String) is looked up without
    // making a QString of it: a walk looks its fields up row after row.
    Field* FieldByName(QAnyStringView fieldName) const; // DatasetError when missing
    Field* FindField(QAnyStringView fieldName) const;   // nullptr when missing
    int FieldCount() const { return int(m_fields.size()); }
    Field* Fields(int i) const { return m_fields.at(i); }
    const QList<Field*>& fieldList() const { return m_fields; }

    dataset::FieldDefs& FieldDefs() { return m_fieldDefs; }
    const dataset::FieldDefs& FieldDefs() const { return m_fieldDefs; }
    dataset::IndexDefs& IndexDefs() { return m_indexDefs; }
    const dataset::IndexDefs& IndexDefs() const { return m_indexDefs; }

    // ---- Creating and deleting the file (the table must be closed) ---------------------
    // Creates the file from FieldDefs and IndexDefs, replacing any table of that name.
    void CreateTable();
    // The same, but refused with the engine's AlreadyExists when the table exists
    // (in any letter case): two programs creating one name never replace each other.
    void CreateNewTable();
    // Adds a secondary index to the (closed) table's file.
    void AddIndex(const QString& name, const QString& fields, IndexOptions options);
    // Deletes the file with every companion file.
    void DeleteTable();

    // ---- For item models -------------------------------------------------------------
    // Whether `row` is the view's current row (the same row by primary key, or by all its
    // values in a table without key).
    bool isCurrentRow(const engine::Row& row) const;
    // Whether two rows read from this view are the same row, in the sense above.
    bool isSameRow(const engine::Row& a, const engine::Row& b) const { return sameRow(a, b); }
    // Makes `row`, read from the view, current (as a move would): found through the current
    // index, so it costs a lookup, not a walk. False when it is no longer visible (the
    // current row then stays).
    bool moveToRow(const engine::Row& row);
    // Where a field's value sits in the rows above (-1 while closed or for another table).
    int fieldColumn(const Field* field) const;
    // The row the fields read (the edit buffer in Edit or Insert state).
    const engine::Row& activeRow() const;
    // A number that changes whenever the rows of the view may have changed (a write to the
    // file, a new order, filter or master row, open/close).
    quint64 contentGeneration() const;

    // The last row this view posted, so that an item model can follow the view's own
    // writes instead of reading the view again: valid for a model that had seen the view
    // at `before` when the view is now at `after` (contentGeneration values).
    struct OwnWrite {
        quint64 before = 0;
        quint64 after = 0;
        bool inserted = false;  // a new row (else an update of the current row)
        bool shows = false;     // the row as written passes the filter
        bool samePlace = false; // an update that left the row visible at its place in the order
        engine::Row written;    // the row as the file holds it now
    };
    const OwnWrite& lastWrite() const { return m_lastWrite; }

private:
    friend class Database;
    friend class DataSource;
    friend class Field;
    friend class VisibleRowReader;
    friend class dataset::FieldDefs;
    friend class dataset::IndexDefs;

    // opening (TableLifecycle.cpp)
    std::filesystem::path resolvePath(QPointer<Database>* connected) const;
    void shutdown();
    void bindFields();
    Field* findAsciiField(QAnyStringView fieldName) const;
    void unbindFields();
    void readDefinitions();
    void readDefinitionsFrom(const engine::TableFile& file);
    void requireInactive(const char* what) const;
    void requireActive(const char* what) const;
    QString displayName() const;

    // order, filter, master–detail (Table.cpp)
    void changeOrder(const QString& fieldNames, const QString& indexName);
    std::vector<std::string> currentIndexFields() const;
    std::unique_ptr<engine::Cursor> makeCursor(const std::vector<std::string>& fields) const;
    std::unique_ptr<engine::Cursor> makeViewCursor() const;
    void computeIndexColumns();
    void refilter();
    void checkFilterField();
    bool visible(const engine::Row& row) const;
    bool visibleAtCursor() const;
    bool visibleImage(const engine::RowImage& row) const;
    const engine::Row& currentRow() const { return m_current.row(); }
    void relink();
    bool masterKey(engine::Value& key) const;
    void applyMasterRange(const engine::Value* known = nullptr);
    bool isMasterField(const Field* field) const;
    void masterDataChanged(Field* field);
    void masterStateChanged();
    void followMaster(bool refreshWhenSame);
    bool stillOnFirstRow();

    // moving (TableNavigation.cpp)
    void syncCursor();
    bool cursorOnCurrentRow();
    bool sameRowAtCursor() const;
    void requireCurrentRowPresent(const char* what);
    bool stepVisible(bool forward);
    engine::Cursor::Shown filterShown() const;
    bool seekFromEdge(bool fromStart, bool inWalk = false);
    void setCurrentFromCursor();
    void takeCursorRow();
    void setNoRow();
    void positionFirst(bool inWalk = false);
    void positionLast();
    bool landNearCursor(bool tailKnown = false);
    bool landOnTailAnchor();
    bool checkBrowseMode();
    void resync();
    bool relocate(const engine::Row& target);
    bool seekThroughIndex(engine::Cursor& cursor, const engine::Row& target) const;
    bool walkTo(engine::Cursor& cursor, const engine::Row& target) const;
    bool findRow(engine::Cursor& cursor, const engine::Row& target) const;
    bool samePlace(const engine::Row& before, const engine::Row& after) const;
    void recordWrite(quint64 before, bool inserted, const engine::Row& previous,
                     const engine::Row& written);
    bool sameRow(const engine::Row& a, const engine::Row& b) const;
    bool keyMatches(const engine::Row& row, const std::vector<engine::Value>& key) const;

    void createFile(engine::ExistingTable existing);
    void enlistInTransaction();

    // fields and events (TableEditing.cpp, TableLifecycle.cpp)
    void setFieldValue(Field* field, engine::Value value);
    const engine::Value& fieldValue(const Field* field) const;
    bool plainFieldText(const Field* field, std::string_view& text) const;
    bool plainFieldInteger(const Field* field, int64_t& value, bool& null) const;
    int plainColumn(const Field* field) const;
    convert::Target conversionTarget(const Field* field) const;
    void setState(DataSetState state);
    void notifyData(Field* field = nullptr);
    void notifyState();
    void notifyStateAndData();
    void addSource(DataSource* source);
    void removeSource(DataSource* source);

    QString m_databaseName;
    QString m_tableName;
    dataset::TableType m_tableType = dataset::TableType::Default;
    QString m_indexFieldNames;
    QString m_indexName;
    QString m_filterText;
    std::unique_ptr<FilterExpression> m_filter; // parsed m_filterText (null when empty)
    bool m_filtered = false;
    int m_filterColumn = -1;
    QPointer<DataSource> m_masterSource;
    QString m_masterFields;
    std::vector<std::string>
        m_masterFieldList; // m_masterFields split, as every master step reads it

    DataSetState m_state = DataSetState::Inactive;
    QPointer<Database> m_database;
    std::shared_ptr<engine::TableFile> m_file;
    std::unique_ptr<engine::Cursor> m_cursor;
    std::vector<int> m_indexColumns; // engine columns of the current index's fields
    bool m_indexCaseInsensitive = false;

    bool m_hasRow = false; // a current row exists
    bool m_bof = true;
    bool m_eof = true;
    bool m_modified = false;
    bool m_detailEmpty = false; // a detail without master row: no rows at all
    // Set when the view was put on its first row at the file's generation
    // `firstRowGeneration` and has not moved since: First() then has nothing to seek (a detail view
    // is put there by its master's step, then asked for its first row by whoever walks it).
    bool m_onFirstRow = false;
    quint64 m_firstRowGeneration = 0;
    bool m_haveRangeKey = false;
    engine::Value m_rangeKey;   // the master value the detail is limited to
    engine::RowImage m_current; // the current row as last read, decoded as fields are read
    quint64 m_currentHold = 0;  // the cursor's holdNumber when m_current was taken from it
    engine::Row m_buffer;       // the row being edited or inserted
    quint64 m_viewGeneration = 0;
    // What the last landing after a post learned: every row of the view after `anchor`
    // (a visible row) is hidden. Holds only while contentGeneration() is `generation`;
    // posting more hidden rows after it keeps it true, anything else drops it.
    struct HiddenTail {
        bool known = false;
        quint64 generation = 0;
        engine::Row anchor;
    } m_hiddenTail;
    OwnWrite m_lastWrite;

    QList<Field*> m_fields;
    mutable std::array<Field*, 32> m_fieldsByKey{}; // findAsciiField's cache of m_fields
    bool m_persistentFields = false;
    dataset::FieldDefs m_fieldDefs{this};
    dataset::IndexDefs m_indexDefs{this};
    QList<QPointer<DataSource>> m_sources;
};

} // namespace dataset
