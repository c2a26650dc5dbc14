// Screen colours: change found on the pictures' own pixels, a palette that stays, exact flat
// colours, loss kept off edges, scaling and a size limit. Every file is played by giflib.
#include <gtest/gtest.h>

#include <cstdlib>

#include "gif/gif_maker.h"
#include "gif/intake/quantiser.h"
#include "gif/intake/scale.h"
#include "gif/reencode.h"
#include "giflib_timeline_support.h"
#include "maker_support.h"

namespace gif::testing {
namespace {

uint32_t Packed(Rgb c) {
    return uint32_t(c.r) << 16 | uint32_t(c.g) << 8 | c.b;
}

std::vector<uint8_t> Encoded(const std::vector<bitmap::Image24>& pictures, MakerOptions options,
                             uint16_t delay = 10) {
    GifMaker maker;
    EXPECT_TRUE(maker.Create(AnimationInfo{}));
    maker.SetOptions(options);
    FrameInfo info;
    info.DelayTime = delay;
    for (const bitmap::Image24& picture : pictures) {
        const std::vector<uint8_t> bmp = Bmp32(picture);
        EXPECT_TRUE(maker.AddFrame(info, std::nullopt, bmp)) << maker.GetError();
    }
    return SaveToMemory(maker);
}

Timeline Make(const std::vector<bitmap::Image24>& pictures, MakerOptions options,
              uint16_t delay = 10) {
    Timeline timeline = PlayWithGiflib(Encoded(pictures, options, delay));
    EXPECT_TRUE(timeline.ok) << timeline.error;
    return timeline;
}

constexpr MakerOptions kBest{.optimise = true, .screenColours = true};

// A screen: white page with dark text-like strokes on the left, still or scrolled a row a
// picture, and a noisy photo on the right (thousands of colours) that changes in every picture.
bitmap::Image24 Desktop(uint32_t seed, bool scroll = false) {
    return MakeImage(160, 90, [seed, scroll](uint32_t x, uint32_t y) {
        if (x >= 96) {
            const uint32_t h = (x * 7919 + y * 104729 + seed * 1299709) * 2654435761u;
            return Rgb{uint8_t(x * 2 + (h >> 29)), uint8_t(y * 2 + (h >> 27 & 7)),
                       uint8_t(128 + (h >> 24 & 63))};
        }
        // Strokes three rows high: a dark core between anti-aliased rows of varied greys.
        const uint32_t row = scroll ? y + seed : y;
        if ((row / 3) % 4 != 1 || (x / 2) % 5 == 0 || y >= 60) return Rgb{255, 255, 255};
        if (row % 3 == 1) return Rgb{30, 30, 40};
        const uint8_t grey = uint8_t(120 + (x * 37 % 4) * 20);
        return Rgb{grey, grey, uint8_t(grey + 10)};
    });
}

TEST(ScreenColours, StillAreasNeverChangeAndFlatColoursStayExact) {
    std::vector<bitmap::Image24> pictures;
    for (uint32_t i = 0; i < 5; ++i) pictures.push_back(Desktop(i));
    const Timeline timeline = Make(pictures, kBest);
    ASSERT_EQ(timeline.moments.size(), 5u);
    const std::vector<uint32_t>& first = timeline.moments[0].pixels;
    for (const Moment& moment : timeline.moments)
        for (uint32_t y = 0; y < 90; ++y)
            for (uint32_t x = 0; x < 96; ++x) {
                const size_t at = size_t{y} * 160 + x;
                ASSERT_EQ(moment.pixels[at], first[at]) << x << "," << y;
                ASSERT_EQ(moment.pixels[at], Packed(PixelAt(pictures[0], x, y))) << x << "," << y;
            }
}

TEST(ScreenColours, FewColoursDecodeExactly) {
    // Pictures of at most 256 colours each: columns of noise of 200 colours scroll between
    // still columns of blocks and of stripes, so rectangles hold unchanged stretches of one
    // colour and of several, and the noise fills the code tables.
    std::vector<bitmap::Image24> pictures;
    for (uint32_t i = 0; i < 5; ++i)
        pictures.push_back(MakeImage(480, 240, [i](uint32_t x, uint32_t y) {
            const bool band = x >= 40 && x < 440 && y >= 10 && y < 230;
            if (band && (x / 8) % 3 == 1) return Rgb{uint8_t(x % 7 * 30), 0, 30};  // still
            if (band && (x / 8) % 3 == 2) {
                const uint32_t h = (x * 7919 + (y + 3 * i) * 104729) * 2654435761u >> 8;
                return Rgb{uint8_t(h % 200), uint8_t(255 - h % 200), 77};
            }
            return Rgb{uint8_t(x / 120 * 60), uint8_t(y / 60 * 60), 200};
        }));
    const Timeline timeline = Make(pictures, kBest);
    ASSERT_EQ(timeline.moments.size(), 5u);
    for (uint32_t i = 0; i < 5; ++i)
        for (uint32_t y = 0; y < 240; ++y)
            for (uint32_t x = 0; x < 480; ++x)
                ASSERT_EQ(timeline.moments[i].pixels[size_t{y} * 480 + x],
                          Packed(PixelAt(pictures[i], x, y)))
                    << i << ": " << x << "," << y;
}

TEST(ScreenColours, LossSparesEdgesAndDecodesWithGiflib) {
    // Scrolling text beside a photo: loss makes the file smaller and never touches the text.
    std::vector<bitmap::Image24> pictures;
    for (uint32_t i = 0; i < 4; ++i) pictures.push_back(Desktop(i, true));
    const size_t lossless = Encoded(pictures, kBest).size();
    for (int quality : {70, 30}) {
        MakerOptions options = kBest;
        options.quality = quality;
        const Timeline timeline = Make(pictures, options);
        ASSERT_EQ(timeline.moments.size(), 4u) << quality;
        for (size_t i = 0; i < 4; ++i)
            for (uint32_t y = 0; y < 90; ++y)
                for (uint32_t x = 0; x < 96; ++x)
                    ASSERT_EQ(timeline.moments[i].pixels[size_t{y} * 160 + x],
                              Packed(PixelAt(pictures[i], x, y)))
                        << quality << ": " << x << "," << y;
        EXPECT_LT(Encoded(pictures, options).size(), lossless) << quality;
    }
}

TEST(ScreenColours, QuantiserKeepsFlatColoursAndMatcherFindsEntries) {
    std::vector<CountedColour> colours{{0xFFFFFF, 100000}, {0x202028, 20000}};
    for (uint32_t i = 0; i < 3000; ++i) colours.push_back({i * 5591 & 0xFFFFFF, 3});
    const std::vector<uint32_t> palette = QuantiseColours(colours, 64);
    ASSERT_EQ(palette.size(), 64u);
    EXPECT_EQ(palette[0], 0xFFFFFFu);
    EXPECT_EQ(palette[1], 0x202028u);
    PaletteMatcher matcher;
    matcher.Reset(palette);
    for (size_t i = 0; i < palette.size(); ++i)
        EXPECT_EQ(matcher.Entry(matcher.Nearest(palette[i])), palette[i]);
}

TEST(ScreenColours, ScalingAveragesAreas) {
    EXPECT_EQ(ScaledSizeOf(3840, 2160, 0, 50).width, 1920u);
    EXPECT_EQ(ScaledSizeOf(3840, 2160, 1280, 100).height, 720u);
    EXPECT_EQ(ScaledSizeOf(100, 100, 0, 150).width, 100u);  // never larger
    EXPECT_EQ(ScaledSizeOf(3, 3, 0, 1).width, 1u);          // never below 1
    // Columns of 0 and 255 halve into grey; 3 -> 2 columns share the middle one.
    const bitmap::Image24 stripes = MakeImage(4, 2, [](uint32_t x, uint32_t) {
        return x % 2 ? Rgb{255, 255, 255} : Rgb{};
    });
    bitmap::Image24 out;
    ScaleDown(ViewOf(stripes), 2, 1, out);
    EXPECT_EQ(PixelAt(out, 0, 0), (Rgb{128, 128, 128}));
    EXPECT_EQ(PixelAt(out, 1, 0), (Rgb{128, 128, 128}));
    const bitmap::Image24 three = MakeImage(3, 1, [](uint32_t x, uint32_t) {
        return Rgb{uint8_t(x * 90), 0, 0};
    });
    ScaleDown(ViewOf(three), 2, 1, out);
    EXPECT_EQ(PixelAt(out, 0, 0).r, 30);   // (0 * 2 + 90) / 3
    EXPECT_EQ(PixelAt(out, 1, 0).r, 150);  // (90 + 180 * 2) / 3
    MakerOptions options = kBest;
    options.scalePercent = 50;
    const Timeline half = Make({Desktop(0)}, options);
    EXPECT_EQ(half.width, 80);
    EXPECT_EQ(half.height, 45);
}

TEST(ScreenColours, SizeLimitFitsAndKeepsTheTiming) {
    GifMaker maker;
    ASSERT_TRUE(maker.Create(AnimationInfo{}));
    maker.SetOptions(kBest);
    FrameInfo info;
    info.DelayTime = 7;
    for (uint32_t i = 0; i < 12; ++i) {
        const std::vector<uint8_t> bmp = Bmp32(Noise(120, 80, i + 1));
        ASSERT_TRUE(maker.AddFrame(info, std::nullopt, bmp));
    }
    const std::vector<uint8_t> full = SaveToMemory(maker);
    const uint64_t limit = full.size() / 3;
    std::vector<uint8_t> fitted;
    SizeFit fit;
    LibraryError error;
    ASSERT_TRUE(FitGifToSize(full, kBest, limit, fitted, fit, error));
    EXPECT_TRUE(fit.fits);
    EXPECT_TRUE(fit.changed);
    EXPECT_LE(fitted.size(), limit);
    EXPECT_EQ(fit.bytes, fitted.size());
    const Timeline timeline = PlayWithGiflib(fitted);
    ASSERT_TRUE(timeline.ok) << timeline.error;
    uint32_t total = 0;
    for (const Moment& moment : timeline.moments) total += moment.duration;
    EXPECT_EQ(total, 12u * 7);
    // A limit it already meets leaves the file as it was.
    ASSERT_TRUE(FitGifToSize(full, kBest, full.size(), fitted, fit, error));
    EXPECT_FALSE(fit.changed);
    EXPECT_EQ(fitted, full);
    // Not a GIF: a clear failure.
    const std::vector<uint8_t> junk(100, 7);
    EXPECT_FALSE(FitGifToSize(junk, kBest, 10, fitted, fit, error));
    EXPECT_NE(error.Code(), ErrorCode::NoError);
}

}  // namespace
}  // namespace gif::testing
