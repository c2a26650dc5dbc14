// A frame reduced to 256 colours, before it is encoded: the form the colour reductions fill and
// the form a stored frame decodes back to.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "gif/base/frame_memory.h"

namespace gif {

// One frame reduced to 8 bits per pixel, laid out like an 8-bit DIB: a 256-entry colour table
// and bottom-up rows padded to a multiple of 4 bytes.
struct IndexedImage {
    uint16_t width = 0;
    uint16_t height = 0;
    std::array<uint8_t, 1024> colourTable{};  // per entry blue, green, red, 0
    FrameRows rows;                           // Stride() * height bytes, bottom row first

    static constexpr size_t StrideFor(uint32_t width) { return (size_t{width} + 3) & ~size_t{3}; }
    size_t Stride() const { return StrideFor(width); }
    // Row y counted from the top of the picture.
    const uint8_t* TopRow(uint32_t y) const { return rows.get() + Stride() * (height - 1u - y); }
};

// The per-frame settings that are kept (FrameInfo minus what the picture decides).
struct FrameSettings {
    uint16_t delay = 0;  // hundredths of a second
    uint16_t left = 0;
    uint16_t top = 0;
    uint8_t disposal = 0;  // stored unchanged; the file gets its low 3 bits
    bool transparency = false;
    std::string comment;  // at most kMaxCommentBytes bytes, counted as GBK counts them
};

struct StoredFrame {
    FrameSettings settings;
    IndexedImage image;
};

// Comments are cut to this many bytes (ASCII counts 1, any other character 2, as in GBK).
inline constexpr size_t kMaxCommentBytes = 255;

}  // namespace gif
