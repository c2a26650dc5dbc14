// libFuzzer target: GifReader load, queries, patches and frame extraction.
#include "fuzz/reader_fuzz_body.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    gif::fuzzing::FuzzReader(data, size);
    return 0;
}
