#include "engine/CodePage.h"

#include "engine/EngineError.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>
#include <map>
#include <mutex>

namespace engine {

namespace {

std::string iconvNameFor(int cp) {
    switch (cp) {
    case 0:
        return "HP-ROMAN8";
    case 936:
        return "GBK";
    case 932:
        return "CP932";
    case 949:
        return "CP949";
    case 950:
        return "BIG5";
    case 1361:
        return "JOHAB";
    default:
        return "CP" + std::to_string(cp);
    }
}

bool isMultiByte(int cp) {
    return cp == 932 || cp == 936 || cp == 949 || cp == 950 || cp == 1361;
}

} // namespace

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

bool nextUtf8(std::string_view s, size_t& i, char32_t& c) {
    const auto b0 = uint8_t(s[i]);
    int len = b0 < 0x80             ? 1
              : (b0 & 0xE0) == 0xC0 ? 2
              : (b0 & 0xF0) == 0xE0 ? 3
              : (b0 & 0xF8) == 0xF0 ? 4
                                    : 0;
    if (len == 0 || i + size_t(len) > s.size())
        return false;
    c = len == 1 ? b0 : len == 2 ? (b0 & 0x1F) : len == 3 ? (b0 & 0x0F) : (b0 & 0x07);
    for (int k = 1; k < len; ++k) {
        const auto b = uint8_t(s[i + size_t(k)]);
        if ((b & 0xC0) != 0x80)
            return false;
        c = (c << 6) | (b & 0x3F);
    }
    static constexpr char32_t minimum[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < minimum[len] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return false;
    i += size_t(len);
    return true;
}

char32_t upperCase(char32_t c) {
    if (c >= 'a' && c <= 'z')
        return c - 32;
    if (c < 0x80)
        return c;
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7))
        return c - 32;
    if (c == 0xFF)
        return 0x178;
    if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177))
        return (c & 1) ? c - 1 : c;
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E))
        return (c & 1) ? c : c - 1;
    if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2)
        return c - 32;
    if (c == 0x3C2)
        return 0x3A3;
    if (c == 0x3AC)
        return 0x386;
    if (c >= 0x3AD && c <= 0x3AF)
        return c - 37;
    if (c == 0x3CC)
        return 0x38C;
    if (c == 0x3CD || c == 0x3CE)
        return c - 63;
    if (c >= 0x430 && c <= 0x44F)
        return c - 32;
    if (c >= 0x450 && c <= 0x45F)
        return c - 80;
    if (c == 0x491)
        return 0x490;
    return c;
}

CodePage::CodePage(int number) : m_number(number), m_iconvName(iconvNameFor(number)) {
    for (int b = 0; b < 256; ++b)
        m_fold[size_t(b)] = uint8_t(b >= 'a' && b <= 'z' ? b - 32 : b);
    if (isMultiByte(number)) {
        m_singleByte = false;
        iconv_t probe = iconv_open("UTF-8", m_iconvName.c_str());
        if (probe == iconv_t(-1))
            throw EngineError(ErrorCode::NotSupported,
                              "Code page " + std::to_string(number) + " non pris en charge");
        iconv_close(probe);
        return;
    }
    buildSingleByte(m_iconvName);
}

void CodePage::buildSingleByte(const std::string& iconvName) {
    iconv_t cd = iconv_open("UTF-32LE", iconvName.c_str());
    if (cd == iconv_t(-1))
        throw EngineError(ErrorCode::NotSupported,
                          "Code page " + std::to_string(m_number) + " non pris en charge");
    for (int b = 0; b < 256; ++b) {
        char in = char(b);
        char out[8];
        char* pin = &in;
        char* pout = out;
        size_t inLeft = 1, outLeft = sizeof out;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        char32_t c = char32_t(b); // undefined byte: same number
        // Pages with combining letters (1255, 1258) hold a base letter back until
        // flushed, hence the second call.
        if (iconv(cd, &pin, &inLeft, &pout, &outLeft) != size_t(-1) &&
            iconv(cd, nullptr, nullptr, &pout, &outLeft) != size_t(-1) && outLeft == 4)
            c = char32_t(uint8_t(out[0]) | uint8_t(out[1]) << 8 | uint8_t(out[2]) << 16 |
                         uint32_t(uint8_t(out[3])) << 24);
        m_toUnicode[size_t(b)] = c;
    }
    iconv_close(cd);
    for (int b = 255; b >= 0; --b)
        m_fromUnicode[m_toUnicode[size_t(b)]] = uint8_t(b); // lowest byte wins on duplicates
    for (int b = 0; b < 256; ++b) {
        auto it = m_fromUnicode.find(upperCase(m_toUnicode[size_t(b)]));
        m_fold[size_t(b)] = it != m_fromUnicode.end() ? it->second : uint8_t(b);
    }
    m_asciiSame = true;
    for (char32_t c = 0; c < 128; ++c) {
        auto it = m_fromUnicode.find(c);
        m_fromAscii[c] = it != m_fromUnicode.end() ? int16_t(it->second) : int16_t(-1);
        m_asciiSame = m_asciiSame && m_fromAscii[c] == int16_t(c);
    }
}

