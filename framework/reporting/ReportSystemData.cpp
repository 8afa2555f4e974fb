#include "framework/reporting/ReportSystemData.h"

#include <QLocale>

namespace reporting {

ReportSystemData::ReportSystemData(QObject* band, const QString& name, Data data)
    : ReportItem(band, name), m_data(data) {}

void ReportSystemData::print(ReportPage& page, QPointF origin, const PrintContext& context) const {
    page.items.push_back(textInBox(origin, m_text + value(context)));
}

QString ReportSystemData::value(const PrintContext& context) const {
    if (m_data == Data::PageNumber)
        return QString::number(context.pageNumber);
    return QLocale::system().toString(context.date, QLocale::ShortFormat);
}

} // namespace reporting
