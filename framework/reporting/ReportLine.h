#pragma once

#include "framework/reporting/ReportItem.h"

namespace reporting {

// A horizontal line, one unit wide, along the top edge of the item's box
// from its left edge to its right edge; the box's height plays no part.
class ReportLine : public ReportItem {
    Q_OBJECT

public:
    ReportLine(QObject* band, const QString& name);

    void print(ReportPage& page, QPointF origin, const PrintContext& context) const override;
};

} // namespace reporting
