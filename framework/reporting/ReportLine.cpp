#include "framework/reporting/ReportLine.h"

namespace reporting {

ReportLine::ReportLine(QObject* band, const QString& name) : ReportItem(band, name) {}

void ReportLine::print(ReportPage& page, QPointF origin, const PrintContext&) const {
    PageItem line;
    line.kind = PageItem::Kind::Line;
    line.box = QRectF(geometry()).translated(origin);
    line.box.setHeight(0);
    line.source = objectName();
    page.items.push_back(line);
}

} // namespace reporting
