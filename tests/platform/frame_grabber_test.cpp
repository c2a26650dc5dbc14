#include "x11_fixture.h"

namespace platform::testing {
namespace {

class FrameGrabberTest : public X11Test, public ::testing::WithParamInterface<GrabMethod> {
  protected:
    void SetUp() override {
        X11Test::SetUp();
        if (HasFatalFailure()) return;
        desktop_->ForceGrabMethod(GetParam());
    }
    void TearDown() override {
        // A grab path that failed and quietly fell back would leave the SHM path untested.
        if (desktop_) {
            EXPECT_EQ(desktop_->ActiveGrabMethod(), GetParam());
        }
        X11Test::TearDown();
    }
};

TEST_P(FrameGrabberTest, OnePixelIsA58ByteBmpWithExactHeaders) {
    MakePatternWindow(200, 150, 4, 3);
    std::vector<uint8_t> bmp = desktop_->FrameGrabber(201, 152, 1, 1);
    ASSERT_EQ(bmp.size(), 58u);
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[1], 'M');
    EXPECT_EQ(Le32(bmp, 2), 58u);
    EXPECT_EQ(Le32(bmp, 6), 0u);
    EXPECT_EQ(Le32(bmp, 10), 54u);
    EXPECT_EQ(Le32(bmp, 14), 40u);
    EXPECT_EQ(Le32(bmp, 18), 1u);
    EXPECT_EQ(Le32(bmp, 22), 1u);
    EXPECT_EQ(Le16(bmp, 26), 1);
    EXPECT_EQ(Le16(bmp, 28), 32);
    for (size_t at = 30; at < 54; ++at) EXPECT_EQ(bmp[at], 0) << "header byte " << at;
    uint32_t expected = Pattern(1, 2);
    EXPECT_EQ(bmp[54], expected & 0xFF);  // blue, green, red, 0
    EXPECT_EQ(bmp[55], (expected >> 8) & 0xFF);
    EXPECT_EQ(bmp[56], expected >> 16);
    EXPECT_EQ(bmp[57], 0);
}

TEST_P(FrameGrabberTest, RowsAreStoredBottomUpWithExactPixels) {
    MakePatternWindow(300, 200, 7, 4);
    std::vector<uint8_t> bmp = desktop_->FrameGrabber(300, 200, 7, 4);
    ASSERT_EQ(bmp.size(), 54u + 7 * 4 * 4);
    EXPECT_EQ(Le32(bmp, 2), bmp.size());
    // The first stored row is the bottom row of the rectangle.
    EXPECT_EQ(bmp[54 + 2] << 16 | bmp[54 + 1] << 8 | bmp[54], Pattern(0, 3));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 7; ++x) EXPECT_EQ(BmpPixel(bmp, x, y), Pattern(x, y)) << x << "," << y;
}

TEST_P(FrameGrabberTest, SegmentFollowsChangingRectangleSizes) {
    MakePatternWindow(400, 300, 8, 4);
    // Alternating sizes must not reuse pixels of another size's image.
    for (int round = 0; round < 2; ++round) {
        for (auto [w, h, dx, dy] : {std::array{8, 4, 0, 0}, {3, 2, 5, 2}, {8, 1, 0, 3}}) {
            std::vector<uint8_t> bmp = desktop_->FrameGrabber(400 + dx, 300 + dy, w, h);
            ASSERT_EQ(bmp.size(), 54u + size_t(w) * h * 4);
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x)
                    ASSERT_EQ(BmpPixel(bmp, x, y), Pattern(x + dx, y + dy))
                        << w << "x" << h << " at " << x << "," << y;
        }
    }
}

