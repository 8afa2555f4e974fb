#include "framework/widgets/DataGrid.h"

#include "framework/widgets/Component.h"

#include <QHeaderView>
#include <QIdentityProxyModel>

namespace widgets {

// Shows the grid's own column titles in place of the model's.
class DataGrid::TitleProxy : public QIdentityProxyModel {
public:
    TitleProxy(DataGrid* grid) : QIdentityProxyModel(grid), grid_(grid) {}

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section < grid_->columnCount())
            return grid_->columnTitle(section);
        return QIdentityProxyModel::headerData(section, orientation, role);
    }

    void titlesChanged(int first, int last) { emit headerDataChanged(Qt::Horizontal, first, last); }

private:
    DataGrid* grid_;
};

DataGrid::DataGrid(QWidget* parent, const QString& name) : QTableView(parent), proxy_(new TitleProxy(this))
{
    adopt(this, name, parent);
    setModel(proxy_);
    verticalHeader()->hide();
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setSectionsClickable(false);
    setShowGrid(true);
}

DataGrid::~DataGrid() = default;

void DataGrid::setDataModel(QAbstractItemModel* model)
{
    proxy_->setSourceModel(model);
}

QAbstractItemModel* DataGrid::dataModel() const
{
    return proxy_->sourceModel();
}

void DataGrid::addColumn(const QString& fieldName, const QString& title)
{
    fieldNames_.append(fieldName);
    titles_.append(title);
    proxy_->titlesChanged(columnCount() - 1, columnCount() - 1);
}

QString DataGrid::columnTitle(int index) const
{
    return titles_.value(index);
}

void DataGrid::setColumnTitle(int index, const QString& title)
{
    if (index < 0 || index >= titles_.size())
        return;
    titles_[index] = title;
    proxy_->titlesChanged(index, index);
}

QString DataGrid::columnFieldName(int index) const
{
    return fieldNames_.value(index);
}

} // namespace widgets
