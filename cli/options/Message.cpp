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

std::string Message::with(std::initializer_list<std::string> values) const {
    std::string out = text();
    int n = 0;
    for (const std::string& value : values) {
        const std::string mark = "%" + std::to_string(++n);
        const size_t at = out.find(mark);
        if (at != std::string::npos)
            out.replace(at, mark.size(), value);
    }
    return out;
}

} // namespace cli
