#include "framework/reporting/ReportDetailLink.h"

namespace reporting {

ReportDetailLink::ReportDetailLink(QObject* report, const QString& name) : QObject(report) {
    setObjectName(name);
}

} // namespace reporting
