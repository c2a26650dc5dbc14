#include "app/core/frame_mask.h"

#include <algorithm>
#include <cstring>

namespace app {
namespace {

constexpr size_t kHeaderSize = 54;

uint32_t ReadU32(const std::vector<uint8_t>& bytes, size_t at) {
    return uint32_t{bytes[at]} | uint32_t{bytes[at + 1]} << 8 | uint32_t{bytes[at + 2]} << 16 |
           uint32_t{bytes[at + 3]} << 24;
}

// The frame's size when it is the grabber's layout for `region`: 32 bits, bottom-up, pixels
// right after the headers.
bool IsGrabOf(const std::vector<uint8_t>& frame, int32_t width, int32_t height) {
    if (frame.size() < kHeaderSize || frame[0] != 'B' || frame[1] != 'M') return false;
    if (ReadU32(frame, 10) != kHeaderSize || frame[28] != 32 || frame[29] != 0) return false;
    if (ReadU32(frame, 18) != uint32_t(width) || ReadU32(frame, 22) != uint32_t(height)) {
        return false;
    }
    return frame.size() >= kHeaderSize + uint64_t(width) * uint64_t(height) * 4;
}

}  // namespace

void HideRects(std::vector<uint8_t>& frame, const platform::Rect& region,
               std::span<const platform::Rect> hidden) {
    const int32_t width = region.Width();
    const int32_t height = region.Height();
    if (width <= 0 || height <= 0 || hidden.empty() || !IsGrabOf(frame, width, height)) return;
    for (const platform::Rect& rect : hidden) {
        // In frame coordinates, clipped to the frame; 64 bits so that no field value overflows.
        const int64_t left = std::max<int64_t>(0, int64_t{rect.left} - region.left);
        const int64_t right = std::min<int64_t>(width, int64_t{rect.right} - region.left);
        const int64_t top = std::max<int64_t>(0, int64_t{rect.top} - region.top);
        const int64_t bottom = std::min<int64_t>(height, int64_t{rect.bottom} - region.top);
        if (left >= right || top >= bottom) continue;
        for (int64_t y = top; y < bottom; ++y) {
            uint8_t* row = frame.data() + kHeaderSize + (height - 1 - y) * int64_t{width} * 4;
            uint8_t colour[4] = {0, 0, 0, 0};
            if (left > 0) {
                std::memcpy(colour, row + (left - 1) * 4, 4);
            } else if (right < width) {
                std::memcpy(colour, row + right * 4, 4);
            }
            for (int64_t x = left; x < right; ++x) std::memcpy(row + x * 4, colour, 4);
        }
    }
}

}  // namespace app
