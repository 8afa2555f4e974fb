#include "capture/CodeFileBytes.h"

#include "engine/CodePage.h"

#include <QString>

#include <string>
#include <string_view>

namespace capture {

namespace {

constexpr int kWindowsWesternCodePage = 1252;

QByteArray utf8WithCrLf(const QStringList& lines) {
    QString text;
    for (const QString& line : lines)
        text += line + QStringLiteral("\r\n");
    return text.toUtf8();
}

} // namespace

QByteArray CodeFileBytes::encode(const QStringList& lines) {
    const QByteArray utf8 = utf8WithCrLf(lines);
    std::string singleByte;
    if (engine::CodePage::get(kWindowsWesternCodePage)
            .encode(std::string_view(utf8.constData(), size_t(utf8.size())), singleByte))
        return QByteArray(singleByte.data(), qsizetype(singleByte.size()));
    return QByteArray("\xEF\xBB\xBF") + utf8;
}

} // namespace capture
