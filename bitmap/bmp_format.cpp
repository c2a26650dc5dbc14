#include "bitmap/bmp_format.h"

#include "bitmap/byte_order.h"
#include "bitmap/picture_codec.h"

namespace bitmap {

bool ReadBmpHeader(std::span<const uint8_t> data, BmpHeader& header) {
    const uint8_t* d = data.data();
    const size_t size = data.size();
    if (size < kBmpFileHeaderBytes + 4 || d[0] != 'B' || d[1] != 'M') return false;
    header = BmpHeader{};
    header.fileSize = Read32(d + 2);
    header.reserved = Read32(d + 6);
    header.pixelOffset = Read32(d + 10);
    header.headerSize = Read32(d + 14);
    switch (header.headerSize) {
        case 12:
            if (size < kBmpFileHeaderBytes + 12) return false;
            header.width = Read16(d + 18);
            header.height = Read16(d + 20);
            header.planes = Read16(d + 22);
            header.bitCount = Read16(d + 24);
            return true;
        case 40:
        case 52:
        case 56:
        case 108:
        case 124:
            if (size < kBmpFileHeaderBytes + size_t{header.headerSize}) return false;
            header.width = int32_t(Read32(d + 18));
            header.height = int32_t(Read32(d + 22));
            header.planes = Read16(d + 26);
            header.bitCount = Read16(d + 28);
            header.compression = Read32(d + 30);
            header.imageSize = Read32(d + 34);
            header.coloursUsed = Read32(d + 46);
            return true;
        default:
            return false;
    }
}

void WriteBmpFileHeader(uint8_t* out, uint32_t fileSize, uint32_t pixelOffset) {
    out[0] = 'B';
    out[1] = 'M';
    Write32(out + 2, fileSize);
    Write32(out + 6, 0);
    Write32(out + 10, pixelOffset);
}

void WriteBmpInfoHeader(uint8_t* out, const BmpInfoHeader& info) {
    Write32(out, kBmpInfoHeaderBytes);
    Write32(out + 4, info.width);
    Write32(out + 8, info.height);
    Write16(out + 12, 1);
    Write16(out + 14, info.bitCount);
    Write32(out + 16, 0);  // no compression
    Write32(out + 20, info.imageSize);
    Write32(out + 24, 0);  // resolutions
    Write32(out + 28, 0);
    Write32(out + 32, info.coloursUsed);
    Write32(out + 36, 0);
}

bool IsBmpOfDepth(std::span<const uint8_t> picture, uint16_t bitCount) {
    BmpHeader header;
    return picture.size() >= kBmpHeadersBytes && ReadBmpHeader(picture, header) &&
           header.headerSize != 12 && header.bitCount == bitCount;
}

bool IsPlainBmp(std::span<const uint8_t> picture) {
    BmpHeader header;
    if (!ReadBmpHeader(picture, header) || header.headerSize != kBmpInfoHeaderBytes) return false;
    if ((header.bitCount != 24 && header.bitCount != 32) || header.width <= 0 || header.height <= 0)
        return false;
    const uint64_t rows =
        BmpStride(uint32_t(header.width), header.bitCount) * uint32_t(header.height);
    return header.fileSize == picture.size() && header.reserved == 0 &&
           header.pixelOffset == kBmpHeadersBytes && header.planes == 1 &&
           header.compression == 0 && header.coloursUsed == 0 &&
           picture.size() == kBmpHeadersBytes + rows;
}

std::optional<BmpRows> PlainBmp32View(std::span<const uint8_t> data) {
    BmpHeader header;
    if (data.size() < kBmpHeadersBytes || !ReadBmpHeader(data, header) || header.headerSize == 12 ||
        header.planes != 1 || header.bitCount != 32 || header.compression != 0)
        return std::nullopt;
    const int64_t width = header.width, height = header.height;
    if (width < 1 || width > kMaxPictureSide || height < 1 || height > kMaxPictureSide)
        return std::nullopt;
    // Beyond this the decoder refuses the picture as too large.
    if (Image24::StrideFor(uint32_t(width)) * uint64_t(height) > kMaxImageBytes)
        return std::nullopt;
    const uint64_t headersEnd = kBmpFileHeaderBytes + uint64_t{header.headerSize};
    const uint64_t pixelStart = header.pixelOffset;
    const uint64_t stride = uint64_t(width) * 4;
    if (pixelStart < headersEnd || pixelStart > data.size() ||
        (data.size() - pixelStart) / stride < uint64_t(height))
        return std::nullopt;
    return BmpRows{uint32_t(width), uint32_t(height), size_t(stride), data.data() + pixelStart};
}

}  // namespace bitmap
