#pragma once

#include <QStringList>
#include <QTableView>

class QAbstractItemModel;

namespace dataset {
class DataSource;
class TableModel;
} // namespace dataset

namespace widgets {

// A data-aware grid: a table view over a data model (one row per record, one
// column per shown field). Without columns of its own the grid shows the
// model's columns with the model's titles (the fields' display labels) and
// widths (the fields' display widths, in characters); the columns added with
// addColumn carry titles of their own, which replace the model's title of the
// same column.
//
// Given a data source, the grid reads it through the dataset layer's table
// model, and the selected row follows the view's current row both ways.
class DataGrid : public QTableView {
    Q_OBJECT
    Q_PROPERTY(QString Hint READ hint WRITE setHint)

public:
    DataGrid(QWidget* parent, const QString& name);
    ~DataGrid() override;

    QString hint() const { return toolTip(); }
    void setHint(const QString& hint) { setToolTip(hint); }

    void setDataModel(QAbstractItemModel* model);
    QAbstractItemModel* dataModel() const;
    // Shows the view behind `source` (nullptr: nothing).
    void setDataSource(dataset::DataSource* source);
    dataset::DataSource* dataSource() const;
    dataset::TableModel* tableModel() const { return tableModel_; }

    // Columns of the grid's own (not those that follow the fields).
    void addColumn(const QString& fieldName, const QString& title);
    int columnCount() const { return static_cast<int>(titles_.size()); }
    QString columnTitle(int index) const;
    void setColumnTitle(int index, const QString& title);
    QString columnFieldName(int index) const;

private:
    class TitleProxy;
    void refreshColumns(bool force);
    void followCurrentRow(int row);

    dataset::TableModel* tableModel_ = nullptr;
    bool following_ = false;
    QList<int> appliedWidths_; // display widths (characters) last applied, by column
    QStringList fieldNames_;
    QStringList titles_;
    TitleProxy* proxy_;
};

} // namespace widgets
