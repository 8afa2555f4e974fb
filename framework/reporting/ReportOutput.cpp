#include "framework/reporting/ReportOutput.h"

#include "framework/reporting/LayoutProgress.h"
#include "framework/reporting/PagePainter.h"
#include "framework/reporting/WholeFileWriter.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

namespace reporting {

namespace {

QPageLayout layoutFor(const PreparedReport& report) {
    const QPageSize paper(report.pageSize / kUnitsPerInch, QPageSize::Inch, QString(),
                          QPageSize::FuzzyOrientationMatch);
    return QPageLayout(paper, QPageLayout::Portrait, QMarginsF(0, 0, 0, 0));
}

} // namespace

bool printPages(const PreparedReport& report, QPagedPaintDevice& device, LayoutProgress* progress) {
    device.setPageLayout(layoutFor(report));
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    const double scale = device.logicalDpiX() / kUnitsPerInch;
    const int total = int(report.pages.size());
    for (int i = 0; i < total; ++i) {
        if (i > 0)
            device.newPage();
        PagePainter(painter, scale).paint(report.pages[size_t(i)]);
        if (progress && !progress->advance(i + 1, total)) {
            // A stopped print job is dropped, not sent half printed.
            if (auto* printer = dynamic_cast<QPrinter*>(&device))
                printer->abort();
            painter.end();
            return false;
        }
    }
    return painter.end();
}

void preparePrinter(const PreparedReport& report, QPrinter& printer) {
    printer.setPageLayout(layoutFor(report));
    printer.setFullPage(true);
    printer.setDocName(report.title);
}

bool writePdf(const PreparedReport& report, const QString& path, QString& error) {
    // Drawn in memory first: the PDF writer does not report a refused write,
    // so the file is written afterwards, where every write is checked.
    QByteArray pdf;
    {
        QBuffer buffer(&pdf);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setTitle(report.title);
        writer.setCreator(QStringLiteral("Korvanta"));
        writer.setResolution(600);
        if (!printPages(report, writer)) {
            error = QStringLiteral("the PDF could not be drawn");
            return false;
        }
    }
    return WholeFileWriter::replace(path, pdf, error);
}

} // namespace reporting
