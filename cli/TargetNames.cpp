#include "cli/TargetNames.h"

namespace cli {

namespace {

constexpr size_t kPostgresqlNameBytes = 63; // NAMEDATALEN - 1

bool continuesCharacter(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

std::string cutAt(const std::string& name, size_t bytes) {
    if (name.size() <= bytes)
        return name;
    size_t end = bytes;
    while (end > 0 && continuesCharacter(name[end]))
        --end;
    return name.substr(0, end);
}

} // namespace

std::string TargetNames::fitted(const std::string& name) {
    return cutAt(name, kPostgresqlNameBytes);
}

std::string TargetNames::key(const std::string& name) const {
    if (m_rule == Rule::First63Bytes)
        return fitted(name);
    std::string folded = name;
    for (char& c : folded)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return folded;
}

std::string TargetNames::takeFree(const std::string& name) {
    std::string candidate = name;
    for (int n = 2; taken(candidate); ++n) {
        const std::string suffix = '_' + std::to_string(n);
        candidate = cutAt(name, kPostgresqlNameBytes - suffix.size()) + suffix;
    }
    take(candidate);
    return candidate;
}

} // namespace cli