TEST_P(FrameGrabberTest, PartsOffTheScreenAreBlack) {
    Rect screen = desktop_->PrimaryScreen();
    ASSERT_GT(screen.Width(), 8);
    // Top-left corner: the rectangle starts 2 columns and 1 row before the screen.
    MakeTopLevel(0, 0, 4, 4, 0xFFFFFF);
    std::vector<uint8_t> bmp = desktop_->FrameGrabber(-2, -1, 5, 4);
    ASSERT_EQ(bmp.size(), 54u + 5 * 4 * 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(BmpPixel(bmp, x, y), x < 2 || y < 1 ? 0u : 0xFFFFFFu) << x << "," << y;

    // Bottom-right corner: one pixel on the screen, the rest past its edges.
    int right = screen.Width(), bottom = screen.Height();
    MakeTopLevel(right - 2, bottom - 2, 2, 2, 0x123456);
    bmp = desktop_->FrameGrabber(right - 1, bottom - 1, 3, 2);
    ASSERT_EQ(bmp.size(), 54u + 3 * 2 * 4);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(BmpPixel(bmp, x, y), x == 0 && y == 0 ? 0x123456u : 0u) << x << "," << y;

    // Wholly off the screen: a black picture, not a failure; far-out values do not overflow.
    bmp = desktop_->FrameGrabber(-100, -100, 10, 10);
    ASSERT_EQ(bmp.size(), 54u + 10 * 10 * 4);
    EXPECT_TRUE(std::all_of(bmp.begin() + 54, bmp.end(), [](uint8_t b) { return b == 0; }));
    bmp = desktop_->FrameGrabber(INT32_MAX - 1, INT32_MAX - 1, 2, 2);
    ASSERT_EQ(bmp.size(), 54u + 2 * 2 * 4);
}

TEST_P(FrameGrabberTest, EmptyOrOversizedRectanglesGiveEmptyBytes) {
    EXPECT_TRUE(desktop_->FrameGrabber(10, 10, 0, 5).empty());
    EXPECT_TRUE(desktop_->FrameGrabber(10, 10, 5, 0).empty());
    EXPECT_TRUE(desktop_->FrameGrabber(10, 10, -5, 5).empty());
    EXPECT_TRUE(desktop_->FrameGrabber(10, 10, 5, INT32_MIN).empty());
    EXPECT_TRUE(desktop_->FrameGrabber(0, 0, 40000, 40000).empty());
    EXPECT_TRUE(desktop_->FrameGrabber(0, 0, 30000, 30000).empty());  // over the byte limit

    // A reused buffer is emptied by a failed grab, so no stale frame passes as new.
    std::vector<uint8_t> buffer(100, 0xAB);
    EXPECT_FALSE(desktop_->GrabInto(0, 0, 0, 0, buffer));
    EXPECT_TRUE(buffer.empty());
}

TEST_P(FrameGrabberTest, ReusedBufferIsRewrittenWhole) {
    Window w = MakeTopLevel(600, 400, 6, 3, 0xFF0000);
    std::vector<uint8_t> buffer;
    ASSERT_TRUE(desktop_->GrabInto(598, 399, 6, 3, buffer));
    XSetWindowBackground(display_, w, 0x00FF00);
    XClearWindow(display_, w);
    XSync(display_, False);
    ASSERT_TRUE(desktop_->GrabInto(598, 399, 6, 3, buffer));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 6; ++x)
            if (x >= 2 && y >= 1) {
                EXPECT_EQ(BmpPixel(buffer, x, y), 0x00FF00u) << x << "," << y;
            }
}

INSTANTIATE_TEST_SUITE_P(BothPaths, FrameGrabberTest,
                         ::testing::Values(GrabMethod::SharedMemory, GrabMethod::Plain),
                         [](const auto& info) {
                             return info.param == GrabMethod::SharedMemory ? "SharedMemory"
                                                                           : "Plain";
                         });

TEST_F(X11Test, SharedMemoryIsTheDefaultOnALocalServer) {
    EXPECT_EQ(desktop_->ActiveGrabMethod(), GrabMethod::SharedMemory);
    desktop_->ForceGrabMethod(GrabMethod::Plain);
    auto other = desktop_->OpenAnother();
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(static_cast<X11Desktop&>(*other).ActiveGrabMethod(), GrabMethod::Plain);
}

TEST_F(X11Test, PrimaryScreenIsTheWholeXvfbScreen) {
    Rect screen = desktop_->PrimaryScreen();
    EXPECT_EQ(screen.left, 0);
    EXPECT_EQ(screen.top, 0);
    EXPECT_EQ(screen.Width(), DisplayWidth(display_, DefaultScreen(display_)));
    EXPECT_EQ(screen.Height(), DisplayHeight(display_, DefaultScreen(display_)));
    EXPECT_EQ(desktop_->ScreenSize(), (Size{screen.Width(), screen.Height()}));
}

TEST(NullDesktopTest, GivesBlackFramesAndSetKeys) {
    NullDesktop desktop({640, 480});
    EXPECT_EQ(desktop.ScreenSize(), (Size{640, 480}));
    std::vector<uint8_t> bmp = desktop.FrameGrabber(5, 5, 3, 2);
    ASSERT_EQ(bmp.size(), 54u + 3 * 2 * 4);
    EXPECT_EQ(Le16(bmp, 28), 32);
    EXPECT_TRUE(std::all_of(bmp.begin() + 54, bmp.end(), [](uint8_t b) { return b == 0; }));
    EXPECT_TRUE(desktop.FrameGrabber(0, 0, 0, 1).empty());

    EXPECT_FALSE(desktop.IsKeyDown(key::kF2));
    desktop.SetKeyDown(key::kF2, true);
    auto other = desktop.OpenAnother();
    EXPECT_TRUE(desktop.IsKeyDown(key::kF2));
    EXPECT_TRUE(other->IsKeyDown(key::kF2));
    desktop.SetKeyDown(key::kF2, false);
    EXPECT_FALSE(desktop.IsKeyDown(key::kF2));

    EXPECT_EQ(desktop.WindowUnderCursor(), kNoWindow);
    desktop.SetPointer(Point{3, 4});
    EXPECT_EQ(desktop.PointerPosition(), (Point{3, 4}));
}

}  // namespace
}  // namespace platform::testing

namespace platform::testing {
namespace {

TEST_F(X11Test, AWhollyBlackScreenOfAPlainXServerCanBeRecorded) {
    // Only Xwayland's black pictures mean "cannot see"; a black Xvfb desktop is a real picture.
    MakeTopLevel(0, 0, 1920, 1080, 0x000000);
    EXPECT_EQ(desktop_->PrepareCapture(), CaptureProblem::NoProblem);
    EXPECT_TRUE(desktop_->CanPickWindows());
    EXPECT_TRUE(desktop_->CanPlaceOverlays());
}

}  // namespace
}  // namespace platform::testing
