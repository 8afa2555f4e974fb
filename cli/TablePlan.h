#pragma once
// The tables of one export or ddl run, their structure read before anything is
// written, so that a run that would lose a table to another of the same name in the
// target is refused whole, or, when the user asks, gives the later tables free names
// (Prets, Prets_2, Prets_3 ... in the order the files were given). The same for two
// columns of one table, and for the indexes, which share the tables' names.

#include "cli/RecordedTable.h"
#include "cli/SqlTable.h"
#include "cli/TargetNames.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace cli {

struct PlannedTable {
    std::string path;
    SqlTable schema; // named as in the target
};

class TablePlan {
public:
    // Opens each table for its structure; one that cannot be opened is named on err
    // and left out.
    TablePlan(const std::vector<std::string>& paths, std::ostream& err);

    // False when a table could not be opened.
    bool complete() const { return m_complete; }
    std::vector<PlannedTable>& tables() { return m_tables; }

    // Takes the descriptions a dictionary recorded for these tables (matched by file
    // name, fields by name, letter case aside). Before assignNames.
    void describe(const std::vector<RecordedTable>& dictionary);

    // Gives every table, column and index its name in the target. False, with every
    // clash named on err, when two would share one and renaming was not asked; else
    // each name changed is reported on err ("A/Prets.DB -> Prets_2").
    bool assignNames(TargetNames::Rule rule, bool renameClashes, std::ostream& err);

    // After assignNames: the references whose other table is among these become foreign
    // keys (the others comments), and the tables are put parents first; a reference
    // that closes a cycle is marked to be added at the end.
    void linkTables();

private:
    void linkReference(SqlRule& rule);
    void visit(size_t at, std::vector<int>& state, std::vector<PlannedTable>& ordered);
    bool nameTables(TargetNames& names, bool renameClashes, std::ostream& err);
    bool nameColumns(PlannedTable& table, TargetNames::Rule rule, bool renameClashes,
                     std::ostream& err);
    static void nameIndexes(SqlTable& schema, TargetNames& names);

    std::vector<PlannedTable> m_tables;
    bool m_complete = true;
};

// Reads the dictionary and gives its descriptions to the plan's tables. False, with
// the reason on err, when it cannot be read.
bool describeFrom(const std::string& dictionary, TablePlan& plan, std::ostream& err);

} // namespace cli
