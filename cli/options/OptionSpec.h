#pragma once
// One option of a command as the command table declares it: the help, the man
// page's list and the completion file are all written from these.

#include "cli/options/Message.h"

#include <initializer_list>
#include <string>
#include <vector>

namespace cli {

// What an option's value is: it decides the check the parser makes and what the
// completion offers.
enum class ValueKind {
    None,   // a flag
    File,   // a file name ("-" standing for standard output where the command says so)
    Folder, // a folder name
    Number, // a code page: 0 to 65535
    Choice, // one of `choices`
};

struct OptionSpec {
    std::vector<std::string> names; // without dashes: "o", "output", "json"
    ValueKind kind = ValueKind::None;
    const char* valueName = "";       // "FILE", "N"; shown in the help
    std::vector<std::string> choices; // for ValueKind::Choice, in any letter case
    bool required = false;
    Message help; // may hold several lines

    // "-o, --output FILE" or "--json": the option as the help shows it.
    std::string spelled() const;
    // "-o" or "--json": the first name with its dashes.
    std::string firstName() const;
    bool takesValue() const { return kind != ValueKind::None; }
    bool isNamed(const std::string& dashed) const;
};

} // namespace cli
