#include "app/core/frame_mask.h"

#include <gtest/gtest.h>

#include "bmp_builder.h"

namespace app {
namespace {

using apptest::PixelOf;
using apptest::Px;

// Each pixel's colour tells its place: red = x, green = y.
std::vector<uint8_t> Numbered(int width, int height) {
    return apptest::MakeBmp(width, height, 32, [](int x, int y) {
        return Px{uint8_t(x), uint8_t(y), 200};
    });
}

TEST(HideRects, EachRowTakesThePixelLeftOfTheHiddenPart) {
    // A 20 x 10 frame of the screen rectangle (100, 50)-(120, 60); hidden (105, 52)-(108, 55).
    const platform::Rect region{100, 50, 120, 60};
    std::vector<uint8_t> frame = Numbered(20, 10);
    const platform::Rect hidden[] = {{105, 52, 108, 55}};
    HideRects(frame, region, hidden);
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 20; ++x) {
            const bool inside = x >= 5 && x < 8 && y >= 2 && y < 5;
            const Px want = inside ? Px{4, uint8_t(y), 200} : Px{uint8_t(x), uint8_t(y), 200};
            ASSERT_EQ(PixelOf(frame, x, y), want) << x << "," << y;
        }
    }
}

TEST(HideRects, PartsAtTheEdgesAreClippedAndFilledFromTheOtherSide) {
    const platform::Rect region{0, 0, 16, 8};
    std::vector<uint8_t> frame = Numbered(16, 8);
    // Over the left edge and the top: filled from the right neighbour. Over the right edge:
    // from the left one. A whole row: black. Wholly outside: nothing.
    const platform::Rect hidden[] = {
        {-5, -5, 3, 2}, {14, 3, 40, 4}, {-1, 6, 17, 7}, {20, 0, 30, 8}, {0, 8, 16, 9}};
    HideRects(frame, region, hidden);
    EXPECT_EQ(PixelOf(frame, 0, 0), (Px{3, 0, 200}));
    EXPECT_EQ(PixelOf(frame, 2, 1), (Px{3, 1, 200}));
    EXPECT_EQ(PixelOf(frame, 3, 1), (Px{3, 1, 200}));
    EXPECT_EQ(PixelOf(frame, 0, 2), (Px{0, 2, 200}));
    EXPECT_EQ(PixelOf(frame, 14, 3), (Px{13, 3, 200}));
    EXPECT_EQ(PixelOf(frame, 15, 3), (Px{13, 3, 200}));
    EXPECT_EQ(PixelOf(frame, 15, 4), (Px{15, 4, 200}));
    for (int x = 0; x < 16; ++x) EXPECT_EQ(PixelOf(frame, x, 6), (Px{0, 0, 0}));
    EXPECT_EQ(PixelOf(frame, 7, 7), (Px{7, 7, 200}));
}

TEST(HideRects, LeavesOtherLayoutsAndExtremeRectanglesAlone) {
    const platform::Rect region{0, 0, 8, 8};
    const platform::Rect hidden[] = {{0, 0, 8, 8}};
    // 24 bits per pixel, a size that is not the region's, a frame cut short, no frame.
    std::vector<uint8_t> cutShort = apptest::SolidBmp(8, 8, 32, {1, 2, 3});
    cutShort.resize(cutShort.size() - 4);
    for (std::vector<uint8_t> frame :
         {apptest::SolidBmp(8, 8, 24, {1, 2, 3}), apptest::SolidBmp(8, 7, 32, {1, 2, 3}), cutShort,
          std::vector<uint8_t>{}}) {
        const std::vector<uint8_t> before = frame;
        HideRects(frame, region, hidden);
        EXPECT_EQ(frame, before);
    }
    // Rectangles and regions at the ends of the 32-bit range neither overflow nor touch pixels
    // they do not cover.
    std::vector<uint8_t> frame = Numbered(8, 8);
    const std::vector<uint8_t> before = frame;
    const platform::Rect far[] = {{INT32_MIN, INT32_MIN, INT32_MIN + 1, INT32_MIN + 1},
                                  {INT32_MAX - 1, 0, INT32_MAX, 8},
                                  {5, 5, 2, 2}};
    HideRects(frame, region, far);
    EXPECT_EQ(frame, before);
    const platform::Rect farRegion{INT32_MAX - 8, INT32_MAX - 8, INT32_MAX, INT32_MAX};
    const platform::Rect all[] = {{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}};
    HideRects(frame, farRegion, all);
    for (int x = 0; x < 8; ++x) EXPECT_EQ(PixelOf(frame, x, 3), (Px{0, 0, 0}));
}

}  // namespace
}  // namespace app
