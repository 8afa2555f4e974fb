#include "cli/options/CommandSpec.h"

namespace cli {

const OptionSpec* CommandSpec::option(const std::string& dashed) const {
    for (const OptionSpec& o : options)
        if (o.isNamed(dashed))
            return &o;
    return nullptr;
}

} // namespace cli
