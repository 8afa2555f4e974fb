#pragma once
// An item model over a table view, for the data-aware grids: one row per visible row of the
// view (in its order, within its master–detail restriction and filter), one column per
// visible field (in field order), headers from the fields' display labels.
//
// The model follows the view through its DataSource. It reads the view a batch of rows at
// a time (canFetchMore/fetchMore, which the grid calls as it scrolls down), so that opening
// costs the rows shown. The engine offers no positions and the filter no count, so a full
// row count would mean reading every row; reading ahead only when needed keeps a move, an
// edit or a repaint independent of the size of the file. A move finds the new current row
// next to the old one (or reads on until it shows); a row the view itself posted that
// stays in place, or a new row its filter hides, is followed without reading the view
// again; anything else that changed the rows (the file, the order, the filter, the master
// row) reads the view again from its first row. While a row is being inserted it shows as
// an extra last row (after the rows read so far); while a row is being edited it shows the
// values typed so far.
//
// Editing through the model edits the view: setData moves the view to that row, puts it in
// Edit state and sets the field; the change is posted by submit() or by the view's next
// move, and dropped by revert(). removeRows deletes through the view; insertRows appends.
//
// The grid stays thin: it only talks to this model and never touches the engine.

#include <QAbstractTableModel>
#include <QList>
#include <QPointer>

#include "engine/Value.h"

#include <memory>
#include <vector>

namespace dataset {

class DataSource;
class Field;
class Table;
class VisibleRowReader;

class TableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // Extra roles: the field's display width (characters) on the horizontal header, the
    // field's name on the horizontal header, and whether a cell's value is null.
    enum Roles { DisplayWidthRole = Qt::UserRole + 1, FieldNameRole, IsNullRole };

    explicit TableModel(QObject* parent = nullptr);
    ~TableModel() override;

    DataSource* dataSource() const;
    void setDataSource(DataSource* source);
    bool readOnly() const { return m_readOnly; }
    void setReadOnly(bool on);

    Field* fieldAt(int column) const;
    int columnOf(const Field* field) const;
    // The view's current row as a model row, -1 when there is none.
    int currentRow() const { return m_current; }
    // Moves the view to that model row (as a click in the grid would).
    bool setCurrentRow(int row);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    bool insertRows(int row, int count, const QModelIndex& parent = {}) override;
    bool removeRows(int row, int count, const QModelIndex& parent = {}) override;
    bool submit() override;
    void revert() override;

signals:
    void currentRowChanged(int row);

private:
    Table* table() const;
    void onDataChanged(dataset::Field* field);
    void onStateChanged();
    void sync(bool stateChanged);
    void reload();
    bool readsCurrentView() const;
    bool followOwnWrite(const Table& view);
    void readMore(int count);
    void showInsertRow(bool on);
    void announceReset();
    int locateCurrent(const Table& view);
    int findCurrentFrom(const Table& view, int first) const;
    void setCurrent(int row);
    void rowValuesChanged(int row);
    QList<Field*> visibleFields() const;
    bool sameColumns(const QList<Field*>& fields) const;
    bool isBufferRow(int row) const;

    QPointer<DataSource> m_source;
    QList<QPointer<Field>> m_columns;
    std::vector<engine::Row> m_rows;            // the visible rows read so far, in order
    std::unique_ptr<VisibleRowReader> m_reader; // reads the rows after them
    QPointer<Table> m_readView;                 // the view m_reader reads
    bool m_insertRow = false;                   // a row being inserted shows after m_rows
    bool m_announcingReset = false;
    int m_current = -1;
    quint64 m_generation = 0;
    bool m_readOnly = false;
    QList<QMetaObject::Connection> m_connections;
};

} // namespace dataset
