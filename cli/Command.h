#pragma once
// What every korvanta-cli command looks like to the dispatcher in main.cpp.

#include <iosfwd>
#include <string>
#include <vector>

namespace cli {

// Exit statuses shared by all commands.
enum ExitStatus : int {
    kExitOk = 0,
    kExitFailed = 1, // a table (or another input) could not be read or written
    kExitUsage = 2,  // the command line itself is wrong
};

struct Command {
    const char* name;     // first word on the command line
    const char* synopsis; // arguments, shown by --help
    const char* summary;  // one line, shown by --help
    int (*run)(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
};

// Splits "--json" style options from operands. Returns false (after writing the
// reason to err) on an option not in `known`. "--" ends the options.
bool splitOptions(const std::vector<std::string>& args, const std::vector<std::string>& known,
                  std::vector<std::string>& options, std::vector<std::string>& operands,
                  std::ostream& err);

// The commands, each defined in its own file.
int runInfo(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int runRows(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int runCode(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int runCapture(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int runList(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int runReport(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int runDdl(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int runExport(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int runCheck(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int runDoc(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int runVerify(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace cli
