#include "app/DataAwareGrid.h"

#include "framework/dataset/DataSource.h"
#include "framework/dataset/Field.h"
#include "framework/dataset/Table.h"
#include "framework/dataset/TableModel.h"
#include "framework/widgets/ErrorGuard.h"
#include "framework/widgets/Look.h"
#include "framework/widgets/MessageDlg.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QStyledItemDelegate>

namespace {
// The framework's own question before a row is deleted from a grid; like
// every framework text it is French whatever language the windows show.
const char* const kDeleteRowQuestion = "Supprimer l'enregistrement ?";
} // namespace

// Paints a cell as usual, then tells the window which field it showed.
class DataAwareGrid::CellDelegate : public QStyledItemDelegate {
public:
    explicit CellDelegate(DataAwareGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyledItemDelegate::paint(painter, option, index);
        // Column lines only: the grid draws no line between rows.
        painter->save();
        painter->setPen(grid_->palette().color(QPalette::Mid));
        painter->drawLine(option.rect.topRight(), option.rect.bottomRight());
        painter->restore();
        if (grid_->calcCellColors_) {
            if (dataset::Field* field = grid_->model_->fieldAt(index.column()))
                widgets::runGuarded([&] { grid_->calcCellColors_(field); });
        }
    }

private:
    DataAwareGrid* grid_;
};

DataAwareGrid::DataAwareGrid(QWidget* parent, const QString& name)
    : widgets::DataGrid(parent, name), model_(new dataset::TableModel(this)) {
    setDataModel(model_);
    setItemDelegate(new CellDelegate(this));
    setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabKeyNavigation(true);
    setWordWrap(false);
    setShowGrid(false); // the cells draw their column lines (see CellDelegate)
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setHighlightSections(false);

    widgets::setPixelFont(this, QStringLiteral("Arial"), 12);
    QPalette cells = palette();
    cells.setColor(QPalette::Text, Qt::black);
    setPalette(cells);
    QFont titleFont(QStringLiteral("Arial"));
    titleFont.setPixelSize(11);
    titleFont.setItalic(true);
    horizontalHeader()->setFont(titleFont);
    horizontalHeader()->setStyleSheet(
        QStringLiteral("QHeaderView::section { color: navy; background-color: palette(button);"
                       " font-family: Arial; font-size: 11px; font-style: italic; padding: 1px 3px;"
                       " border: none; border-right: 1px solid palette(mid); border-bottom: 1px "
                       "solid palette(mid); }"));
    const int rowHeight = fontMetrics().height() + 4;
    verticalHeader()->setMinimumSectionSize(rowHeight);
    verticalHeader()->setDefaultSectionSize(rowHeight);

    // An item view submits its model whenever the current row changes; here
    // the view itself posts the row it leaves (or drops it when untouched),
    // and a move that the view made must not post a row just begun.
    QObject::disconnect(selectionModel(), SIGNAL(currentRowChanged(QModelIndex, QModelIndex)),
                        model(), SLOT(submit()));
    connect(model_, &dataset::TableModel::currentRowChanged, this, [this] { followViewRow(); });
    connect(model(), &QAbstractItemModel::modelReset, this, [this] {
        fitColumns();
        followViewRow();
    });
    connect(model(), &QAbstractItemModel::headerDataChanged, this, [this] { fitColumns(); });
}

void DataAwareGrid::setDataSource(dataset::DataSource* source) {
    model_->setDataSource(source);
    fitColumns();
    followViewRow();
}

int DataAwareGrid::columnPixels(int characters, const QString& title) const {
    const int digits = characters * fontMetrics().horizontalAdvance(QLatin1Char('0')) + 4;
    const int heading = QFontMetrics(horizontalHeader()->font()).horizontalAdvance(title) + 8;
    return std::max(digits, heading);
}

void DataAwareGrid::setFieldOrder(const QStringList& fieldNames) {
    fieldOrder_ = fieldNames;
    arrangeColumns();
}

QString DataAwareGrid::fieldAtPosition(int position) const {
    const int column = horizontalHeader()->logicalIndex(position);
    return model_->headerData(column, Qt::Horizontal, dataset::TableModel::FieldNameRole)
        .toString();
}

