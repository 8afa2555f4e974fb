#include "framework/reporting/PagePrinter.h"

#include "framework/reporting/PagePainter.h"

#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPrinter>

namespace reporting {

PagePrinter::PagePrinter(QPagedPaintDevice& device, QSizeF pageSize) : m_device(device) {
    m_device.setPageLayout(layoutFor(pageSize));
}

QPageLayout PagePrinter::layoutFor(QSizeF pageSize) {
    const QPageSize paper(pageSize / kUnitsPerInch, QPageSize::Inch, QString(),
                          QPageSize::FuzzyOrientationMatch);
    return QPageLayout(paper, QPageLayout::Portrait, QMarginsF(0, 0, 0, 0));
}

bool PagePrinter::begin() {
    if (!m_painter.begin(&m_device))
        return false;
    m_scale = m_device.logicalDpiX() / kUnitsPerInch;
    return true;
}

bool PagePrinter::print(const ReportPage& page) {
    if (!m_painter.isActive())
        return false;
    if (m_printed++ > 0 && !m_device.newPage())
        return false;
    PagePainter(m_painter, m_scale).paint(page);
    return true;
}

bool PagePrinter::end() {
    return m_painter.isActive() && m_painter.end();
}

void PagePrinter::abort() {
    if (auto* printer = dynamic_cast<QPrinter*>(&m_device))
        printer->abort();
    if (m_painter.isActive())
        m_painter.end();
}

} // namespace reporting
