#pragma once
// One validity rule of a table as the SQL writers declare it: NOT NULL, a CHECK on a
// bound or a picture, or a FOREIGN KEY (from a referential-integrity link, or from a
// table lookup whose lookup field is that table's key). A rule that cannot be
// declared is written as a comment, with the reason.

#include "engine/Value.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace cli {

struct SqlRule {
    enum class Kind { Required, Minimum, Maximum, Picture, Reference };

    Kind kind = Kind::Required;
    std::vector<int> columns;         // positions in the table's columns
    engine::Value bound;              // Minimum, Maximum
    std::string picture;              // Picture, as stored
    std::optional<std::string> regex; // Picture: its expression, when it has one

    // Reference
    std::string linkName;           // the link's name; "" for a lookup
    std::string otherFile;          // the parent (or lookup) table's file as found beside
    std::string otherName;          // that file's name as stored ("PARENT.DB")
    std::string parentTable;        // its name in the target, once planned
    std::vector<int> parentColumns; // positions in the parent
    std::vector<std::string> parentColumnNames;
    bool cascade = false;  // ON UPDATE CASCADE (else RESTRICT)
    bool lookup = false;   // a lookup: no rule on update
    bool deferred = false; // added at the end with ALTER TABLE: its parent comes later

    std::string commentOnly; // why it is only a comment; "" when declared
    uint64_t brokenRows = 0; // rows breaking it: NOT VALID in PostgreSQL, a comment in SQLite
};

} // namespace cli
