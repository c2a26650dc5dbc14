// The picture decoder's fuzz body, shared by the libFuzzer target and the test that replays the
// seeds and regressions: decode arbitrary bytes with the limits the programs use, then encode
// what comes out as a BMP, which must decode to the same pixels.
#pragma once

#include <cstddef>
#include <cstdint>

#include "bitmap/picture_codec.h"

namespace bitmap::fuzzing {

// Returns false when an invariant breaks: a refused input that leaves pixels behind, pixels that
// disagree with the size, or a BMP of the picture that decodes to other pixels.
inline bool FuzzDecode(const uint8_t* data, size_t size) {
    // The production limits, so that a header whose claim costs more than they allow before it
    // is refused shows up as the fuzzer's out-of-memory or time-out.
    Image24 image;
    if (DecodePicture({data, size}, image) != DecodeStatus::Ok) return image.pixels.empty();
    if (image.pixels.size() != image.Stride() * image.height) return false;
    // A few bytes can describe hundreds of megabytes of pixels; copying such a picture twice
    // more would exceed the fuzzer's memory and tell nothing new.
    if (uint64_t{image.width} * image.height > (uint64_t{1} << 24)) return true;
    const auto bmp = EncodeBmp24(image);
    Image24 again;
    return DecodePicture(bmp, again) == DecodeStatus::Ok && again.pixels == image.pixels;
}

}  // namespace bitmap::fuzzing
