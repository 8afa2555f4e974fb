#pragma once
// The validity checks a table keeps for one of its fields (in NAME.VAL): a value
// required, a minimum, a maximum, a default, a picture the text must match, and a
// table whose first field lists the values allowed.

#include "engine/Value.h"

#include <optional>
#include <string>

namespace engine {

struct TableLookup {
    std::string table;                   // file name as stored ("STORE.DB"), UTF-8
    std::string file;                    // the file found beside the table; "" when missing
    bool allCorrespondingFields = false; // fill every field of the same name, not just this one
    bool help = false;                   // the user may browse the lookup table
};

struct FieldCheck {
    int field = -1; // 0-based position of the field in the table
    bool required = false;
    std::optional<Value> minimum;
    std::optional<Value> maximum;
    std::optional<Value> defaultValue;
    std::string picture; // UTF-8; "" when none
    std::optional<TableLookup> lookup;

    // A record whose checks were all removed: old files keep them.
    bool empty() const {
        return !required && !minimum && !maximum && !defaultValue && picture.empty() && !lookup;
    }
};

} // namespace engine
