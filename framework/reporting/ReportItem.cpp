#include "framework/reporting/ReportItem.h"

namespace reporting {

ReportItem::ReportItem(QObject* band, const QString& name) : QObject(band) {
    setObjectName(name);
}

void ReportItem::setGeometry(int left, int top, int width, int height) {
    m_geometry = QRect(left, top, width, height);
}

PageItem ReportItem::textInBox(QPointF origin, const QString& text) const {
    PageItem item;
    item.kind = PageItem::Kind::Text;
    item.box = QRectF(m_geometry).translated(origin);
    item.text = text;
    item.font = m_font;
    item.alignment = m_alignment;
    item.source = objectName();
    return item;
}

} // namespace reporting
