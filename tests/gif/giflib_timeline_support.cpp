#include "giflib_timeline_support.h"

#include <algorithm>

#include "giflib_support.h"

namespace gif::testing {
namespace {

uint32_t Entry(const std::vector<uint8_t>& palette, int index) {
    if (size_t(3 * index + 2) >= palette.size()) return 0;  // beyond the table: black
    return uint32_t(palette[3 * index]) << 16 | uint32_t(palette[3 * index + 1]) << 8 |
           palette[3 * index + 2];
}

void Add(Timeline& timeline, const std::vector<uint32_t>& screen, uint32_t duration) {
    if (!timeline.moments.empty() && timeline.moments.back().pixels == screen) {
        timeline.moments.back().duration += duration;
        return;
    }
    timeline.moments.push_back({screen, duration});
}

}  // namespace

Timeline PlayWithGiflib(std::span<const uint8_t> bytes) {
    const Timeline frames = FramesWithGiflib(bytes);
    Timeline timeline = frames;
    timeline.moments.clear();
    for (const Moment& moment : frames.moments) Add(timeline, moment.pixels, moment.duration);
    return timeline;
}

Timeline PickFrames(const Timeline& frames, const std::vector<std::pair<size_t, uint32_t>>& picks) {
    Timeline timeline = frames;
    timeline.moments.clear();
    for (const auto& [index, duration] : picks)
        Add(timeline, frames.moments.at(index).pixels, duration);
    return timeline;
}

Timeline FramesWithGiflib(std::span<const uint8_t> bytes) {
    Timeline timeline;
    const GiflibGif gif = DecodeWithGiflib(bytes);
    if (!gif.ok) {
        timeline.error = gif.error;
        return timeline;
    }
    const int width = gif.width, height = gif.height;
    timeline.width = width;
    timeline.height = height;
    std::vector<uint32_t> screen(size_t(width) * height, kNothingShown), saved;
    for (const GiflibFrame& frame : gif.frames) {
        const std::vector<uint8_t>& palette =
            frame.localPalette.empty() ? gif.globalPalette : frame.localPalette;
        const int x0 = std::min(frame.left, width), y0 = std::min(frame.top, height);
        const int x1 = std::min(frame.left + frame.width, width);
        const int y1 = std::min(frame.top + frame.height, height);
        if (frame.disposal == 3) saved = screen;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) {
                const int index =
                    frame.indices[size_t(y - frame.top) * frame.width + (x - frame.left)];
                if (index == frame.transparentIndex) continue;
                screen[size_t(y) * width + x] = Entry(palette, index);
            }
        timeline.moments.push_back({screen, uint32_t(frame.delay)});
        if (frame.disposal == 2)
            for (int y = y0; y < y1; ++y)
                std::fill_n(screen.begin() + size_t(y) * width + x0, x1 - x0, kNothingShown);
        else if (frame.disposal == 3)
            screen = saved;
    }
    timeline.ok = true;
    return timeline;
}

std::string TimelineDifference(const Timeline& expected, const Timeline& actual) {
    if (!expected.ok) return "the expected file does not decode: " + expected.error;
    if (!actual.ok) return "the file does not decode: " + actual.error;
    if (expected.width != actual.width || expected.height != actual.height)
        return "screen sizes differ";
    const size_t n = std::min(expected.moments.size(), actual.moments.size());
    for (size_t i = 0; i < n; ++i) {
        const Moment &a = expected.moments[i], &b = actual.moments[i];
        if (a.pixels != b.pixels) {
            size_t at = 0;
            while (a.pixels[at] == b.pixels[at]) ++at;
            return "picture " + std::to_string(i) + " differs first at x " +
                   std::to_string(at % size_t(expected.width)) + ", y " +
                   std::to_string(at / size_t(expected.width));
        }
        if (a.duration != b.duration)
            return "picture " + std::to_string(i) + " lasts " + std::to_string(b.duration) +
                   " instead of " + std::to_string(a.duration);
    }
    if (expected.moments.size() != actual.moments.size())
        return std::to_string(actual.moments.size()) + " pictures instead of " +
               std::to_string(expected.moments.size());
    return {};
}

}  // namespace gif::testing
