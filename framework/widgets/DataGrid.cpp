#include "framework/widgets/DataGrid.h"

#include "framework/widgets/Component.h"

#include "framework/dataset/TableModel.h"

#include <QHeaderView>
#include <QIdentityProxyModel>

namespace widgets {

// Shows the grid's own column titles in place of the model's.
class DataGrid::TitleProxy : public QIdentityProxyModel {
public:
    TitleProxy(DataGrid* grid) : QIdentityProxyModel(grid), grid_(grid) {}

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole &&
            section < grid_->columnCount())
            return grid_->columnTitle(section);
        return QIdentityProxyModel::headerData(section, orientation, role);
    }

    void titlesChanged(int first, int last) { emit headerDataChanged(Qt::Horizontal, first, last); }

private:
    DataGrid* grid_;
};

DataGrid::DataGrid(QWidget* parent, const QString& name)
    : QTableView(parent), proxy_(new TitleProxy(this)) {
    adopt(this, name, parent);
    setModel(proxy_);
    verticalHeader()->hide();
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setSectionsClickable(false);
    setShowGrid(true);
    // Titles and widths follow the fields: the model announces a relabelled
    // or resized field as a change of its cells or as a reset.
    connect(proxy_, &QAbstractItemModel::modelReset, this, [this] { refreshColumns(true); });
    connect(proxy_, &QAbstractItemModel::dataChanged, this, [this] {
        proxy_->titlesChanged(0, proxy_->columnCount() - 1);
        refreshColumns(false);
    });
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& index) {
                if (tableModel_ && !following_ && index.isValid() &&
                    proxy_->sourceModel() == tableModel_)
                    tableModel_->setCurrentRow(index.row());
            });
}

DataGrid::~DataGrid() = default;

void DataGrid::setDataModel(QAbstractItemModel* model) {
    proxy_->setSourceModel(model);
}

QAbstractItemModel* DataGrid::dataModel() const {
    return proxy_->sourceModel();
}

void DataGrid::setDataSource(dataset::DataSource* source) {
    if (!tableModel_) {
        tableModel_ = new dataset::TableModel(this);
        connect(tableModel_, &dataset::TableModel::currentRowChanged, this,
                &DataGrid::followCurrentRow);
    }
    tableModel_->setDataSource(source);
    if (proxy_->sourceModel() != tableModel_)
        setDataModel(tableModel_);
    refreshColumns(true);
}

dataset::DataSource* DataGrid::dataSource() const {
    return tableModel_ ? tableModel_->dataSource() : nullptr;
}

void DataGrid::followCurrentRow(int row) {
    following_ = true;
    if (row >= 0 && row < proxy_->rowCount())
        setCurrentIndex(proxy_->index(row, std::max(0, currentIndex().column())));
    else
        clearSelection();
    following_ = false;
}

void DataGrid::refreshColumns(bool force) {
    // Widths are the grid's business only for a data source it reads itself;
    // a subclass that sets its own model sizes its own columns.
    if (!tableModel_ || proxy_->sourceModel() != tableModel_)
        return;
    // A width the user dragged stays until the field's display width changes.
    const int charWidth = fontMetrics().horizontalAdvance(QLatin1Char('0'));
    if (force)
        appliedWidths_.clear();
    for (int c = 0; c < proxy_->columnCount(); ++c) {
        const QVariant chars =
            proxy_->headerData(c, Qt::Horizontal, dataset::TableModel::DisplayWidthRole);
        if (!chars.isValid() || appliedWidths_.value(c, -1) == chars.toInt())
            continue;
        while (appliedWidths_.size() <= c)
            appliedWidths_.append(-1);
        appliedWidths_[c] = chars.toInt();
        setColumnWidth(c, chars.toInt() * charWidth + 4);
    }
    followCurrentRow(tableModel_->currentRow());
}

void DataGrid::addColumn(const QString& fieldName, const QString& title) {
    fieldNames_.append(fieldName);
    titles_.append(title);
    proxy_->titlesChanged(columnCount() - 1, columnCount() - 1);
}

QString DataGrid::columnTitle(int index) const {
    return titles_.value(index);
}

void DataGrid::setColumnTitle(int index, const QString& title) {
    if (index < 0 || index >= titles_.size())
        return;
    titles_[index] = title;
    proxy_->titlesChanged(index, index);
}

QString DataGrid::columnFieldName(int index) const {
    return fieldNames_.value(index);
}

} // namespace widgets
