// korvanta-cli: reads Paradox tables without the windows.
// Usage: korvanta-cli COMMAND [OPTIONS] ARGS...; --help lists the commands.

#include "cli/Command.h"
#include "cli/StandardOutput.h"
#include "cli/Usage.h"

#include <cstring>
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
    {"code", "(TABLE.db... | DICT.db [TABLE...]) [-o FILE]",
     "table-creation code of each table, lines ended by CR LF", cli::runCode},
    {"capture", "DICT.db TABLE.db... [--create] [--code FILE]",
     "captures each table into a dictionary, as the add command does", cli::runCapture},
    {"list", "[--json] DICT.db", "every row of a dictionary in number order", cli::runList},
    {"report", "DICT.db -o FILE.pdf [--lang fr|en]",
     "the printed dictionary as a PDF file, as the print command lays it out", cli::runReport},
    {"ddl",
     "--dialect sqlite|postgresql (DICT.db | [--rename-clashes] [--dictionary DICT.db] "
     "TABLE.db...)",
     "SQL statements that create the tables", cli::runDdl},
    {"export",
     "(--sqlite OUT.db | --postgresql OUT.sql | --csv DIR) [--rename-clashes] [--replace] "
     "[--data-only | --schema-only] [--dictionary DICT.db] [--code-page N] TABLE.db...",
     "every row of each table into SQLite or a PostgreSQL COPY script", cli::runExport},
    {"check", "[--json] DICT.db (DIR | TABLE.db...)",
     "differences between a dictionary and the tables as they are now", cli::runCheck},
    {"doc", "DICT.db -o FILE.html|FILE.md", "the dictionary as an HTML or Markdown document",
     cli::runDoc},
    {"verify", "TABLE.db...", "whether each table's files are whole: exit 1 naming the damage",
     cli::runVerify},
};

// True when the command's own arguments ask for its help ("--" ends the options).
bool asksForHelp(const std::vector<std::string>& rest) {
    for (const auto& a : rest) {
        if (a == "--")
            return false;
        if (a == "--help" || a == "-h")
            return true;
    }
    return false;
}

int usageError(const std::string& message) {
    std::cerr << "korvanta-cli: " << message << '\n';
    cli::Usage::printTryHelp(std::cerr);
    return cli::kExitUsage;
}

// "help" alone is the overview; "help COMMAND" is that command's help.
int runHelp(const cli::Usage& usage, const std::vector<std::string>& args, std::ostream& out) {
    if (args.size() < 2) {
        usage.printOverview(out);
        return cli::kExitOk;
    }
    const cli::Command* command = usage.find(args[1]);
    if (!command)
        return usageError("unknown command '" + args[1] + "'");
    usage.printCommand(out, *command);
    return cli::kExitOk;
}

// What the command line asks, written to `out`; the status before output is checked.
int dispatch(const std::vector<std::string>& args, std::ostream& out) {
    const cli::Usage usage(kCommands);
    if (args.empty())
        return usageError("no command given");
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help")
        return runHelp(usage, args, out);
    if (args[0] == "--version") {
        cli::Usage::printVersion(out);
        return cli::kExitOk;
    }
    const cli::Command* command = usage.find(args[0]);
    if (!command)
        return usageError("unknown command '" + args[0] + "'");
    std::vector<std::string> rest(args.begin() + 1, args.end());
    if (asksForHelp(rest)) {
        usage.printCommand(out, *command);
        return cli::kExitOk;
    }
    return command->run(rest, out, std::cerr);
}

} // namespace

// Every command's output goes through one checked buffer: a listing cut short by a
// full disk or a failing device is said so, whatever the command.
int main(int argc, char** argv) {
    cli::StandardOutput standardOutput;
    std::ostream out(&standardOutput);
    int status = dispatch(std::vector<std::string>(argv + 1, argv + argc), out);
    if (!standardOutput.finish()) {
        std::cerr << "korvanta-cli: standard output: " << std::strerror(standardOutput.failure())
                  << '\n';
        status = cli::kExitFailed;
    }
    return status;
}
