#pragma once

#include "framework/reporting/PageSink.h"

#include <QTemporaryFile>

#include <memory>
#include <optional>
#include <vector>

class QIODevice;

namespace reporting {

// The preview's pages, kept on disk rather than in memory: each page is
// written, as the layout finishes it, to an unnamed temporary file in the
// prepared-report file's page encoding, and read back when it is drawn. So a
// report of thousands of pages costs a few bytes of memory per page, and it
// is saved by copying those bytes behind the file's header.
class PageStore : public PageSink {
public:
    PageStore(const QString& title, QSizeF pageSize);
    ~PageStore() override;

    static std::unique_ptr<PageStore> fromReport(const PreparedReport& report);

    const QString& title() const { return m_title; }
    QSizeF pageSize() const { return m_pageSize; }
    int pageCount() const { return int(m_offsets.size()); }
    // Page `index` (from 0), valid until the next call. A page the temporary
    // file no longer gives back reads as an empty page.
    const ReportPage& page(int index) const;
    // Every page in memory at once: for tests and short reports only.
    PreparedReport wholeReport() const;

    bool takePage(ReportPage&& page) override;
    // Why a page could not be kept; empty while all is well.
    const QString& error() const { return m_error; }
    // The pages' bytes, in order, as the prepared-report file holds them.
    bool copyPagesTo(QIODevice& out) const;

private:
    bool readPage(int index, ReportPage& page) const;

    QString m_title;
    QSizeF m_pageSize;
    mutable QTemporaryFile m_file;
    std::vector<qint64> m_offsets;
    qint64 m_end = 0;
    QString m_error;
    QByteArray m_encoded; // the page being written, its room kept for the next
    // The page drawn last: a paint event asks for the same few pages again.
    mutable std::optional<std::pair<int, ReportPage>> m_recent;
};

} // namespace reporting
