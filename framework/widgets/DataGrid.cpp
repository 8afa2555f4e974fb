#include "framework/widgets/DataGrid.h"

#include "framework/widgets/Component.h"
#include "framework/widgets/DataGridDelegate.h"
#include "framework/widgets/ErrorGuard.h"
#include "framework/widgets/Look.h"
#include "framework/widgets/MessageDlg.h"

#include "framework/dataset/DataSource.h"
#include "framework/dataset/Field.h"
#include "framework/dataset/Table.h"
#include "framework/dataset/TableModel.h"

#include <QApplication>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QKeyEvent>
#include <QStyle>

namespace widgets {

namespace {
// The framework's own question before a row is deleted from a grid; like
// every framework text it is French whatever language the windows show.
const char* const kDeleteRowQuestion = "Supprimer l'enregistrement ?";
// Sign and ten digits: the longest text of a 32-bit integer.
constexpr int kIntegerDigits = 11;
constexpr int kNoLimit = 32767;
} // namespace

// Shows the grid's own column titles in place of the model's.
class DataGrid::TitleProxy : public QIdentityProxyModel {
public:
    TitleProxy(DataGrid* grid) : QIdentityProxyModel(grid), m_grid(grid) {}

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole &&
            section < m_grid->columnCount())
            return m_grid->columnTitle(section);
        return QIdentityProxyModel::headerData(section, orientation, role);
    }

    void titlesChanged(int first, int last) { emit headerDataChanged(Qt::Horizontal, first, last); }

    // An item view submits its model whenever the current row changes; here
    // the view itself posts the row it leaves (or drops it when untouched),
    // and a move that the view made must not post a row just begun.
    bool submit() override { return true; }

private:
    DataGrid* m_grid;
};

DataGrid::DataGrid(QWidget* parent, const QString& name)
    : QTableView(parent), m_tableModel(new dataset::TableModel(this)),
      m_proxy(new TitleProxy(this)) {
    adopt(this, name, parent);
    m_proxy->setSourceModel(m_tableModel);
    setModel(m_proxy);
    setItemDelegate(new DataGridDelegate(this));
    verticalHeader()->hide();
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabKeyNavigation(true);
    setWordWrap(false);
    setShowGrid(false); // the cells draw their column lines (see DataGridDelegate)

    setPixelFont(this, QStringLiteral("Arial"), 12);
    QPalette cells = palette();
    cells.setColor(QPalette::Text, Qt::black);
    setPalette(cells);
    QHeaderView* header = horizontalHeader();
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setSectionsClickable(false);
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setStretchLastSection(false);
    header->setHighlightSections(false);
    setPixelFont(header, QStringLiteral("Arial"), 11, false, true);
    header->setStyleSheet(
        QStringLiteral("QHeaderView::section { color: navy; background-color: palette(button);"
                       " font-family: Arial; font-size: 11px; font-style: italic; padding: 1px 3px;"
                       " border: none; border-right: 1px solid palette(mid); border-bottom: 1px "
                       "solid palette(mid); }"));
    const int rowHeight = fontMetrics().height() + 4;
    verticalHeader()->setMinimumSectionSize(rowHeight);
    verticalHeader()->setDefaultSectionSize(rowHeight);

    connect(m_tableModel, &dataset::TableModel::currentRowChanged, this, &DataGrid::followViewRow);
    // Titles and widths follow the fields: the model announces a relabelled
    // or resized field as a change of its cells or as a reset.
    connect(m_proxy, &QAbstractItemModel::modelReset, this, [this] {
        fitColumns(true);
        followViewRow();
    });
    connect(m_proxy, &QAbstractItemModel::dataChanged, this, [this] {
        m_proxy->titlesChanged(0, m_proxy->columnCount() - 1);
        fitColumns(false);
    });
    connect(m_proxy, &QAbstractItemModel::headerDataChanged, this, [this] { fitColumns(false); });
}

DataGrid::~DataGrid() = default;

// ---- Model and data source -------------------------------------------------------

void DataGrid::setDataModel(QAbstractItemModel* model) {
    m_proxy->setSourceModel(model);
}

