#include "bitmap/picture_codec.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "bitmap/decoders.h"

namespace bitmap {
namespace {

void Write16(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
void Write32(uint8_t* p, uint32_t v) {
    Write16(p, v);
    Write16(p + 2, v >> 16);
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
    out = Image24{};
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
