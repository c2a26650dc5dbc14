// Reduction of a 24- or 32-bit picture to 256 colours: the popularity palette, the ordered
// dither over a fixed colour cube, or the picture's own colours. Each fills an IndexedImage whose
// size and rows are already set up.
#pragma once

#include <cstddef>
#include <cstdint>

#include "bitmap/picture_codec.h"
#include "gif/base/indexed_frame.h"

namespace gif {

// Pixels the reductions read in place: rows bottom-up, each pixel blue, green, red and, with 4
// bytes per pixel, a fourth byte that is ignored. Lets a 32-bit BMP's rows be read where they lie.
struct PixelView {
    uint32_t width = 0;
    uint32_t height = 0;
    size_t stride = 0;           // bytes from one row to the next one up
    uint32_t bytesPerPixel = 3;  // 3 or 4
    const uint8_t* bottomRow = nullptr;

    const uint8_t* Row(uint32_t y) const { return bottomRow + stride * y; }
};

PixelView ViewOf(const bitmap::Image24& picture);

// The 256 most frequent colours at 4 bits per channel; other colours take their nearest entry.
void ReducePopularity(const PixelView& picture, IndexedImage& image);

// The 216-colour cube with an 8x8 threshold matrix anchored at the bottom-left pixel.
void ReduceOrderedDither(const PixelView& picture, IndexedImage& image);

// A picture of at most 256 distinct colours keeps them exactly, most frequent first, the rest
// of the table black. Otherwise the 4-bit colours are ranked as by ReducePopularity and each
// entry is the mean of its pixels; other colours take their nearest entry.
// True when the colours were kept exactly.
bool ReduceExact(const PixelView& picture, IndexedImage& image);

// The part of `picture` from column x, row y (counted from the top), w x h pixels.
PixelView SubView(const PixelView& picture, uint32_t x, uint32_t y, uint32_t w, uint32_t h);

inline void ReducePopularity(const bitmap::Image24& picture, IndexedImage& image) {
    ReducePopularity(ViewOf(picture), image);
}
inline void ReduceOrderedDither(const bitmap::Image24& picture, IndexedImage& image) {
    ReduceOrderedDither(ViewOf(picture), image);
}

}  // namespace gif
