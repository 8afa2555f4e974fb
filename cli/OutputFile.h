#pragma once
// Helpers of the commands that write a text either to standard output or to a file.

#include <QStringList>

#include <iosfwd>
#include <string>
#include <vector>

namespace cli {

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
