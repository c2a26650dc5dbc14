// Colour reduction: the popularity palette and the ordered dither, checked against literal
// per-pixel references and the cases where their rules decide (ties, nearest entry, anchor).
#include <gtest/gtest.h>

#include <random>

#include "gif/intake/colour_reduction.h"
#include "maker_support.h"

namespace gif::testing {
namespace {

IndexedImage Reduce(const bitmap::Image24& picture, bool dither) {
    IndexedImage image;
    image.width = uint16_t(picture.width);
    image.height = uint16_t(picture.height);
    image.rows = AllocateFrameRows(image.Stride() * image.height);
    std::fill_n(image.rows.get(), image.Stride() * image.height, 0xEE);  // padding must be zeroed
    if (dither)
        ReduceOrderedDither(picture, image);
    else
        ReducePopularity(picture, image);
    return image;
}

int KeyOf(Rgb c) {
    return (c.b / 16) * 256 + (c.g / 16) * 16 + c.r / 16;
}

// The popularity method as first described: the whole list ranked by the exchange procedure,
// every colour beyond rank 255 searched against the palette in rank order.
struct Reference {
    std::array<Rgb, 256> palette{};
    std::array<int, 4096> indexOfKey{};
};

Reference ReferencePopularity(const bitmap::Image24& picture) {
    std::vector<uint32_t> counts(4096, 0);
    for (uint32_t y = 0; y < picture.height; ++y)
        for (uint32_t x = 0; x < picture.width; ++x) ++counts[KeyOf(PixelAt(picture, x, y))];
    std::vector<std::pair<uint32_t, int>> list;  // count, key
    for (int k = 0; k < 4096; ++k)
        if (counts[k]) list.push_back({counts[k], k});
    size_t n = list.size();
    for (size_t i = 0; i + 1 < n; ++i)
        for (size_t j = i + 1; j < n; ++j)
            if (list[j].first > list[i].first) std::swap(list[i], list[j]);
    Reference ref;
    auto colour = [](int key) {
        return Rgb{uint8_t(16 * (key % 16)), uint8_t(16 * (key / 16 % 16)),
                   uint8_t(16 * (key / 256))};
    };
    for (size_t i = 0; i < 256 && i < n; ++i) {
        ref.palette[i] = colour(list[i].second);
        ref.indexOfKey[list[i].second] = int(i);
    }
    for (size_t k = 256; k < n; ++k) {
        Rgb c = colour(list[k].second);
        int best = -1, bestDistance = 0;
        for (int i = 0; i < 256; ++i) {
            int dr = ref.palette[i].r - c.r, dg = ref.palette[i].g - c.g,
                db = ref.palette[i].b - c.b;
            int d = dr * dr + dg * dg + db * db;
            if (best < 0 || d < bestDistance) best = i, bestDistance = d;
        }
        ref.indexOfKey[list[k].second] = best;
    }
    return ref;
}

void ExpectMatchesReference(const bitmap::Image24& picture) {
    IndexedImage image = Reduce(picture, false);
    Reference ref = ReferencePopularity(picture);
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(PaletteEntry(image, i), ref.palette[i]) << "entry " << i;
    for (uint32_t y = 0; y < picture.height; ++y) {
        for (uint32_t x = 0; x < picture.width; ++x)
            ASSERT_EQ(IndexAt(image, x, y), ref.indexOfKey[KeyOf(PixelAt(picture, x, y))])
                << x << "," << y;
        for (size_t x = picture.width; x < image.Stride(); ++x) ASSERT_EQ(image.TopRow(y)[x], 0);
    }
}

TEST(PopularityReduction, MatchesTheFullExchangeRankingOnManyTies) {
    // Few pixels per colour make many equal counts; the palettes sizes straddle 256.
    for (uint32_t colours : {3u, 200u, 256u, 257u, 300u, 1000u, 4096u}) {
        SCOPED_TRACE(colours);
        std::mt19937 random(colours);
        std::vector<Rgb> pool;
        for (uint32_t i = 0; i < colours; ++i)
            pool.push_back({uint8_t(random()), uint8_t(random()), uint8_t(random())});
        ExpectMatchesReference(
            MakeImage(61, 47, [&](uint32_t, uint32_t) { return pool[random() % pool.size()]; }));
    }
    ExpectMatchesReference(Noise(173, 91, 5));
    // Blocks of one colour with noise below the top four bits, and now and then one pixel of
    // another colour at any place in a block: runs of one key must be told apart exactly.
    std::mt19937 random(77);
    ExpectMatchesReference(MakeImage(203, 67, [&](uint32_t x, uint32_t y) {
        uint32_t block = (x / 8 + y * 31) % 5;
        Rgb c{uint8_t(block * 48 | (random() & 15)), uint8_t(200 | (random() & 15)),
              uint8_t(block * 16 | (random() & 15))};
        if (random() % 23 == 0) c.g ^= uint8_t(16 << (random() % 4));
        return c;
    }));
    ExpectMatchesReference(ScreenLike(403, 301, 6));
}

TEST(PopularityReduction, SingleColourAndTheExtremes) {
    IndexedImage grey = Reduce(MakeImage(5, 3,
                                         [](uint32_t, uint32_t) {
                                             return Rgb{77, 130, 9};
                                         }),
                               false);
    EXPECT_EQ(PaletteEntry(grey, 0), (Rgb{64, 128, 0}));
    for (int i = 1; i < 256; ++i) EXPECT_EQ(PaletteEntry(grey, i), Rgb{}) << i;
    for (uint32_t y = 0; y < 3; ++y)
        for (uint32_t x = 0; x < 5; ++x) EXPECT_EQ(IndexAt(grey, x, y), 0);

    auto two = MakeImage(3, 1, [](uint32_t x, uint32_t) {
        return x < 2 ? Rgb{255, 255, 255} : Rgb{0, 0, 0};
    });
    IndexedImage reduced = Reduce(two, false);
    EXPECT_EQ(PaletteEntry(reduced, 0), (Rgb{240, 240, 240}));
    EXPECT_EQ(PaletteEntry(reduced, 1), (Rgb{0, 0, 0}));
    EXPECT_EQ(IndexAt(reduced, 2, 0), 1);

    // Differences below the top four bits of each channel vanish.
    auto close = MakeImage(4, 1, [](uint32_t x, uint32_t) {
        return Rgb{uint8_t(0x50 + x * 3), uint8_t(0xA0 + x), uint8_t(0x3F - x)};
    });
    IndexedImage merged = Reduce(close, false);
    EXPECT_EQ(PaletteEntry(merged, 0), (Rgb{0x50, 0xA0, 0x30}));
    EXPECT_EQ(PaletteEntry(merged, 1), Rgb{});
}

TEST(PopularityReduction, TiesRankByTheExchangeProcedure) {
    // Keys k1 < k2 < k3 (red 0, 1, 2 levels) with counts 1, 1, 2 rank as k3, k2, k1.
    auto picture = MakeImage(4, 1, [](uint32_t x, uint32_t) {
        return Rgb{uint8_t(x == 0 ? 0 : x == 1 ? 16 : 32), 0, 0};
    });
    IndexedImage image = Reduce(picture, false);
    EXPECT_EQ(PaletteEntry(image, 0), (Rgb{32, 0, 0}));
    EXPECT_EQ(PaletteEntry(image, 1), (Rgb{16, 0, 0}));
    EXPECT_EQ(PaletteEntry(image, 2), (Rgb{0, 0, 0}));
}

TEST(PopularityReduction, The257thColourTakesItsNearestEntryLowestIndexOnATie) {
    // 256 colours twice each, plus one colour once: it is one level of blue away from (4, 7, 0).
    std::vector<Rgb> colours;
    for (int r = 0; r < 16; ++r)
        for (int g = 0; g < 16; ++g) colours.push_back({uint8_t(16 * r), uint8_t(16 * g), 0});
    Rgb extra{16 * 4, 16 * 7, 16 * 1};
    std::vector<Rgb> pixels;
    for (const Rgb& c : colours) pixels.insert(pixels.end(), {c, c});
    pixels.push_back(extra);
    auto picture =
        MakeImage(uint32_t(pixels.size()), 1, [&](uint32_t x, uint32_t) { return pixels[x]; });
    IndexedImage image = Reduce(picture, false);
    // All 256 have count 2, so the ranking keeps ascending key order: key = 16 g + r.
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(PaletteEntry(image, i), (Rgb{uint8_t(16 * (i % 16)), uint8_t(16 * (i / 16)), 0}));
    EXPECT_EQ(IndexAt(image, uint32_t(pixels.size() - 1), 0), 7 * 16 + 4);

    // Red levels 0, 2, ..., 14 only: red level 3 lies one level from both 2 and 4.
    std::vector<Rgb> sparse;
    for (int i = 0; i < 256; ++i)  // red levels 0, 2, ..., 14 by green 0-15 by blue 0, 2
        sparse.push_back({uint8_t(16 * (2 * (i % 8))), uint8_t(16 * (i / 8 % 16)),
                          uint8_t(16 * (2 * (i / 128)))});
    std::vector<Rgb> sparsePixels;
    for (const Rgb& c : sparse) sparsePixels.insert(sparsePixels.end(), {c, c});
    Rgb between{16 * 3, 16 * 5, 0};
    sparsePixels.push_back(between);
    auto sparsePicture = MakeImage(uint32_t(sparsePixels.size()), 1,
                                   [&](uint32_t x, uint32_t) { return sparsePixels[x]; });
    IndexedImage sparseImage = Reduce(sparsePicture, false);
    uint8_t chosen = IndexAt(sparseImage, uint32_t(sparsePixels.size() - 1), 0);
    Rgb lower{16 * 2, 16 * 5, 0}, upper{16 * 4, 16 * 5, 0};
    int lowerIndex = -1, upperIndex = -1;
    for (int i = 0; i < 256; ++i) {
        if (PaletteEntry(sparseImage, i) == lower) lowerIndex = i;
        if (PaletteEntry(sparseImage, i) == upper) upperIndex = i;
    }
    ASSERT_GE(lowerIndex, 0);
    ASSERT_GE(upperIndex, 0);
    EXPECT_EQ(chosen, std::min(lowerIndex, upperIndex));
}

int ReferenceDitherIndex(Rgb c, uint32_t x, uint32_t yFromBottom) {
    static const int m[8][8] = {{0, 32, 8, 40, 2, 34, 10, 42},  {48, 16, 56, 24, 50, 18, 58, 26},
                                {12, 44, 4, 36, 14, 46, 6, 38}, {60, 28, 52, 20, 62, 30, 54, 22},
                                {3, 35, 11, 43, 1, 33, 9, 41},  {51, 19, 59, 27, 49, 17, 57, 25},
                                {15, 47, 7, 39, 13, 45, 5, 37}, {63, 31, 55, 23, 61, 29, 53, 21}};
    int t = m[yFromBottom % 8][x % 8];
    auto level = [t](int v) {
        if (v <= 64) return 64;
        int f = 2 * (v % 32);
        return f < t ? 32 * (v / 32) : std::min(32 * (v / 32 + 1), 224);
    };
    return 36 * (level(c.r) - 64) / 32 + 6 * (level(c.g) - 64) / 32 + (level(c.b) - 64) / 32;
}

TEST(DitherReduction, MatchesThePerPixelRuleAndTheFixedCube) {
    auto picture = Noise(67, 45, 9);
    IndexedImage image = Reduce(picture, true);
    for (uint32_t y = 0; y < picture.height; ++y) {
        for (uint32_t x = 0; x < picture.width; ++x)
            ASSERT_EQ(IndexAt(image, x, y),
                      ReferenceDitherIndex(PixelAt(picture, x, y), x, picture.height - 1 - y));
        EXPECT_EQ(image.TopRow(y)[67], 0);  // padding
    }
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                EXPECT_EQ(PaletteEntry(image, 36 * r + 6 * g + b),
                          (Rgb{uint8_t(64 + 32 * r), uint8_t(64 + 32 * g), uint8_t(64 + 32 * b)}));
    for (int i = 216; i < 256; ++i) EXPECT_EQ(PaletteEntry(image, i), Rgb{});

    auto blackWhite = MakeImage(16, 16, [](uint32_t x, uint32_t) {
        return x < 8 ? Rgb{255, 255, 255} : Rgb{0, 0, 0};
    });
    IndexedImage extremes = Reduce(blackWhite, true);
    for (uint32_t y = 0; y < 16; ++y)
        for (uint32_t x = 0; x < 16; ++x) EXPECT_EQ(IndexAt(extremes, x, y), x < 8 ? 215 : 0);
}

TEST(DitherReduction, PatternIsAnchoredAtTheBottomLeft) {
    auto colour = [](uint32_t x, uint32_t y) {
        return Rgb{uint8_t(100 + x * 3), uint8_t(150 + y * 5), uint8_t(90 + x + y)};
    };
    auto picture = MakeImage(20, 13, colour);
    auto taller = MakeImage(20, 14, [&](uint32_t x, uint32_t y) {
        return y == 0 ? Rgb{1, 2, 3} : colour(x, y - 1);
    });
    IndexedImage a = Reduce(picture, true), b = Reduce(taller, true);
    for (uint32_t y = 0; y < 13; ++y)
        for (uint32_t x = 0; x < 20; ++x) EXPECT_EQ(IndexAt(a, x, y), IndexAt(b, x, y + 1));
}

}  // namespace
}  // namespace gif::testing
