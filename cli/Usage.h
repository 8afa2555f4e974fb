#pragma once
// The texts korvanta-cli prints about itself: the overview of every command,
// one command's help, the version line, and the hint after a usage error.

#include "cli/Command.h"

#include <iosfwd>
#include <span>

namespace cli {

class Usage {
public:
    explicit Usage(std::span<const Command> commands) : m_commands(commands) {}

    void printOverview(std::ostream& out) const;
    void printCommand(std::ostream& out, const Command& command) const;
    static void printVersion(std::ostream& out);
    // One line on stderr after a wrong command line, as other tools do.
    static void printTryHelp(std::ostream& err);
    // The command named `name`, or nullptr.
    const Command* find(const std::string& name) const;

private:
    static void printExitStatus(std::ostream& out);
    std::span<const Command> m_commands;
};

} // namespace cli
