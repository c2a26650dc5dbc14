// BMP files: 12-byte (OS/2) and 40- to 124-byte (Windows) info headers; 1, 4, 8, 16, 24 and
// 32 bits per pixel; uncompressed, bit fields, RLE8 and RLE4; bottom-up and top-down rows.
#include <array>
#include <cstring>
#include <limits>

#include "bitmap/bmp_format.h"
#include "bitmap/byte_order.h"
#include "bitmap/decoders.h"

namespace bitmap {
namespace {

enum Compression : uint32_t { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6 };

// One colour channel given by a bit mask, widened to 8 bits by repeating its bits.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    int bits = 0;
    std::array<uint8_t, 256> widen{};

    bool Init(uint32_t m, int bitCount) {
        mask = m;
        if (m == 0) return true;
        if (bitCount < 32 && m >> bitCount) return false;
        while (!(m & 1)) {
            m >>= 1;
            ++shift;
        }
        while (m & 1) {
            m >>= 1;
            ++bits;
        }
        if (m) return false;  // not one run of bits
        if (bits < 8) {
            for (uint32_t v = 0; v < (1u << bits); ++v) {
                uint32_t out = v << (8 - bits);
                for (int s = bits; s < 8; s += bits) out |= (v << (8 - bits)) >> s;
                widen[v] = uint8_t(out);
            }
        }
        return true;
    }
    uint32_t Get(uint32_t pixel) const {
        if (!mask) return 0;
        uint32_t v = (pixel & mask) >> shift;
        return bits >= 8 ? v >> (bits - 8) : widen[v];
    }
};

struct BmpInfo {
    int64_t width = 0;
    int64_t height = 0;  // negative for top-down rows
    uint32_t bitCount = 0;
    uint32_t compression = kRgb;
    uint32_t pixelStart = 0;
    uint32_t masks[4] = {};  // red, green, blue, alpha
    const uint8_t* palette = nullptr;
    uint32_t paletteSize = 0;
    uint32_t paletteEntry = 4;
};

bool ParseHeader(std::span<const uint8_t> data, BmpInfo& info) {
    const uint8_t* d = data.data();
    const size_t size = data.size();
    BmpHeader header;
    if (!ReadBmpHeader(data, header)) return false;
    const uint32_t headerSize = header.headerSize;
    const uint32_t coloursUsed = header.coloursUsed;
    info.pixelStart = header.pixelOffset;
    info.width = header.width;
    info.height = header.height;
    info.bitCount = header.bitCount;
    info.compression = header.compression;
    if (headerSize == 12) info.paletteEntry = 3;
    size_t paletteStart = kBmpFileHeaderBytes + size_t{headerSize};

    if (info.compression == kBitFields || info.compression == kAlphaBitFields) {
        const size_t maskCount = info.compression == kBitFields ? 3 : 4;
        if (headerSize == 40) {
            // The masks follow a 40-byte header.
            if (size < 54 + maskCount * 4) return false;
            for (size_t i = 0; i < maskCount; ++i) info.masks[i] = Read32(d + 54 + i * 4);
            paletteStart += maskCount * 4;
        } else {
            for (size_t i = 0; i < 3; ++i) info.masks[i] = Read32(d + 54 + i * 4);
            if (headerSize >= 56) info.masks[3] = Read32(d + 66);
        }
        // Without bit fields an alpha mask in a long header is ignored, as is the fourth byte.
    }

    if (info.bitCount <= 8) {
        const uint32_t full = 1u << info.bitCount;
        uint32_t count = coloursUsed && coloursUsed < full ? coloursUsed : full;
        // Some writers keep only the entries that fit before the pixels.
        if (info.pixelStart < paletteStart) return false;
        const size_t room = (info.pixelStart - paletteStart) / info.paletteEntry;
        if (room < count) count = uint32_t(room);
        info.palette = d + paletteStart;
        info.paletteSize = count;
    }
    return info.pixelStart <= size;
}

// The palette in the Image24 byte order.
std::array<uint8_t, 256 * 3> ExpandPalette(const BmpInfo& info) {
    std::array<uint8_t, 256 * 3> colours{};  // missing entries are black
    for (uint32_t i = 0; i < info.paletteSize; ++i)
        std::memcpy(&colours[i * 3], info.palette + size_t{i} * info.paletteEntry, 3);
    return colours;
}

void CopyRow32(const uint8_t* src, uint8_t* dst, uint32_t width) {
    uint32_t x = 0;
    // Four pixels at a time: twelve bytes out of sixteen.
    for (; x + 4 <= width; x += 4, src += 16, dst += 12) {
        uint32_t a, b, c, e;
        std::memcpy(&a, src, 4);
        std::memcpy(&b, src + 4, 4);
        std::memcpy(&c, src + 8, 4);
        std::memcpy(&e, src + 12, 4);
        const uint32_t w0 = (a & 0xFFFFFF) | b << 24;
        const uint32_t w1 = (b >> 8 & 0xFFFF) | c << 16;
        const uint32_t w2 = (c >> 16 & 0xFF) | e << 8;
        std::memcpy(dst, &w0, 4);
        std::memcpy(dst + 4, &w1, 4);
        std::memcpy(dst + 8, &w2, 4);
    }
    for (; x < width; ++x, src += 4, dst += 3) std::memcpy(dst, src, 3);
}

void ConvertRowMasked(const uint8_t* src, uint8_t* dst, uint32_t width, uint32_t bytesPerPixel,
                      const Channel (&channels)[4]) {
    for (uint32_t x = 0; x < width; ++x, src += bytesPerPixel, dst += 3) {
        const uint32_t pixel = bytesPerPixel == 2 ? Read16(src) : Read32(src);
        uint32_t red = channels[0].Get(pixel), green = channels[1].Get(pixel),
                 blue = channels[2].Get(pixel);
        if (channels[3].mask) {
            const uint32_t alpha = channels[3].Get(pixel);
            red = OverBlack(red, alpha);
            green = OverBlack(green, alpha);
            blue = OverBlack(blue, alpha);
        }
        dst[0] = uint8_t(blue);
        dst[1] = uint8_t(green);
        dst[2] = uint8_t(red);
    }
}

void ConvertRowIndexed(const uint8_t* src, uint8_t* dst, uint32_t width, uint32_t bitCount,
                       const std::array<uint8_t, 256 * 3>& colours) {
    const uint32_t perByte = 8 / bitCount, indexMask = (1u << bitCount) - 1;
    for (uint32_t x = 0; x < width; ++x, dst += 3) {
        const uint32_t shift = 8 - bitCount * (x % perByte + 1);
        const uint32_t index = src[x / perByte] >> shift & indexMask;
        std::memcpy(dst, &colours[index * 3], 3);
    }
}

DecodeStatus DecodeUncompressed(std::span<const uint8_t> data, const BmpInfo& info, Image24& out) {
    const uint32_t width = out.width, height = out.height, bitCount = info.bitCount;
    const uint64_t srcStride = BmpStride(width, bitCount);
    const uint64_t lastRow = (uint64_t{width} * bitCount + 7) / 8;
    // The last row may lack its padding; nothing past the data is read.
    if (data.size() - info.pixelStart < srcStride * (height - 1) + lastRow)
        return DecodeStatus::NotAPicture;

    Channel channels[4];
    if (bitCount == 16 || bitCount == 32) {
        uint32_t masks[4] = {info.masks[0], info.masks[1], info.masks[2], info.masks[3]};
        if (info.compression == kRgb && bitCount == 16) {
            masks[0] = 0x7C00;
            masks[1] = 0x03E0;
            masks[2] = 0x001F;
        }
        for (int i = 0; i < 4; ++i)
            if (!channels[i].Init(masks[i], int(bitCount))) return DecodeStatus::NotAPicture;
    }
    std::array<uint8_t, 256 * 3> colours{};
    if (bitCount <= 8) colours = ExpandPalette(info);

    const bool topDown = info.height < 0;
    const size_t stride = out.Stride();
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* src = data.data() + info.pixelStart + srcStride * y;
        uint8_t* dst = out.pixels.data() + stride * (topDown ? height - 1 - y : y);
        if (bitCount == 24) {
            std::memcpy(dst, src, size_t{width} * 3);
        } else if (bitCount == 32 && info.compression == kRgb) {
            CopyRow32(src, dst, width);  // the fourth byte is not alpha here
        } else if (bitCount == 16 || bitCount == 32) {
            ConvertRowMasked(src, dst, width, bitCount / 8, channels);
        } else {
            ConvertRowIndexed(src, dst, width, bitCount, colours);
        }
    }
    return DecodeStatus::Ok;
}

