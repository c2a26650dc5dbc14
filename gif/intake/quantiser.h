// Palettes for screen pictures: the flat colours of a screen (page and window backgrounds,
// terminal colours, white) are kept exactly; the rest (anti-aliased edges, photos, gradients)
// is cut by variance-minimising median cut over the distinct colours, weighted by pixel count.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "gif/base/colour_math.h"
#include "gif/intake/colour_histogram.h"

namespace gif {

class PaletteMatcher;

// At most `maxColours` (1 ... 256) entries for `colours`: all of them when they fit. A colour
// that covers a noticeable share of the pixels is an entry of its own, unchanged.
std::vector<uint32_t> QuantiseColours(std::span<const CountedColour> colours, int maxColours);
// The same, refining the entries with `scratch`, which is left reset to some other palette:
// a caller about to reset a matcher anyway saves the allocation of another.
std::vector<uint32_t> QuantiseColours(std::span<const CountedColour> colours, int maxColours,
                                      PaletteMatcher& scratch);

// The nearest entry of a palette for any colour. An entry's own colour always finds it; other
// colours are remembered per cell of 4 x 4 x 4 levels: the first colour met in a cell
// answers for the cell, at most 3 levels a channel from the exact answer.
class PaletteMatcher {
  public:
    void Reset(std::span<const uint32_t> palette);
    // The index of the nearest entry (the lowest on a tie of the same distance).
    int Nearest(uint32_t colour);
    uint32_t Entry(int index) const { return palette_[size_t(index)]; }
    size_t Size() const { return palette_.size(); }

  private:
    int Search(uint32_t colour) const;

    std::vector<uint32_t> palette_;
    // The entries sorted by green: their indices, and their channels apart for the search.
    std::vector<uint8_t> byGreen_;
    std::vector<int32_t> reds_, greens_, blues_;
    ColourCache exact_;                // entry colour -> index
    std::vector<uint32_t> cellStamp_;  // per cell: the palette it was answered for
    std::vector<uint8_t> cellIndex_;
    uint32_t stamp_ = 0;
};

}  // namespace gif
