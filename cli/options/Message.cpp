#include "cli/options/Message.h"

#include <cstdlib>
#include <cstring>

namespace cli {

namespace {

bool environmentAsksForFrench() {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && *value)
            return std::strncmp(value, "fr", 2) == 0;
    }
    return false;
}

} // namespace

bool Message::inFrench() {
    static const bool asked = environmentAsksForFrench();
    return asked;
}

const char* Message::text() const {
    return inFrench() && french ? french : english;
}

} // namespace cli

namespace cli {

// One pass over the text, so that a value holding "%2" (a name the user typed)
// stays as typed.
std::string Message::with(std::initializer_list<std::string> values) const {
    const std::string text = this->text();
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const size_t n = i + 1 < text.size() && text[i] == '%' ? size_t(text[i + 1] - '1') : 9;
        if (n < values.size()) {
            out += values.begin()[n];
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace cli
