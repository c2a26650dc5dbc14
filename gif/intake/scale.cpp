#include "gif/intake/scale.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace gif {
namespace {

constexpr uint32_t kWeightBits = 12;  // the weights of one output pixel add up to 2^12

// Per output pixel, the source pixels it covers and how much of each.
struct Taps {
    std::vector<uint32_t> first;   // per output pixel: index into weights, and source start
    std::vector<uint32_t> source;  // per output pixel: first source pixel
    std::vector<uint16_t> weights;
};

Taps TapsFor(uint32_t from, uint32_t to) {
    Taps taps;
    const double step = double(from) / to;
    for (uint32_t i = 0; i < to; ++i) {
        const double begin = i * step, end = (i + 1) * step;
        const uint32_t s0 = uint32_t(begin), s1 = std::min(from, uint32_t(std::ceil(end)));
        taps.first.push_back(uint32_t(taps.weights.size()));
        taps.source.push_back(s0);
        // Weights from rounded cumulative cover: never negative, and they add up exactly.
        auto upTo = [&](double at) {
            return std::lround((at - begin) / step * (1 << kWeightBits));
        };
        for (uint32_t s = s0; s < s1; ++s) {
            const double from = std::max(begin, double(s)), until = std::min(end, s + 1.0);
            taps.weights.push_back(uint16_t(upTo(until) - upTo(from)));
        }
    }
    taps.first.push_back(uint32_t(taps.weights.size()));
    return taps;
}

}  // namespace

ScaledSize ScaledSizeOf(uint32_t width, uint32_t height, uint32_t targetWidth, uint32_t percent) {
    uint64_t w = width, h = height;
    if (targetWidth != 0 && targetWidth < width) {
        w = targetWidth;
        h = (uint64_t{height} * targetWidth + width / 2) / width;
    } else if (targetWidth == 0 && percent < 100) {
        w = (uint64_t{width} * percent + 50) / 100;
        h = (uint64_t{height} * percent + 50) / 100;
    }
    return {uint32_t(std::max<uint64_t>(w, 1)), uint32_t(std::max<uint64_t>(h, 1))};
}

void ScaleDown(const PixelView& picture, uint32_t width, uint32_t height, bitmap::Image24& out) {
    const Taps across = TapsFor(picture.width, width);
    const Taps down = TapsFor(picture.height, height);
    // Rows scaled across first, each channel kept at 8 more bits than a byte.
    std::vector<uint16_t> wide(size_t{width} * 3 * picture.height);
    for (uint32_t y = 0; y < picture.height; ++y) {
        const uint8_t* row = picture.Row(y);
        uint16_t* to = wide.data() + size_t{width} * 3 * y;
        for (uint32_t x = 0; x < width; ++x) {
            uint32_t sum[3] = {0, 0, 0};
            const uint8_t* p = row + size_t{across.source[x]} * picture.bytesPerPixel;
            for (uint32_t t = across.first[x]; t < across.first[x + 1];
                 ++t, p += picture.bytesPerPixel)
                for (int c = 0; c < 3; ++c) sum[c] += p[c] * uint32_t(across.weights[t]);
            for (int c = 0; c < 3; ++c)
                to[3 * x + c] = uint16_t((sum[c] + (1u << (kWeightBits - 9))) >> (kWeightBits - 8));
        }
    }
    out.width = width;
    out.height = height;
    out.pixels.assign(out.Stride() * height, 0);
    for (uint32_t y = 0; y < height; ++y) {
        uint8_t* to = out.pixels.data() + out.Stride() * y;
        for (uint32_t i = 0; i < width * 3; ++i) {
            uint32_t sum = 0;
            const uint16_t* p = wide.data() + size_t{width} * 3 * down.source[y] + i;
            for (uint32_t t = down.first[y]; t < down.first[y + 1]; ++t, p += size_t{width} * 3)
                sum += *p * uint32_t(down.weights[t]);
            to[i] = uint8_t(
                std::min<uint32_t>(255, (sum + (1u << (kWeightBits + 7))) >> (kWeightBits + 8)));
        }
    }
}

}  // namespace gif
