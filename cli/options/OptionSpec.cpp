#include "cli/options/OptionSpec.h"

#include <algorithm>

namespace cli {

namespace {

std::string dashed(const std::string& name) {
    return (name.size() == 1 ? "-" : "--") + name;
}

} // namespace

std::string OptionSpec::spelled() const {
    std::string text;
    for (const std::string& name : names)
        text += (text.empty() ? "" : ", ") + dashed(name);
    if (takesValue())
        text += std::string(" ") + valueName;
    return text;
}

std::string OptionSpec::firstName() const {
    return dashed(names.front());
}

bool OptionSpec::isNamed(const std::string& option) const {
    return std::any_of(names.begin(), names.end(),
                       [&](const std::string& name) { return dashed(name) == option; });
}

} // namespace cli
