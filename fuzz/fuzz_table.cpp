// libFuzzer target: one table family per input (see FuzzInput.h), opened from
// memory, every row read, every index walked.

#include "fuzz/FuzzHarness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    (void)fuzzsupport::exerciseInput(data, size);
    return 0;
}
