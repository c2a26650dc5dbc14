// What the colour reductions share: colours cut to 4 bits per channel ("keys"), counted,
// ranked by the popularity rule, and mapped to palette indices.
#pragma once

#include <array>
#include <cstdint>

#include "gif/intake/colour_reduction.h"

namespace gif {

inline constexpr int kKeys = 4096;  // colours at 4 bits per channel

// blue, green and red cut to 4 bits: blue in the top nibble of 12 bits, red in the lowest.
inline uint32_t KeyOf(const uint8_t* bgr) {
    return (uint32_t(bgr[0]) & 0xF0) << 4 | (uint32_t(bgr[1]) & 0xF0) | uint32_t(bgr[2]) >> 4;
}

// Pixels per key (kKeys counters).
void CountKeyPixels(const PixelView& picture, uint32_t* counts);

// The present keys, the first 256 in popularity order (count descending, ties as the exchange
// procedure leaves them), the rest in no particular order.
struct RankedKeys {
    int n = 0;
    std::array<uint32_t, kKeys> count;
    std::array<uint32_t, kKeys> key;
};
RankedKeys RankKeys(const uint32_t* counts);

// Channel values of the 256 palette entries, in whatever unit the caller compares in.
struct PaletteLevels {
    std::array<int16_t, 256> red, green, blue;
};
// The entry at the smallest squared distance; the lowest index on a tie.
int NearestEntry(const PaletteLevels& palette, int red, int green, int blue);

// Every pixel's index is indexOfKey[its key]; row padding is zeroed.
void WriteKeyIndices(const PixelView& picture, const uint8_t* indexOfKey, IndexedImage& image);

}  // namespace gif
