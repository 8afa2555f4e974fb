#include "cli/CodePageOption.h"

#include "engine/TableFile.h"

#include <charconv>
#include <ostream>

namespace cli {

namespace {

const std::string kOption = "--code-page";

bool parsePage(const std::string& text, int& page) {
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, page);
    return ec == std::errc() && ptr == end && page >= 0 && page <= 65535;
}

} // namespace

bool CodePageOption::take(std::vector<std::string>& args, std::ostream& err) {
    std::vector<std::string> rest;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--") { // operands from here on, even one spelled like the option
            rest.insert(rest.end(), args.begin() + long(i), args.end());
            break;
        }
        std::string value;
        if (a == kOption) {
            if (i + 1 >= args.size()) {
                err << "korvanta-cli: option '--code-page' needs a code page number\n";
                return false;
            }
            value = args[++i];
        } else if (a.rfind(kOption + "=", 0) == 0) {
            value = a.substr(kOption.size() + 1);
        } else {
            rest.push_back(a);
            continue;
        }
        int page = 0;
        if (m_page || !parsePage(value, page)) {
            err << "korvanta-cli: option '--code-page' "
                << (m_page ? "given twice" : "needs a code page number, not '" + value + "'")
                << '\n';
            return false;
        }
        m_page = page;
    }
    args = std::move(rest);
    return true;
}

void CodePageOption::applyTo(engine::TableFile& table) const {
    if (m_page)
        table.useCodePage(*m_page);
}

} // namespace cli
