// korvanta-cli: reads Paradox tables without the windows.
// Usage: korvanta-cli COMMAND [OPTIONS] ARGS...; --help lists the commands.

#include "cli/Command.h"
#include "cli/StandardOutput.h"
#include "cli/VisibleText.h"
#include "cli/options/CommandTable.h"
#include "cli/options/HelpWriter.h"
#include "cli/options/OptionParser.h"
#include "cli/options/ReferenceWriter.h"

#include <cstring>
#include <iostream>
#include <string>
#include <vector>

namespace {

using cli::Message;

// Each command of the table (cli/options/CommandTable.cpp) and the function that
// runs it. A new command is its declaration there, its file, and one line here.
const std::pair<const char*, cli::RunCommand> kRunners[] = {
    {"info", cli::runInfo},       {"rows", cli::runRows},   {"code", cli::runCode},
    {"capture", cli::runCapture}, {"list", cli::runList},   {"ddl", cli::runDdl},
    {"export", cli::runExport},   {"check", cli::runCheck}, {"doc", cli::runDoc},
    {"verify", cli::runVerify},
};

cli::RunCommand runnerOf(const std::string& name) {
    for (const auto& [command, run] : kRunners)
        if (name == command)
            return run;
    return nullptr;
}

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
    std::cerr << "korvanta-cli" << (Message::inFrench() ? " : " : ": ") << message << '\n';
    cli::HelpWriter::printTryHelp(std::cerr);
    return cli::kExitUsage;
}

int unknownCommand(const std::string& name) {
    return usageError(
        Message{"unknown command '%1'", "commande « %1 » inconnue"}.with({cli::visibleText(name)}));
}

// "help" alone is the overview; "help COMMAND" is that command's help.
int runHelp(const std::vector<std::string>& args, std::ostream& out) {
    if (args.size() < 2) {
        cli::HelpWriter::printOverview(out);
        return cli::kExitOk;
    }
    const cli::CommandSpec* command = cli::findCommand(args[1]);
    if (!command)
        return unknownCommand(args[1]);
    cli::HelpWriter::printCommand(out, *command);
    return cli::kExitOk;
}

// The build's hidden entry: the files written from the command table.
int generate(const std::vector<std::string>& args, std::ostream& out) {
    const std::string what = args.size() == 2 ? args[1] : std::string();
    if (what == "bash-completion")
        cli::ReferenceWriter::writeBashCompletion(out);
    else if (what == "man-options")
        cli::ReferenceWriter::writeManOptions(out);
    else
        return usageError("--generate bash-completion|man-options");
    return cli::kExitOk;
}

int runCommand(const cli::CommandSpec& command, const std::vector<std::string>& rest,
               std::ostream& out) {
    if (asksForHelp(rest)) {
        cli::HelpWriter::printCommand(out, command);
        return cli::kExitOk;
    }
    const auto parsed = cli::OptionParser(command, "korvanta-cli").parse(rest, std::cerr);
    if (!parsed)
        return cli::kExitUsage;
    // Drawing needs another program: it gets the arguments once they are known good.
    if (std::strcmp(command.name, "report") == 0)
        return cli::runReport(rest, out, std::cerr);
    const cli::RunCommand run = runnerOf(command.name);
    return run ? run(*parsed, out, std::cerr) : unknownCommand(command.name);
}

// What the command line asks, written to `out`; the status before output is checked.
int dispatch(const std::vector<std::string>& args, std::ostream& out) {
    if (args.empty())
        return usageError(Message{"no command given", "aucune commande donnée"}.text());
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help")
        return runHelp(args, out);
    if (args[0] == "--version") {
        cli::HelpWriter::printVersion(out);
        return cli::kExitOk;
    }
    if (args[0] == "--generate")
        return generate(args, out);
    const cli::CommandSpec* command = cli::findCommand(args[0]);
    if (!command)
        return unknownCommand(args[0]);
    return runCommand(*command, {args.begin() + 1, args.end()}, out);
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
