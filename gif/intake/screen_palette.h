// The colours a recording of a screen shows. The first picture's palette becomes the file's
// global table and stays; a later changed area is shown through it when it has every colour
// the area needs (or one close enough at the chosen quality), and otherwise through a table of
// the area's own changed colours: exact when they are at most a table's worth.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "gif/intake/colour_histogram.h"
#include "gif/intake/quantiser.h"

namespace gif {

// A rectangle of 0xRRGGBB pixels, rows top first.
struct ColourRect {
    const uint32_t* pixels = nullptr;
    size_t stride = 0;  // pixels from one row to the next
    const uint32_t* Row(uint32_t y) const { return pixels + stride * y; }
};

struct MutableColourRect {
    uint32_t* pixels = nullptr;
    size_t stride = 0;
    uint32_t* Row(uint32_t y) const { return pixels + stride * y; }
};

class ScreenPalette {
  public:
    // `quality` 1 ... 100: how far a colour may be moved to a table entry.
    explicit ScreenPalette(int quality);

    // Fills `out` (w x h, rows top first) with what each pixel of `now` is to show: a pixel
    // equal in `before` (when given) keeps `shown`, what the file shows there; every other
    // pixel becomes a colour of the global table or of the area's own table.
    // `out` may be `before` itself: each pixel is read there before it is written.
    void Map(ColourRect now, const ColourRect* before, ColourRect shown, uint32_t w, uint32_t h,
             MutableColourRect out);

    // The largest weighted squared distance a colour may be moved to a global entry.
    static uint32_t Tolerance(int quality);

  private:
    void CountChanged(ColourRect now, const ColourRect* before, uint32_t w, uint32_t h);
    bool GlobalServes(std::span<const CountedColour> colours, uint32_t tolerance);

    uint32_t tolerance_;
    bool lossless_;
    bool haveGlobal_ = false;
    PaletteMatcher global_;
    PaletteMatcher local_;
    ColourCounts changed_;
    bool unchanged_ = false;  // some pixel of the area stays as it is
};

}  // namespace gif
