// The picture operations of the capture worker. Pictures are BMP file images held in memory;
// an empty array means no picture and is every operation's failure result.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace app {

using Picture = std::vector<uint8_t>;

struct Rgb {
    int32_t red = 0;
    int32_t green = 0;
    int32_t blue = 0;
};

// A colour value red + green * 256 + blue * 65536 split into its components.
Rgb SplitColour(int32_t colour);

// Adds `offset` to every component of every pixel, clamped to 0..255. Keeps the picture's depth.
Picture AdjustBrightness(std::span<const uint8_t> picture, int32_t offset);

// Grey modes: 0 average, 1 weighted luminance, 2 red, 3 green, anything else blue.
// A pixel whose grey value is above `threshold` becomes white, every other one black.
Picture ThresholdToBlackWhite(std::span<const uint8_t> picture, int32_t threshold, int32_t mode);

// The picture as an uncompressed bottom-up 24-bit BMP; a 24-bit BMP is returned unchanged.
Picture NormaliseToBmp24(std::span<const uint8_t> picture);

// Copies `mark` onto `base` with its top-left corner at (x, y) from the top-left, clipped to the
// base; mark pixels equal to `keyColour` (white when none is given) are left out. Without x or y
// the mark sits 20 pixels from the right or bottom edge. Both must be 24-bit BMPs whose pixel
// rows lie inside their bytes; otherwise the result is empty.
Picture StampWatermark(std::span<const uint8_t> base, std::span<const uint8_t> mark,
                       std::optional<int32_t> x = std::nullopt,
                       std::optional<int32_t> y = std::nullopt,
                       std::optional<int32_t> keyColour = std::nullopt);

// The settings one frame is processed with.
struct FrameEffects {
    int brightnessPosition = 10;  // 1..20, 10 neutral
    int blackWhitePosition = 1;   // 1..10, 1 off
    bool watermarkOn = false;
    int32_t watermarkWidth = 0;
    int32_t watermarkHeight = 0;
};

// Whether any of the effects is switched on.
bool HasEffects(const FrameEffects& effects);

// Brightness, black-and-white and the watermark in the bottom-right corner of a region of
// regionWidth x regionHeight, black being the watermark's transparent colour.
Picture ApplyFrameEffects(Picture frame, const FrameEffects& effects,
                          std::span<const uint8_t> watermark, int32_t regionWidth,
                          int32_t regionHeight);

}  // namespace app
