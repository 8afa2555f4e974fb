#include "framework/dataset/NativePath.h"

#include "engine/CodePage.h"

namespace dataset {

namespace {

constexpr char16_t kEscapeBase = 0xDC00; // + the byte (0x80..0xFF)

bool isEscape(char16_t c) {
    return c >= kEscapeBase + 0x80 && c <= kEscapeBase + 0xFF;
}

// Length of the well-formed UTF-8 sequence at p (overlong forms, surrogates and
// code points past U+10FFFF are not), 0 when there is none; its code point in cp.
size_t utf8Sequence(const unsigned char* p, size_t left, char32_t& cp) {
    const unsigned char c = p[0];
    size_t n;
    char32_t min;
    if (c < 0x80) {
        cp = c;
        return 1;
    } else if ((c & 0xE0) == 0xC0) {
        n = 2, min = 0x80, cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
        n = 3, min = 0x800, cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
        n = 4, min = 0x10000, cp = c & 0x07;
    } else {
        return 0;
    }
    if (left < n)
        return 0;
    for (size_t i = 1; i < n; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (p[i] & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return n;
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

} // namespace

QString fromNativeBytes(std::string_view bytes) {
    QString out;
    out.reserve(qsizetype(bytes.size()));
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    for (size_t i = 0; i < bytes.size();) {
        char32_t cp = 0;
        const size_t n = utf8Sequence(p + i, bytes.size() - i, cp);
        if (n == 0) {
            out += QChar(char16_t(kEscapeBase + p[i]));
            ++i;
            continue;
        }
        const char32_t one[1] = {cp};
        out += QString::fromUcs4(one, 1);
        i += n;
    }
    return out;
}

std::string toNativeBytes(const QString& name) {
    std::string out;
    out.reserve(size_t(name.size()));
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name[i].unicode();
        if (isEscape(c)) {
            out += char(c - kEscapeBase);
        } else if (QChar::isHighSurrogate(c) && i + 1 < name.size() &&
                   QChar::isLowSurrogate(name[i + 1].unicode())) {
            appendUtf8(out, QChar::surrogateToUcs4(c, name[i + 1].unicode()));
            ++i;
        } else if (QChar::isSurrogate(c)) {
            appendUtf8(out, 0xFFFD); // half a pair: no byte it could stand for
        } else {
            appendUtf8(out, c);
        }
    }
    return out;
}

QString fromNativePath(const std::filesystem::path& path) {
    return fromNativeBytes(path.native());
}

std::filesystem::path toNativePath(const QString& name) {
    return std::filesystem::path(toNativeBytes(name));
}

QString readableName(const QString& name) {
    const engine::CodePage& windows = engine::CodePage::get(1252);
    QString out;
    for (QChar c : name) {
        if (isEscape(c.unicode()))
            out += QString::fromStdString(
                windows.decode(std::string(1, char(c.unicode() - kEscapeBase))));
        else
            out += c;
    }
    return out;
}

} // namespace dataset
