// Distinct 24-bit colours of a picture with their pixel counts, in an open-addressing table
// that keeps its memory from one picture to the next.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace gif {

struct CountedColour {
    uint32_t colour;  // 0xRRGGBB
    uint32_t count;
};

class ColourHistogram {
  public:
    void Clear();
    void Add(uint32_t colour, uint32_t count = 1);
    size_t Size() const { return colours_.size(); }
    uint64_t Total() const { return total_; }
    // In order of first sight.
    const std::vector<CountedColour>& Colours() const { return colours_; }

  private:
    void Grow();

    static constexpr uint32_t kEmpty = 0xFFFFFFFFu;  // never a 24-bit colour
    std::vector<uint32_t> keys_;                     // colour, or kEmpty
    std::vector<uint32_t> slotIndex_;                // index into colours_
    std::vector<CountedColour> colours_;
    uint64_t total_ = 0;
};

// Remembers a colour's answer (a palette index, say) for the colours asked about again.
class ColourCache {
  public:
    static constexpr int kMissing = -1;
    void Clear();
    // Inline: asked once per colour change of a picture's pixels.
    int Find(uint32_t colour) const;
    void Put(uint32_t colour, int value);

  private:
    void Grow();

    static constexpr uint32_t kEmptyKey = 0xFFFFFFFFu;  // never a 24-bit colour
    std::vector<uint32_t> keys_;
    std::vector<int32_t> values_;
    size_t used_ = 0;
};

inline uint32_t HashColour(uint32_t colour) {
    return colour * 2654435761u;
}

inline int ColourCache::Find(uint32_t colour) const {
    if (keys_.empty()) return kMissing;
    const size_t mask = keys_.size() - 1;
    for (size_t slot = HashColour(colour) & mask; keys_[slot] != kEmptyKey;
         slot = (slot + 1) & mask)
        if (keys_[slot] == colour) return values_[slot];
    return kMissing;
}

}  // namespace gif

namespace gif {

// The colours of a picture area for making its palette, counted cheaply: exactly while there
// are at most 256 of them; beyond, the colours of runs (flat areas, kept exact) on their own
// and all others as the means of cells of 8 x 8 x 8 levels (photos, gradients, edges).
class ColourCounts {
  public:
    ColourCounts();
    void Clear();
    // `weight` counts instead of `count` where colours are merged into cells, so that what
    // matters more to the eye gets more of the palette.
    // Inline for the most common case, one pixel of a photo or an edge among many colours.
    void Add(uint32_t colour, uint32_t count, uint32_t weight) {
        if (overflow_ && count < kRun)
            AddToCell(colour, weight);
        else
            AddCounted(colour, count, weight);
    }
    // True while every colour added is known exactly (at most 256 of them).
    bool Exact() const { return !overflow_; }
    // The colours with their counts: exact ones, or run colours and cell means.
    const std::vector<CountedColour>& Colours();

  private:
    void AddCounted(uint32_t colour, uint32_t count, uint32_t weight);
    void AddToCell(uint32_t colour, uint32_t weight) {
        const uint32_t cell = (colour >> 9 & 0x7C00) | (colour >> 6 & 0x3E0) | (colour >> 3 & 0x1F);
        if (cellCount_[cell] == 0) touched_.push_back(cell);
        cellCount_[cell] += weight;
        cellSum_[3 * cell] += (colour >> 16 & 0xFF) * weight;
        cellSum_[3 * cell + 1] += (colour >> 8 & 0xFF) * weight;
        cellSum_[3 * cell + 2] += (colour & 0xFF) * weight;
    }

    static constexpr uint32_t kRun = 3;  // pixels in a row that count as a flat colour
    static constexpr uint32_t kFew = 256;

    std::vector<uint32_t> few_;  // while exact: the colours, in order of first sight
    std::vector<uint32_t> fewCounts_;
    ColourCache fewIndex_;
    bool overflow_ = false;
    ColourHistogram runs_;
    std::vector<uint32_t> cellCount_, cellSum_;  // per cell: pixels, and 3 channel sums
    std::vector<uint32_t> touched_;
    std::vector<CountedColour> list_;
};

}  // namespace gif
