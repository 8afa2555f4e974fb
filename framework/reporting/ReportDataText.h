#pragma once

#include "framework/reporting/ReportItem.h"

#include "framework/dataset/DataSource.h"
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
    void setDataSource(dataset::DataSource* source) { m_source = source; }
    QString DataField() const { return m_field; }
    void setDataField(const QString& field) { m_field = field; }

    void print(ReportPage& page, QPointF origin, const PrintContext& context) const override;

private:
    QString fieldText() const;

    QPointer<dataset::DataSource> m_source;
    QString m_field;
};

} // namespace reporting
