#pragma once
// One difference between what a dictionary recorded of a table and the table now.

#include <string>

namespace cli {

struct Drift {
    std::string table;  // the name the dictionary records (or would record)
    std::string change; // tableAdded, tableMissing, fieldAdded, fieldRemoved, fieldRetyped,
                        // fieldResized, indexAdded, indexRemoved, indexChanged
    std::string name;   // the field or index concerned; empty for a whole table
    std::string was;    // as recorded
    std::string now;    // as the table is now
};

} // namespace cli
