// libFuzzer entry: FUZZ_ENTRY names the harness function this program runs.
#include "fuzzharness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    return FUZZ_ENTRY(data, size);
}
