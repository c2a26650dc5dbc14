#include "app/core/effects.h"

#include <gtest/gtest.h>

#include "app/core/watermark.h"
#include "bitmap/dib.h"
#include "bmp_builder.h"

namespace app {
namespace {

using apptest::GetU32;
using apptest::MakeBmp;
using apptest::PixelOf;
using apptest::Px;
using apptest::SolidBmp;

// A picture with every component value that matters for clamping and thresholds.
std::vector<uint8_t> Ramp(int depth, uint8_t filler = 0) {
    return MakeBmp(
        7, 5, depth,
        [](int x, int y) {
            const uint8_t values[] = {0, 1, 40, 41, 89, 90, 91, 154, 155, 156, 200, 254, 255};
            auto v = [&](int k) { return values[k % 13]; };
            return Px{v(x + 3 * y), v(x + 5 * y + 1), v(2 * x + y + 2)};
        },
        filler);
}

// The same effect applied the slow way: every pixel through the Dib's pixel commands.
template <class Change>
std::vector<uint8_t> PerPixelReference(const std::vector<uint8_t>& picture, Change change) {
    bitmap::Dib dib;
    EXPECT_TRUE(dib.LoadData(picture));
    for (int32_t x = 0; x < dib.GetWidth(); ++x) {
        for (int32_t y = 0; y < dib.GetHeight(); ++y) {
            const Rgb in = SplitColour(dib.GetPixel(x, y));
            const Rgb out = change(in);
            dib.SetPixel(x, y, out.red + out.green * 256 + out.blue * 65536);
        }
    }
    return dib.GetData();
}

TEST(SplitColourTest, SeparatesTheThreeComponents) {
    const Rgb rgb = SplitColour(0x123456);
    EXPECT_EQ(rgb.red, 0x56);
    EXPECT_EQ(rgb.green, 0x34);
    EXPECT_EQ(rgb.blue, 0x12);
    const Rgb white = SplitColour(0xFFFFFF);
    EXPECT_EQ(white.red + white.green + white.blue, 3 * 255);
}

TEST(AdjustBrightnessTest, ExtremePositionsClampEveryComponent) {
    for (int depth : {24, 32}) {
        const auto picture = Ramp(depth);
        const auto darker = AdjustBrightness(picture, 1 * 10 - 100);
        const auto lighter = AdjustBrightness(picture, 20 * 10 - 100);
        ASSERT_EQ(darker.size(), picture.size());
        ASSERT_EQ(lighter.size(), picture.size());
        EXPECT_EQ(darker[28], depth);
        for (int y = 0; y < 5; ++y) {
            for (int x = 0; x < 7; ++x) {
                const Px in = PixelOf(picture, x, y);
                const Px dark = PixelOf(darker, x, y);
                const Px light = PixelOf(lighter, x, y);
                EXPECT_EQ(dark.red, std::max(0, in.red - 90));
                EXPECT_EQ(dark.green, std::max(0, in.green - 90));
                EXPECT_EQ(dark.blue, std::max(0, in.blue - 90));
                EXPECT_EQ(light.red, std::min(255, in.red + 100));
                EXPECT_EQ(light.green, std::min(255, in.green + 100));
                EXPECT_EQ(light.blue, std::min(255, in.blue + 100));
            }
        }
    }
}

TEST(AdjustBrightnessTest, RowPathGivesTheBytesOfThePixelCommands) {
    // Padding bytes and the fourth byte of 32-bit pixels must come out as the pixel commands
    // leave them.
    for (int depth : {24, 32}) {
        const auto picture = Ramp(depth, 0xA5);
        for (int offset : {-90, -30, 40, 100}) {
            const auto expected = PerPixelReference(picture, [&](Rgb c) {
                auto f = [&](int v) { return std::clamp(v + offset, 0, 255); };
                return Rgb{f(c.red), f(c.green), f(c.blue)};
            });
            EXPECT_EQ(AdjustBrightness(picture, offset), expected) << depth << " " << offset;
        }
    }
}

TEST(AdjustBrightnessTest, OtherDepthsGoThroughThePixelCommands) {
    // 16 bits per pixel: 5 bits a component, read back as multiples of 8.
    std::vector<uint8_t> bmp = SolidBmp(2, 2, 24, Px{});
    bmp.resize(54 + 4 * 2);
    apptest::PutU16(bmp, 28, 16);
    apptest::PutU32(bmp, 2, static_cast<uint32_t>(bmp.size()));
    for (size_t at = 54; at < bmp.size(); at += 2)
        apptest::PutU16(bmp, at, 10 << 10 | 20 << 5 | 30);
    const auto out = AdjustBrightness(bmp, 16);
    bitmap::Dib dib;
    ASSERT_TRUE(dib.LoadData(out));
    const Rgb rgb = SplitColour(dib.GetPixel(1, 1));
    EXPECT_EQ(rgb.red, 80 + 16);
    EXPECT_EQ(rgb.green, 160 + 16);
    EXPECT_EQ(rgb.blue, 240 + 8);  // 256 clamped to 255, stored as 31 * 8
}

TEST(AdjustBrightnessTest, DataThatIsNoBitmapGivesNothing) {
    EXPECT_TRUE(AdjustBrightness({}, 10).empty());
    const std::vector<uint8_t> junk(100, 7);
    EXPECT_TRUE(AdjustBrightness(junk, 10).empty());
    EXPECT_TRUE(ThresholdToBlackWhite(junk, 40, 0).empty());
}

// Every component value once, with a fourth byte / padding that must survive.
std::vector<uint8_t> AllValues(int depth) {
    return MakeBmp(
        257, 3, depth,
        [](int x, int y) {
            return Px{uint8_t(x + 85 * y), uint8_t(255 - x), uint8_t(x * 7 + y)};
        },
        0xC3);
}

TEST(EffectsRowsTest, FramesChangedInPlaceMatchThePixelCommandsForEveryValue) {
    for (int depth : {24, 32}) {
        std::vector<uint8_t> plain = AllValues(depth);
        // The same picture laid out so that a Dib rewrites its header: bytes after the rows, a
        // non-zero reserved field.
        std::vector<uint8_t> trailing = plain;
        trailing.push_back(0x77);
        apptest::PutU32(trailing, 2, static_cast<uint32_t>(trailing.size()));
        std::vector<uint8_t> reserved = plain;
        apptest::PutU32(reserved, 6, 0x01020304);
        for (const std::vector<uint8_t>* picture : {&plain, &trailing, &reserved}) {
            for (int offset : {-300, -255, -90, -1, 0, 1, 37, 100, 255, 300}) {
                const auto expected = PerPixelReference(*picture, [&](Rgb c) {
                    auto f = [&](int v) { return std::clamp(v + offset, 0, 255); };
                    return Rgb{f(c.red), f(c.green), f(c.blue)};
                });
                EXPECT_EQ(AdjustBrightness(*picture, offset), expected) << depth << " " << offset;
            }
            for (int threshold : {-5, 0, 40, 84, 85, 200, 254, 255, 1000}) {
                const auto expected = PerPixelReference(*picture, [&](Rgb c) {
                    const int level = (c.red + c.green + c.blue) / 3 > threshold ? 255 : 0;
                    return Rgb{level, level, level};
                });
                EXPECT_EQ(ThresholdToBlackWhite(*picture, threshold, 0), expected)
                    << depth << " " << threshold;
            }
        }
        FrameEffects effects;
        effects.brightnessPosition = 3;
        effects.blackWhitePosition = 2;
        effects.watermarkOn = true;
        effects.watermarkWidth = 116;
        effects.watermarkHeight = 116;
        const auto chained = StampWatermark(
            NormaliseToBmp24(ThresholdToBlackWhite(AdjustBrightness(plain, -70), 40, 0)),
            BuiltinWatermark(), 257 - 116, 3 - 116, 0);
        EXPECT_EQ(ApplyFrameEffects(plain, effects, BuiltinWatermark(), 257, 3), chained);
    }
}

TEST(ThresholdTest, PositionTwoTurnsAveragesAboveFortyWhite) {
    // Averages 40 (stays black) and 41 (white); the mode-0 average truncates 122/3 to 40.
    const auto picture = MakeBmp(4, 1, 32, [](int x, int) {
        switch (x) {
            case 0:
                return Px{40, 40, 40};
            case 1:
                return Px{41, 41, 41};
            case 2:
                return Px{120, 1, 1};
            default:
                return Px{121, 1, 1};
        }
    });
    const auto out = ThresholdToBlackWhite(picture, 2 * 20, 0);
    EXPECT_EQ(PixelOf(out, 0, 0), (Px{0, 0, 0}));
    EXPECT_EQ(PixelOf(out, 1, 0), (Px{255, 255, 255}));
    EXPECT_EQ(PixelOf(out, 2, 0), (Px{0, 0, 0}));
    EXPECT_EQ(PixelOf(out, 3, 0), (Px{255, 255, 255}));
}

TEST(ThresholdTest, EachGreyModeReadsItsOwnComponents) {
    const auto picture = SolidBmp(1, 1, 24, Px{200, 100, 50});
    auto white = [&](int threshold, int mode) {
        return PixelOf(ThresholdToBlackWhite(picture, threshold, mode), 0, 0).red == 255;
    };
    EXPECT_TRUE(white(115, 0));  // (200 + 100 + 50) / 3 = 116
    EXPECT_FALSE(white(116, 0));
    EXPECT_TRUE(white(123, 1));  // 60 + 59 + 5.5 = 124.5, truncated to 124
    EXPECT_FALSE(white(124, 1));
    EXPECT_TRUE(white(199, 2));
    EXPECT_FALSE(white(200, 2));
    EXPECT_TRUE(white(99, 3));
    EXPECT_FALSE(white(100, 3));
    EXPECT_TRUE(white(49, 4));
    EXPECT_FALSE(white(50, 7));
}

TEST(ThresholdTest, RowPathGivesTheBytesOfThePixelCommands) {
    for (int depth : {24, 32}) {
        const auto picture = Ramp(depth, 0x5A);
        for (int mode : {0, 1, 2, 3, 4}) {
            const auto expected = PerPixelReference(picture, [&](Rgb c) {
                int v = mode == 0   ? (c.red + c.green + c.blue) / 3
                        : mode == 1 ? int(0.3 * c.red + 0.59 * c.green + 0.11 * c.blue)
                        : mode == 2 ? c.red
                        : mode == 3 ? c.green
                                    : c.blue;
                const int level = v > 90 ? 255 : 0;
                return Rgb{level, level, level};
            });
            EXPECT_EQ(ThresholdToBlackWhite(picture, 90, mode), expected) << depth << " " << mode;
        }
    }
}

TEST(NormaliseTest, KeepsA24BitBmpAndConvertsOthers) {
    const auto bmp24 = Ramp(24);
    EXPECT_EQ(NormaliseToBmp24(bmp24), bmp24);

    const auto bmp32 = Ramp(32, 0xEE);
    const auto converted = NormaliseToBmp24(bmp32);
    ASSERT_FALSE(converted.empty());
    EXPECT_EQ(converted[28], 24);
    EXPECT_EQ(GetU32(converted, 18), 7u);
    EXPECT_EQ(GetU32(converted, 22), 5u);
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 7; ++x) EXPECT_EQ(PixelOf(converted, x, y), PixelOf(bmp32, x, y));
    }