void DataAwareGrid::arrangeColumns() {
    QHeaderView* header = horizontalHeader();
    int target = 0;
    for (const QString& name : fieldOrder_) {
        for (int c = 0; c < model_->columnCount(); ++c) {
            if (model_->headerData(c, Qt::Horizontal, dataset::TableModel::FieldNameRole)
                    .toString() != name)
                continue;
            header->moveSection(header->visualIndex(c), target++);
            break;
        }
    }
}

void DataAwareGrid::fitColumns() {
    arrangeColumns();
    for (int c = 0; c < model_->columnCount(); ++c) {
        const QVariant width =
            model_->headerData(c, Qt::Horizontal, dataset::TableModel::DisplayWidthRole);
        const QString title = model()->headerData(c, Qt::Horizontal).toString();
        setColumnWidth(c, columnPixels(width.toInt(), title));
    }
}

// Puts the grid's current cell on the view's current row, keeping the column.
void DataAwareGrid::followViewRow() {
    const int row = model_->currentRow();
    const int column = currentIndex().isValid() ? currentIndex().column() : 0;
    syncing_ = true;
    if (row >= 0 && row < model()->rowCount() && model()->columnCount() > 0) {
        const QModelIndex target =
            model()->index(row, std::min(column, model()->columnCount() - 1));
        if (target != currentIndex())
            setCurrentIndex(target);
        selectRow(row);
    } else {
        clearSelection();
    }
    syncing_ = false;
}

void DataAwareGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    widgets::DataGrid::currentChanged(current, previous);
    if (syncing_ || !current.isValid() || current.row() == model_->currentRow())
        return;
    // Moving the view posts the row being left (or drops it when untouched);
    // a refused post leaves the grid on the row that is still being edited.
    if (!widgets::runGuarded([&] { model_->setCurrentRow(current.row()); }))
        followViewRow();
}

void DataAwareGrid::commitEdit() {
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

void DataAwareGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    // Finishing a cell never posts the row: only leaving the row does.
    if (hint == QAbstractItemDelegate::SubmitModelCache)
        hint = QAbstractItemDelegate::NoHint;
    widgets::DataGrid::closeEditor(editor, hint);
}

bool DataAwareGrid::editingRow() const {
    const dataset::DataSource* source = model_->dataSource();
    const dataset::DataSetState state = source ? source->State() : dataset::DataSetState::Inactive;
    return state == dataset::DataSetState::Edit || state == dataset::DataSetState::Insert;
}

void DataAwareGrid::keyPressEvent(QKeyEvent* event) {
    if (state() != QAbstractItemView::EditingState) {
        switch (event->key()) {
        case Qt::Key_Delete:
            if (keyboardEditing_) {
                widgets::runGuarded([this] { deleteCurrentRow(); });
                return;
            }
            break;
        case Qt::Key_Insert:
            if (keyboardEditing_) {
                widgets::runGuarded([this] { model_->insertRows(model_->rowCount(), 1); });
                return;
            }
            break;
        case Qt::Key_Escape:
            if (editingRow()) {
                widgets::runGuarded([this] { model_->revert(); });
                return;
            }
            break;
        default:
            break;
        }
    }
    widgets::DataGrid::keyPressEvent(event);
}

void DataAwareGrid::deleteCurrentRow() {
    const int row = model_->currentRow();
    if (row < 0)
        return;
    if (widgets::MessageDlg(QString::fromUtf8(kDeleteRowQuestion), widgets::mtConfirmation,
                            widgets::mbOKCancel) != widgets::mrOk)
        return;
    model_->removeRows(row, 1);
}

void DataAwareGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    // A double-click is a command of the window (describing the row), not the
    // start of an edit.
    widgets::DataGrid::mouseDoubleClickEvent(event);
    emit dblClick();
}

void DataAwareGrid::dropUntouchedInsert() {
    const dataset::DataSource* source = model_->dataSource();
    const dataset::Table* table = source ? source->DataSet() : nullptr;
    if (table && table->State() == dataset::DataSetState::Insert && !table->Modified())
        model_->revert();
}

void DataAwareGrid::focusOutEvent(QFocusEvent* event) {
    widgets::DataGrid::focusOutEvent(event);
    QWidget* next = QApplication::focusWidget();
    if (next && isAncestorOf(next))
        return; // the cell editor took the focus
    widgets::runGuarded([this] { dropUntouchedInsert(); });
}