// Run-length coded rows, bottom-up. Pixels that the code skips stay black.
DecodeStatus DecodeRle(std::span<const uint8_t> data, const BmpInfo& info, Image24& out) {
    const std::array<uint8_t, 256 * 3> colours = ExpandPalette(info);
    const bool four = info.compression == kRle4;
    const uint8_t* p = data.data() + info.pixelStart;
    const uint8_t* end = data.data() + data.size();
    uint64_t x = 0, y = 0;
    auto put = [&](uint32_t index) {
        if (x < out.width && y < out.height)
            std::memcpy(out.pixels.data() + out.Stride() * y + x * 3, &colours[index * 3], 3);
        ++x;
    };
    while (end - p >= 2) {
        const uint8_t count = p[0], value = p[1];
        p += 2;
        if (count > 0) {
            for (uint32_t i = 0; i < count; ++i)
                put(four ? (i % 2 ? value & 0x0F : value >> 4) : value);
            continue;
        }
        if (value == 0) {  // end of line
            x = 0;
            ++y;
        } else if (value == 1) {  // end of picture
            return DecodeStatus::Ok;
        } else if (value == 2) {  // move right and up
            if (end - p < 2) break;
            x += p[0];
            y += p[1];
            p += 2;
        } else {  // literal pixels, padded to a 16-bit boundary
            const size_t bytes = four ? (value + 1u) / 2 : value;
            const size_t padded = (bytes + 1) & ~size_t{1};
            if (size_t(end - p) < bytes) break;
            for (uint32_t i = 0; i < value; ++i)
                put(four ? (i % 2 ? p[i / 2] & 0x0F : p[i / 2] >> 4) : p[i]);
            p += size_t(end - p) < padded ? bytes : padded;
        }
        if (y >= out.height) return DecodeStatus::Ok;
    }
    return DecodeStatus::NotAPicture;  // ended without its end-of-picture code
}

}  // namespace