    EXPECT_TRUE(NormaliseToBmp24({}).empty());
    EXPECT_TRUE(NormaliseToBmp24(std::vector<uint8_t>(64, 0x42)).empty());
}

const Px kRed{255, 0, 0};
const Px kGrey{128, 128, 128};

TEST(StampWatermarkTest, CopiesTheMarkExceptItsKeyColour) {
    const auto base = SolidBmp(10, 8, 24, kGrey);
    // Mark 3 x 2: black in its top-left corner, red elsewhere.
    const auto mark =
        MakeBmp(3, 2, 24, [](int x, int y) { return x == 0 && y == 0 ? Px{} : kRed; });
    const auto out = StampWatermark(base, mark, 4, 5, 0);
    ASSERT_EQ(out.size(), base.size());
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 10; ++x) {
            const bool inside = x >= 4 && x < 7 && y >= 5 && y < 7 && !(x == 4 && y == 5);
            EXPECT_EQ(PixelOf(out, x, y), inside ? kRed : kGrey) << x << "," << y;
        }
    }
}

TEST(StampWatermarkTest, WithoutKeyWhiteIsTransparentAndDefaultsSitTwentyFromTheCorner) {
    const auto base = SolidBmp(40, 30, 24, kGrey);
    const auto mark = MakeBmp(4, 3, 24, [](int x, int) {
        return x == 3 ? Px{255, 255, 255} : kRed;
    });
    const auto out = StampWatermark(base, mark);
    // x = 40 - 4 - 20 = 16, y = 30 - 3 - 20 = 7.
    EXPECT_EQ(PixelOf(out, 16, 7), kRed);
    EXPECT_EQ(PixelOf(out, 18, 9), kRed);
    EXPECT_EQ(PixelOf(out, 19, 7), kGrey);  // white column left out
    EXPECT_EQ(PixelOf(out, 15, 7), kGrey);
    EXPECT_EQ(PixelOf(out, 16, 10), kGrey);
}

