#pragma once

#include "framework/reporting/PageSink.h"

#include <QPainter>

class QPageLayout;
class QPagedPaintDevice;

namespace reporting {

// Prints pages on a paged device (a printer, a PDF writer) one at a time, as
// they come: one device page per report page, the report's page size on the
// whole paper. As a page sink it lets the layout print straight to the device.
class PagePrinter : public PageSink {
public:
    PagePrinter(QPagedPaintDevice& device, QSizeF pageSize);

    // False when the device cannot be painted on.
    bool begin();
    bool print(const ReportPage& page);
    bool takePage(ReportPage&& page) override { return print(page); }
    // Ends the job; false when the device refused it.
    bool end();
    // Drops the job: a stopped print job is not sent half printed.
    void abort();

    static QPageLayout layoutFor(QSizeF pageSize);

private:
    QPagedPaintDevice& m_device;
    QPainter m_painter;
    double m_scale = 1.0;
    int m_printed = 0;
};

} // namespace reporting
