#include "framework/reporting/ReportOutput.h"

#include "framework/reporting/LayoutProgress.h"
#include "framework/reporting/PagePrinter.h"
#include "framework/reporting/PageStore.h"
#include "framework/reporting/PdfReportFile.h"

#include <QPrinter>

#include <functional>

namespace reporting {

namespace {

using PageAt = std::function<const ReportPage&(int)>;

bool printEach(QPagedPaintDevice& device, QSizeF pageSize, int total, const PageAt& pageAt,
               LayoutProgress* progress) {
    PagePrinter printer(device, pageSize);
    if (!printer.begin())
        return false;
    for (int i = 0; i < total; ++i) {
        if (!printer.print(pageAt(i))) {
            printer.end();
            return false;
        }
        if (progress && !progress->advance(i + 1, total)) {
            printer.abort();
            return false;
        }
    }
    return printer.end();
}

} // namespace

bool printPages(const PreparedReport& report, QPagedPaintDevice& device, LayoutProgress* progress) {
    return printEach(
        device, report.pageSize, int(report.pages.size()),
        [&](int i) -> const ReportPage& { return report.pages[size_t(i)]; }, progress);
}

bool printPages(const PageStore& pages, QPagedPaintDevice& device, LayoutProgress* progress) {
    return printEach(
        device, pages.pageSize(), pages.pageCount(),
        [&](int i) -> const ReportPage& { return pages.page(i); }, progress);
}

void preparePrinter(const QString& title, QSizeF pageSize, QPrinter& printer) {
    printer.setPageLayout(PagePrinter::layoutFor(pageSize));
    printer.setFullPage(true);
    printer.setDocName(title);
}

void preparePrinter(const PreparedReport& report, QPrinter& printer) {
    preparePrinter(report.title, report.pageSize, printer);
}

bool writePdf(const PreparedReport& report, const QString& path, QString& error) {
    PdfReportFile pdf;
    if (!pdf.begin(path, report.title, report.pageSize, error))
        return false;
    for (const ReportPage& page : report.pages)
        if (!pdf.print(page))
            break;
    return pdf.commit(error);
}

} // namespace reporting
