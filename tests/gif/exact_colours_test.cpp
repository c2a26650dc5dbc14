// Exact colours: up to 256 colours are kept as they are; beyond, each entry is the mean of a
// 4-bit bucket ranked as the popularity method ranks it, and every pixel takes the entry
// nearest its bucket's mean. Checked against sums done here pixel by pixel.
#include <gtest/gtest.h>

#include <map>

#include "gif/intake/colour_reduction.h"
#include "maker_support.h"

namespace gif::testing {
namespace {

IndexedImage Exact(const PixelView& picture) {
    IndexedImage image;
    image.width = uint16_t(picture.width);
    image.height = uint16_t(picture.height);
    image.rows = AllocateFrameRows(image.Stride() * image.height);
    std::fill_n(image.rows.get(), image.Stride() * image.height, 0xEE);  // padding must be zeroed
    ReduceExact(picture, image);
    return image;
}

IndexedImage Exact(const bitmap::Image24& picture) {
    return Exact(ViewOf(picture));
}

uint32_t Packed(Rgb c) {
    return uint32_t(c.r) << 16 | uint32_t(c.g) << 8 | c.b;
}

int BucketOf(Rgb c) {
    return (c.b / 16) * 256 + (c.g / 16) * 16 + c.r / 16;
}

// Per 4-bit bucket: pixel count and channel sums, straight from the pixels.
using Buckets = std::map<int, std::array<uint64_t, 4>>;
Buckets BucketSums(const bitmap::Image24& picture) {
    Buckets buckets;
    for (uint32_t y = 0; y < picture.height; ++y)
        for (uint32_t x = 0; x < picture.width; ++x) {
            const Rgb c = PixelAt(picture, x, y);
            auto& b = buckets[BucketOf(c)];
            ++b[0];
            b[1] += c.r;
            b[2] += c.g;
            b[3] += c.b;
        }
    return buckets;
}

void ExpectPaddingZero(const IndexedImage& image) {
    for (uint32_t y = 0; y < image.height; ++y)
        for (size_t x = image.width; x < image.Stride(); ++x)
            ASSERT_EQ(image.rows[image.Stride() * y + x], 0);
}

TEST(ExactColours, FewColoursAreKeptExactlyMostFrequentFirst) {
    // Text in pure white and near-black, which the 4-bit levels would turn into 240 and 16.
    const bitmap::Image24 screen = ScreenLike(61, 60, 2);  // its gradient starts at row 50
    const bitmap::Image24 text =
        MakeImage(61, 37, [&](uint32_t x, uint32_t y) { return PixelAt(screen, x, y); });
    const IndexedImage image = Exact(text);
    std::map<uint32_t, int> counts;
    for (uint32_t y = 0; y < text.height; ++y)
        for (uint32_t x = 0; x < text.width; ++x) {
            const Rgb colour = PixelAt(text, x, y);
            ++counts[Packed(colour)];
            ASSERT_EQ(PaletteEntry(image, IndexAt(image, x, y)), colour) << x << "," << y;
        }
    ASSERT_LE(counts.size(), 256u);
    int most = 0;
    for (const auto& [colour, count] : counts) most = std::max(most, count);
    EXPECT_EQ(counts[Packed(PaletteEntry(image, 0))], most);
    for (size_t i = counts.size(); i < 256; ++i) EXPECT_EQ(PaletteEntry(image, uint32_t(i)), Rgb{});
    ExpectPaddingZero(image);

    // The same pixels read through a 32-bit BMP's rows give the same frame.
    const std::vector<uint8_t> bmp = Bmp32(text);
    const PixelView wide{text.width, text.height, size_t{text.width} * 4, 4, bmp.data() + 54};
    const IndexedImage fromWide = Exact(wide);
    EXPECT_EQ(fromWide.colourTable, image.colourTable);
    EXPECT_TRUE(std::equal(image.rows.get(), image.rows.get() + image.Stride() * image.height,
                           fromWide.rows.get()));
}

// 256 buckets of two colours each (one pixel in four the second), and a row of black with
// one other colour in the black bucket.
bitmap::Image24 TwoPerBucket() {
    return MakeImage(64, 17, [&](uint32_t x, uint32_t y) -> Rgb {
        if (y == 16) return x == 0 ? Rgb{1, 2, 99} : Rgb{0, 0, 96};
        const uint32_t bucket = y * 16 + x / 4;
        const uint8_t r = uint8_t((bucket & 15) * 16), g = uint8_t((bucket >> 4) * 16);
        return x % 4 == 0 ? Rgb{uint8_t(r + 10), uint8_t(g + 6), 100} : Rgb{r, g, 96};
    });
}

TEST(ExactColours, The257thColourSwitchesToBucketMeans) {
    // 256 colours are still kept exactly.
    const bitmap::Image24 exactly256 = MakeImage(256, 1, [](uint32_t x, uint32_t) {
        return Rgb{uint8_t(x), uint8_t(255 - x), 7};
    });
    const IndexedImage kept = Exact(exactly256);
    for (uint32_t x = 0; x < 256; ++x)
        ASSERT_EQ(PaletteEntry(kept, IndexAt(kept, x, 0)), PixelAt(exactly256, x, 0));

    const bitmap::Image24 picture = TwoPerBucket();
    const IndexedImage image = Exact(picture);
    Buckets buckets = BucketSums(picture);
    ASSERT_EQ(buckets.size(), 256u);
    for (uint32_t y = 0; y < picture.height; ++y)
        for (uint32_t x = 0; x < picture.width; ++x) {
            const Rgb c = PixelAt(picture, x, y);
            const auto& b = buckets[BucketOf(c)];
            const Rgb mean{uint8_t(b[1] / b[0]), uint8_t(b[2] / b[0]), uint8_t(b[3] / b[0])};
            ASSERT_EQ(PaletteEntry(image, IndexAt(image, x, y)), mean) << x << "," << y;
        }
    // The bucket of the last row is the most frequent.
    EXPECT_EQ(IndexAt(image, 5, 16), 0);
    ExpectPaddingZero(image);
}

TEST(ExactColours, BucketsBeyondTheTableTakeTheEntryNearestTheirMean) {
    const bitmap::Image24 noise = Noise(97, 53, 4);
    const IndexedImage image = Exact(noise);
    Buckets buckets = BucketSums(noise);
    ASSERT_GT(buckets.size(), 256u);
    // Entries in falling count order.
    auto countOf = [&](Rgb entry) { return buckets[BucketOf(entry)][0]; };
    for (uint32_t i = 1; i < 256; ++i)
        EXPECT_GE(countOf(PaletteEntry(image, i - 1)), countOf(PaletteEntry(image, i)));
    for (uint32_t y = 0; y < noise.height; ++y)
        for (uint32_t x = 0; x < noise.width; ++x) {
            const Rgb c = PixelAt(noise, x, y);
            const auto& b = buckets[BucketOf(c)];
            const int r = int(b[1] / b[0]), g = int(b[2] / b[0]), bl = int(b[3] / b[0]);
            int best = 0, bestDistance = 1 << 30;
            for (uint32_t i = 0; i < 256; ++i) {
                const Rgb e = PaletteEntry(image, i);
                const int d =
                    (e.r - r) * (e.r - r) + (e.g - g) * (e.g - g) + (e.b - bl) * (e.b - bl);
                if (d < bestDistance) {
                    bestDistance = d;
                    best = int(i);
                }
            }
            ASSERT_EQ(IndexAt(image, x, y), best) << x << "," << y;
        }
}

TEST(ExactColours, APartOfAPictureIsReducedAsThatPartAlone) {
    const bitmap::Image24 screen = ScreenLike(80, 60, 7);
    const PixelView part = SubView(ViewOf(screen), 13, 21, 30, 17);
    const bitmap::Image24 copy =
        MakeImage(30, 17, [&](uint32_t x, uint32_t y) { return PixelAt(screen, x + 13, y + 21); });
    const IndexedImage a = Exact(part), b = Exact(copy);
    EXPECT_EQ(a.colourTable, b.colourTable);
    for (uint32_t y = 0; y < 17; ++y)
        for (uint32_t x = 0; x < 30; ++x) ASSERT_EQ(IndexAt(a, x, y), IndexAt(b, x, y));
}

}  // namespace
}  // namespace gif::testing
