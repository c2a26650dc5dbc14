// One GIF image as a BMP file image: 1, 4 or 8 bits per pixel after the size of the colour
// table in force, bottom-up rows, nothing of the animation applied.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace gif {

// Frames whose BMP would be larger than this are refused before anything is allocated.
inline constexpr uint64_t kMaxFrameBmpBytes = uint64_t{1} << 30;

struct FrameImage {
    uint32_t width = 0;
    uint32_t height = 0;
    bool interlaced = false;
    int minCodeSize = 8;
    unsigned tableBits = 8;                // 1 ... 8: the table has 2^tableBits entries
    std::span<const uint8_t> colourTable;  // red, green, blue per entry; empty: none in the file
    std::span<const uint8_t> codes;        // the LZW data, sub-blocks joined
};

// 1 for a 2-entry table, 4 for 4 to 16 entries, 8 above.
unsigned BmpBitCount(unsigned tableBits);
// The size of the BMP file image of a `width` x `height` picture at `bitCount` bits per pixel.
uint64_t BmpFileSize(uint32_t width, uint32_t height, unsigned bitCount);

enum class BmpStatus { Ok, TooLarge, OutOfMemory };

// Builds the BMP file image of `frame` in `bmp`. Rows the data never reach stay index 0.
BmpStatus FrameToBmp(const FrameImage& frame, std::vector<uint8_t>& bmp,
                     uint64_t maxBytes = kMaxFrameBmpBytes);

}  // namespace gif
