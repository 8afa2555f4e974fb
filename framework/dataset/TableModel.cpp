#include "framework/dataset/TableModel.h"

#include "framework/dataset/DataSource.h"
#include "framework/dataset/Field.h"
#include "framework/dataset/Table.h"
#include "framework/dataset/ValueConvert.h"
#include "framework/dataset/VisibleRowReader.h"

namespace dataset {

namespace {
// Rows read at a time: a screenful or two, so that opening a view of any size reads about
// the same number of rows.
constexpr int kRowsPerRead = 64;
} // namespace

TableModel::TableModel(QObject* parent) : QAbstractTableModel(parent) {}

TableModel::~TableModel() = default;

DataSource* TableModel::dataSource() const {
    return m_source;
}

Table* TableModel::table() const {
    return m_source ? m_source->DataSet() : nullptr;
}

void TableModel::setDataSource(DataSource* source) {
    if (source == m_source)
        return;
    for (const QMetaObject::Connection& c : m_connections)
        disconnect(c);
    m_connections.clear();
    m_source = source;
    if (source) {
        m_connections << connect(source, &DataSource::dataChanged, this, &TableModel::onDataChanged)
                      << connect(source, &DataSource::stateChanged, this,
                                 &TableModel::onStateChanged)
                      << connect(source, &QObject::destroyed, this, [this] { reload(); });
    }
    reload();
}

void TableModel::setReadOnly(bool on) {
    m_readOnly = on;
}

QList<Field*> TableModel::visibleFields() const {
    QList<Field*> out;
    const Table* t = table();
    if (!t || !t->Active())
        return out;
    for (Field* f : t->fieldList())
        if (f->Visible())
            out.append(f);
    return out;
}

// Reads the view again from its first row: at least a batch of rows, and on until the
// current row shows. A reload that keeps the shape (same columns, same number of rows) is
// announced as a change of every cell, so that selections and editors survive it.
void TableModel::reload() {
    Table* t = table();
    const QList<Field*> fields = visibleFields();
    std::vector<engine::Row> rows;
    std::unique_ptr<VisibleRowReader> reader;
    int current = -1;
    if (t && t->Active()) {
        reader = std::make_unique<VisibleRowReader>(*t);
        do {
            const size_t first = rows.size();
            reader->readInto(rows, kRowsPerRead);
            for (size_t r = first; current < 0 && r < rows.size(); ++r)
                if (t->isCurrentRow(rows[r]))
                    current = int(r);
        } while (current < 0 && !t->IsEmpty() && !reader->atEnd());
    }
    const bool insertRow = t && t->State() == DataSetState::Insert;
    if (insertRow)
        current = int(rows.size());

    const bool sameShape =
        sameColumns(fields) && rows.size() == m_rows.size() && insertRow == m_insertRow;
    if (!sameShape)
        beginResetModel();
    m_columns.clear();
    for (Field* f : fields)
        m_columns.append(f);
    // A field shown or hidden, relabelled or resized changes the columns.
    if (t) {
        for (Field* f : t->fieldList())
            connect(f, &Field::displayChanged, this, &TableModel::reload, Qt::UniqueConnection);
    }
    m_rows = std::move(rows);
    m_reader = std::move(reader);
    m_readView = t;
    m_insertRow = insertRow;
    m_generation = t ? t->contentGeneration() : 0;
    if (!sameShape) {
        announceReset();
    } else if (rowCount() > 0 && columnCount() > 0) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
    }
    setCurrent(current);
}

bool TableModel::sameColumns(const QList<Field*>& fields) const {
    if (fields.size() != m_columns.size())
        return false;
    for (qsizetype i = 0; i < fields.size(); ++i)
        if (m_columns.at(i) != fields.at(i))
            return false;
    return true;
}

void TableModel::onStateChanged() {
    sync(true);
}

void TableModel::onDataChanged(Field* field) {
    if (!field) {
        sync(false);
        return;
    }
    const int col = columnOf(field);
    if (col >= 0 && m_current >= 0 && m_current < rowCount())
        emit dataChanged(index(m_current, col), index(m_current, col));
}

