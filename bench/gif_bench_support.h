// Shared inputs for the GIF benchmarks: screen-like and noise pictures, 32-bit BMP file images
// and a giflib round trip to check encoded data before anything is timed.
#pragma once

#include <gif_lib.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <span>
#include <vector>

#include "bitmap/picture_codec.h"

namespace gifbench {

inline void PutPixel(bitmap::Image24& image, uint32_t x, uint32_t yFromTop, uint8_t r, uint8_t g,
                     uint8_t b) {
    uint8_t* p = image.pixels.data() + image.Stride() * (image.height - 1 - yFromTop) + 3 * x;
    p[0] = b;
    p[1] = g;
    p[2] = r;
}

// A desktop: title bar, side panel, lines of text-like glyph strips on white, and a colour
// gradient across the lower part. `variant` shifts the text, as scrolling would.
inline bitmap::Image24 ScreenLike(uint32_t width, uint32_t height, uint32_t variant = 0) {
    bitmap::Image24 image;
    image.width = width;
    image.height = height;
    image.pixels.assign(image.Stride() * height, 0);
    std::mt19937 random(12345);
    std::vector<uint8_t> glyphs(64 * 16);
    for (auto& g : glyphs) g = uint8_t(random() % 3 == 0);
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            if (y < 40) {
                PutPixel(image, x, y, 32, 38, 48);
            } else if (x < 300) {
                bool item = (y / 32) % 2 == 0 && x > 20 && x < 260 && (y % 32) > 8 && (y % 32) < 22;
                if (item)
                    PutPixel(image, x, y, 70, 70, 80);
                else
                    PutPixel(image, x, y, 236, 238, 242);
            } else if (y > height * 3 / 4) {
                PutPixel(image, x, y, uint8_t(x * 255 / width), uint8_t((y * 3) & 255),
                         uint8_t(255 - x * 255 / width));
            } else {
                uint32_t line = (y + variant * 3) / 20, inLine = (y + variant * 3) % 20;
                bool textArea = inLine >= 4 && inLine < 16 && ((x - 300) / 8 + line * 7) % 97 < 80;
                bool ink = textArea &&
                           glyphs[((x / 8 + line * 13) % 64) * 16 + (inLine - 4) % 16] &&
                           (x % 8) < 6;
                if (ink)
                    PutPixel(image, x, y, 24, 24, 28);
                else if (textArea && line % 11 == 3)
                    PutPixel(image, x, y, 255, 244, 200);  // a highlighted line
                else
                    PutPixel(image, x, y, 255, 255, 255);
            }
        }
    }
    return image;
}

inline std::vector<uint8_t> Bmp32(const bitmap::Image24& image) {
    return bitmap::EncodeBmp32(image);
}

inline std::vector<uint8_t> NoiseIndices(size_t count) {
    std::mt19937 random(7);
    std::vector<uint8_t> indices(count);
    for (auto& v : indices) v = uint8_t(random());
    return indices;
}

// The indices of the first image of a GIF held in memory, as giflib decodes them; empty when
// giflib refuses the data.
inline std::vector<uint8_t> GiflibFirstImage(std::span<const uint8_t> gif) {
    struct Reader {
        std::span<const uint8_t> bytes;
        size_t at = 0;
    } reader{gif};
    auto read = [](GifFileType* file, GifByteType* buffer, int size) -> int {
        auto* r = static_cast<Reader*>(file->UserData);
        size_t n = std::min(size_t(size), r->bytes.size() - r->at);
        std::memcpy(buffer, r->bytes.data() + r->at, n);
        r->at += n;
        return int(n);
    };
    int error = 0;
    GifFileType* file = DGifOpen(&reader, read, &error);
    if (!file) return {};
    std::vector<uint8_t> indices;
    if (DGifSlurp(file) == GIF_OK && file->ImageCount > 0) {
        const SavedImage& image = file->SavedImages[0];
        size_t count = size_t(image.ImageDesc.Width) * size_t(image.ImageDesc.Height);
        indices.assign(image.RasterBits, image.RasterBits + count);
    }
    DGifCloseFile(file, &error);
    return indices;
}

}  // namespace gifbench
