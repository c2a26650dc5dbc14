// Decoding of picture files held in memory (BMP, PNG, JPEG, GIF) into one 24-bit image form,
// and encoding of that form as a BMP file image.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace bitmap {

// A 24-bit picture in the layout a 24-bit DIB uses: rows bottom-up, each pixel blue, green, red,
// each row padded with zero bytes to a multiple of 4.
struct Image24 {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> pixels;  // Stride() * height bytes

    static constexpr size_t StrideFor(uint32_t width) {
        return (size_t{width} * 3 + 3) & ~size_t{3};
    }
    size_t Stride() const { return StrideFor(width); }
};

// Pictures beyond these are refused before anything large is allocated.
inline constexpr uint32_t kMaxPictureSide = 65535;
inline constexpr uint64_t kMaxImageBytes = uint64_t{1} << 30;

// Tighter limits for untrusted input (a fuzzer, a preview); never looser than the constants above.
struct DecodeLimits {
    uint32_t maxSide = kMaxPictureSide;
    uint64_t maxImageBytes = kMaxImageBytes;
};

enum class DecodeStatus {
    Ok,
    NotAPicture,  // unknown format, damaged or truncated data
    TooLarge,     // a side above kMaxPictureSide or more than kMaxImageBytes of pixels
    OutOfMemory,
};

// Decodes the first picture of `data`. Transparent parts become black and partly transparent
// ones are composed over black; a GIF's first image is placed on its logical screen, the rest of
// which is black. On failure `out` is left empty. The memory `out` holds is reused.
DecodeStatus DecodePicture(std::span<const uint8_t> data, Image24& out);
DecodeStatus DecodePicture(std::span<const uint8_t> data, Image24& out, const DecodeLimits& limits);

// The BMP file image (14-byte file header, 40-byte info header, rows) of a 24-bit picture.
std::vector<uint8_t> EncodeBmp24(const Image24& image);

// The same picture as a 32-bit BMP, each pixel blue, green, red, 0. Unlike EncodeBmp24 it takes
// any size the file's 32-bit fields can hold, beyond the decoder's limits, so that over-sized
// input can be made for a reader; empty when the rows are short or memory runs out.
std::vector<uint8_t> EncodeBmp32(const Image24& image);

}  // namespace bitmap
