#include "cli/PictureRegex.h"

#include <cctype>
#include <cstring>

namespace cli {

namespace {

constexpr int kMaxDepth = 32;

// Recursive descent over the picture; `ok` turns false at the first thing it cannot
// translate.
class PictureParser {
public:
    explicit PictureParser(const std::string& p) : m_p(p) {}

    // Commas separate alternatives at the top too ("G,PG,R,X").
    std::optional<std::string> whole() {
        std::string out = "(" + sequence(",");
        while (m_ok && m_at < m_p.size()) {
            ++m_at; // the comma
            out += "|" + sequence(",");
        }
        if (!m_ok)
            return std::nullopt;
        return "^" + out + ")$";
    }

private:
    // Items up to one of `stops` (not consumed) or the end.
    std::string sequence(const char* stops) {
        std::string out;
        while (m_ok && m_at < m_p.size() && !std::strchr(stops, m_p[m_at]))
            out += item();
        return out;
    }

    std::string item() {
        const char c = m_p[m_at++];
        switch (c) {
        case '#':
            return "[0-9]";
        case '?':
        case '&':
        case '~':
            return "[[:alpha:]]";
        case '@':
        case '!':
            return ".";
        case ';': {
            if (m_at >= m_p.size())
                return fail();
            const std::string first = literal(m_p[m_at++]);
            return first + continuation();
        }
        case '*':
            return repeat();
        case '[':
            return group("]", "?");
        case '{':
            return group("}", "");
        default: {
            const std::string first = literal(c);
            return first + continuation();
        }
        }
    }

    std::string repeat() {
        std::string count;
        while (m_at < m_p.size() && std::isdigit(static_cast<unsigned char>(m_p[m_at])))
            count += m_p[m_at++];
        if (m_at >= m_p.size() || count.size() > 3)
            return fail();
        const std::string body = item();
        return "(" + body + ")" + (count.empty() ? "*" : "{" + count + "}");
    }

    // Alternatives separated by ',' up to `close`.
    std::string group(const char* close, const char* suffix) {
        if (++m_depth > kMaxDepth)
            return fail();
        std::string out = "(";
        for (;;) {
            out += sequence(std::string(close).append(",").c_str());
            if (!m_ok || m_at >= m_p.size())
                return fail();
            if (m_p[m_at++] == close[0])
                break;
            out += '|';
        }
        --m_depth;
        return out + ")" + suffix;
    }

    // The rest of a character written in several UTF-8 bytes.
    std::string continuation() {
        std::string out;
        while (m_at < m_p.size() && (static_cast<unsigned char>(m_p[m_at]) & 0xC0) == 0x80)
            out += m_p[m_at++];
        return out;
    }

    static std::string literal(char c) {
        if (std::strchr("\\^$.|?*+()[]{}", c))
            return std::string("\\") + c;
        return std::string(1, c);
    }

    std::string fail() {
        m_ok = false;
        return {};
    }

    const std::string& m_p;
    size_t m_at = 0;
    int m_depth = 0;
    bool m_ok = true;
};

} // namespace

std::optional<std::string> pictureRegex(const std::string& picture) {
    if (picture.empty())
        return std::nullopt;
    return PictureParser(picture).whole();
}

} // namespace cli