QAbstractItemModel* DataGrid::dataModel() const {
    return m_proxy->sourceModel();
}

bool DataGrid::showsTableModel() const {
    return m_proxy->sourceModel() == m_tableModel;
}

void DataGrid::setDataSource(dataset::DataSource* source) {
    m_tableModel->setDataSource(source);
    if (!showsTableModel())
        setDataModel(m_tableModel);
    fitColumns(true);
    followViewRow();
}

dataset::DataSource* DataGrid::dataSource() const {
    return m_tableModel->dataSource();
}

dataset::Field* DataGrid::fieldAt(int column) const {
    return showsTableModel() ? m_tableModel->fieldAt(column) : nullptr;
}

// ---- Columns ------------------------------------------------------------------------

int DataGrid::columnPixels(int characters, const QString& title) const {
    // The cell's text is drawn inside a margin on both sides; a character is
    // counted as wide as a digit or as the font's average, whichever is wider.
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    const QFontMetrics cells = fontMetrics();
    const int character =
        std::max(cells.horizontalAdvance(QLatin1Char('0')), cells.averageCharWidth());
    const int content = characters * character + 2 * margin + 1;
    const int heading = QFontMetrics(horizontalHeader()->font()).horizontalAdvance(title) + 8;
    return std::max(content, heading);
}

int DataGrid::editLimit(const dataset::Field& field) {
    switch (field.DataType()) {
    case dataset::ftString:
        return field.Size() > 0 ? field.Size() : kNoLimit;
    case dataset::ftSmallint:
    case dataset::ftInteger:
    case dataset::ftWord:
        return kIntegerDigits;
    default:
        return kNoLimit;
    }
}

void DataGrid::setFieldOrder(const QStringList& fieldNames) {
    m_fieldOrder = fieldNames;
    arrangeColumns();
}

QString DataGrid::fieldAtPosition(int position) const {
    const int column = horizontalHeader()->logicalIndex(position);
    return m_proxy->headerData(column, Qt::Horizontal, dataset::TableModel::FieldNameRole)
        .toString();
}

void DataGrid::arrangeColumns() {
    QHeaderView* header = horizontalHeader();
    int target = 0;
    for (const QString& name : m_fieldOrder) {
        for (int c = 0; c < m_proxy->columnCount(); ++c) {
            if (m_proxy->headerData(c, Qt::Horizontal, dataset::TableModel::FieldNameRole)
                    .toString() != name)
                continue;
            header->moveSection(header->visualIndex(c), target++);
            break;
        }
    }
}

// A width the user dragged stays until the field's display width changes.
void DataGrid::fitColumns(bool force) {
    if (!showsTableModel())
        return;
    arrangeColumns();
    if (force)
        m_appliedWidths.clear();
    for (int c = 0; c < m_proxy->columnCount(); ++c) {
        const QVariant chars =
            m_proxy->headerData(c, Qt::Horizontal, dataset::TableModel::DisplayWidthRole);
        if (!chars.isValid() || m_appliedWidths.value(c, -1) == chars.toInt())
            continue;
        while (m_appliedWidths.size() <= c)
            m_appliedWidths.append(-1);
        m_appliedWidths[c] = chars.toInt();
        const QString title = m_proxy->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
        setColumnWidth(c, columnPixels(chars.toInt(), title));
    }
}

void DataGrid::addColumn(const QString& fieldName, const QString& title) {
    m_fieldNames.append(fieldName);
    m_titles.append(title);
    m_proxy->titlesChanged(columnCount() - 1, columnCount() - 1);
}

QString DataGrid::columnTitle(int index) const {
    return m_titles.value(index);
}

void DataGrid::setColumnTitle(int index, const QString& title) {
    if (index < 0 || index >= m_titles.size())
        return;
    m_titles[index] = title;
    m_proxy->titlesChanged(index, index);
}

QString DataGrid::columnFieldName(int index) const {
    return m_fieldNames.value(index);
}

// ---- Current row ----------------------------------------------------------------------

