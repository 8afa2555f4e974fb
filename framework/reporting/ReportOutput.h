#pragma once

#include "framework/reporting/PageModel.h"

#include <QString>

class QPagedPaintDevice;
class QPrinter;

namespace reporting {

class LayoutProgress;
class PageStore;

// Prints prepared pages on a paged device (a printer, a PDF writer), one
// device page per report page, the report's page size on the whole paper.
// `progress`, when given, hears of each page and may stop the printing.
// Returns false when stopped or when the device could not be painted on.
bool printPages(const PreparedReport& report, QPagedPaintDevice& device,
                LayoutProgress* progress = nullptr);
bool printPages(const PageStore& pages, QPagedPaintDevice& device,
                LayoutProgress* progress = nullptr);
// Sets a printer up for the report: paper size, no margins, job name.
void preparePrinter(const QString& title, QSizeF pageSize, QPrinter& printer);
void preparePrinter(const PreparedReport& report, QPrinter& printer);
// Writes the pages as a PDF file (fonts embedded) in place of `path`
// (PdfReportFile), so a failure leaves any old file whole.
// On failure returns false and sets `error`.
bool writePdf(const PreparedReport& report, const QString& path, QString& error);

} // namespace reporting
