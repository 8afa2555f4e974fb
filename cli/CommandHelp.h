#pragma once
// The longer help of each korvanta-cli command: what its options do. Kept apart
// from the command table so that a new command needs no help text to build;
// one without an entry shows its summary alone.

#include <string>

namespace cli {

// The option lines of the command named `name` (each "  OPTION  meaning\n"),
// empty when the command takes no options of its own.
std::string commandOptionsHelp(const std::string& name);
// What the command does, in a few lines; empty when nothing beyond the summary.
std::string commandDescription(const std::string& name);

} // namespace cli
