// Decodes arbitrary bytes as a picture and encodes what comes out as a BMP, which must decode
// to the same pixels.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "bitmap/picture_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Small limits keep each run quick; the checks that use them are the same at any size.
    const bitmap::DecodeLimits limits{4096, 16u << 20};
    bitmap::Image24 image;
    if (bitmap::DecodePicture({data, size}, image, limits) != bitmap::DecodeStatus::Ok) {
        if (!image.pixels.empty()) abort();
        return 0;
    }
    if (image.pixels.size() != image.Stride() * image.height) abort();
    const auto bmp = bitmap::EncodeBmp24(image);
    bitmap::Image24 again;
    if (bitmap::DecodePicture(bmp, again) != bitmap::DecodeStatus::Ok ||
        again.pixels != image.pixels)
        abort();
    return 0;
}
