// libFuzzer target: one table family per input (see tests/support/PackedFamily.h),
// opened from memory, every row read, every index walked.

#include "tests/support/FamilyExercise.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    (void)testsupport::exerciseInput(data, size);
    return 0;
}
