#pragma once
// Text conversion between a table's code page and UTF-8, through glibc iconv.
//
// Single-byte pages (the DOS and Windows pages) are turned into 256-entry tables
// once; multi-byte pages (936 and other East Asian pages) convert each string with
// iconv. A byte the page does not define reads as the Unicode character of the same
// number, so that reading never fails and such a byte is written back unchanged.
// Writing a character the page cannot hold is refused.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

namespace engine {

class CodePage {
public:
    // The converter for a code page number (0 = the HP ROMAN8 page of some old drivers).
    // Throws EngineError(NotSupported) for a page iconv does not know.
    static const CodePage& get(int codePage);
    // 0 when conversion works, else a failure code for initialise().
    static int selfTest();

    int number() const { return m_number; }
    bool isSingleByte() const { return m_singleByte; }

    std::string decode(std::string_view bytes) const;
    // False when a character cannot be written in this page (or the text is not UTF-8).
    bool encode(std::string_view utf8, std::string& out) const;

    // Upper-case image of a byte string, for case-insensitive keys (single-byte
    // pages fold through the page's own letters; multi-byte pages fold ASCII only).
    void foldInPlace(char* bytes, size_t n) const;

    explicit CodePage(int number); // use get()

private:
    void buildSingleByte(const std::string& iconvName);
    std::string iconvConvert(const char* to, const char* from, std::string_view in, bool& ok) const;

    int m_number;
    bool m_singleByte = true;
    std::string m_iconvName;
    std::array<char32_t, 256> m_toUnicode{};
    std::array<uint8_t, 256> m_fold{};
    std::unordered_map<char32_t, uint8_t> m_fromUnicode;
    std::array<int16_t, 128> m_fromAscii{}; // m_fromUnicode for ASCII, -1 where unmapped
    bool m_asciiSame = false;               // every ASCII character is its own byte
};

// Upper-case counterpart of a character (Latin, Greek and Cyrillic letters).
char32_t upperCase(char32_t c);
void appendUtf8(std::string& out, char32_t c);
// Decodes one UTF-8 sequence at s[i], advancing i; returns false on malformed input.
bool nextUtf8(std::string_view s, size_t& i, char32_t& c);

} // namespace engine
