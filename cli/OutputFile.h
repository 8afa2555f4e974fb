#pragma once
// Helpers of the commands that take an option with a value (-o FILE, --code FILE)
// and write a text either to standard output or to a file.

#include <QStringList>

#include <iosfwd>
#include <string>
#include <vector>

namespace cli {

// Splits the arguments into operands, flags (from `flags`) and at most one
// option with a value (any of `valueOptions`, followed by its value). Writes the
// reason to err and returns false on an unknown option, a missing value or a
// repeated value option.
bool splitValueOptions(const std::vector<std::string>& args,
                       const std::vector<std::string>& valueOptions,
                       const std::vector<std::string>& flags, std::vector<std::string>& operands,
                       std::string& value, std::ostream& err,
                       std::vector<std::string>* givenFlags = nullptr);

// Writes `text` to `file`, or to `out` when file is empty or "-" (see OutputTarget
// for the other kinds of name). A file is replaced whole or not at all. False (and
// the reason on err) when it cannot be written.
bool writeOutput(const std::string& text, const std::string& file, std::ostream& out,
                 std::ostream& err);

} // namespace cli

namespace cli {

// Writes table-creation code: to a file in the bytes the code window saves
// (capture::CodeFileBytes), to standard output (file empty, "-" or another name of
// it) in UTF-8, the text a terminal shows. Every line ends with CR LF either way.
bool writeCodeOutput(const QStringList& lines, const std::string& file, std::ostream& out,
                     std::ostream& err);

} // namespace cli
