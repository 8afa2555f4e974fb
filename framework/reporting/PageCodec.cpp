#include "framework/reporting/PageCodec.h"

#include <QDataStream>
#include <QtEndian>

#include <bit>

namespace reporting {

namespace {

// The fewest bytes an item takes in the file.
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

template <class Integer> void appendBig(QByteArray& out, Integer value) {
    const Integer big = qToBigEndian(value);
    out.append(reinterpret_cast<const char*>(&big), sizeof big);
}

void appendDouble(QByteArray& out, double value) {
    appendBig(out, std::bit_cast<quint64>(value));
}

// A stream's QString: its byte length (all ones for a null string), then its
// UTF-16 code units, big-endian.
void appendString(QByteArray& out, const QString& text) {
    if (text.isNull()) {
        appendBig(out, quint32(0xFFFFFFFF));
        return;
    }
    appendBig(out, quint32(text.size() * 2));
    const qsizetype start = out.size();
    out.resize(start + text.size() * 2);
    qToBigEndian<quint16>(text.utf16(), text.size(), out.data() + start);
}

void appendItem(QByteArray& out, const PageItem& item) {
    out.append(char(item.kind == PageItem::Kind::Line ? 1 : 0));
    for (const double edge : {item.box.left(), item.box.top(), item.box.width(), item.box.height()})
        appendDouble(out, edge);
    appendString(out, item.text);
    appendString(out, item.font.family);
    appendBig(out, qint32(item.font.size));
    out.append(char(item.font.bold));
    out.append(char(item.font.italic));
    appendBig(out, qint32(item.alignment));
    out.append(char(item.clipped));
    appendString(out, item.source);
}

} // namespace

void PageCodec::append(QByteArray& out, const ReportPage& page) {
    appendBig(out, qint32(page.number));
    appendBig(out, quint32(page.items.size()));
    for (const PageItem& item : page.items)
        appendItem(out, item);
}

void PageCodec::write(QDataStream& out, const ReportPage& page) {
    out << qint32(page.number) << quint32(page.items.size());
    for (const PageItem& item : page.items)
        writeItem(out, item);
}

QString PageCodec::read(QDataStream& in, qint64 bytesLeft, ReportPage& page) {
    quint32 itemCount = 0;
    in >> page.number >> itemCount;
    if (in.status() != QDataStream::Ok || qint64(itemCount) > (bytesLeft - 8) / kMinItemBytes)
        return QStringLiteral("the item count is larger than the file");
    page.items.resize(itemCount);
    for (PageItem& item : page.items)
        if (!readItem(in, item))
            return QStringLiteral("an item is damaged");
    return {};
}

} // namespace reporting