TEST(StampWatermarkTest, ClipsAMarkLargerThanTheBaseAndClampsNegativePlaces) {
    const auto base = SolidBmp(5, 3, 24, kGrey);
    const auto mark = MakeBmp(8, 6, 24, [](int x, int y) {
        return Px{uint8_t(x + 1), uint8_t(y + 1), 9};
    });
    // The worker's placement: region size minus mark size, here negative, so clamped to 0.
    const auto out = StampWatermark(base, mark, 5 - 8, 3 - 6, 0);
    ASSERT_EQ(out.size(), base.size());
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(PixelOf(out, x, y), (Px{uint8_t(x + 1), uint8_t(y + 1), 9}));
    }
    // A mark placed partly outside is cut at the base's edges.
    const auto corner =
        StampWatermark(SolidBmp(6, 4, 24, kGrey), SolidBmp(3, 3, 24, kRed), 4, 2, 0);
    EXPECT_EQ(PixelOf(corner, 5, 3), kRed);
    EXPECT_EQ(PixelOf(corner, 4, 2), kRed);
    EXPECT_EQ(PixelOf(corner, 3, 3), kGrey);
    // Entirely outside: nothing changes.
    const auto base2 = SolidBmp(6, 4, 24, kGrey);
    EXPECT_EQ(StampWatermark(base2, SolidBmp(3, 3, 24, kRed), 6, 0, 0), base2);
}

