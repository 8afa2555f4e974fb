#include "cli/options/ParsedArguments.h"

namespace cli {

std::string ParsedArguments::value(const std::string& option) const {
    auto it = m_values.find(option);
    return it == m_values.end() ? std::string() : it->second;
}

} // namespace cli
