// Stretches of pixels that the per-pixel passes over a picture can cross in bulk.
#pragma once

#include <cstdint>

namespace gif {

// The first x from `x` on where rows `a` and `b` differ, or `width`. Eight pixels a step while
// they all match: the compiler turns that into a few vector compares.
inline uint32_t MatchEnd(const uint32_t* a, const uint32_t* b, uint32_t x, uint32_t width) {
    while (x + 8 <= width) {
        uint32_t differ = 0;
        for (uint32_t k = 0; k < 8; ++k) differ |= a[x + k] ^ b[x + k];
        if (differ) break;
        x += 8;
    }
    while (x < width && a[x] == b[x]) ++x;
    return x;
}

}  // namespace gif
