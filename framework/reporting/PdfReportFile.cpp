#include "framework/reporting/PdfReportFile.h"

namespace reporting {

bool PdfReportFile::begin(const QString& path, const QString& title, QSizeF pageSize,
                          QString& error) {
    if (!m_file.begin(path, error))
        return false;
    m_writer.emplace(&m_file);
    m_writer->setTitle(title);
    m_writer->setCreator(QStringLiteral("Korvanta"));
    m_writer->setResolution(600);
    m_printer.emplace(*m_writer, pageSize);
    if (!m_printer->begin()) {
        error = QStringLiteral("the PDF could not be drawn");
        m_file.abandon();
        return false;
    }
    return true;
}

bool PdfReportFile::print(const ReportPage& page) {
    // The PDF writer does not report a refused write: the file does.
    if (!m_printer || !m_printer->print(page))
        return false;
    ++m_pages;
    return m_file.failure().isEmpty();
}

bool PdfReportFile::takePage(ReportPage&& page) {
    return print(page);
}

bool PdfReportFile::commit(QString& error) {
    if (!m_printer || !m_printer->end()) {
        error = m_file.failure().isEmpty() ? QStringLiteral("the PDF could not be drawn")
                                           : m_file.failure();
        m_file.abandon();
        return false;
    }
    return m_file.commit(error);
}

} // namespace reporting