// Puts the grid's current cell on the view's current row, in the column the
// user last chose. The row is selected without moving the current cell
// (selecting a row the usual way would put it back in the first column).
void DataGrid::followViewRow() {
    if (!showsTableModel())
        return;
    const int row = m_tableModel->currentRow();
    m_syncing = true;
    if (row >= 0 && row < m_proxy->rowCount() && m_proxy->columnCount() > 0) {
        const QModelIndex target = m_proxy->index(row, columnToFollow());
        if (target != currentIndex())
            selectionModel()->setCurrentIndex(target, QItemSelectionModel::NoUpdate);
        selectionModel()->select(target,
                                 QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    } else {
        clearSelection();
    }
    m_syncing = false;
}

// The column is remembered by its field: showing or hiding a field renumbers
// the columns, and the current cell must stay on the field the user chose.
void DataGrid::rememberColumn(int column) {
    m_currentColumn = column;
    const dataset::Field* field = fieldAt(column);
    m_currentField = field ? field->FieldName() : QString();
}

int DataGrid::columnToFollow() const {
    for (int c = 0; c < m_proxy->columnCount(); ++c) {
        const dataset::Field* field = fieldAt(c);
        if (field && !m_currentField.isEmpty() && field->FieldName() == m_currentField)
            return c;
    }
    if (m_currentField.isEmpty() && m_currentColumn < m_proxy->columnCount())
        return m_currentColumn;
    return horizontalHeader()->logicalIndex(0) >= 0 ? horizontalHeader()->logicalIndex(0) : 0;
}

void DataGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    if (m_syncing || !current.isValid())
        return;
    rememberColumn(current.column());
    if (!showsTableModel() || current.row() == m_tableModel->currentRow())
        return;
    // Moving the view posts the row being left (or drops it when untouched);
    // a refused post leaves the grid on the row that is still being edited.
    if (!runGuarded([&] { m_tableModel->setCurrentRow(current.row()); }))
        followViewRow();
}

// ---- Editing ----------------------------------------------------------------------------

bool DataGrid::insertingRow() const {
    const dataset::Table* view = dataSource() ? dataSource()->DataSet() : nullptr;
    return view && view->State() == dataset::DataSetState::Insert;
}

bool DataGrid::editingRow() const {
    const dataset::DataSource* source = dataSource();
    const dataset::DataSetState state = source ? source->State() : dataset::DataSetState::Inactive;
    return state == dataset::DataSetState::Edit || state == dataset::DataSetState::Insert;
}

bool DataGrid::cellEditable(const QModelIndex& index) const {
    const dataset::Field* field = fieldAt(index.column());
    if (!field || !m_cellEditable)
        return true;
    const bool newRow = insertingRow() && index.row() == m_tableModel->currentRow();
    return m_cellEditable(*field, newRow);
}

bool DataGrid::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    if (index.isValid() && !cellEditable(index))
        return false;
    return QTableView::edit(index, trigger, event);
}

void DataGrid::writeCell(const QModelIndex& index, const QVariant& value) {
    runGuarded([&] {
        dataset::Table* view = dataSource() ? dataSource()->DataSet() : nullptr;
        if (m_newRowFiller && view && view->State() == dataset::DataSetState::Insert &&
            !view->Modified() && index.row() == m_tableModel->currentRow())
            m_newRowFiller(*view);
        m_proxy->setData(index, value, Qt::EditRole);
    });
}

void DataGrid::cellPainted(const QModelIndex& index) {
    if (!m_calcCellColors)
        return;
    if (dataset::Field* field = fieldAt(index.column()))
        runGuarded([&] { m_calcCellColors(field); });
}

void DataGrid::commitEdit() {
    if (state() != QAbstractItemView::EditingState)
        return;
    // The cell editor is the viewport's visible child (the window need not be
    // the active one, so the application's focus widget cannot tell).
    for (QWidget* editor :
         viewport()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (!editor->isVisible())
            continue;
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
        return;
    }
}

void DataGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    // Finishing a cell never posts the row: only leaving the row does.
    if (hint == QAbstractItemDelegate::SubmitModelCache)
        hint = QAbstractItemDelegate::NoHint;
    QTableView::closeEditor(editor, hint);
}

// ---- Keyboard and mouse ------------------------------------------------------------

