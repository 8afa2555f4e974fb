#include "engine/TableFamily.h"

#include <cctype>
#include <set>

namespace engine {

namespace {

// ".NAME." + twelve letters or digits + ".tmp"
constexpr size_t kRandomLength = 12;
const std::string kTemporarySuffix = ".tmp";

bool isHex(char c) {
    return std::isxdigit(uint8_t(c)) != 0;
}

bool isFamilyExtension(const std::string& extUpper) {
    static const std::set<std::string> fixed = {".DB", ".PX", ".MB", ".VAL", ".TV"};
    if (fixed.count(extUpper))
        return true;
    if (extUpper.size() == 4 && (extUpper[1] == 'X' || extUpper[1] == 'Y')) {
        if (extUpper[2] == 'G')
            return std::isalnum(uint8_t(extUpper[3])) != 0;
        return isHex(extUpper[2]) && isHex(extUpper[3]);
    }
    return false;
}

// The name a hidden temporary file will replace; the name itself otherwise.
std::string replacedName(const std::string& name) {
    if (!isHiddenTemporary(name))
        return name;
    return name.substr(1, name.size() - 1 - 1 - kRandomLength - kTemporarySuffix.size());
}

bool endsWith(const std::string& s, const std::string& tail) {
    return s.size() > tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

} // namespace

std::string upperAscii(std::string s) {
    for (char& c : s)
        c = char(std::toupper(uint8_t(c)));
    return s;
}

bool isHiddenTemporary(const std::string& name) {
    const size_t tail = 1 + kRandomLength + kTemporarySuffix.size();
    if (name.size() < 2 + tail || name[0] != '.' || !endsWith(name, kTemporarySuffix))
        return false;
    const size_t dot = name.size() - tail;
    if (name[dot] != '.')
        return false;
    for (size_t i = dot + 1; i < dot + 1 + kRandomLength; ++i)
        if (!std::isalnum(uint8_t(name[i])))
            return false;
    return true;
}

bool isFamilyFile(const std::filesystem::path& p, const std::string& upperStem) {
    std::string name = upperAscii(replacedName(p.filename().string()));
    // The journal and the fixed temporary names earlier versions left behind.
    for (const char* suffix : {"-JOURNAL.TMP", "-JOURNAL", ".TMP"}) {
        if (endsWith(name, suffix)) {
            name.resize(name.size() - std::string(suffix).size());
            break;
        }
    }
    const std::filesystem::path base(name);
    return base.stem().string() == upperStem && isFamilyExtension(base.extension().string());
}

} // namespace engine
