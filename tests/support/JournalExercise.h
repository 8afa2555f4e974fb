#pragma once
// The harness of the journal fuzz target and of its replay test: a table family
// and a rollback journal (a packed family, PackedFamily.h, whose "JNL" file is the
// journal) are put in memory beside a file that is no one's, and the journal is
// recovered as an open would. Whatever the journal says, nothing outside the
// table's family may change, no family file may grow, and a journal left in
// place must be left as it was.

#include <cstddef>
#include <cstdint>
#include <string>

namespace testsupport {

struct JournalOutcome {
    bool applied = false;  // the journal was taken as the table's own and removed
    bool harmless = true;  // every invariant above held
    std::string message;   // the notice or the engine's error, if any
    std::string violation; // what broke an invariant
};

JournalOutcome exerciseJournal(const uint8_t* data, size_t size);

} // namespace testsupport