// Tab moves between the cells; Ctrl+Tab and Ctrl+Shift+Tab move between the
// controls of the window. The item view's own focus chaining would turn them
// back into a move between cells, hence the widget's.
bool DataGrid::leaveGrid(QKeyEvent* event) {
    if (!(event->modifiers() & Qt::ControlModifier))
        return false;
    const bool backwards =
        event->key() == Qt::Key_Backtab || (event->modifiers() & Qt::ShiftModifier);
    if (event->key() != Qt::Key_Tab && event->key() != Qt::Key_Backtab)
        return false;
    return QWidget::focusNextPrevChild(!backwards);
}

void DataGrid::keyPressEvent(QKeyEvent* event) {
    if (leaveGrid(event))
        return;
    if (state() != QAbstractItemView::EditingState) {
        switch (event->key()) {
        case Qt::Key_Delete:
            if (m_keyboardEditing) {
                runGuarded([this] { deleteCurrentRow(); });
                return;
            }
            break;
        case Qt::Key_Insert:
            if (m_keyboardEditing) {
                runGuarded([this] { insertRow(); });
                return;
            }
            break;
        case Qt::Key_Escape:
            if (editingRow()) {
                runGuarded([this] { m_tableModel->revert(); });
                return;
            }
            break;
        default:
            break;
        }
    }
    QTableView::keyPressEvent(event);
}

// Typing on a cell that cannot be edited does nothing unless the grid names
// the field to search: it must not jump by whatever column the cell is in.
void DataGrid::keyboardSearch(const QString& search) {
    const int column = columnOfField(m_typeAheadField);
    if (column < 0 || search.isEmpty())
        return;
    if (!m_sinceLastLetter.isValid() ||
        m_sinceLastLetter.elapsed() > QApplication::keyboardInputInterval())
        m_typed.clear();
    m_sinceLastLetter.start();
    m_typed += search;
    const QModelIndexList found =
        model()->match(model()->index(0, column), Qt::DisplayRole, m_typed, 1, Qt::MatchStartsWith);
    if (!found.isEmpty())
        setCurrentIndex(model()->index(found.first().row(), currentIndex().column()));
}

int DataGrid::columnOfField(const QString& fieldName) const {
    if (fieldName.isEmpty() || !model())
        return -1;
    for (int column = 0; column < model()->columnCount(); ++column) {
        const dataset::Field* field = fieldAt(column);
        if (field && field->FieldName().compare(fieldName, Qt::CaseInsensitive) == 0)
            return column;
    }
    return -1;
}

void DataGrid::insertRow() {
    m_tableModel->insertRows(m_tableModel->rowCount(), 1);
    // The new row's first cell that may be typed into becomes current.
    const int row = m_tableModel->currentRow();
    for (int position = 0; position < m_proxy->columnCount(); ++position) {
        const QModelIndex cell = m_proxy->index(row, horizontalHeader()->logicalIndex(position));
        if (cellEditable(cell)) {
            rememberColumn(cell.column());
            followViewRow();
            return;
        }
    }
}

void DataGrid::deleteCurrentRow() {
    const int row = m_tableModel->currentRow();
    if (row < 0)
        return;
    if (MessageDlg(QString::fromUtf8(kDeleteRowQuestion), mtConfirmation, mbOKCancel) != mrOk)
        return;
    m_tableModel->removeRows(row, 1);
}

void DataGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    // A double-click is a command of the window (describing the row), not the
    // start of an edit.
    QTableView::mouseDoubleClickEvent(event);
    emit dblClick();
}

void DataGrid::dropUntouchedInsert() {
    const dataset::Table* view = dataSource() ? dataSource()->DataSet() : nullptr;
    if (view && view->State() == dataset::DataSetState::Insert && !view->Modified())
        m_tableModel->revert();
}

void DataGrid::focusOutEvent(QFocusEvent* event) {
    QTableView::focusOutEvent(event);
    QWidget* next = QApplication::focusWidget();
    if (next && isAncestorOf(next))
        return; // the cell editor took the focus
    runGuarded([this] { dropUntouchedInsert(); });
}

} // namespace widgets
