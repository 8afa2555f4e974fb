#include "cli/VisibleText.h"

#include "engine/CodePage.h"

#include <cstdio>

namespace cli {

namespace {

void appendCode(std::string& out, const char* format, unsigned code) {
    char buf[8];
    std::snprintf(buf, sizeof buf, format, code);
    out += buf;
}

void appendVisibleControl(std::string& out, char32_t c) {
    switch (c) {
    case '\t':
        out += "\\t";
        break;
    case '\n':
        out += "\\n";
        break;
    case '\r':
        out += "\\r";
        break;
    default:
        appendCode(out, c < 0x80 ? "\\x%02x" : "\\u%04x", unsigned(c));
    }
}

} // namespace

bool isControl(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

std::string visibleText(std::string_view text, Backslash backslash) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const size_t start = i;
        char32_t c = 0;
        if (!engine::nextUtf8(text, i, c)) {
            appendCode(out, "\\x%02x", static_cast<unsigned char>(text[i++]));
        } else if (c == '\\' && backslash == Backslash::Doubled) {
            out += "\\\\";
        } else if (isControl(c)) {
            appendVisibleControl(out, c);
        } else {
            out.append(text.substr(start, i - start));
        }
    }
    return out;
}

std::string validUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const size_t start = i;
        char32_t c = 0;
        if (engine::nextUtf8(text, i, c)) {
            out.append(text.substr(start, i - start));
        } else {
            out += "\xEF\xBF\xBD";
            ++i;
        }
    }
    return out;
}

} // namespace cli
