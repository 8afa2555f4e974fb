#pragma once

#include <QStyledItemDelegate>

namespace widgets {

class DataGrid;

// Draws and edits the cells of a data grid: column lines only (no line
// between rows), an editor limited to what the field holds, and values
// written back through the grid, which reports a refused value itself so
// that nothing escapes into the item view's editing machinery.
class DataGridDelegate : public QStyledItemDelegate {
public:
    explicit DataGridDelegate(DataGrid* grid);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;

private:
    DataGrid* m_grid;
};

} // namespace widgets