TEST(StampWatermarkTest, RefusesPicturesThatAreNot24BitOrLieAboutTheirSize) {
    const auto base = SolidBmp(10, 10, 24, kGrey);
    const auto mark = SolidBmp(3, 3, 24, kRed);
    EXPECT_TRUE(StampWatermark(SolidBmp(10, 10, 32, kGrey), mark).empty());
    EXPECT_TRUE(StampWatermark(base, SolidBmp(3, 3, 32, kRed)).empty());
    EXPECT_TRUE(StampWatermark(base, {}).empty());

    auto truncated = mark;
    truncated.resize(truncated.size() - 1);
    EXPECT_TRUE(StampWatermark(base, truncated).empty());

    auto tall = mark;
    apptest::PutU32(tall, 22, 1000000);
    EXPECT_TRUE(StampWatermark(base, tall).empty());
    auto wide = base;
    apptest::PutU32(wide, 18, 0x7FFFFFFF);
    EXPECT_TRUE(StampWatermark(wide, mark).empty());
    auto negative = base;
    apptest::PutU32(negative, 22, static_cast<uint32_t>(-10));
    EXPECT_TRUE(StampWatermark(negative, mark).empty());
    auto farOffset = mark;
    apptest::PutU32(farOffset, 10, 0xFFFFFF00u);
    EXPECT_TRUE(StampWatermark(base, farOffset).empty());
}

TEST(BuiltinWatermarkTest, IsA116Square24BitBmpWithTransparentCorners) {
    const auto& mark = BuiltinWatermark();
    ASSERT_EQ(mark.size(), 40422u);
    EXPECT_EQ(mark[0], 'B');
    EXPECT_EQ(mark[28], 24);
    EXPECT_EQ(GetU32(mark, 18), 116u);
    EXPECT_EQ(GetU32(mark, 22), 116u);
    EXPECT_EQ(PixelOf(mark, 0, 0), Px{});
    EXPECT_EQ(PixelOf(mark, 115, 115), Px{});
    EXPECT_NE(PixelOf(mark, 58, 10), Px{});
    // It serves as its own trial base, as a dropped picture is tried.
    EXPECT_FALSE(StampWatermark(mark, mark).empty());
}

TEST(FrameEffectsTest, WatermarkSitsInTheRegionsBottomRightCornerWithBlackTransparent) {
    const auto frame = SolidBmp(200, 150, 32, kGrey);
    FrameEffects effects;
    effects.watermarkOn = true;
    effects.watermarkWidth = 116;
    effects.watermarkHeight = 116;
    const auto out = ApplyFrameEffects(frame, effects, BuiltinWatermark(), 200, 150);
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(out[28], 24);
    EXPECT_EQ(PixelOf(out, 84 + 58, 34 + 10), PixelOf(BuiltinWatermark(), 58, 10));
    EXPECT_EQ(PixelOf(out, 84, 34), kGrey);  // the mark's black corner
    EXPECT_EQ(PixelOf(out, 83, 100), kGrey);
    EXPECT_FALSE(HasEffects(FrameEffects{}));
}

TEST(FrameEffectsTest, BrightnessThenBlackAndWhite) {
    FrameEffects effects;
    effects.brightnessPosition = 15;  // +50
    effects.blackWhitePosition = 4;   // threshold 80
    const auto frame = MakeBmp(2, 1, 32, [](int x, int) {
        return x == 0 ? Px{30, 30, 30} : Px{31, 31, 31};
    });
    const auto out = ApplyFrameEffects(frame, effects, {}, 2, 1);
    EXPECT_EQ(PixelOf(out, 0, 0), (Px{0, 0, 0}));        // 80 is not above 80
    EXPECT_EQ(PixelOf(out, 1, 0), (Px{255, 255, 255}));  // 81
}

}  // namespace
}  // namespace app
