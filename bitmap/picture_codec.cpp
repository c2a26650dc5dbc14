#include "bitmap/picture_codec.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

#include "bitmap/bmp_format.h"
#include "bitmap/decoders.h"

namespace bitmap {
namespace {

constexpr size_t kHeadersSize = kBmpHeadersBytes;

// `file` holds the headers and `imageBytes` of rows after them.
void WriteBmpHeaders(uint8_t* file, uint32_t width, uint32_t height, uint16_t bitCount,
                     uint32_t imageBytes) {
    WriteBmpFileHeader(file, uint32_t(kHeadersSize + imageBytes), kHeadersSize);
    WriteBmpInfoHeader(file + kBmpFileHeaderBytes, {width, height, bitCount, imageBytes, 0});
}

bool StartsWith(std::span<const uint8_t> data, const char* magic, size_t length) {
    return data.size() >= length && std::memcmp(data.data(), magic, length) == 0;
}

}  // namespace

DecodeStatus CheckPictureSize(uint64_t width, uint64_t height, const DecodeLimits& limits) {
    if (width == 0 || height == 0) return DecodeStatus::NotAPicture;
    const uint64_t maxSide = std::min<uint64_t>(limits.maxSide, kMaxPictureSide);
    const uint64_t maxBytes = std::min(limits.maxImageBytes, kMaxImageBytes);
    if (width > maxSide || height > maxSide) return DecodeStatus::TooLarge;
    if (Image24::StrideFor(uint32_t(width)) * height > maxBytes) return DecodeStatus::TooLarge;
    return DecodeStatus::Ok;
}

void AllocateImage(uint32_t width, uint32_t height, Image24& out) {
    out.width = width;
    out.height = height;
    out.pixels.assign(out.Stride() * height, 0);
}

DecodeStatus DecodePicture(std::span<const uint8_t> data, Image24& out) {
    return DecodePicture(data, out, DecodeLimits{});
}

DecodeStatus DecodePicture(std::span<const uint8_t> data, Image24& out,
                           const DecodeLimits& limits) {
    // Emptied, but its memory kept for a caller decoding one picture after another.
    out.width = out.height = 0;
    out.pixels.clear();
    DecodeStatus status = DecodeStatus::NotAPicture;
    try {
        if (StartsWith(data, "BM", 2)) {
            status = DecodeBmp(data, out, limits);
        } else if (StartsWith(data, "\x89PNG\r\n\x1a\n", 8)) {
            status = DecodePng(data, out, limits);
        } else if (StartsWith(data, "\xFF\xD8\xFF", 3)) {
            status = DecodeJpeg(data, out, limits);
        } else if (StartsWith(data, "GIF87a", 6) || StartsWith(data, "GIF89a", 6)) {
            status = DecodeGif(data, out, limits);
        }
    } catch (const std::bad_alloc&) {
        status = DecodeStatus::OutOfMemory;
    }
    if (status != DecodeStatus::Ok) out = Image24{};
    return status;
}

std::vector<uint8_t> EncodeBmp24(const Image24& image) {
    const size_t imageBytes = image.Stride() * image.height;
    if (image.width == 0 || image.height == 0 || image.pixels.size() < imageBytes ||
        imageBytes > kMaxImageBytes || image.width > kMaxPictureSide ||
        image.height > kMaxPictureSide)
        return {};
    try {
        std::vector<uint8_t> file(kHeadersSize + imageBytes, 0);
        WriteBmpHeaders(file.data(), image.width, image.height, 24, uint32_t(imageBytes));
        std::memcpy(file.data() + kHeadersSize, image.pixels.data(), imageBytes);
        return file;
    } catch (const std::bad_alloc&) {
        return {};
    }
}

std::vector<uint8_t> EncodeBmp32(const Image24& image) {
    constexpr uint64_t kMaxSide = uint32_t{std::numeric_limits<int32_t>::max()};
    const uint64_t imageBytes = uint64_t{image.width} * 4 * image.height;
    if (image.width == 0 || image.height == 0 || image.width > kMaxSide ||
        image.height > kMaxSide ||
        imageBytes > std::numeric_limits<uint32_t>::max() - kHeadersSize ||
        image.pixels.size() < image.Stride() * image.height)
        return {};
    try {
        std::vector<uint8_t> file(kHeadersSize + size_t(imageBytes), 0);
        WriteBmpHeaders(file.data(), image.width, image.height, 32, uint32_t(imageBytes));
        for (uint32_t y = 0; y < image.height; ++y) {
            const uint8_t* src = image.pixels.data() + image.Stride() * y;
            uint8_t* dst = file.data() + kHeadersSize + size_t{image.width} * 4 * y;
            for (uint32_t x = 0; x < image.width; ++x) std::memcpy(dst + 4 * x, src + 3 * x, 3);
        }
        return file;
    } catch (const std::bad_alloc&) {
        return {};
    }
}

}  // namespace bitmap
