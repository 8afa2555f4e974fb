#pragma once

#include <QElapsedTimer>
#include <QStringList>
#include <QTableView>

#include <functional>

class QAbstractItemModel;

namespace dataset {
class DataSource;
class Field;
class Table;
class TableModel;
} // namespace dataset

namespace widgets {

class DataGridDelegate;

// A data-aware grid: a table view over one view of a table (one row per
// record, one column per shown field). The columns carry the fields' display
// labels as titles and are as wide as the fields' display widths in
// characters of the grid's font; columns added with addColumn carry titles
// of their own, which replace the field's title of the same column. The
// grid's current row follows the view's current row both ways, and the cell
// the user clicks or reaches with Tab stays the current cell.
//
// Editing happens in place: typing or F2 opens the current cell's editor,
// which takes no more characters than the field holds; the row is posted
// only when the grid leaves it (Enter ends the cell, not the row), as the
// view posts on every move. A value the view refuses is reported and the
// cell keeps its old value; later edits work as before. A new row the user
// left untouched is dropped when the grid leaves it or loses the focus. With
// keyboard editing on, Insert appends a row and Delete (or Ctrl+Delete)
// deletes the current row after the framework's confirmation. Ctrl+Tab and
// Ctrl+Shift+Tab leave the grid for the next or previous control.
//
// The grid only talks to its model; the window decides which cells may be
// edited and what a new row holds besides what the user types.
class DataGrid : public QTableView {
    Q_OBJECT
    Q_PROPERTY(QString Hint READ hint WRITE setHint)

public:
    // Called for every cell painted, with the field the cell shows.
    using CalcCellColors = std::function<void(dataset::Field* field)>;
    // Whether a cell showing `field` may be edited in place; `newRow` tells a
    // row being inserted from a row already posted.
    using CellEditable = std::function<bool(const dataset::Field& field, bool newRow)>;
    // Gives a row being inserted the values the user does not type, just
    // before the first value the user typed is written into it.
    using NewRowFiller = std::function<void(dataset::Table& view)>;

    DataGrid(QWidget* parent, const QString& name);
    ~DataGrid() override;

    QString hint() const { return toolTip(); }
    void setHint(const QString& hint) { setToolTip(hint); }

    // Shows another model in place of the grid's table model.
    void setDataModel(QAbstractItemModel* model);
    QAbstractItemModel* dataModel() const;
    // Shows the view behind `source` (nullptr: nothing).
    void setDataSource(dataset::DataSource* source);
    dataset::DataSource* dataSource() const;
    dataset::TableModel* tableModel() const { return m_tableModel; }

    bool keyboardEditing() const { return m_keyboardEditing; }
    void setKeyboardEditing(bool on) { m_keyboardEditing = on; }
    void setCalcCellColors(CalcCellColors handler) { m_calcCellColors = std::move(handler); }
    void setCellEditable(CellEditable rule) { m_cellEditable = std::move(rule); }
    void setNewRowFiller(NewRowFiller filler) { m_newRowFiller = std::move(filler); }

    // The order in which the named fields show, whatever their order in the
    // view; fields not named follow in the view's order.
    void setFieldOrder(const QStringList& fieldNames);
    // The field shown in the column at visual position `position`.
    QString fieldAtPosition(int position) const;
    // The field a column of the model shows (nullptr for another model).
    dataset::Field* fieldAt(int column) const;

    // Hands the text of a cell being edited over to the row (as leaving the
    // cell would), so that a command that closes the view can post it first.
    void commitEdit();

    // Pixel width of a column that shows `characters` characters under the
    // title `title`, in the fonts the cells and the titles are drawn with.
    int columnPixels(int characters, const QString& title) const;
    // Most characters the editor of a cell showing `field` takes.
    static int editLimit(const dataset::Field& field);

    // Columns of the grid's own (not those that follow the fields).
    void addColumn(const QString& fieldName, const QString& title);
    int columnCount() const { return static_cast<int>(m_titles.size()); }
    QString columnTitle(int index) const;
    void setColumnTitle(int index, const QString& title);
    QString columnFieldName(int index) const;

    // Letters typed on a cell that cannot be edited move to the first row
    // whose value of `fieldName` starts with them (empty: typing does nothing).
    void setTypeAheadField(const QString& fieldName) { m_typeAheadField = fieldName; }

signals:
    void dblClick();

protected:
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyboardSearch(const QString& search) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    friend class DataGridDelegate;
    class TitleProxy;

    bool showsTableModel() const;
    bool cellEditable(const QModelIndex& index) const;
    bool insertingRow() const;
    bool editingRow() const;
    // Writes a value typed into a cell; a refused value is reported.
    void writeCell(const QModelIndex& index, const QVariant& value);
    void cellPainted(const QModelIndex& index);
    void followViewRow();
    void rememberColumn(int column);
    int columnToFollow() const;
    void fitColumns(bool force);
    void arrangeColumns();
    void insertRow();
    void deleteCurrentRow();
    void dropUntouchedInsert();
    bool leaveGrid(QKeyEvent* event);
    int columnOfField(const QString& fieldName) const;

    dataset::TableModel* m_tableModel;
    TitleProxy* m_proxy;
    CalcCellColors m_calcCellColors;
    CellEditable m_cellEditable;
    NewRowFiller m_newRowFiller;
    QStringList m_fieldOrder;
    QList<int> m_appliedWidths; // display widths (characters) last applied, by column
    QStringList m_fieldNames;
    QStringList m_titles;
    int m_currentColumn = 0; // the column the user last put the current cell in
    QString m_currentField;  // and the field it showed
    bool m_keyboardEditing = false;
    bool m_syncing = false;
    QString m_typeAheadField;
    QString m_typed; // the letters of the type-ahead under way
    QElapsedTimer m_sinceLastLetter;
};

} // namespace widgets
