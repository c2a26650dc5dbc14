#include "optimiser_scenes_support.h"

#include <random>

#include "maker_support.h"

namespace gif::testing {

Scene StillScreen(uint32_t width, uint32_t height, int frames) {
    return Scene(size_t(frames), ScreenLike(width, height, 3));
}

Scene BlinkingCursor(uint32_t width, uint32_t height, int frames) {
    const bitmap::Image24 screen = ScreenLike(width, height, 4);
    Scene scene;
    for (int i = 0; i < frames; ++i) {
        scene.push_back(MakeImage(width, height, [&](uint32_t x, uint32_t y) {
            const bool cursor = i % 2 == 0 && x >= width / 2 && x < width / 2 + 2 &&
                                y >= height / 2 && y < height / 2 + 9;
            return cursor ? Rgb{0, 0, 0} : PixelAt(screen, x, y);
        }));
    }
    return scene;
}

Scene ScrollingText(uint32_t width, uint32_t height, int frames) {
    const bitmap::Image24 text = ScreenLike(width, height * 3, 5);
    Scene scene;
    for (int i = 0; i < frames; ++i)
        scene.push_back(MakeImage(width, height, [&](uint32_t x, uint32_t y) {
            return PixelAt(text, x, y + 5 * uint32_t(i));
        }));
    return scene;
}

Scene FullScreenNoise(uint32_t width, uint32_t height, int frames) {
    Scene scene;
    for (int i = 0; i < frames; ++i) scene.push_back(Noise(width, height, uint32_t(i + 1)));
    return scene;
}

Scene LastPixelChanges(uint32_t width, uint32_t height, int frames) {
    const bitmap::Image24 screen = ScreenLike(width, height, 6);
    Scene scene;
    for (int i = 0; i < frames; ++i)
        scene.push_back(MakeImage(width, height, [&](uint32_t x, uint32_t y) {
            if (x == width - 1 && y == height - 1) return Rgb{uint8_t(40 * i), 0, 200};
            return PixelAt(screen, x, y);
        }));
    return scene;
}

Scene AllPaletteEntries(int frames) {
    Scene scene;
    std::mt19937 random(9);
    std::vector<uint32_t> order(256);
    for (uint32_t i = 0; i < 256; ++i) order[i] = i;
    for (int i = 0; i < frames; ++i) {
        // 32 x 32: each colour in a 2 x 2 block, so the counts tie and the order is the rule's.
        scene.push_back(MakeImage(32, 32, [&](uint32_t x, uint32_t y) {
            const uint32_t c = order[(y / 2) * 16 + x / 2];
            return Rgb{uint8_t((c & 15) * 16 + 8), uint8_t((c >> 4) * 16 + 3), uint8_t(c * 7)};
        }));
        std::shuffle(order.begin(), order.begin() + 64, random);
    }
    return scene;
}

}  // namespace gif::testing
