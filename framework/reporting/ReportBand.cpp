#include "framework/reporting/ReportBand.h"

#include "framework/reporting/ReportItem.h"

namespace reporting {

ReportBand::ReportBand(QObject* report, const QString& name, Kind kind, int height)
    : QObject(report), m_kind(kind), m_height(height) {
    setObjectName(name);
}

std::vector<const ReportItem*> ReportBand::items() const {
    std::vector<const ReportItem*> list;
    for (const QObject* child : children())
        if (auto* item = qobject_cast<const ReportItem*>(child))
            list.push_back(item);
    return list;
}

} // namespace reporting
