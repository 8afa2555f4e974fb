#pragma once
// What every korvanta-cli command looks like to the dispatcher in main.cpp. Each
// command's options and operands are declared in cli/options/CommandTable.cpp;
// its run function receives them parsed and checked.

#include "cli/options/ExitStatus.h"
#include "cli/options/ParsedArguments.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace cli {

using RunCommand = int (*)(const ParsedArguments& args, std::ostream& out, std::ostream& err);

// The commands, each defined in its own file.
int runInfo(const ParsedArguments& args, std::ostream& out, std::ostream& err);
int runRows(const ParsedArguments& args, std::ostream& out, std::ostream& err);
int runCode(const ParsedArguments& args, std::ostream& out, std::ostream& err);
int runCapture(const ParsedArguments& args, std::ostream& out, std::ostream& err);
int runList(const ParsedArguments& args, std::ostream& out, std::ostream& err);
int runDdl(const ParsedArguments& args, std::ostream& out, std::ostream& err);
int runExport(const ParsedArguments& args, std::ostream& out, std::ostream& err);
int runCheck(const ParsedArguments& args, std::ostream& out, std::ostream& err);
int runDoc(const ParsedArguments& args, std::ostream& out, std::ostream& err);
int runVerify(const ParsedArguments& args, std::ostream& out, std::ostream& err);
// Starts korvanta-report with the arguments as given, once they have been checked.
int runReport(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace cli
