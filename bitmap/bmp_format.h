// The BMP file format in one place: its headers read and written, row sizes, and the named
// checks behind the fast paths that use a BMP's rows where they lie. Every number in a BMP is
// little-endian (bitmap/byte_order.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace bitmap {

inline constexpr size_t kBmpFileHeaderBytes = 14;
inline constexpr size_t kBmpInfoHeaderBytes = 40;
inline constexpr size_t kBmpHeadersBytes = kBmpFileHeaderBytes + kBmpInfoHeaderBytes;

// Bytes of one row of `width` pixels: their bits rounded up to whole 32-bit words.
constexpr uint64_t BmpStride(uint64_t width, uint64_t bitCount) {
    return (width * bitCount + 31) / 32 * 4;
}

// A BMP's file header and info header as stored. A 12-byte (OS/2) info header has 16-bit
// width, height, planes and bit count and nothing else; its other fields read as 0.
struct BmpHeader {
    uint32_t fileSize = 0;
    uint32_t reserved = 0;  // both 16-bit reserved fields
    uint32_t pixelOffset = 0;
    uint32_t headerSize = 0;  // 12, 40, 52, 56, 108 or 124
    int32_t width = 0;
    int32_t height = 0;  // negative when the rows run top-down
    uint16_t planes = 0;
    uint16_t bitCount = 0;
    uint32_t compression = 0;
    uint32_t imageSize = 0;
    uint32_t coloursUsed = 0;
};

// Reads the headers at the start of `data`: false unless it starts with "BM" and holds the
// whole info header, of one of the sizes above.
bool ReadBmpHeader(std::span<const uint8_t> data, BmpHeader& header);

// Writes the 14-byte file header: "BM", the file size, zero reserved fields, the pixel offset.
void WriteBmpFileHeader(uint8_t* out, uint32_t fileSize, uint32_t pixelOffset);

// The fields of a 40-byte info header that a writer chooses; it always writes one plane, no
// compression, no resolution and no important-colour count.
struct BmpInfoHeader {
    uint32_t width = 0;
    uint32_t height = 0;  // rows bottom-up
    uint16_t bitCount = 0;
    uint32_t imageSize = 0;
    uint32_t coloursUsed = 0;
};
void WriteBmpInfoHeader(uint8_t* out, const BmpInfoHeader& info);

// Whether `picture` has BMP headers with a Windows info header (40 bytes or longer) that gives
// `bitCount` bits per pixel.
bool IsBmpOfDepth(std::span<const uint8_t> picture, uint16_t bitCount);

// Whether the picture is a bottom-up 24- or 32-bit BMP laid out exactly as the Dib object writes
// it back (file header with zero reserved bytes, 40-byte info header, no colour table, the rows
// and nothing after them). Such a picture comes out of a Dib round trip byte for byte, except
// for the pixels, so it can be changed in place. The screen grabber's frames are of this kind.
bool IsPlainBmp(std::span<const uint8_t> picture);

// The rows of a BMP where they lie in its data.
struct BmpRows {
    uint32_t width = 0;
    uint32_t height = 0;
    size_t stride = 0;              // bytes from one row to the next
    const uint8_t* rows = nullptr;  // the bottom row first
};

// The rows of a 32-bit BMP that the picture decoder takes as they are: uncompressed, bottom-up,
// within the decoder's limits, every row inside the data; the fourth byte of a pixel is not
// alpha. Anything else is left to the decoder.
std::optional<BmpRows> PlainBmp32View(std::span<const uint8_t> data);

}  // namespace bitmap
