#pragma once
// What the build and the package take from the command table rather than from a
// hand-kept copy: the OPTIONS section of the manual page and the bash completion
// file. korvanta-cli writes them when run with the hidden --generate option; a test
// holds the shipped manual page to the generated section.

#include <iosfwd>

namespace cli {

class ReferenceWriter {
public:
    // The manual page's OPTIONS section, from ".SH OPTIONS" to its last line.
    static void writeManOptions(std::ostream& out);
    // A bash completion script for korvanta-cli.
    static void writeBashCompletion(std::ostream& out);
};

} // namespace cli
