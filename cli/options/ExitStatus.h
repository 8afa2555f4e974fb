#pragma once
// What korvanta-cli and korvanta-report exit with.

namespace cli {

// Exit statuses shared by all commands.
enum ExitStatus : int {
    kExitOk = 0,
    kExitFailed = 1, // a table (or another input) could not be read or written
    kExitUsage = 2,  // the command line itself is wrong
};

} // namespace cli
