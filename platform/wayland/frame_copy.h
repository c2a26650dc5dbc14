// Copies a rectangle of a streamed frame into the BMP image the recorder takes.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/desktop.h"

namespace platform::wayland {

// Where red, green and blue lie in a 4-byte pixel of the stream, counted from its first byte.
struct PixelLayout {
    uint8_t red = 2;
    uint8_t green = 1;
    uint8_t blue = 0;
    friend bool operator==(const PixelLayout&, const PixelLayout&) = default;
};

// The stream's 32-bit formats by their memory byte order (BGRx is blue first).
enum class StreamFormat { BGRx, BGRA, RGBx, RGBA, xRGB, ARGB, xBGR, ABGR };
PixelLayout LayoutOf(StreamFormat format);

// One frame as the stream hands it over; rows top-down, `stride` bytes apart.
struct FrameView {
    const uint8_t* data = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t stride = 0;
    PixelLayout layout;
};

// Whether the view's numbers describe pixels that fit in `available` bytes.
bool FitsIn(const FrameView& frame, uint64_t available);

// Writes `region` of the frame into `bmp` as a complete 32-bit bottom-up BMP (blue, green, red,
// 0); parts outside the frame are black. False, with `bmp` empty, for an empty or oversized
// region.
bool CopyToBmp32(const FrameView& frame, const Rect& region, std::vector<uint8_t>& bmp);

}  // namespace platform::wayland