std::string CodePage::iconvConvert(const char* to, const char* from, std::string_view in,
                                   bool& ok) const {
    ok = true;
    std::string out;
    iconv_t cd = iconv_open(to, from);
    if (cd == iconv_t(-1)) {
        ok = false;
        return out;
    }
    out.resize(in.size() * 4 + 16);
    char* pin = const_cast<char*>(in.data());
    size_t inLeft = in.size();
    char* pout = out.data();
    size_t outLeft = out.size();
    while (inLeft > 0) {
        if (iconv(cd, &pin, &inLeft, &pout, &outLeft) == size_t(-1)) {
            if (errno == E2BIG) { // cannot happen with the 4x margin, but stay safe
                ok = false;
                break;
            }
            ok = false;
            if (std::string_view(to) == "UTF-8") { // reading: replace the bad byte
                if (outLeft < 3)
                    break;
                *pout++ = char(0xEF);
                *pout++ = char(0xBF);
                *pout++ = char(0xBD);
                outLeft -= 3;
                ++pin;
                --inLeft;
                ok = true;
                continue;
            }
            break;
        }
    }
    out.resize(out.size() - outLeft);
    iconv_close(cd);
    return out;
}

std::string CodePage::decode(std::string_view bytes) const {
    if (!m_singleByte) {
        bool ok;
        return iconvConvert("UTF-8", m_iconvName.c_str(), bytes, ok);
    }
    std::string out;
    out.reserve(bytes.size());
    for (unsigned char b : bytes) {
        if (b < 0x80 && m_toUnicode[b] == b)
            out += char(b);
        else
            appendUtf8(out, m_toUnicode[b]);
    }
    return out;
}

bool CodePage::encode(std::string_view utf8, std::string& out) const {
    out.clear();
    if (!m_singleByte) {
        bool ok;
        out = iconvConvert(m_iconvName.c_str(), "UTF-8", utf8, ok);
        return ok;
    }
    if (m_asciiSame &&
        std::all_of(utf8.begin(), utf8.end(), [](char c) { return uint8_t(c) < 0x80; })) {
        out.assign(utf8);
        return true;
    }
    out.reserve(utf8.size());
    size_t i = 0;
    while (i < utf8.size()) {
        char32_t c;
        if (!nextUtf8(utf8, i, c))
            return false;
        if (c < 128) { // names and keys are mostly ASCII: a table, not a hash
            if (m_fromAscii[c] < 0)
                return false;
            out += char(m_fromAscii[c]);
            continue;
        }
        auto it = m_fromUnicode.find(c);
        if (it == m_fromUnicode.end())
            return false;
        out += char(it->second);
    }
    return true;
}

void CodePage::foldInPlace(char* bytes, size_t n) const {
    for (size_t i = 0; i < n; ++i)
        bytes[i] = char(m_fold[uint8_t(bytes[i])]);
}

const CodePage& CodePage::get(int codePage) {
    static std::mutex mutex;
    static std::map<int, std::unique_ptr<CodePage>> pages;
    std::lock_guard lock(mutex);
    auto& slot = pages[codePage];
    if (!slot)
        slot = std::make_unique<CodePage>(codePage);
    return *slot;
}

int CodePage::selfTest() {
    try {
        const CodePage& cp = get(1252);
        std::string out;
        if (!cp.encode("\xC3\xA9", out) || out != "\xE9")
            return 0x2C08;
        get(437);
    } catch (const EngineError&) {
        return 0x2C01;
    }
    return 0;
}

} // namespace engine
