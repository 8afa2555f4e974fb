#pragma once
// The link between a table view and what shows or follows it (grids, detail views, the
// windows' handlers). It raises two events:
//
//  - dataChanged(field): the data seen through the view changed. `field` is the field whose
//    value was just set in Edit or Insert state; nullptr when the row or the whole view
//    changed: after Open, after every move that changed the current row, after Append,
//    Insert, Post, Cancel, Delete, Refresh, a successful FindKey, a change of index, filter
//    or master row. It is not raised while the view is closed.
//  - stateChanged(): the view's State changed (Open, Close, Edit, Append/Insert, Post, Cancel).
//    When one operation raises both, stateChanged comes first.
//
// Detail views tied to this source (Table::setMasterSource) follow the master before the
// signals go out, so a handler of dataChanged already sees the detail on the master's row.
// Every event is raised as the last step of the operation: a handler may close, reconfigure
// and reopen the view (and the detail) and the operation that raised it is not disturbed.

#include "framework/dataset/DataTypes.h"

#include <QList>
#include <QObject>
#include <QPointer>

namespace dataset {

class Field;
class Table;

class DataSource : public QObject {
    Q_OBJECT
public:
    explicit DataSource(QObject* parent = nullptr, const QString& name = {});
    ~DataSource() override;

    Table* DataSet() const { return m_dataSet; }
    void setDataSet(Table* table);
    // The state of the view, Inactive when there is none.
    DataSetState State() const;

signals:
    void dataChanged(dataset::Field* field);
    void stateChanged();

protected:
    void connectNotify(const QMetaMethod& signal) override;
    void disconnectNotify(const QMetaMethod& signal) override;

private:
    friend class Table;
    void dataEvent(Field* field); // called by the table
    void stateEvent();            // called by the table
    void addDetail(Table* detail);
    void removeDetail(Table* detail);

    QPointer<Table> m_dataSet;
    QList<QPointer<Table>> m_details;
    // Connections to dataChanged: a report walking its views row by row has none, and
    // then a data event skips the signal's dispatch. A count left high only emits.
    int m_dataListeners = 0;
};

} // namespace dataset
