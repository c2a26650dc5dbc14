// The format decoders behind DecodePicture, and what they share.
#pragma once

#include <cstdint>
#include <span>

#include "bitmap/picture_codec.h"

namespace bitmap {

// TooLarge when a side or the 24-bit image passes the limits, NotAPicture for an empty side.
DecodeStatus CheckPictureSize(uint64_t width, uint64_t height, const DecodeLimits& limits);
// Makes `out` a black picture of that size; throws std::bad_alloc.
void AllocateImage(uint32_t width, uint32_t height, Image24& out);

// Alpha as an 8-bit weight over black, rounded.
inline uint8_t OverBlack(uint32_t channel, uint32_t alpha) {
    return uint8_t((channel * alpha + 127) / 255);
}

// Each leaves `out` in any state on failure and may throw std::bad_alloc; DecodePicture tidies up.
DecodeStatus DecodeBmp(std::span<const uint8_t> data, Image24& out, const DecodeLimits& limits);
DecodeStatus DecodePng(std::span<const uint8_t> data, Image24& out, const DecodeLimits& limits);
DecodeStatus DecodeJpeg(std::span<const uint8_t> data, Image24& out, const DecodeLimits& limits);
DecodeStatus DecodeGif(std::span<const uint8_t> data, Image24& out, const DecodeLimits& limits);

}  // namespace bitmap
