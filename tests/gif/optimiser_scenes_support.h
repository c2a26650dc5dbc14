// Picture sequences for the optimised layout's tests: what screens do between two frames.
#pragma once

#include <cstdint>
#include <vector>

#include "bitmap/picture_codec.h"

namespace gif::testing {

using Scene = std::vector<bitmap::Image24>;

Scene StillScreen(uint32_t width, uint32_t height, int frames);
// A text cursor that is drawn and erased in turn.
Scene BlinkingCursor(uint32_t width, uint32_t height, int frames);
// Text lines moving up a few rows per frame.
Scene ScrollingText(uint32_t width, uint32_t height, int frames);
Scene FullScreenNoise(uint32_t width, uint32_t height, int frames);
// Only the bottom-right pixel differs from one frame to the next.
Scene LastPixelChanges(uint32_t width, uint32_t height, int frames);
// 256 distinct colours at 4 bits per channel in every frame, moved about from frame to frame.
Scene AllPaletteEntries(int frames);

}  // namespace gif::testing
