#pragma once
// An index of a table as the engine reports it.

#include <string>

namespace engine {

enum IndexOption : unsigned {
    ixPrimary = 1,
    ixUnique = 2,
    ixDescending = 4,
    ixCaseInsensitive = 8,
    ixExpression = 16,
};

struct IndexInfo {
    std::string name;   // empty for the primary index; a .Xnn index is named after its field
    std::string fields; // field names joined by ';'
    unsigned options = 0;
    bool maintained = true; // kept up to date on every write (false: rebuilt when used)
    std::string fileName;   // ".PX", "X02", "XG0"... the extension of the file that holds it
};

} // namespace engine
