#include "framework/reporting/ReportDataText.h"

#include "framework/dataset/DataSource.h"
#include "framework/dataset/Field.h"
#include "framework/dataset/Table.h"

namespace reporting {

ReportDataText::ReportDataText(QObject* band, const QString& name) : ReportItem(band, name) {}

void ReportDataText::print(ReportPage& page, QPointF origin, const PrintContext&) const {
    const QString text = fieldText();
    if (!text.isEmpty())
        page.items.push_back(textInBox(origin, text));
}

QString ReportDataText::fieldText() const {
    dataset::Table* table = m_source ? m_source->DataSet() : nullptr;
    if (!table || !table->Active() || table->IsEmpty())
        return {};
    return boundField(*table)->AsString();
}

dataset::Field* ReportDataText::boundField(dataset::Table& table) const {
    if (!m_bound || m_bound->DataSet() != &table || !m_bound->isBound())
        m_bound = table.FieldByName(m_field);
    return m_bound;
}

} // namespace reporting
