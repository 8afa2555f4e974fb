#include "framework/reporting/PreparedReportFile.h"

#include "framework/reporting/WholeFileWriter.h"

#include <QDataStream>
#include <QFile>

namespace reporting {

namespace {

constexpr char kMagic[4] = {'K', 'V', 'R', 'P'};
constexpr quint16 kVersion = 1;
// The fewest bytes a page and an item take in the file.
constexpr qint64 kMinPageBytes = 8;
constexpr qint64 kMinItemBytes = 1 + 4 * 8 + 4 + 4 + 4 + 2 + 4 + 1 + 4;

void writeItem(QDataStream& out, const PageItem& item) {
    out << quint8(item.kind == PageItem::Kind::Line ? 1 : 0) << item.box.left() << item.box.top()
        << item.box.width() << item.box.height() << item.text << item.font.family
        << qint32(item.font.size) << quint8(item.font.bold) << quint8(item.font.italic)
        << qint32(item.alignment) << quint8(item.clipped) << item.source;
}

bool readItem(QDataStream& in, PageItem& item) {
    quint8 kind = 0, bold = 0, italic = 0, clipped = 0;
    double left = 0, top = 0, width = 0, height = 0;
    qint32 size = 0, alignment = 0;
    in >> kind >> left >> top >> width >> height >> item.text >> item.font.family >> size >> bold >>
        italic >> alignment >> clipped >> item.source;
    if (in.status() != QDataStream::Ok || kind > 1 || size < 1 || size > 1000)
        return false;
    item.kind = kind ? PageItem::Kind::Line : PageItem::Kind::Text;
    item.box = QRectF(left, top, width, height);
    item.font.size = size;
    item.font.bold = bold != 0;
    item.font.italic = italic != 0;
    item.alignment = alignment & (Qt::AlignLeft | Qt::AlignHCenter | Qt::AlignRight);
    item.clipped = clipped != 0;
    return true;
}

bool countFits(QDataStream& in, quint32 count, qint64 eachAtLeast) {
    const qint64 left = in.device()->bytesAvailable();
    return qint64(count) <= left / eachAtLeast;
}

QString readPages(QDataStream& in, PreparedReport& report) {
    quint32 pageCount = 0;
    in >> pageCount;
    if (in.status() != QDataStream::Ok || !countFits(in, pageCount, kMinPageBytes))
        return QStringLiteral("the page count is larger than the file");
    for (quint32 p = 0; p < pageCount; ++p) {
        ReportPage page;
        quint32 itemCount = 0;
        in >> page.number >> itemCount;
        if (in.status() != QDataStream::Ok || !countFits(in, itemCount, kMinItemBytes))
            return QStringLiteral("page %1: the item count is larger than the file").arg(p + 1);
        page.items.resize(itemCount);
        for (PageItem& item : page.items)
            if (!readItem(in, item))
                return QStringLiteral("page %1: an item is damaged").arg(p + 1);
        report.pages.push_back(std::move(page));
    }
    return {};
}

} // namespace

bool PreparedReportFile::save(const PreparedReport& report, const QString& path, QString& error) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_0);
    out.writeRawData(kMagic, sizeof kMagic);
    out << kVersion << report.title << report.pageSize.width() << report.pageSize.height()
        << quint32(report.pages.size());
    for (const ReportPage& page : report.pages) {
        out << qint32(page.number) << quint32(page.items.size());
        for (const PageItem& item : page.items)
            writeItem(out, item);
    }
    if (out.status() != QDataStream::Ok) {
        error = QStringLiteral("the report is too large to be saved");
        return false;
    }
    return WholeFileWriter::replace(path, bytes, error);
}

std::optional<PreparedReport> PreparedReportFile::load(const QString& path, QString& error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
        return std::nullopt;
    }
    QDataStream in(&file);
    in.setVersion(QDataStream::Qt_6_0);
    char magic[4] = {};
    quint16 version = 0;
    PreparedReport report;
    double width = 0, height = 0;
    if (in.readRawData(magic, sizeof magic) != sizeof magic ||
        memcmp(magic, kMagic, sizeof magic) != 0) {
        error = QStringLiteral("%1: not a prepared report").arg(path);
        return std::nullopt;
    }
    in >> version >> report.title >> width >> height;
    if (in.status() != QDataStream::Ok || version != kVersion || !(width > 0 && width < 100000) ||
        !(height > 0 && height < 100000)) {
        error = QStringLiteral("%1: unknown version or damaged header").arg(path);
        return std::nullopt;
    }
    report.pageSize = QSizeF(width, height);
    error = readPages(in, report);
    if (!error.isEmpty()) {
        error = path + QStringLiteral(": ") + error;
        return std::nullopt;
    }
    return report;
}

} // namespace reporting
