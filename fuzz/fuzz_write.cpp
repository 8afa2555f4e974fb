// libFuzzer target for the writing side: one table family per input (see
// FuzzInput.h), opened from memory, then a row inserted, one updated, one
// deleted, the index files written back and the result read again.

#include "fuzz/FuzzHarness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    (void)fuzzsupport::exerciseWrites(fuzzsupport::unpackInput(data, size));
    return 0;
}
