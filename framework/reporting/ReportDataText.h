#pragma once

#include "framework/reporting/ReportItem.h"

#include "framework/dataset/DataSource.h"
#include "framework/dataset/Field.h"
#include "framework/dataset/Table.h"

#include <QPointer>

namespace reporting {

// The display text of one field in the current row of a data source's view;
// an empty or missing value prints nothing.
class ReportDataText : public ReportItem {
    Q_OBJECT

public:
    ReportDataText(QObject* band, const QString& name);

    dataset::DataSource* DataSource() const { return m_source; }
    void setDataSource(dataset::DataSource* source) {
        m_source = source;
        m_bound = nullptr;
    }
    QString DataField() const { return m_field; }
    void setDataField(const QString& field) {
        m_field = field;
        m_bound = nullptr;
    }

    void print(ReportPage& page, QPointF origin, const PrintContext& context) const override;

private:
    QString fieldText() const;
    dataset::Field* boundField(dataset::Table& table) const;

    QPointer<dataset::DataSource> m_source;
    QString m_field;
    // The field found by name, kept across rows: a report prints the same item for every
    // row of a walk, and looks it up again once the table has closed.
    mutable QPointer<dataset::Field> m_bound;
};

} // namespace reporting
