#include "gif/intake/colour_reduction.h"

#include "gif/intake/colour_keys.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

namespace gif {
namespace {

// The same key from the pixel's bytes read as one little-endian word (blue lowest); the
// fourth byte, the next pixel's or padding, is ignored. One load instead of three.
inline uint32_t KeyOfWord(const uint8_t* bgr) {
    uint32_t word;
    std::memcpy(&word, bgr, 4);
    if constexpr (std::endian::native == std::endian::big) word = __builtin_bswap32(word);
    return (word & 0xF0) << 4 | (word >> 8 & 0xF0) | (word >> 20 & 0x0F);
}

inline uint64_t Load64(const uint8_t* p) {
    uint64_t word;
    std::memcpy(&word, p, 8);
    return word;
}

// Whether the 8 pixels at p all have the same key: each pixel's bytes equal the next pixel's in
// their top four bits. Screens are mostly such blocks. Reads the 8 pixels' bytes only.
template <int Step>
inline bool UniformBlock(const uint8_t* p) {
    if constexpr (Step == 3) {
        constexpr uint64_t kTopBits = 0xF0F0F0F0F0F0F0F0u;
        uint64_t differ = (Load64(p) ^ Load64(p + 3)) | (Load64(p + 8) ^ Load64(p + 11)) |
                          (Load64(p + 13) ^ Load64(p + 16));
        return (differ & kTopBits) == 0;
    } else {
        // Two pixels per word, the fourth byte of each left out.
        constexpr uint64_t kTopBits = 0x00F0F0F000F0F0F0u;
        uint64_t differ = (Load64(p) ^ Load64(p + 4)) | (Load64(p + 8) ^ Load64(p + 12)) |
                          (Load64(p + 16) ^ Load64(p + 20)) | (Load64(p + 20) ^ Load64(p + 24));
        return (differ & kTopBits) == 0;
    }
}

// How many pixels from a block's start must lie in the row for whole-word loads: with 3-byte
// pixels the last key's word takes one byte of the pixel after the block.
template <int Step>
constexpr uint32_t kBlockReach = Step == 3 ? 9 : 8;

void ZeroPadding(IndexedImage& image) {
    size_t stride = image.Stride();
    if (stride == image.width) return;
    for (uint32_t y = 0; y < image.height; ++y)
        std::memset(image.rows.get() + stride * y + image.width, 0, stride - image.width);
}

// Counts the pixels per key. Four interleaved tables keep runs of one colour (the usual case
// on a screen) from waiting on the same counter.
template <int Step>
void CountKeys(const PixelView& picture, uint32_t* counts) {
    std::array<std::array<uint32_t, kKeys>, 4> partial{};
    const uint32_t width = picture.width;
    for (uint32_t y = 0; y < picture.height; ++y) {
        const uint8_t* p = picture.Row(y);
        uint32_t x = 0;
        // Whole loads stay inside the row: the last pixel of a row may have no byte after it.
        for (; x + kBlockReach<Step> <= width; x += 8, p += 8 * Step) {
            if (UniformBlock<Step>(p)) {
                partial[0][KeyOfWord(p)] += 8;
                continue;
            }
            for (int i = 0; i < 8; i += 4) {
                ++partial[0][KeyOfWord(p + Step * i)];
                ++partial[1][KeyOfWord(p + Step * (i + 1))];
                ++partial[2][KeyOfWord(p + Step * (i + 2))];
                ++partial[3][KeyOfWord(p + Step * (i + 3))];
            }
        }
        for (; x < width; ++x, p += Step) ++partial[0][KeyOf(p)];
    }
    for (int k = 0; k < kKeys; ++k)
        counts[k] = partial[0][k] + partial[1][k] + partial[2][k] + partial[3][k];
}

template <int Step>
void WriteIndices(const PixelView& picture, const uint8_t* indexOfKey, IndexedImage& image) {
    const uint32_t width = picture.width;
    const size_t stride = image.Stride();
    for (uint32_t y = 0; y < picture.height; ++y) {
        const uint8_t* p = picture.Row(y);
        uint8_t* out = image.rows.get() + stride * y;
        uint32_t x = 0;
        for (; x + kBlockReach<Step> <= width; x += 8, p += 8 * Step) {
            if (UniformBlock<Step>(p)) {
                std::memset(out + x, indexOfKey[KeyOfWord(p)], 8);
                continue;
            }
            for (int i = 0; i < 8; ++i) out[x + i] = indexOfKey[KeyOfWord(p + Step * i)];
        }
        for (; x + 1 < width; ++x, p += Step) out[x] = indexOfKey[KeyOfWord(p)];
        for (; x < width; ++x, p += Step) out[x] = indexOfKey[KeyOf(p)];
    }
}

}  // namespace

PixelView ViewOf(const bitmap::Image24& picture) {
    return {picture.width, picture.height, picture.Stride(), 3, picture.pixels.data()};
}

void CountKeyPixels(const PixelView& picture, uint32_t* counts) {
    if (picture.bytesPerPixel == 4)
        CountKeys<4>(picture, counts);
    else
        CountKeys<3>(picture, counts);
}

void WriteKeyIndices(const PixelView& picture, const uint8_t* indexOfKey, IndexedImage& image) {
    if (picture.bytesPerPixel == 4)
        WriteIndices<4>(picture, indexOfKey, image);
    else
        WriteIndices<3>(picture, indexOfKey, image);
    ZeroPadding(image);
}

RankedKeys RankKeys(const uint32_t* counts) {
    // The present keys in ascending order, then ranked by the exchange procedure: for each
    // position i, every later entry with a strictly larger count is swapped into i. That
    // procedure fixes the order of equal counts, so it is followed exactly, but only for the
    // first 256 positions: the order of the rest never matters (each of those colours maps to
    // its nearest palette entry, which depends on the colour alone).
    RankedKeys ranked;
    int n = 0;
    for (int k = 0; k < kKeys; ++k) {
        if (counts[k]) {
            ranked.count[n] = counts[k];
            ranked.key[n] = uint32_t(k);
            ++n;
        }
    }
    ranked.n = n;
    const int limit = std::min(n - 1, 256);
    for (int i = 0; i < limit; ++i) {
        uint32_t best = ranked.count[i];
        for (int j = i + 1; j < n; ++j) {
            if (ranked.count[j] > best) {
                std::swap(ranked.count[i], ranked.count[j]);
                std::swap(ranked.key[i], ranked.key[j]);
                best = ranked.count[i];
            }
        }
    }
    return ranked;
}

int NearestEntry(const PaletteLevels& palette, int red, int green, int blue) {
    // The minimum first (vectorised), then its first position. Differences of 8-bit values
    // squared and summed fit in 32-bit lanes.
    std::array<int32_t, 256> distance;
    for (int i = 0; i < 256; ++i) {
        int32_t dr = palette.red[i] - red, dg = palette.green[i] - green,
                db = palette.blue[i] - blue;
        distance[i] = dr * dr + dg * dg + db * db;
    }
    int32_t smallest = distance[0];
    for (int i = 1; i < 256; ++i) smallest = std::min(smallest, distance[i]);
    int nearest = 0;
    while (distance[nearest] != smallest) ++nearest;
    return nearest;
}

void ReducePopularity(const PixelView& picture, IndexedImage& image) {
    std::array<uint32_t, kKeys> counts;
    CountKeyPixels(picture, counts.data());
    const RankedKeys ranked = RankKeys(counts.data());
    const int n = ranked.n;

    // Palette: channel levels times 16; black beyond the colours present.
    std::array<uint8_t, kKeys> indexOfKey{};
    PaletteLevels levels{};
    uint8_t* table = image.colourTable.data();
    std::memset(table, 0, image.colourTable.size());
    for (int i = 0; i < std::min(n, 256); ++i) {
        uint32_t key = ranked.key[i];
        levels.red[i] = int16_t(key & 15);
        levels.green[i] = int16_t(key >> 4 & 15);
        levels.blue[i] = int16_t(key >> 8);
        table[4 * i + 0] = uint8_t(levels.blue[i] * 16);
        table[4 * i + 1] = uint8_t(levels.green[i] * 16);
        table[4 * i + 2] = uint8_t(levels.red[i] * 16);
        indexOfKey[key] = uint8_t(i);
    }

    // The remaining colours: nearest entry by squared distance of the 4-bit levels (the same
    // order as on the 16-step values), lowest index on a tie. Each key is searched once.
    for (int r = 256; r < n; ++r) {
        uint32_t key = ranked.key[r];
        indexOfKey[key] =
            uint8_t(NearestEntry(levels, int(key & 15), int(key >> 4 & 15), int(key >> 8)));
    }
    WriteKeyIndices(picture, indexOfKey.data(), image);
}

namespace {

constexpr uint8_t kThreshold[8][8] = {
    {0, 32, 8, 40, 2, 34, 10, 42},  {48, 16, 56, 24, 50, 18, 58, 26},
    {12, 44, 4, 36, 14, 46, 6, 38}, {60, 28, 52, 20, 62, 30, 54, 22},
    {3, 35, 11, 43, 1, 33, 9, 41},  {51, 19, 59, 27, 49, 17, 57, 25},
    {15, 47, 7, 39, 13, 45, 5, 37}, {63, 31, 55, 23, 61, 29, 53, 21},
};

// The cube level (0-5, for channel values 64 + 32 * level) of value v under threshold t.
constexpr uint8_t CubeLevel(int v, int t) {
    if (v <= 64) return 0;
    int level = 2 * (v % 32) < t ? 32 * (v / 32) : std::min(32 * (v / 32 + 1), 224);
    return uint8_t((level - 64) / 32);
}

// Per threshold, what a channel value adds to the cube index: blue its level, green 6 times
// and red 36 times its level, so that an index is three lookups and two additions.
struct LevelTable {
    uint8_t blue[64][256];
    uint8_t green[64][256];
    uint8_t red[64][256];
    constexpr LevelTable() : blue{}, green{}, red{} {
        for (int t = 0; t < 64; ++t)
            for (int v = 0; v < 256; ++v) {
                blue[t][v] = CubeLevel(v, t);
                green[t][v] = uint8_t(6 * CubeLevel(v, t));
                red[t][v] = uint8_t(36 * CubeLevel(v, t));
            }
    }
};

constexpr LevelTable kLevels;

template <int Step>
void DitherRows(const PixelView& picture, IndexedImage& image) {
    const size_t stride = image.Stride();
    const uint32_t width = picture.width;
    // Both images are stored bottom-up, so stored row y is the y-th row from the bottom,
    // which is where the matrix is anchored.
    for (uint32_t y = 0; y < picture.height; ++y) {
        const uint8_t* p = picture.Row(y);
        uint8_t* out = image.rows.get() + stride * y;
        const uint8_t *blue[8], *green[8], *red[8];
        for (int i = 0; i < 8; ++i) {
            const uint8_t t = kThreshold[y & 7][i];
            blue[i] = kLevels.blue[t];
            green[i] = kLevels.green[t];
            red[i] = kLevels.red[t];
        }
        // Eight pixels at a time, so that each one's tables are fixed.
        uint32_t x = 0;
        for (; x + 8 <= width; x += 8, p += 8 * Step)
            for (int i = 0; i < 8; ++i) {
                const uint8_t* q = p + Step * i;
                out[x + i] = uint8_t(red[i][q[2]] + green[i][q[1]] + blue[i][q[0]]);
            }
        for (; x < width; ++x, p += Step)
            out[x] = uint8_t(red[x & 7][p[2]] + green[x & 7][p[1]] + blue[x & 7][p[0]]);
    }
}

}  // namespace

void ReduceOrderedDither(const PixelView& picture, IndexedImage& image) {
    uint8_t* table = image.colourTable.data();
    std::memset(table, 0, image.colourTable.size());
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b) {
                uint8_t* entry = table + 4 * (36 * r + 6 * g + b);
                entry[0] = uint8_t(64 + 32 * b);
                entry[1] = uint8_t(64 + 32 * g);
                entry[2] = uint8_t(64 + 32 * r);
            }
    if (picture.bytesPerPixel == 4)
        DitherRows<4>(picture, image);
    else
        DitherRows<3>(picture, image);
    ZeroPadding(image);
}

}  // namespace gif
