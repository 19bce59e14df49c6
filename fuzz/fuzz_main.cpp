// One libFuzzer target: ORV_FUZZ_ENTRY names its entry point.
#include <cstddef>
#include <cstdint>

#include "fuzz_entries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    orvfuzz::ORV_FUZZ_ENTRY(data, size);
    return 0;
}