// Whether the rows read so far still are what the view shows, and the reader may go on.
bool TableModel::readsCurrentView() const {
    const Table* t = table();
    return t && t == m_readView && t->Active() && m_reader &&
           t->contentGeneration() == m_generation;
}

// Catches up with the view after one of its events: a plain move only moves the current
// row; a change of state shows or drops the insert row and repaints the current row.
void TableModel::sync(bool stateChanged) {
    Table* t = table();
    if (!t || !t->Active() || t != m_readView || !sameColumns(visibleFields())) {
        reload();
        return;
    }
    bool followed = false;
    if (t->contentGeneration() != m_generation) {
        if (!followOwnWrite(*t)) {
            reload();
            return;
        }
        m_generation = t->contentGeneration();
        followed = true;
    }
    showInsertRow(t->State() == DataSetState::Insert);
    const int before = m_current;
    setCurrent(locateCurrent(*t));
    if (stateChanged || followed) {
        rowValuesChanged(before);
        rowValuesChanged(m_current);
    }
}

// A write the view itself made since the model last read it, when it leaves the rows read
// in place: a new row the filter hides, or the current row updated where it stands.
bool TableModel::followOwnWrite(const Table& view) {
    const Table::OwnWrite& w = view.lastWrite();
    if (w.before != m_generation || w.after != view.contentGeneration())
        return false;
    if (w.inserted)
        return !w.shows;
    if (!w.samePlace || m_current < 0 || m_current >= int(m_rows.size()) ||
        !view.isSameRow(m_rows[size_t(m_current)], w.written))
        return false;
    m_rows[size_t(m_current)] = w.written;
    return true;
}

// A reset, not a row inserted or removed: the grid would otherwise move its current cell
// to a neighbour of the row removed, and with it the view.
void TableModel::showInsertRow(bool on) {
    if (on == m_insertRow)
        return;
    beginResetModel();
    m_insertRow = on;
    announceReset();
}

// Views and checkers ask for more rows from their reset handlers; rows inserted then would
// nest inside the reset, so none are read until it is announced.
void TableModel::announceReset() {
    m_announcingReset = true;
    endResetModel();
    m_announcingReset = false;
}

// The current row's place: next to where it was after a step, else among the rows read,
// else further on, read until it shows.
int TableModel::locateCurrent(const Table& view) {
    if (m_insertRow)
        return int(m_rows.size());
    if (view.IsEmpty())
        return -1;
    const int size = int(m_rows.size());
    for (int row : {m_current, m_current + 1, m_current - 1, 0, size - 1})
        if (row >= 0 && row < size && view.isCurrentRow(m_rows[size_t(row)]))
            return row;
    int found = findCurrentFrom(view, 0);
    while (found < 0 && readsCurrentView() && !m_reader->atEnd()) {
        const int first = int(m_rows.size());
        readMore(kRowsPerRead);
        found = findCurrentFrom(view, first);
    }
    return found;
}

int TableModel::findCurrentFrom(const Table& view, int first) const {
    for (int row = first; row < int(m_rows.size()); ++row)
        if (view.isCurrentRow(m_rows[size_t(row)]))
            return row;
    return -1;
}

void TableModel::setCurrent(int row) {
    if (row == m_current)
        return;
    m_current = row;
    emit currentRowChanged(row);
}

