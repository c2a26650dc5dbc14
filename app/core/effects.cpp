#include "app/core/effects.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstring>

#include "bitmap/bmp_format.h"
#include "bitmap/dib.h"
#include "bitmap/picture_codec.h"

namespace app {
namespace {

int32_t ClampComponent(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, 0, 255));
}

int32_t ColourOf(int32_t red, int32_t green, int32_t blue) {
    return red + green * 256 + blue * 65536;
}

// Calls `changeRow(pixels, width, bytesPerPixel)` on every row of a plain BMP (IsPlainBmp).
template <class ChangeRow>
void ForEachRow(std::span<uint8_t> picture, ChangeRow changeRow) {
    bitmap::BmpHeader header;
    bitmap::ReadBmpHeader(picture, header);
    const int32_t width = header.width;
    const size_t step = header.bitCount / 8;
    const size_t stride = size_t(bitmap::BmpStride(uint32_t(width), header.bitCount));
    for (size_t at = bitmap::kBmpHeadersBytes; at < picture.size(); at += stride) {
        changeRow(picture.data() + at, static_cast<size_t>(width), step);
    }
}

// `change` maps a colour's components to the new components.
template <class Change>
void ChangeRows(uint8_t* pixel, size_t width, size_t step, Change change) {
    for (size_t x = 0; x < width; ++x, pixel += step) {
        const Rgb out = change(Rgb{pixel[2], pixel[1], pixel[0]});
        pixel[0] = static_cast<uint8_t>(out.blue);
        pixel[1] = static_cast<uint8_t>(out.green);
        pixel[2] = static_cast<uint8_t>(out.red);
    }
}

