// Builds small BMP file images for the recorder's tests.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

namespace apptest {

struct Px {
    uint8_t red = 0, green = 0, blue = 0;
    friend bool operator==(const Px&, const Px&) = default;
};

inline void PutU16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    b[at] = v & 0xFF;
    b[at + 1] = (v >> 8) & 0xFF;
}
inline void PutU32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = (v >> (8 * i)) & 0xFF;
}
inline uint32_t GetU32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t{b[at + 3]} << 24;
}

inline size_t StrideOf(int width, int depth) {
    return ((width * depth + 31) >> 5) << 2;
}

// A bottom-up BMP of 24 or 32 bits per pixel; `at(x, y)` gives the pixel with y from the top.
// The fourth byte of 32-bit pixels and the row padding are filled with `filler`.
inline std::vector<uint8_t> MakeBmp(int width, int height, int depth,
                                    const std::function<Px(int x, int y)>& at, uint8_t filler = 0) {
    const size_t stride = StrideOf(width, depth);
    std::vector<uint8_t> b(54 + stride * height, filler);
    std::fill(b.begin(), b.begin() + 54, 0);
    b[0] = 'B';
    b[1] = 'M';
    PutU32(b, 2, static_cast<uint32_t>(b.size()));
    PutU32(b, 10, 54);
    PutU32(b, 14, 40);
    PutU32(b, 18, width);
    PutU32(b, 22, height);
    PutU16(b, 26, 1);
    PutU16(b, 28, depth);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = b.data() + 54 + (height - 1 - y) * stride;
        for (int x = 0; x < width; ++x) {
            const Px p = at(x, y);
            uint8_t* px = row + x * (depth / 8);
            px[0] = p.blue;
            px[1] = p.green;
            px[2] = p.red;
        }
    }
    return b;
}

inline std::vector<uint8_t> SolidBmp(int width, int height, int depth, Px colour) {
    return MakeBmp(width, height, depth, [&](int, int) { return colour; });
}

// The pixel (x, y from the top) of a bottom-up 24- or 32-bit BMP.
inline Px PixelOf(const std::vector<uint8_t>& b, int x, int y) {
    const int width = static_cast<int32_t>(GetU32(b, 18));
    const int height = static_cast<int32_t>(GetU32(b, 22));
    const int depth = b[28];
    const uint8_t* px =
        b.data() + GetU32(b, 10) + (height - 1 - y) * StrideOf(width, depth) + x * (depth / 8);
    return Px{px[2], px[1], px[0]};
}

}  // namespace apptest
