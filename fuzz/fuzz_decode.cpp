// libFuzzer target: the picture decoder on arbitrary bytes, and the BMP of what it decoded.
#include <cstdlib>

#include "fuzz/decode_fuzz_body.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!bitmap::fuzzing::FuzzDecode(data, size)) std::abort();
    return 0;
}
