// korvanta-cli: reads Paradox tables without the windows.
// Usage: korvanta-cli COMMAND [OPTIONS] ARGS...; --help lists the commands.

#include "cli/Command.h"

#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

namespace {

// The command table. A new command is one file defining its run function plus one
// line here.
const cli::Command kCommands[] = {
    {"info", "[--json] TABLE.db...",
     "structure of each table: level, code page, sort order, rows, fields, indexes", cli::runInfo},
    {"rows", "[--json] TABLE.db", "every row of a table in the order its blocks chain them",
     cli::runRows},
    {"code", "TABLE.db... [-o FILE]", "table-creation code of each table, lines ended by CR LF",
     cli::runCode},
    {"capture", "DICT.db TABLE.db... [--create] [--code FILE]",
     "captures each table into a dictionary, as the add command does", cli::runCapture},
    {"list", "[--json] DICT.db", "every row of a dictionary in number order", cli::runList},
    {"report", "DICT.db -o FILE.pdf [--lang fr|en]",
     "the printed dictionary as a PDF file, as the print command lays it out", cli::runReport},
};

void printUsage(std::ostream& out) {
    out << "Usage: korvanta-cli COMMAND [OPTIONS] ARGS...\n\nCommands:\n";
    for (const auto& c : kCommands)
        out << "  " << c.name << ' ' << c.synopsis << "\n      " << c.summary << '\n';
    out << "\nOptions:\n  --help    show this text\n"
           "\nExit status: 0 success, 1 a table could not be read, 2 wrong command line.\n";
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        printUsage(std::cerr);
        return cli::kExitUsage;
    }
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        printUsage(std::cout);
        return cli::kExitOk;
    }
    auto it = std::find_if(std::begin(kCommands), std::end(kCommands),
                           [&](const cli::Command& c) { return args[0] == c.name; });
    if (it == std::end(kCommands)) {
        std::cerr << "korvanta-cli: unknown command '" << args[0] << "'\n";
        printUsage(std::cerr);
        return cli::kExitUsage;
    }
    std::vector<std::string> rest(args.begin() + 1, args.end());
    if (std::find(rest.begin(), rest.end(), "--help") != rest.end()) {
        std::cout << "Usage: korvanta-cli " << it->name << ' ' << it->synopsis << "\n  "
                  << it->summary << '\n';
        return cli::kExitOk;
    }
    return it->run(rest, std::cout, std::cerr);
}
