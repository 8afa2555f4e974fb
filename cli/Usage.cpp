#include "cli/Usage.h"

#include "cli/CommandHelp.h"

#include <algorithm>
#include <ostream>

#ifndef KV_VERSION
#define KV_VERSION "unknown"
#endif

namespace cli {

void Usage::printOverview(std::ostream& out) const {
    out << "Usage: korvanta-cli COMMAND [OPTIONS] ARGS...\n"
           "       korvanta-cli help COMMAND\n"
           "Reads Paradox tables and keeps Korvanta data dictionaries without the windows.\n"
           "\nCommands:\n";
    for (const auto& c : m_commands)
        out << "  " << c.name << ' ' << c.synopsis << "\n      " << c.summary << '\n';
    out << "\nOptions:\n"
           "  -h, --help    show this help and exit\n"
           "  --version     show the version and exit\n"
           "\n'korvanta-cli COMMAND --help' describes one command.\n";
    printExitStatus(out);
}

void Usage::printCommand(std::ostream& out, const Command& command) const {
    out << "Usage: korvanta-cli " << command.name << ' ' << command.synopsis << '\n';
    const std::string description = commandDescription(command.name);
    out << (description.empty() ? std::string(command.summary) + "\n" : description);
    out << "\nOptions:\n"
        << commandOptionsHelp(command.name)
        << "  -h, --help    show this help and exit\n"
           "  --            end of options: what follows are file names\n";
    printExitStatus(out);
}

void Usage::printExitStatus(std::ostream& out) {
    out << "\nExit status:\n"
           "  0  done\n"
           "  1  some input was refused, unreadable or damaged (what could be read is\n"
           "     still printed), or a write failed\n"
           "  2  wrong command line\n";
}

void Usage::printVersion(std::ostream& out) {
    out << "korvanta-cli " KV_VERSION "\n";
}

void Usage::printTryHelp(std::ostream& err) {
    err << "Try 'korvanta-cli --help' for more information.\n";
}

const Command* Usage::find(const std::string& name) const {
    auto it = std::find_if(m_commands.begin(), m_commands.end(),
                           [&](const Command& c) { return name == c.name; });
    return it == m_commands.end() ? nullptr : &*it;
}

} // namespace cli