void TableModel::rowValuesChanged(int row) {
    if (row >= 0 && row < rowCount() && columnCount() > 0)
        emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

// Rows are read on while no row is being inserted, so that the new row stays last.
bool TableModel::canFetchMore(const QModelIndex& parent) const {
    return !parent.isValid() && !m_insertRow && !m_announcingReset && readsCurrentView() &&
           !m_reader->atEnd();
}

void TableModel::fetchMore(const QModelIndex& parent) {
    if (canFetchMore(parent))
        readMore(kRowsPerRead);
}

void TableModel::readMore(int count) {
    std::vector<engine::Row> more;
    m_reader->readInto(more, count);
    if (more.empty())
        return;
    const int first = int(m_rows.size());
    beginInsertRows({}, first, first + int(more.size()) - 1);
    for (engine::Row& r : more)
        m_rows.push_back(std::move(r));
    endInsertRows();
}

Field* TableModel::fieldAt(int column) const {
    return column >= 0 && column < m_columns.size() ? m_columns.at(column).data() : nullptr;
}

int TableModel::columnOf(const Field* field) const {
    for (qsizetype i = 0; i < m_columns.size(); ++i)
        if (m_columns.at(i) == field)
            return int(i);
    return -1;
}

bool TableModel::isBufferRow(int row) const {
    const Table* t = table();
    if (!t || row != m_current)
        return false;
    return t->State() == DataSetState::Edit || t->State() == DataSetState::Insert;
}

bool TableModel::setCurrentRow(int row) {
    Table* t = table();
    if (!t || !t->Active() || row < 0 || row >= rowCount())
        return false;
    if (row == m_current)
        return true;
    if (m_insertRow && row == int(m_rows.size()))
        return false;
    // A copy: posting the row being left may read the view again.
    const engine::Row target = m_rows[size_t(row)];
    if (t->moveToRow(target))
        return true;
    // The row went away through another view: show what the view holds now.
    if (table() == t && t->Active())
        reload();
    return false;
}

int TableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size()) + (m_insertRow ? 1 : 0);
}

int TableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant TableModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Field* field = m_columns.at(index.column());
    const Table* t = table();
    if (!field || !t)
        return {};
    // The row being edited or inserted shows what was typed; the others their snapshot.
    const engine::Row* row = nullptr;
    if (isBufferRow(index.row()))
        row = &t->activeRow();
    else if (index.row() < int(m_rows.size()))
        row = &m_rows[index.row()];
    const int column = t->fieldColumn(field);
    const engine::Value value =
        row && column >= 0 && column < int(row->size()) ? (*row)[column] : engine::Value::null();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return convert::toText(value);
    case IsNullRole:
        return value.isNull();
    default:
        return {};
    }
}

QVariant TableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal)
        return QAbstractTableModel::headerData(section, orientation, role);
    const Field* field = fieldAt(section);
    if (!field)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return field->DisplayLabel();
    case DisplayWidthRole:
        return field->DisplayWidth();
    case FieldNameRole:
        return field->FieldName();
    default:
        return {};
    }
}

Qt::ItemFlags TableModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (!m_readOnly)
        f |= Qt::ItemIsEditable;
    return f;
}

bool TableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (m_readOnly || role != Qt::EditRole ||
        !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return false;
    Table* t = table();
    Field* field = fieldAt(index.column());
    if (!t || !field)
        return false;
    if (!setCurrentRow(index.row()))
        return false;
    if (t->State() == DataSetState::Browse)
        t->Edit();
    field->setValue(value);
    return true;
}

bool TableModel::insertRows(int row, int count, const QModelIndex& parent) {
    Table* t = table();
    if (m_readOnly || parent.isValid() || count != 1 || !t || !t->Active() || row < 0 ||
        row > rowCount())
        return false;
    t->Append();
    return true;
}

bool TableModel::removeRows(int row, int count, const QModelIndex& parent) {
    Table* t = table();
    if (m_readOnly || parent.isValid() || !t || !t->Active() || count < 1 || row < 0 ||
        row + count > rowCount())
        return false;
    for (int i = 0; i < count; ++i) {
        if (!setCurrentRow(row))
            return false;
        t->Delete();
    }
    return true;
}

bool TableModel::submit() {
    Table* t = table();
    if (t && (t->State() == DataSetState::Edit || t->State() == DataSetState::Insert))
        t->Post();
    return true;
}

void TableModel::revert() {
    if (Table* t = table())
        t->Cancel();
}

} // namespace dataset
