// What a viewer shows over time, composited from giflib's decoding alone: the screen starts
// with nothing shown, each frame paints its opaque pixels, disposal 2 clears the frame's area
// to nothing, 3 puts back what it covered. Consecutive moments that show the same picture are
// one moment, so two files can be compared however their frames are cut.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace gif::testing {

inline constexpr uint32_t kNothingShown = 0xFF000000u;

struct Moment {
    std::vector<uint32_t> pixels;  // 0xRRGGBB or kNothingShown, rows top first
    uint32_t duration = 0;         // hundredths of a second
};

struct Timeline {
    bool ok = false;
    std::string error;
    int width = 0, height = 0;
    std::vector<Moment> moments;
};

Timeline PlayWithGiflib(std::span<const uint8_t> gif);
// One moment for every frame, none merged.
Timeline FramesWithGiflib(std::span<const uint8_t> gif);
// The frames `picks` names (index into frames.moments, new duration) in order, merged as a
// viewer's timeline is.
Timeline PickFrames(const Timeline& frames, const std::vector<std::pair<size_t, uint32_t>>& picks);

// Empty when both show the same pictures for the same times; else where they first differ.
std::string TimelineDifference(const Timeline& expected, const Timeline& actual);

}  // namespace gif::testing
