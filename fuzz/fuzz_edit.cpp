// libFuzzer target: the streaming trim, cut and speed edits.
#include "fuzz/edit_fuzz_body.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    gif::fuzzing::FuzzEdit(data, size);
    return 0;
}
