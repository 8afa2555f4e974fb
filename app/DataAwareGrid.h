#pragma once

#include "framework/widgets/DataGrid.h"

#include <functional>

namespace dataset {
class DataSource;
class Field;
class TableModel;
} // namespace dataset

// The grids of the main window: a data grid over one view that shows the
// view's visible fields as columns (titles from their display labels, widths
// from their display widths in characters) and follows the view's current
// row both ways.
//
// Editing happens in place: typing or F2 opens the cell's editor, Tab moves
// between cells, and the row is posted only when the grid leaves it (Enter
// ends the cell, not the row), as the view posts on every move. A new row the
// user left untouched is dropped when the grid leaves it or loses the focus.
// With keyboard editing on, Insert appends a row and Delete (or Ctrl+Delete)
// deletes the current row after the framework's confirmation.
class DataAwareGrid : public widgets::DataGrid {
    Q_OBJECT

public:
    // Called for every cell painted, with the field the cell shows.
    using CalcCellColors = std::function<void(dataset::Field* field)>;

    DataAwareGrid(QWidget* parent, const QString& name);

    void setDataSource(dataset::DataSource* source);
    dataset::TableModel* tableModel() const { return model_; }

    bool keyboardEditing() const { return keyboardEditing_; }
    void setKeyboardEditing(bool on) { keyboardEditing_ = on; }
    void setCalcCellColors(CalcCellColors handler) { calcCellColors_ = std::move(handler); }

    // The order in which the named fields show, whatever their order in the
    // view; fields not named follow in the view's order.
    void setFieldOrder(const QStringList& fieldNames);
    // The field shown in the column at visual position `position`.
    QString fieldAtPosition(int position) const;

    // Hands the text of a cell being edited over to the row (as leaving the
    // cell would), so that a command that closes the view can post it first.
    void commitEdit();

    // Pixel width of a column that shows `characters` characters.
    int columnPixels(int characters, const QString& title) const;

signals:
    void dblClick();

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    class CellDelegate;

    void followViewRow();
    void fitColumns();
    void arrangeColumns();
    void deleteCurrentRow();
    void dropUntouchedInsert();
    bool editingRow() const;

    dataset::TableModel* model_;
    CalcCellColors calcCellColors_;
    QStringList fieldOrder_;
    bool keyboardEditing_ = false;
    bool syncing_ = false;
};
