#pragma once
// Reads a command's arguments against its declaration, with the conventions users
// of command-line tools expect: "--opt=value" and "--opt value" ("-o=FILE", "-oFILE"
// and "-o FILE" for a short name), options anywhere among the operands, "--" ending
// the options. A refused command line is said on err, in the locale's language,
// with the command's usage line.

#include "cli/options/CommandSpec.h"
#include "cli/options/ParsedArguments.h"

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace cli {

class OptionParser {
public:
    // `program` names the program in messages ("korvanta-cli").
    OptionParser(const CommandSpec& command, const char* program)
        : m_command(command), m_program(program) {}

    // The parsed arguments; nothing (after saying why on err) when the line is wrong.
    std::optional<ParsedArguments> parse(const std::vector<std::string>& args,
                                         std::ostream& err) const;

private:
    bool checkValues(const ParsedArguments& parsed, std::ostream& err) const;
    bool checkOperands(const ParsedArguments& parsed, std::ostream& err) const;
    void refuse(const std::string& reason, std::ostream& err) const;

    const CommandSpec& m_command;
    const char* m_program;
};

} // namespace cli
