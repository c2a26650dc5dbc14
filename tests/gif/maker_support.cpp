#include "maker_support.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <random>

namespace gif::testing {

bitmap::Image24 MakeImage(uint32_t width, uint32_t height,
                          const std::function<Rgb(uint32_t, uint32_t)>& colour) {
    bitmap::Image24 image;
    image.width = width;
    image.height = height;
    image.pixels.assign(image.Stride() * height, 0);
    for (uint32_t y = 0; y < height; ++y) {
        uint8_t* row = image.pixels.data() + image.Stride() * (height - 1 - y);
        for (uint32_t x = 0; x < width; ++x) {
            Rgb c = colour(x, y);
            row[3 * x + 0] = c.b;
            row[3 * x + 1] = c.g;
            row[3 * x + 2] = c.r;
        }
    }
    return image;
}

Rgb PixelAt(const bitmap::Image24& image, uint32_t x, uint32_t y) {
    const uint8_t* p = image.pixels.data() + image.Stride() * (image.height - 1 - y) + 3 * x;
    return {p[2], p[1], p[0]};
}

std::vector<uint8_t> Bmp24(const bitmap::Image24& image) {
    return bitmap::EncodeBmp24(image);
}

std::vector<uint8_t> Bmp32(const bitmap::Image24& image) {
    return bitmap::EncodeBmp32(image);
}

bitmap::Image24 ScreenLike(uint32_t width, uint32_t height, uint32_t seed) {
    std::mt19937 random(seed);
    // Glyph-like on/off pattern per text line, fixed per seed.
    std::vector<uint8_t> glyphs(4096);
    for (auto& g : glyphs) g = uint8_t(random() % 5 == 0);
    return MakeImage(width, height, [&](uint32_t x, uint32_t y) -> Rgb {
        if (y < height / 12) return {45, 45, 48};   // title bar
        if (x < width / 5) return {240, 240, 240};  // side panel
        if (y > height * 5 / 6)                     // gradient strip
            return {uint8_t(x * 255 / width), uint8_t(y * 255 / height), 128};
        uint32_t line = y / 18, inLine = y % 18;
        if (inLine < 12 && (x / 7 + line * 31) % 90 < 70) {  // text lines
            bool ink = glyphs[(((x + seed) % 64) * 16 + inLine + (line % 8) * 3) & 4095];
            return ink ? Rgb{20, 20, 20} : Rgb{255, 255, 255};
        }
        return {255, 255, 255};
    });
}

bitmap::Image24 Noise(uint32_t width, uint32_t height, uint32_t seed) {
    std::mt19937 random(seed);
    return MakeImage(width, height, [&](uint32_t, uint32_t) -> Rgb {
        uint32_t v = random();
        return {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16)};
    });
}

uint8_t IndexAt(const IndexedImage& image, uint32_t x, uint32_t y) {
    return image.TopRow(y)[x];
}

Rgb PaletteEntry(const IndexedImage& image, uint32_t index) {
    const uint8_t* e = image.colourTable.data() + 4 * index;
    return {e[2], e[1], e[0]};
}

std::vector<uint8_t> SaveToMemory(GifMaker& maker) {
    MemorySink sink;
    EXPECT_TRUE(maker.SaveGif(sink)) << maker.GetError();
    return std::move(sink.bytes);
}

std::string TemporaryFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "gif_maker_test.XXXXXX").string();
    char* made = mkdtemp(pattern.data());
    EXPECT_NE(made, nullptr);
    static std::vector<std::string> folders;
    static bool registered = false;
    if (!registered) {
        registered = true;
        std::atexit([] {
            std::error_code ignored;
            for (const auto& f : folders) std::filesystem::remove_all(f, ignored);
        });
    }
    folders.push_back(pattern);
    return pattern;
}

}  // namespace gif::testing
