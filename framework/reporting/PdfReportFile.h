#pragma once

#include "framework/reporting/PagePrinter.h"
#include "framework/reporting/ReplacingFile.h"

#include <QPdfWriter>

#include <optional>

namespace reporting {

// A PDF file (fonts embedded) drawn page by page as the pages come, and put
// in place of its path only when whole (ReplacingFile): a long report is
// never held in memory, nor its PDF, and a failure leaves any old file whole.
class PdfReportFile : public PageSink {
public:
    PdfReportFile() = default;

    bool begin(const QString& path, const QString& title, QSizeF pageSize, QString& error);
    // False once the file refused a write: the layout stops there.
    bool takePage(ReportPage&& page) override;
    bool print(const ReportPage& page);
    bool commit(QString& error);
    int pages() const { return m_pages; }

private:
    ReplacingFile m_file;
    std::optional<QPdfWriter> m_writer;
    std::optional<PagePrinter> m_printer;
    int m_pages = 0;
};

} // namespace reporting
