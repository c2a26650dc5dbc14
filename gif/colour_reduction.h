// Reduction of a 24-bit picture to 256 colours: the popularity palette or the ordered dither
// over a fixed colour cube. Both fill an IndexedImage whose size and rows are already set up.
#pragma once

#include "bitmap/picture_codec.h"
#include "gif/gif_maker.h"

namespace gif {

// The 256 most frequent colours at 4 bits per channel; other colours take their nearest entry.
void ReducePopularity(const bitmap::Image24& picture, IndexedImage& image);

// The 216-colour cube with an 8x8 threshold matrix anchored at the bottom-left pixel.
void ReduceOrderedDither(const bitmap::Image24& picture, IndexedImage& image);

}  // namespace gif
