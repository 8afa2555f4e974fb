#include "framework/reporting/PreparedReportFile.h"

#include "framework/reporting/PageCodec.h"
#include "framework/reporting/PageCollector.h"
#include "framework/reporting/PageStore.h"
#include "framework/reporting/ReplacingFile.h"

#include <QDataStream>
#include <QFile>

#include <functional>

namespace reporting {

namespace {

constexpr char kMagic[4] = {'K', 'V', 'R', 'P'};
constexpr quint16 kVersion = 1;
// The fewest bytes a page takes in the file.
constexpr qint64 kMinPageBytes = 8;

struct Header {
    QString title;
    QSizeF pageSize;
    quint32 pageCount = 0;
};

using WritePages = std::function<bool(QDataStream&)>;

bool saveWith(const QString& title, QSizeF pageSize, quint32 pageCount, const WritePages& pages,
              const QString& path, QString& error) {
    ReplacingFile file;
    if (!file.begin(path, error))
        return false;
    QDataStream out(&file);
    out.setVersion(QDataStream::Qt_6_0);
    out.writeRawData(kMagic, sizeof kMagic);
    out << kVersion << title << pageSize.width() << pageSize.height() << pageCount;
    if (!pages(out) || out.status() != QDataStream::Ok) {
        error = file.failure().isEmpty() ? QStringLiteral("the report could not be written")
                                         : file.failure();
        file.abandon();
        return false;
    }
    return file.commit(error);
}

QString readHeader(QDataStream& in, Header& header) {
    char magic[4] = {};
    quint16 version = 0;
    double width = 0, height = 0;
    if (in.readRawData(magic, sizeof magic) != sizeof magic ||
        memcmp(magic, kMagic, sizeof magic) != 0)
        return QStringLiteral("not a prepared report");
    in >> version >> header.title >> width >> height;
    if (in.status() != QDataStream::Ok || version != kVersion || !(width > 0 && width < 100000) ||
        !(height > 0 && height < 100000))
        return QStringLiteral("unknown version or damaged header");
    header.pageSize = QSizeF(width, height);
    in >> header.pageCount;
    if (in.status() != QDataStream::Ok ||
        qint64(header.pageCount) > in.device()->bytesAvailable() / kMinPageBytes)
        return QStringLiteral("the page count is larger than the file");
    return {};
}

QString readPages(QDataStream& in, quint32 pageCount, PageSink& sink) {
    for (quint32 p = 0; p < pageCount; ++p) {
        ReportPage page;
        const QString damage = PageCodec::read(in, in.device()->bytesAvailable(), page);
        if (!damage.isEmpty())
            return QStringLiteral("page %1: %2").arg(p + 1).arg(damage);
        if (!sink.takePage(std::move(page)))
            return QStringLiteral("page %1 could not be kept").arg(p + 1);
    }
    return {};
}

// Reads the header, then hands the pages one by one to a new sink made for it.
template <class Sink> std::unique_ptr<Sink> loadInto(const QString& path, QString& error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
        return nullptr;
    }
    QDataStream in(&file);
    in.setVersion(QDataStream::Qt_6_0);
    Header header;
    error = readHeader(in, header);
    std::unique_ptr<Sink> sink;
    if (error.isEmpty()) {
        sink = std::make_unique<Sink>(header.title, header.pageSize);
        error = readPages(in, header.pageCount, *sink);
    }
    if (!error.isEmpty()) {
        error = path + QStringLiteral(": ") + error;
        return nullptr;
    }
    return sink;
}

} // namespace

bool PreparedReportFile::save(const PreparedReport& report, const QString& path, QString& error) {
    const auto pages = [&](QDataStream& out) {
        for (const ReportPage& page : report.pages)
            PageCodec::write(out, page);
        return true;
    };
    return saveWith(report.title, report.pageSize, quint32(report.pages.size()), pages, path,
                    error);
}

bool PreparedReportFile::saveStore(const PageStore& store, const QString& path, QString& error) {
    if (!store.error().isEmpty()) {
        error = store.error();
        return false;
    }
    const auto pages = [&](QDataStream& out) { return store.copyPagesTo(*out.device()); };
    return saveWith(store.title(), store.pageSize(), quint32(store.pageCount()), pages, path,
                    error);
}

std::optional<PreparedReport> PreparedReportFile::load(const QString& path, QString& error) {
    std::unique_ptr<PageCollector> pages = loadInto<PageCollector>(path, error);
    if (!pages)
        return std::nullopt;
    return pages->take();
}

std::unique_ptr<PageStore> PreparedReportFile::loadStore(const QString& path, QString& error) {
    return loadInto<PageStore>(path, error);
}

} // namespace reporting
