#include "app/core/frame_mask.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "bitmap/bmp_format.h"

namespace app {
namespace {

// The rows of the grabber's frame of a `width` x `height` region (32 bits, bottom-up, rows
// packed), or null when the frame is not one.
uint8_t* GrabRows(std::vector<uint8_t>& frame, int32_t width, int32_t height) {
    const std::optional<bitmap::BmpRows> rows = bitmap::PlainBmp32View(frame);
    if (!rows || rows->width != uint32_t(width) || rows->height != uint32_t(height)) return nullptr;
    return frame.data() + (rows->rows - frame.data());
}

}  // namespace

void HideRects(std::vector<uint8_t>& frame, const platform::Rect& region,
               std::span<const platform::Rect> hidden) {
    const int32_t width = region.Width();
    const int32_t height = region.Height();
    if (width <= 0 || height <= 0 || hidden.empty()) return;
    uint8_t* const rows = GrabRows(frame, width, height);
    if (!rows) return;
    for (const platform::Rect& rect : hidden) {
        // In frame coordinates, clipped to the frame; 64 bits so that no field value overflows.
        const int64_t left = std::max<int64_t>(0, int64_t{rect.left} - region.left);
        const int64_t right = std::min<int64_t>(width, int64_t{rect.right} - region.left);
        const int64_t top = std::max<int64_t>(0, int64_t{rect.top} - region.top);
        const int64_t bottom = std::min<int64_t>(height, int64_t{rect.bottom} - region.top);
        if (left >= right || top >= bottom) continue;
        for (int64_t y = top; y < bottom; ++y) {
            uint8_t* row = rows + (height - 1 - y) * int64_t{width} * 4;
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
