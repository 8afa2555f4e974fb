#include "framework/dataset/TableModel.h"

#include "framework/dataset/DataSource.h"
#include "framework/dataset/Field.h"
#include "framework/dataset/Table.h"
#include "framework/dataset/ValueConvert.h"

namespace dataset {

TableModel::TableModel(QObject* parent) : QAbstractTableModel(parent) {}

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

// Reads the view again. A reload that keeps the shape (same columns, same number of rows)
// is announced as a change of every cell, so that selections and editors survive it.
void TableModel::reload() {
    Table* t = table();
    const QList<Field*> fields = visibleFields();
    int current = -1;
    std::vector<engine::Row> rows =
        t && t->Active() ? t->visibleRows(&current) : std::vector<engine::Row>();
    const bool insertRow = t && t->State() == DataSetState::Insert;
    if (insertRow)
        current = int(rows.size());

    bool sameColumns = fields.size() == m_columns.size();
    for (qsizetype i = 0; sameColumns && i < fields.size(); ++i)
        sameColumns = m_columns.at(i) == fields.at(i);
    const bool sameShape = sameColumns && rows.size() == m_rows.size() && insertRow == m_insertRow;

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
    m_insertRow = insertRow;
    m_generation = t ? t->contentGeneration() : 0;
    if (!sameShape) {
        endResetModel();
    } else if (rowCount() > 0 && columnCount() > 0) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
    }
    if (current != m_current) {
        m_current = current;
        emit currentRowChanged(current);
    }
}

void TableModel::onStateChanged() {
    reload();
}

void TableModel::onDataChanged(Field* field) {
    Table* t = table();
    if (!t)
        return;
    if (field) {
        const int col = columnOf(field);
        if (col >= 0 && m_current >= 0 && m_current < rowCount())
            emit dataChanged(index(m_current, col), index(m_current, col));
        return;
    }
    if (t->contentGeneration() != m_generation || visibleFields().size() != m_columns.size()) {
        reload();
        return;
    }
    // A plain move: only the current row changes.
    const int current =
        t->State() == DataSetState::Insert ? int(m_rows.size()) : t->currentRowIndex();
    if (current != m_current) {
        m_current = current;
        emit currentRowChanged(current);
    }
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
    return t->moveToRowIndex(row);
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
