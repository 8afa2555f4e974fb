#pragma once
// One command as the command table declares it: how it is called, what it says
// about itself, the options it takes and how many operands.

#include "cli/options/Message.h"
#include "cli/options/OptionSpec.h"

#include <vector>

namespace cli {

struct CommandSpec {
    const char* name;     // first word on the command line
    const char* synopsis; // arguments, shown by the help and the usage line
    Message summary;      // one line
    Message description;  // a few lines; may be empty
    std::vector<OptionSpec> options;
    size_t minOperands = 1;
    size_t maxOperands = size_t(-1);
    Message operandsWanted;  // said when the operands are too few or too many
    Message exitStatus = {}; // when the command's statuses are not the common ones

    const OptionSpec* option(const std::string& dashed) const;
};

} // namespace cli
