#pragma once
// The report command's body, run by the korvanta-report program.

#include <iosfwd>
#include <string>
#include <vector>

namespace cli {

// Writes the dictionary report of args (DICT.db -o FILE.pdf [--lang fr|en]) as PDF.
int writeReport(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace cli
