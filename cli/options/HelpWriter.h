#pragma once
// The texts korvanta-cli prints about itself, written from the command table: the
// overview of every command, one command's help, the version line, and the hint
// after a usage error. In the locale's language.

#include "cli/options/CommandSpec.h"

#include <iosfwd>

namespace cli {

class HelpWriter {
public:
    static void printOverview(std::ostream& out);
    static void printCommand(std::ostream& out, const CommandSpec& command);
    static void printVersion(std::ostream& out);
    // One line on stderr after a wrong command line, as other tools do.
    static void printTryHelp(std::ostream& err);

private:
    static void printOptions(std::ostream& out, const CommandSpec& command);
    static void printExitStatus(std::ostream& out, const CommandSpec* command);
};

} // namespace cli
