// libFuzzer target: a table header and its NAME.VAL (see
// tests/support/ValidityExercise.h). Whatever the bytes, the reader ends with rules
// or with a problem reported, and never keeps a rule it could not tie to the table.

#include "tests/support/ValidityExercise.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const testsupport::ValidityOutcome out = testsupport::exerciseValidity(data, size);
    const auto& r = out.rules;
    const bool rules = !r.checks.empty() || !r.references.empty() || !r.dependents.empty();
    if (r.stale && rules) {
        std::fprintf(stderr, "a stale file kept its rules\n");
        std::abort();
    }
    return 0;
}
