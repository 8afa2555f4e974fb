#pragma once
// What a table's NAME.VAL says: each field's checks, the links in which the table is
// the child (references) and those in which it is the parent (dependents), and what
// could not be trusted. A stale or damaged file gives no rule, only its problem.

#include "engine/FieldCheck.h"
#include "engine/TableLink.h"

#include <string>
#include <vector>

namespace engine {

struct ValidityRules {
    bool present = false; // a NAME.VAL was found beside the table
    bool stale = false;   // it was written for another structure of the table
    std::vector<FieldCheck> checks;
    std::vector<TableLink> references;
    std::vector<TableLink> dependents; // `fields` are the child's, `tableFields` this table's
    std::vector<std::string> problems; // French, one per line

    const FieldCheck* checkOf(int field) const {
        for (const FieldCheck& c : checks)
            if (c.field == field)
                return &c;
        return nullptr;
    }
};

} // namespace engine
