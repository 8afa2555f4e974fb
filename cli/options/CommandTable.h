#pragma once
// Every korvanta-cli command's declaration, in the order the help lists them.
// korvanta-cli and korvanta-report read the same table.
//
// A new command: one entry in CommandTable.cpp (name, synopsis, texts, options,
// operand count), its run function in its own file, and one line binding the two
// in cli/main.cpp. The help, the man page's option list and the completion file
// follow from the entry.

#include "cli/options/CommandSpec.h"

#include <span>
#include <string>

namespace cli {

std::span<const CommandSpec> commandTable();
// The command named `name`, or nullptr.
const CommandSpec* findCommand(const std::string& name);

} // namespace cli
