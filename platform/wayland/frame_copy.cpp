#include "platform/wayland/frame_copy.h"

#include <algorithm>
#include <cstring>

namespace platform::wayland {

PixelLayout LayoutOf(StreamFormat format) {
    switch (format) {
        case StreamFormat::BGRx:
        case StreamFormat::BGRA:
            return {2, 1, 0};
        case StreamFormat::RGBx:
        case StreamFormat::RGBA:
            return {0, 1, 2};
        case StreamFormat::xRGB:
        case StreamFormat::ARGB:
            return {1, 2, 3};
        case StreamFormat::xBGR:
        case StreamFormat::ABGR:
            return {3, 2, 1};
    }
    return {};
}

bool FitsIn(const FrameView& frame, uint64_t available) {
    if (!frame.data || frame.width <= 0 || frame.height <= 0) return false;
    if (int64_t{frame.stride} < int64_t{frame.width} * 4) return false;
    const uint64_t needed =
        uint64_t(frame.stride) * uint64_t(frame.height - 1) + uint64_t(frame.width) * 4;
    return needed <= available;
}

bool CopyToBmp32(const FrameView& frame, const Rect& region, std::vector<uint8_t>& bmp) {
    const int32_t width = region.Width(), height = region.Height();
    if (!StartBmp32(width, height, bmp)) return false;
    uint8_t* pixels = bmp.data() + 54;
    std::memset(pixels, 0, bmp.size() - 54);

    // The part of the region that lies on the frame, in frame coordinates.
    const int64_t left = std::max<int64_t>(region.left, 0);
    const int64_t top = std::max<int64_t>(region.top, 0);
    const int64_t right = std::min<int64_t>(int64_t{region.left} + width, frame.width);
    const int64_t bottom = std::min<int64_t>(int64_t{region.top} + height, frame.height);
    if (!frame.data || left >= right || top >= bottom) return true;

    const PixelLayout in = frame.layout;
    const size_t rowBytes = size_t(width) * 4;
    for (int64_t y = top; y < bottom; ++y) {
        const uint8_t* from = frame.data + size_t(y) * size_t(frame.stride) + size_t(left) * 4;
        uint8_t* to = pixels + size_t(height - 1 - (y - region.top)) * rowBytes +
                      size_t(left - region.left) * 4;
        for (int64_t x = left; x < right; ++x, from += 4, to += 4) {
            to[0] = from[in.blue];
            to[1] = from[in.green];
            to[2] = from[in.red];
            to[3] = 0;
        }
    }
    return true;
}

}  // namespace platform::wayland