// Runs `change` on every pixel. 24- and 32-bit bitmaps are changed row by row, which gives the
// same bytes as reading and writing each pixel; other depths go through the pixel commands.
template <class Change>
Picture ForEachPixel(std::span<const uint8_t> picture, Change change) {
    if (bitmap::IsPlainBmp(picture)) {
        Picture result(picture.begin(), picture.end());
        ForEachRow(std::span<uint8_t>(result), [&](uint8_t* row, size_t width, size_t step) {
            ChangeRows(row, width, step, change);
        });
        return result;
    }
    bitmap::Dib dib;
    if (!dib.LoadData(picture)) return {};
    const int32_t width = dib.GetWidth();
    const int32_t height = dib.GetHeight();
    const int depth = dib.BitsPerPixel();
    if (depth == 24 || depth == 32) {
        uint8_t* rows = dib.Bits();
        for (int32_t row = 0; row < height; ++row) {
            ChangeRows(rows + static_cast<size_t>(row) * dib.Stride(), static_cast<size_t>(width),
                       static_cast<size_t>(depth / 8), change);
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

// The brightness table: every component value moved by `offset` and clamped.
std::array<uint8_t, 256> BrightnessTable(int32_t offset) {
    std::array<uint8_t, 256> table{};
    for (int value = 0; value < 256; ++value) {
        table[value] = static_cast<uint8_t>(ClampComponent(int64_t{value} + offset));
    }
    return table;
}

// Both in-place forms work on the rows of a plain BMP only; the fourth byte of a 32-bit pixel
// and row padding stay as they are, as with the pixel commands.
// Clamped byte addition on the three colour bytes of two 32-bit pixels at once; the fourth
// bytes get 0 added and stay. `up` adds, otherwise `amount` is subtracted.
uint64_t AddClamped(uint64_t pixels, uint64_t amount, bool up) {
    constexpr uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Fu;
    constexpr uint64_t kHigh = 0x8080808080808080u;
    if (!up) pixels = ~pixels;  // x - a clamped at 0 is ~(~x + a clamped at 255)
    const uint64_t sum = ((pixels & kLow7) + (amount & kLow7)) ^ ((pixels ^ amount) & kHigh);
    const uint64_t carry = ((pixels & amount) | ((pixels | amount) & ~sum)) & kHigh;
    const uint64_t result = sum | ((carry >> 7) * 0xFF);
    return up ? result : ~result;
}

void BrightenRows(std::span<uint8_t> picture, int32_t offset) {
    const std::array<uint8_t, 256> table = BrightnessTable(offset);
    const bool up = offset >= 0;
    const uint64_t step = static_cast<uint64_t>(std::min<int64_t>(std::abs(int64_t{offset}), 255));
    const uint64_t amount = step * 0x0000000000010101u + (step << 32) * 0x010101u;
    ForEachRow(picture, [&](uint8_t* pixel, size_t width, size_t bytesPerPixel) {
        size_t x = 0;
        if (bytesPerPixel == 4) {
            for (; x + 2 <= width; x += 2, pixel += 8) {
                uint64_t pair;
                std::memcpy(&pair, pixel, 8);
                pair = AddClamped(pair, amount, up);
                std::memcpy(pixel, &pair, 8);
            }
        }
        for (; x < width; ++x, pixel += bytesPerPixel) {
            pixel[0] = table[pixel[0]];
            pixel[1] = table[pixel[1]];
            pixel[2] = table[pixel[2]];
        }
    });
}

// Mode 0 without a division: trunc(sum / 3) > threshold exactly when sum >= 3 * (threshold + 1).
void ThresholdAverageRows(std::span<uint8_t> picture, int32_t threshold) {
    const int64_t least = 3 * (int64_t{threshold} + 1);
    const uint32_t bound = static_cast<uint32_t>(std::clamp<int64_t>(least, 0, 766));
    ForEachRow(picture, [&](uint8_t* pixel, size_t width, size_t step) {
        if (step == 4) {
            for (size_t x = 0; x < width; ++x, pixel += 4) {
                uint32_t word;
                std::memcpy(&word, pixel, 4);
                const uint32_t sum = (word & 0xFF) + (word >> 8 & 0xFF) + (word >> 16 & 0xFF);
                word = (word & 0xFF000000u) | (sum >= bound ? 0xFFFFFFu : 0u);
                std::memcpy(pixel, &word, 4);
            }
            return;
        }
        for (size_t x = 0; x < width; ++x, pixel += step) {
            const uint32_t sum = uint32_t{pixel[0]} + pixel[1] + pixel[2];
            const uint8_t level = sum >= bound ? 255 : 0;
            pixel[0] = level;
            pixel[1] = level;
            pixel[2] = level;
        }
    });
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
    bitmap::BmpHeader header;
    if (!bitmap::ReadBmpHeader(picture, header)) return rows;
    const int64_t offset = header.pixelOffset;
    rows.width = header.width;
    rows.height = header.height;
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
    if (bitmap::IsPlainBmp(picture)) {
        Picture result(picture.begin(), picture.end());
        BrightenRows(result, offset);
        return result;
    }
    const std::array<uint8_t, 256> table = BrightnessTable(offset);
    return ForEachPixel(picture, [&](const Rgb& in) {
        auto shift = [&](int32_t component) {
            return component >= 0 && component < 256 ? table[component]
                                                     : ClampComponent(int64_t{component} + offset);
        };
        return Rgb{shift(in.red), shift(in.green), shift(in.blue)};
    });
}

Picture ThresholdToBlackWhite(std::span<const uint8_t> picture, int32_t threshold, int32_t mode) {
    if (mode == 0 && bitmap::IsPlainBmp(picture)) {
        Picture result(picture.begin(), picture.end());
        ThresholdAverageRows(result, threshold);
        return result;
    }
    return ForEachPixel(picture, [&](const Rgb& in) {
        const int32_t level = GreyValue(in, mode) > threshold ? 255 : 0;
        return Rgb{level, level, level};
    });
}

Picture NormaliseToBmp24(std::span<const uint8_t> picture) {
    if (bitmap::IsBmpOfDepth(picture, 24)) return Picture(picture.begin(), picture.end());
    bitmap::Image24 image;
    if (bitmap::DecodePicture(picture, image) != bitmap::DecodeStatus::Ok) return {};
    return bitmap::EncodeBmp24(image);
}

namespace {

// StampWatermark on a picture the caller hands over, which saves copying a frame.
Picture StampOnto(Picture base, std::span<const uint8_t> mark, std::optional<int32_t> x,
                  std::optional<int32_t> y, std::optional<int32_t> keyColour) {
    if (!bitmap::IsBmpOfDepth(base, 24) || !bitmap::IsBmpOfDepth(mark, 24)) return {};
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

    for (int64_t r = 1; r <= height; ++r) {
        const uint8_t* source = mark.data() + (from.end - r * from.stride);
        uint8_t* target = base.data() + (to.end - (top + r) * to.stride) + 3 * left;
        for (int64_t c = 0; c < width; ++c, source += 3, target += 3) {
            const uint32_t colour = source[0] | source[1] << 8 | uint32_t{source[2]} << 16;
            if (colour != key) std::copy(source, source + 3, target);
        }
    }
    return base;
}

}  // namespace

Picture StampWatermark(std::span<const uint8_t> base, std::span<const uint8_t> mark,
                       std::optional<int32_t> x, std::optional<int32_t> y,
                       std::optional<int32_t> keyColour) {
    if (!bitmap::IsBmpOfDepth(base, 24)) return {};
    return StampOnto(Picture(base.begin(), base.end()), mark, x, y, keyColour);
}

bool HasEffects(const FrameEffects& effects) {
    return effects.brightnessPosition != 10 || effects.blackWhitePosition != 1 ||
           effects.watermarkOn;
}

Picture ApplyFrameEffects(Picture frame, const FrameEffects& effects,
                          std::span<const uint8_t> watermark, int32_t regionWidth,
                          int32_t regionHeight) {
    // A grabbed frame is a plain BMP and is changed where it lies.
    if (effects.brightnessPosition != 10) {
        const int32_t offset = effects.brightnessPosition * 10 - 100;
        if (bitmap::IsPlainBmp(frame))
            BrightenRows(frame, offset);
        else
            frame = AdjustBrightness(frame, offset);
    }
    if (effects.blackWhitePosition != 1) {
        const int32_t threshold = effects.blackWhitePosition * 20;
        if (bitmap::IsPlainBmp(frame))
            ThresholdAverageRows(frame, threshold);
        else
            frame = ThresholdToBlackWhite(frame, threshold, 0);
    }
    if (effects.watermarkOn) {
        if (!bitmap::IsBmpOfDepth(frame, 24)) frame = NormaliseToBmp24(frame);
        frame = StampOnto(std::move(frame), watermark,
                          Saturate(int64_t{regionWidth} - effects.watermarkWidth),
                          Saturate(int64_t{regionHeight} - effects.watermarkHeight), 0);
    }
    return frame;
}

}  // namespace app
