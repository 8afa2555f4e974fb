#pragma once

#include "framework/reporting/PageModel.h"

class QPainter;

namespace reporting {

// Draws prepared pages with a QPainter, on any device: the preview, a
// printer or a PDF file. The painter's device coordinates are taken to start
// at the paper's top-left corner.
class PagePainter {
public:
    // `unitsToDevice`: device pixels per report unit.
    PagePainter(QPainter& painter, double unitsToDevice);

    void paint(const ReportPage& page);

private:
    void paintText(const PageItem& item);
    void paintLine(const PageItem& item);
    QRectF toDevice(const QRectF& box) const;

    QPainter& m_painter;
    double m_scale;
};

} // namespace reporting
