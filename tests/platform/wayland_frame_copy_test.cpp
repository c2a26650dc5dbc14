#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/wayland/frame_copy.h"

namespace platform::wayland {
namespace {

uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 |
           uint32_t(b[at + 3]) << 24;
}

// The blue, green, red, pad bytes of BMP pixel (x, y), y counted from the top.
std::vector<uint8_t> BmpPixel(const std::vector<uint8_t>& bmp, int x, int y) {
    const int32_t width = int32_t(Le32(bmp, 18)), height = int32_t(Le32(bmp, 22));
    const size_t at = 54 + size_t(height - 1 - y) * size_t(width) * 4 + size_t(x) * 4;
    return {bmp[at], bmp[at + 1], bmp[at + 2], bmp[at + 3]};
}

// A frame whose pixel (x, y) holds bytes x, y, 100 + x, 200 in memory order, rows padded.
struct TestFrame {
    TestFrame(int32_t width, int32_t height, int32_t stride, PixelLayout layout)
        : bytes(size_t(stride) * size_t(height), 0xEE) {
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x) {
                uint8_t* p = &bytes[size_t(y) * size_t(stride) + size_t(x) * 4];
                p[0] = uint8_t(x), p[1] = uint8_t(y), p[2] = uint8_t(100 + x), p[3] = 200;
            }
        view = {bytes.data(), width, height, stride, layout};
    }
    std::vector<uint8_t> bytes;
    FrameView view;
};

TEST(FrameCopyTest, BgrxRegionIsCopiedBottomUpWithPaddedRowsSkippedAndPadByteZero) {
    TestFrame frame(8, 6, 40, LayoutOf(StreamFormat::BGRx));
    std::vector<uint8_t> bmp;
    ASSERT_TRUE(CopyToBmp32(frame.view, {2, 1, 5, 4}, bmp));
    ASSERT_EQ(bmp.size(), 54u + 3 * 3 * 4);
    EXPECT_EQ(Le32(bmp, 18), 3u);
    EXPECT_EQ(Le32(bmp, 22), 3u);
    EXPECT_EQ(BmpPixel(bmp, 0, 0), (std::vector<uint8_t>{2, 1, 102, 0}));
    EXPECT_EQ(BmpPixel(bmp, 2, 2), (std::vector<uint8_t>{4, 3, 104, 0}));
}

TEST(FrameCopyTest, EveryByteOrderLandsAsBlueGreenRed) {
    // Memory bytes are (x, y, 100 + x, 200); which of them is red depends on the format.
    struct Case {
        StreamFormat format;
        std::vector<uint8_t> bgr0;  // of pixel (1, 2)
    };
    const Case cases[] = {
        {StreamFormat::BGRx, {1, 2, 101, 0}},   {StreamFormat::BGRA, {1, 2, 101, 0}},
        {StreamFormat::RGBx, {101, 2, 1, 0}},   {StreamFormat::RGBA, {101, 2, 1, 0}},
        {StreamFormat::xRGB, {200, 101, 2, 0}}, {StreamFormat::ARGB, {200, 101, 2, 0}},
        {StreamFormat::xBGR, {2, 101, 200, 0}}, {StreamFormat::ABGR, {2, 101, 200, 0}},
    };
    for (const Case& c : cases) {
        TestFrame frame(4, 4, 16, LayoutOf(c.format));
        std::vector<uint8_t> bmp;
        ASSERT_TRUE(CopyToBmp32(frame.view, {0, 0, 4, 4}, bmp));
        EXPECT_EQ(BmpPixel(bmp, 1, 2), c.bgr0) << int(c.format);
    }
}

TEST(FrameCopyTest, PartsOutsideTheFrameAreBlack) {
    TestFrame frame(4, 4, 16, LayoutOf(StreamFormat::BGRx));
    std::vector<uint8_t> bmp;
    ASSERT_TRUE(CopyToBmp32(frame.view, {-2, -1, 6, 3}, bmp));
    EXPECT_EQ(BmpPixel(bmp, 0, 0), (std::vector<uint8_t>{0, 0, 0, 0}));
    EXPECT_EQ(BmpPixel(bmp, 1, 3), (std::vector<uint8_t>{0, 0, 0, 0}));
    EXPECT_EQ(BmpPixel(bmp, 2, 1), (std::vector<uint8_t>{0, 0, 100, 0}));  // frame (0, 0)
    EXPECT_EQ(BmpPixel(bmp, 5, 3), (std::vector<uint8_t>{3, 2, 103, 0}));
    EXPECT_EQ(BmpPixel(bmp, 7, 3), (std::vector<uint8_t>{0, 0, 0, 0}));

    // Wholly beside the frame, at the far ends of the coordinates: black, no overflow.
    ASSERT_TRUE(CopyToBmp32(frame.view, {INT32_MAX - 3, INT32_MAX - 3, INT32_MAX, INT32_MAX}, bmp));
    EXPECT_EQ(BmpPixel(bmp, 2, 2), (std::vector<uint8_t>{0, 0, 0, 0}));
    ASSERT_TRUE(CopyToBmp32(frame.view, {INT32_MIN, INT32_MIN, INT32_MIN + 2, INT32_MIN + 2}, bmp));
}

TEST(FrameCopyTest, EmptyOrOversizedRegionsAreRefusedAndLeaveNothing) {
    TestFrame frame(4, 4, 16, LayoutOf(StreamFormat::BGRx));
    std::vector<uint8_t> bmp(10, 1);
    EXPECT_FALSE(CopyToBmp32(frame.view, {2, 2, 2, 3}, bmp));
    EXPECT_TRUE(bmp.empty());
    EXPECT_FALSE(CopyToBmp32(frame.view, {3, 3, 1, 1}, bmp));
    EXPECT_FALSE(CopyToBmp32(frame.view, {0, 0, kMaxGrabSide + 1, 1}, bmp));
    EXPECT_FALSE(CopyToBmp32(frame.view, {INT32_MIN, 0, INT32_MAX, 1}, bmp));
}

TEST(FrameCopyTest, FitsInChecksStrideAndLastRowAgainstTheBuffer) {
    std::vector<uint8_t> bytes(100);
    FrameView view{bytes.data(), 4, 3, 20, {}};
    EXPECT_TRUE(FitsIn(view, 2 * 20 + 16));
    EXPECT_FALSE(FitsIn(view, 2 * 20 + 15));
    view.stride = 15;  // narrower than a row
    EXPECT_FALSE(FitsIn(view, 100));
    view.stride = -16;
    EXPECT_FALSE(FitsIn(view, 100));
    view = {nullptr, 4, 3, 16, {}};
    EXPECT_FALSE(FitsIn(view, 100));
    view = {bytes.data(), 0, 3, 16, {}};
    EXPECT_FALSE(FitsIn(view, 100));
}

}  // namespace
}  // namespace platform::wayland
