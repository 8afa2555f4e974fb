// libFuzzer target for the writing side: one table family per input (see
// tests/support/PackedFamily.h), opened from memory, then a row inserted, one
// updated, one deleted, the index files written back and the result read again.

#include "tests/support/FamilyExercise.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    (void)testsupport::exerciseWrites(testsupport::unpackFamily(data, size));
    return 0;
}