DecodeStatus DecodeBmp(std::span<const uint8_t> data, Image24& out, const DecodeLimits& limits) {
    BmpInfo info;
    if (!ParseHeader(data, info)) return DecodeStatus::NotAPicture;

    bool supported = false;
    switch (info.compression) {
        case kRgb:
            supported = info.bitCount == 1 || info.bitCount == 4 || info.bitCount == 8 ||
                        info.bitCount == 16 || info.bitCount == 24 || info.bitCount == 32;
            break;
        case kRle8:
            supported = info.bitCount == 8 && info.height > 0;
            break;
        case kRle4:
            supported = info.bitCount == 4 && info.height > 0;
            break;
        case kBitFields:
        case kAlphaBitFields:
            supported = info.bitCount == 16 || info.bitCount == 32;
            break;
    }
    if (!supported || info.width <= 0 || info.height == 0 ||
        info.height == std::numeric_limits<int32_t>::min())
        return DecodeStatus::NotAPicture;

    const uint64_t height = uint64_t(info.height < 0 ? -info.height : info.height);
    const DecodeStatus size = CheckPictureSize(uint64_t(info.width), height, limits);
    if (size != DecodeStatus::Ok) return size;
    // Uncompressed rows must all be present before the picture is allocated.
    if (info.compression != kRle8 && info.compression != kRle4) {
        const uint64_t srcStride = BmpStride(uint64_t(info.width), info.bitCount);
        if ((data.size() - info.pixelStart) / srcStride + 1 < height)
            return DecodeStatus::NotAPicture;
    }
    AllocateImage(uint32_t(info.width), uint32_t(height), out);
    if (info.compression == kRle8 || info.compression == kRle4) return DecodeRle(data, info, out);
    return DecodeUncompressed(data, info, out);
}

}  // namespace bitmap
