#pragma once
// What the commands that copy rows out (rows, export) tell when the copy is not
// faithful: text that did not decode in the page it was read in, and memo and BLOB
// values left NULL because the table's .MB file is missing. The rows still go out;
// the user learns, per table, what to distrust in them and exits with status 1.

#include "cli/TextDecodeCheck.h"

#include <cstdint>
#include <iosfwd>
#include <string>

namespace cli {

struct ReadingLoss {
    TextDecodeCheck::Result text;
    int textCodePage = 0;
    uint64_t blobValuesLost = 0;

    bool any() const { return !text.clean() || blobValuesLost > 0; }
    // One line on err per kind of loss, naming the table. True when anything was lost.
    bool report(const std::string& tablePath, std::ostream& err) const;
};

} // namespace cli
