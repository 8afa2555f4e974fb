// libFuzzer target: one table family and a rollback journal per input (see
// tests/support/JournalExercise.h), the journal recovered as an open would. Any
// change outside the family, a family file grown or a journal left but altered
// is a finding.

#include "tests/support/JournalExercise.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const testsupport::JournalOutcome out = testsupport::exerciseJournal(data, size);
    if (!out.harmless) {
        std::fprintf(stderr, "journal recovery did harm: %s\n", out.violation.c_str());
        std::abort();
    }
    return 0;
}
