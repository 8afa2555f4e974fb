#pragma once
// One referential-integrity link between two tables, as one of them stores it in its
// NAME.VAL. Seen from the child, `table` is the parent; seen from the parent, the
// child. Fields are 0-based positions, with their names when the table holding them
// could be read ("" otherwise).

#include <string>
#include <vector>

namespace engine {

struct TableLink {
    std::string name;             // the link's name (not unique across tables)
    std::string table;            // the other table's file name as stored, UTF-8
    std::string file;             // that table found beside this one; "" when missing
    std::vector<int> fields;      // the child's foreign-key fields
    std::vector<int> tableFields; // the parent's key fields, in the same order
    std::vector<std::string> fieldNames;
    std::vector<std::string> tableFieldNames;
    bool cascade = false; // a change of the parent's key is copied to the children;
                          // otherwise it is refused while children exist
};

} // namespace engine
