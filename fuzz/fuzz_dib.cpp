// libFuzzer target: the DIB object's load, pixel commands and save on arbitrary bytes.
#include <cstdlib>

#include "fuzz/dib_fuzz_body.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!bitmap::fuzzing::FuzzDib(data, size)) std::abort();
    return 0;
}
