// korvanta-cli report: the command runs in korvanta-report, a program of its own,
// because drawing the pages needs Qt Gui and Widgets and loading them would slow
// the start of every other command. korvanta-cli replaces itself with it, so the
// exit status, the output and the signals are the report program's own.

#include "cli/Command.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <ostream>

namespace cli {

namespace {

const char* const kReportProgram = "korvanta-report";

// Beside korvanta-cli in the build tree; in the installed libexec folder otherwise.
std::filesystem::path reportProgram() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return {};
    const std::filesystem::path folder = self.parent_path();
    for (const std::filesystem::path& candidate :
         {folder / kReportProgram, folder / KV_REPORT_FROM_BINDIR / kReportProgram}) {
        if (std::filesystem::is_regular_file(candidate, error))
            return candidate.lexically_normal();
    }
    return {};
}

} // namespace

int runReport(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const std::filesystem::path program = reportProgram();
    if (program.empty()) {
        err << "korvanta-cli report: the report program " << kReportProgram
            << " is not installed\n";
        return kExitFailed;
    }
    std::vector<char*> argv;
    std::string name = program.string();
    argv.push_back(name.data());
    std::vector<std::string> copies(args);
    for (std::string& arg : copies)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    out.flush();
    ::execv(name.c_str(), argv.data());
    err << "korvanta-cli report: cannot start " << name << ": " << std::strerror(errno) << '\n';
    return kExitFailed;
}

} // namespace cli
