#include "bitmap/picture_codec.h"

#include <cstring>
#include <new>

namespace bitmap {
namespace {

uint16_t Read16(const uint8_t* p) {
    return uint16_t(p[0] | p[1] << 8);
}
uint32_t Read32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
void Write16(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
void Write32(uint8_t* p, uint32_t v) {
    Write16(p, v);
    Write16(p + 2, v >> 16);
}

// First version: uncompressed 24- and 32-bit bottom-up BMPs only.
DecodeStatus DecodeBmp(std::span<const uint8_t> data, Image24& out) {
    if (data.size() < 54) return DecodeStatus::NotAPicture;
    const uint8_t* d = data.data();
    uint32_t offBits = Read32(d + 10);
    uint32_t headerSize = Read32(d + 14);
    if (headerSize < 40) return DecodeStatus::NotAPicture;
    int32_t width = int32_t(Read32(d + 18));
    int32_t height = int32_t(Read32(d + 22));
    uint16_t bitCount = Read16(d + 28);
    uint32_t compression = Read32(d + 30);
    if (compression != 0 || (bitCount != 24 && bitCount != 32)) return DecodeStatus::NotAPicture;
    if (width <= 0 || height <= 0) return DecodeStatus::NotAPicture;
    if (uint32_t(width) > kMaxPictureSide || uint32_t(height) > kMaxPictureSide)
        return DecodeStatus::TooLarge;
    size_t stride = Image24::StrideFor(uint32_t(width));
    if (uint64_t(stride) * uint32_t(height) > kMaxImageBytes) return DecodeStatus::TooLarge;
    size_t srcStride = ((size_t(width) * bitCount + 31) / 32) * 4;
    if (offBits > data.size() || (data.size() - offBits) / srcStride < size_t(height))
        return DecodeStatus::NotAPicture;
    out.width = uint32_t(width);
    out.height = uint32_t(height);
    out.pixels.assign(stride * size_t(height), 0);
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* src = d + offBits + srcStride * size_t(y);
        uint8_t* dst = out.pixels.data() + stride * size_t(y);
        if (bitCount == 24) {
            std::memcpy(dst, src, size_t(width) * 3);
        } else {
            for (int32_t x = 0; x < width; ++x, src += 4, dst += 3) {
                dst[0] = src[0];
                dst[1] = src[1];
                dst[2] = src[2];
            }
        }
    }
    return DecodeStatus::Ok;
}

}  // namespace

DecodeStatus DecodePicture(std::span<const uint8_t> data, Image24& out) {
    out = Image24{};
    try {
        if (data.size() >= 2 && data[0] == 'B' && data[1] == 'M') {
            DecodeStatus status = DecodeBmp(data, out);
            if (status != DecodeStatus::Ok) out = Image24{};
            return status;
        }
        return DecodeStatus::NotAPicture;
    } catch (const std::bad_alloc&) {
        out = Image24{};
        return DecodeStatus::OutOfMemory;
    }
}

std::vector<uint8_t> EncodeBmp24(const Image24& image) {
    try {
        size_t stride = image.Stride();
        size_t imageBytes = stride * image.height;
        if (image.pixels.size() < imageBytes || imageBytes > kMaxImageBytes) return {};
        std::vector<uint8_t> file(54 + imageBytes, 0);
        uint8_t* p = file.data();
        p[0] = 'B';
        p[1] = 'M';
        Write32(p + 2, uint32_t(file.size()));
        Write32(p + 10, 54);
        Write32(p + 14, 40);
        Write32(p + 18, image.width);
        Write32(p + 22, image.height);
        Write16(p + 26, 1);
        Write16(p + 28, 24);
        Write32(p + 34, uint32_t(imageBytes));
        if (imageBytes) std::memcpy(p + 54, image.pixels.data(), imageBytes);
        return file;
    } catch (const std::bad_alloc&) {
        return {};
    }
}

}  // namespace bitmap
