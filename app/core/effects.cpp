#include "app/core/effects.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>

#include "bitmap/dib.h"
#include "bitmap/picture_codec.h"

namespace app {
namespace {

uint32_t ReadU32(std::span<const uint8_t> bytes, size_t at) {
    return uint32_t{bytes[at]} | uint32_t{bytes[at + 1]} << 8 | uint32_t{bytes[at + 2]} << 16 |
           uint32_t{bytes[at + 3]} << 24;
}

uint16_t ReadU16(std::span<const uint8_t> bytes, size_t at) {
    return static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

bool IsBmpOfDepth(std::span<const uint8_t> picture, uint16_t depth) {
    return picture.size() >= 54 && picture[0] == 'B' && picture[1] == 'M' &&
           ReadU16(picture, 28) == depth;
}

int32_t ClampComponent(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, 0, 255));
}

int32_t ColourOf(int32_t red, int32_t green, int32_t blue) {
    return red + green * 256 + blue * 65536;
}

// Runs `change` on every pixel. 24- and 32-bit bitmaps are changed in place row by row, which
// gives the same bytes as reading and writing each pixel; other depths go through the pixel
// commands. `change` maps a colour's components to the new components.
template <class Change>
Picture ForEachPixel(std::span<const uint8_t> picture, Change change) {
    bitmap::Dib dib;
    if (!dib.LoadData(picture)) return {};
    const int32_t width = dib.GetWidth();
    const int32_t height = dib.GetHeight();
    const int depth = dib.BitsPerPixel();
    if (depth == 24 || depth == 32) {
        const size_t step = depth / 8;
        uint8_t* rows = dib.Bits();
        for (int32_t row = 0; row < height; ++row) {
            uint8_t* pixel = rows + static_cast<size_t>(row) * dib.Stride();
            for (int32_t x = 0; x < width; ++x, pixel += step) {
                const Rgb out = change(Rgb{pixel[2], pixel[1], pixel[0]});
                pixel[0] = static_cast<uint8_t>(out.blue);
                pixel[1] = static_cast<uint8_t>(out.green);
                pixel[2] = static_cast<uint8_t>(out.red);
            }
        }
    } else {
        for (int32_t x = 0; x < width; ++x) {
            for (int32_t y = 0; y < height; ++y) {
                const Rgb out = change(SplitColour(dib.GetPixel(x, y)));
                dib.SetPixel(x, y, ColourOf(out.red, out.green, out.blue));
            }
        }
    }
    return dib.GetData();
}

int32_t GreyValue(const Rgb& colour, int32_t mode) {
    switch (mode) {
        case 0:
            return (colour.red + colour.green + colour.blue) / 3;
        case 1:
            return static_cast<int32_t>(
                std::trunc(0.3 * colour.red + 0.59 * colour.green + 0.11 * colour.blue));
        case 2:
            return colour.red;
        case 3:
            return colour.green;
        default:
            return colour.blue;
    }
}

// A 24-bit BMP's pixel rows as StampWatermark addresses them; `valid` only when the declared
// rows lie inside the bytes.
struct Rows24 {
    int64_t width = 0;
    int64_t height = 0;
    int64_t stride = 0;
    int64_t end = 0;  // one past the last byte of the pixel rows
    bool valid = false;
};

Rows24 RowsOf(std::span<const uint8_t> picture) {
    Rows24 rows;
    const int64_t offset = ReadU32(picture, 10);
    rows.width = static_cast<int32_t>(ReadU32(picture, 18));
    rows.height = static_cast<int32_t>(ReadU32(picture, 22));
    if (rows.width <= 0 || rows.height <= 0 || offset < 54) return rows;
    rows.stride = 3 * rows.width + rows.width % 4;
    rows.end = offset + rows.stride * rows.height;
    rows.valid = rows.end <= static_cast<int64_t>(picture.size());
    return rows;
}

int32_t Saturate(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

}  // namespace

Rgb SplitColour(int32_t colour) {
    Rgb rgb;
    rgb.red = colour % 256;
    rgb.blue = colour / 65536;
    rgb.green = (colour - rgb.blue * 65536) / 256;
    return rgb;
}

Picture AdjustBrightness(std::span<const uint8_t> picture, int32_t offset) {
    std::array<uint8_t, 256> table{};
    for (int value = 0; value < 256; ++value) {
        table[value] = static_cast<uint8_t>(ClampComponent(int64_t{value} + offset));
    }
    return ForEachPixel(picture, [&](const Rgb& in) {
        auto shift = [&](int32_t component) {
            return component >= 0 && component < 256 ? table[component]
                                                     : ClampComponent(int64_t{component} + offset);
        };
        return Rgb{shift(in.red), shift(in.green), shift(in.blue)};
    });
}

Picture ThresholdToBlackWhite(std::span<const uint8_t> picture, int32_t threshold, int32_t mode) {
    return ForEachPixel(picture, [&](const Rgb& in) {
        const int32_t level = GreyValue(in, mode) > threshold ? 255 : 0;
        return Rgb{level, level, level};
    });
}

Picture NormaliseToBmp24(std::span<const uint8_t> picture) {
    if (IsBmpOfDepth(picture, 24)) return Picture(picture.begin(), picture.end());
    bitmap::Image24 image;
    if (bitmap::DecodePicture(picture, image) != bitmap::DecodeStatus::Ok) return {};
    return bitmap::EncodeBmp24(image);
}

Picture StampWatermark(std::span<const uint8_t> base, std::span<const uint8_t> mark,
                       std::optional<int32_t> x, std::optional<int32_t> y,
                       std::optional<int32_t> keyColour) {
    if (!IsBmpOfDepth(base, 24) || !IsBmpOfDepth(mark, 24)) return {};
    const Rows24 to = RowsOf(base);
    const Rows24 from = RowsOf(mark);
    if (!to.valid || !from.valid) return {};
    const uint32_t key = static_cast<uint32_t>(keyColour.value_or(0xFFFFFF));

    int64_t left = x ? *x : to.width - from.width - 20;
    int64_t top = y ? *y : to.height - from.height - 20;
    left = std::max<int64_t>(left, 0);
    top = std::max<int64_t>(top, 0);
    int64_t width = std::min(from.width, to.width);
    int64_t height = std::min(from.height, to.height);
    if (left + from.width > to.width) width = to.width - left;
    if (top + from.height > to.height) height = to.height - top;

    Picture result(base.begin(), base.end());
    for (int64_t r = 1; r <= height; ++r) {
        const uint8_t* source = mark.data() + (from.end - r * from.stride);
        uint8_t* target = result.data() + (to.end - (top + r) * to.stride) + 3 * left;
        for (int64_t c = 0; c < width; ++c, source += 3, target += 3) {
            const uint32_t colour = source[0] | source[1] << 8 | uint32_t{source[2]} << 16;
            if (colour != key) std::copy(source, source + 3, target);
        }
    }
    return result;
}

bool HasEffects(const FrameEffects& effects) {
    return effects.brightnessPosition != 10 || effects.blackWhitePosition != 1 ||
           effects.watermarkOn;
}

Picture ApplyFrameEffects(Picture frame, const FrameEffects& effects,
                          std::span<const uint8_t> watermark, int32_t regionWidth,
                          int32_t regionHeight) {
    if (effects.brightnessPosition != 10) {
        frame = AdjustBrightness(frame, effects.brightnessPosition * 10 - 100);
    }
    if (effects.blackWhitePosition != 1) {
        frame = ThresholdToBlackWhite(frame, effects.blackWhitePosition * 20, 0);
    }
    if (effects.watermarkOn) {
        frame = StampWatermark(NormaliseToBmp24(frame), watermark,
                               Saturate(int64_t{regionWidth} - effects.watermarkWidth),
                               Saturate(int64_t{regionHeight} - effects.watermarkHeight), 0);
    }
    return frame;
}

}  // namespace app
