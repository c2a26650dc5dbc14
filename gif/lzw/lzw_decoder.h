// The GIF flavour of LZW decompression: variable-width codes (least significant bit first),
// clear and end codes, a 4096-entry table, rows filled in natural or interlaced order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace gif {

// Minimum code sizes above this would need codes wider than 12 bits.
inline constexpr int kMaxMinCodeSize = 11;

// Receives the decoded image one row at a time. `y` counts from the top of the image; every
// row arrives at most once; pixel values are cut to their low 8 bits.
class RowSink {
  public:
    virtual ~RowSink() = default;
    virtual void Row(uint32_t y, const uint8_t* pixels) = 0;
};

struct LzwImage {
    int minCodeSize = 8;  // 0 ... kMaxMinCodeSize
    uint32_t width = 0;
    uint32_t height = 0;
    bool interlaced = false;
};

// Decodes `codes` (the data sub-blocks already joined) into the rows of `image`. Stops at the
// end code, at the end of `codes`, or once every row is filled; a row that the data end in the
// middle of is delivered with its missing pixels 0, rows never reached are not delivered.
// Returns the number of rows delivered. A code above the next free one is decoded like the
// next free one (the previous string plus its first pixel); a code above the single pixels
// right after a clear code ends the image. Nothing here can read or write outside the given
// buffers, whatever `codes` hold.
uint32_t DecodeLzw(const LzwImage& image, std::span<const uint8_t> codes, RowSink& sink);

}  // namespace gif
