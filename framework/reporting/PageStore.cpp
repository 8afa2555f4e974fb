#include "framework/reporting/PageStore.h"

#include "framework/reporting/PageCodec.h"

#include <QDataStream>
#include <QDir>

namespace reporting {

namespace {

// Pages copied out a piece at a time, so that saving never holds them all.
constexpr qint64 kCopyPieceBytes = 1 << 16;

void useFileVersion(QDataStream& stream) {
    stream.setVersion(QDataStream::Qt_6_0);
}

} // namespace

PageStore::PageStore(const QString& title, QSizeF pageSize)
    : m_title(title), m_pageSize(pageSize),
      m_file(QDir::tempPath() + QStringLiteral("/korvanta-pages-XXXXXX")) {
    // Created exclusively under an unpredictable name, readable by its owner
    // alone, removed when the store goes.
    if (!m_file.open())
        m_error = m_file.errorString();
}

PageStore::~PageStore() = default;

std::unique_ptr<PageStore> PageStore::fromReport(const PreparedReport& report) {
    auto store = std::make_unique<PageStore>(report.title, report.pageSize);
    for (const ReportPage& page : report.pages)
        if (!store->takePage(ReportPage(page)))
            break;
    return store;
}

bool PageStore::takePage(ReportPage&& page) {
    if (!m_error.isEmpty())
        return false;
    if (m_file.pos() != m_end)
        m_file.seek(m_end);
    m_encoded.clear();
    PageCodec::append(m_encoded, page);
    if (m_file.write(m_encoded) != m_encoded.size()) {
        m_error = m_file.errorString();
        return false;
    }
    m_offsets.push_back(m_end);
    m_end += m_encoded.size();
    return true;
}

bool PageStore::readPage(int index, ReportPage& page) const {
    if (index < 0 || index >= pageCount() || !m_file.seek(m_offsets[size_t(index)]))
        return false;
    QDataStream in(&m_file);
    useFileVersion(in);
    return PageCodec::read(in, m_end - m_offsets[size_t(index)], page).isEmpty();
}

const ReportPage& PageStore::page(int index) const {
    if (m_recent && m_recent->first == index)
        return m_recent->second;
    ReportPage page;
    if (!readPage(index, page))
        page = ReportPage{index + 1, {}};
    m_recent.emplace(index, std::move(page));
    return m_recent->second;
}

PreparedReport PageStore::wholeReport() const {
    PreparedReport report{m_title, m_pageSize, {}};
    report.pages.reserve(size_t(pageCount()));
    for (int i = 0; i < pageCount(); ++i)
        report.pages.push_back(page(i));
    return report;
}

bool PageStore::copyPagesTo(QIODevice& out) const {
    if (!m_error.isEmpty() || !m_file.seek(0))
        return false;
    for (qint64 done = 0; done < m_end;) {
        const QByteArray piece = m_file.read(qMin(kCopyPieceBytes, m_end - done));
        if (piece.isEmpty() || out.write(piece) != piece.size())
            return false;
        done += piece.size();
    }
    return true;
}

} // namespace reporting
