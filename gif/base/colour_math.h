// Colour comparisons the eye agrees with, shared by the palette and the loss it allows.
#pragma once

#include <cstdint>
#include <cstdlib>

namespace gif {

// Squared distance with weights for the eye's sensitivity per channel (green most, blue
// least), so that errors land where they show least: of the red, green and blue differences.
inline uint32_t WeightedDistance(int dr, int dg, int db) {
    return uint32_t(2 * dr * dr + 4 * dg * dg + 3 * db * db);
}

// The same between colours 0xRRGGBB.
inline uint32_t ColourDistance(uint32_t a, uint32_t b) {
    return WeightedDistance(int(a >> 16 & 0xFF) - int(b >> 16 & 0xFF),
                            int(a >> 8 & 0xFF) - int(b >> 8 & 0xFF), int(a & 0xFF) - int(b & 0xFF));
}

inline int Luma(uint32_t c) {
    return int(2 * (c >> 16 & 0xFF) + 5 * (c >> 8 & 0xFF) + (c & 0xFF)) / 8;
}

// Text and the edges of shapes: a step in brightness this large to a neighbour. A wrong level
// there shows; in photos and gradients it hides among the neighbours' levels.
inline constexpr int kEdgeStep = 48;

inline bool IsEdge(uint32_t a, uint32_t b) {
    return std::abs(Luma(a) - Luma(b)) >= kEdgeStep;
}

}  // namespace gif
