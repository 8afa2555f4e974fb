#pragma once
// Compares a dictionary with the tables as they are now: the rows a capture would
// record today against the rows it recorded then, so that both sides speak the
// dictionary's own terms (type names, recorded lengths, index labels).

#include "cli/Drift.h"
#include "cli/RecordedTable.h"

#include <vector>

namespace cli {

class DriftChecker {
public:
    // The differences of one table the dictionary holds and that exists now.
    static std::vector<Drift> compare(const RecordedTable& recorded, const RecordedTable& now);
    // What a capture of the table at `path` would record now. Throws EngineError
    // when the table cannot be read.
    static RecordedTable captureNow(const std::string& path);

private:
    static void compareFields(const RecordedTable& recorded, const RecordedTable& now,
                              std::vector<Drift>& out);
    static void compareIndexes(const RecordedTable& recorded, const RecordedTable& now,
                               std::vector<Drift>& out);
};

} // namespace cli
