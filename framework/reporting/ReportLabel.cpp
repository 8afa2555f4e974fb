#include "framework/reporting/ReportLabel.h"

#include "framework/reporting/TextMeasure.h"

namespace reporting {

ReportLabel::ReportLabel(QObject* band, const QString& name) : ReportItem(band, name) {}

void ReportLabel::print(ReportPage& page, QPointF origin, const PrintContext&) const {
    PageItem item = textInBox(origin, m_caption);
    if (m_autoSize) {
        item.box.setWidth(textWidth(font(), m_caption));
        item.clipped = false;
    }
    page.items.push_back(item);
}

} // namespace reporting
