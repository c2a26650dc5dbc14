// Pictures for the maker's tests: 24-bit images and the BMP file images made from them.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "bitmap/picture_codec.h"
#include "gif/gif_maker.h"

namespace gif::testing {

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

// A picture whose pixel at (x, y), y counted from the top, is colour(x, y).
bitmap::Image24 MakeImage(uint32_t width, uint32_t height,
                          const std::function<Rgb(uint32_t x, uint32_t y)>& colour);
Rgb PixelAt(const bitmap::Image24& image, uint32_t x, uint32_t y);  // y from the top

// BMP file images: 24-bit (through the codec) and 32-bit (as the recorder hands them over).
std::vector<uint8_t> Bmp24(const bitmap::Image24& image);
std::vector<uint8_t> Bmp32(const bitmap::Image24& image);

// Screen-like content: flat panels, text-like strips of two colours, and a gradient.
bitmap::Image24 ScreenLike(uint32_t width, uint32_t height, uint32_t seed = 1);
// Every pixel an independent random colour.
bitmap::Image24 Noise(uint32_t width, uint32_t height, uint32_t seed = 1);

// A stored frame's index at (x, y), y counted from the top.
uint8_t IndexAt(const IndexedImage& image, uint32_t x, uint32_t y);
Rgb PaletteEntry(const IndexedImage& image, uint32_t index);

// Saves into memory; fails the calling test on a failure.
std::vector<uint8_t> SaveToMemory(GifMaker& maker);

// A file name in a fresh folder of its own that is removed at exit.
std::string TemporaryFolder();

}  // namespace gif::testing
