// Scaling a picture down by area averaging: every output pixel is the mean of the source area
// it covers, so text stays legible and a HiDPI screen records at its logical size.
#pragma once

#include <cstdint>

#include "bitmap/picture_codec.h"
#include "gif/intake/colour_reduction.h"

namespace gif {

// The size a picture of `width` x `height` takes at `targetWidth` (when not 0) or else at
// `percent` of its size; never larger than it is, never below 1 x 1.
struct ScaledSize {
    uint32_t width, height;
};
ScaledSize ScaledSizeOf(uint32_t width, uint32_t height, uint32_t targetWidth, uint32_t percent);

// `picture` at `width` x `height` (each no larger than the picture's) into `out`.
// Throws std::bad_alloc.
void ScaleDown(const PixelView& picture, uint32_t width, uint32_t height, bitmap::Image24& out);

}  // namespace gif
