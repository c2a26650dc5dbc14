// libFuzzer target: GifMaker AddFrame on arbitrary bytes (both reduction methods), SaveGif.
#include <cstdlib>

#include "fuzz/maker_fuzz_body.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!gif::fuzzing::FuzzMaker(data, size)) std::abort();
    return 0;
}
