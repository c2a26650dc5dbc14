// The optimised layout on frames the X11 grabber took from a changing screen: what a viewer
// shows must match the whole-frame file of the same frames, as on the synthetic scenes of
// tests/gif, while the file gets smaller. Real grabs bring what synthetic scenes lack: 32-bit
// rows with pad bytes, odd region sizes, the server's own root pattern, and repeated pictures.
#include "x11_fixture.h"

#include <algorithm>

#include "gif/gif_maker.h"
#include "giflib_timeline_support.h"
#include "maker_support.h"

namespace platform::testing {
namespace {

using gif::testing::PlayWithGiflib;
using gif::testing::SaveToMemory;
using gif::testing::Timeline;
using gif::testing::TimelineDifference;

constexpr int kLeft = 200, kTop = 150, kWidth = 640, kHeight = 400;
constexpr uint32_t kPaper = 0xF4F1E8, kInk = 0x202428;
constexpr int kGradientTop = 340;

using Frames = std::vector<std::vector<uint8_t>>;

class RecordedFramesTest : public X11Test {
  protected:
    void SetUp() override {
        X11Test::SetUp();
        if (HasFatalFailure()) return;
        window_ = MakeTopLevel(kLeft, kTop, kWidth, kHeight, kPaper);
        gc_ = XCreateGC(display_, window_, 0, nullptr);
    }
    void TearDown() override {
        if (gc_) XFreeGC(display_, gc_);
        X11Test::TearDown();
    }

    void Fill(int x, int y, int width, int height, uint32_t rgb) {
        XSetForeground(display_, gc_, rgb);
        XFillRectangle(display_, window_, gc_, x, y, unsigned(width), unsigned(height));
    }

    // Over a thousand colours: more than one table holds, so the reduction has to merge.
    void DrawGradient() {
        for (int band = 0; band < 4; ++band)
            for (int x = 0; x < kWidth; ++x)
                Fill(x, kGradientTop + 15 * band, 1, 15,
                     uint32_t(x * 255 / kWidth) << 16 | uint32_t(40 + 60 * band) << 8 |
                         uint32_t((x * 7) & 0xFF));
        XSync(display_, False);
    }

    // What changes on the screen at `step`: text lines scrolling up, a clock-like block of
    // lit digits, and a block moving along a row.
    void DrawStep(int step) {
        constexpr int kTextTop = 10, kTextBottom = 310, kLine = 16;
        Fill(10, kTextTop, 400, kTextBottom - kTextTop, kPaper);
        const int scroll = 5 * step;
        for (int line = scroll / kLine; line * kLine - scroll + kTextTop < kTextBottom; ++line) {
            const int y = kTextTop + line * kLine - scroll;
            if (y < kTextTop) continue;
            const int height = std::min(10, kTextBottom - y);
            for (int glyph = 0; glyph < 56; ++glyph)
                if ((line * 131 + glyph * 29) % 11 < 7) Fill(14 + 7 * glyph, y, 5, height, kInk);
        }

        Fill(450, 20, 120, 30, 0x203040);
        for (int bit = 0; bit < 8; ++bit)
            if ((step >> bit) & 1) Fill(455 + 14 * bit, 25, 10, 20, 0x40E040);

        Fill(0, 316, kWidth, 22, kPaper);
        Fill((10 + 23 * step) % (kWidth - 20), 319, 20, 16, 0xD02020);
        XSync(display_, False);
    }

    // `count` grabs of `area` with the content changed before each, except every sixth grab,
    // which repeats the picture before it. Also gives how many grabs differ from the one before.
    Frames Record(const Rect& area, int count, size_t& changes) {
        Frames frames;
        changes = 0;
        for (int step = 0; step < count; ++step) {
            if (step % 6 != 5) DrawStep(step);
            frames.push_back(
                desktop_->FrameGrabber(area.left, area.top, area.Width(), area.Height()));
            EXPECT_EQ(frames.back().size(), 54 + size_t(area.Width()) * area.Height() * 4);
            if (step > 0 && frames[size_t(step)] != frames[size_t(step) - 1]) ++changes;
        }
        return frames;
    }

    // Both layouts of the same grabs; `smallerBy` is how many times smaller the optimised file
    // must at least be.
    void ExpectSameAndSmaller(const Frames& frames, size_t changes, gif::MakerOptions options,
                              size_t smallerBy) {
        std::vector<uint8_t> made[2];
        for (bool optimise : {false, true}) {
            gif::GifMaker maker;
            maker.Create(gif::AnimationInfo{});
            options.optimise = optimise;
            maker.SetOptions(options);
            gif::FrameInfo info;
            info.DelayTime = 5;
            for (const auto& frame : frames)
                ASSERT_TRUE(maker.AddFrame(info, std::nullopt, frame)) << maker.GetError();
            made[optimise] = SaveToMemory(maker);
        }
        const Timeline whole = PlayWithGiflib(made[0]);
        ASSERT_TRUE(whole.ok) << whole.error;
        // Every changed grab is a picture of its own, so the comparison covers each change.
        EXPECT_EQ(whole.moments.size(), changes + 1);
        EXPECT_EQ(TimelineDifference(whole, PlayWithGiflib(made[1])), "");
        EXPECT_LT(made[1].size() * smallerBy, made[0].size())
            << made[1].size() << " optimised, " << made[0].size() << " whole";
    }

    Window window_ = 0;
    GC gc_ = nullptr;
};

constexpr int kStills(int count) {
    return count / 6;
}

TEST_F(RecordedFramesTest, RegionGrabsShowTheSameInTheOptimisedLayout) {
    // Odd sizes; the clock is cut by the right edge and the block leaves and comes back.
    const Rect region{kLeft + 5, kTop + 3, kLeft + 5 + 453, kTop + 3 + 331};
    size_t changes = 0;
    const Frames frames = Record(region, 24, changes);
    ASSERT_EQ(frames.size(), 24u);
    // The grabs saw every change drawn.
    ASSERT_EQ(changes, size_t(23 - kStills(24)));
    // Scrolling text changes most of the region, so only "smaller" is certain.
    ExpectSameAndSmaller(frames, changes, {}, 1);
    // The region has few colours: exact colours keep them in both layouts.
    ExpectSameAndSmaller(frames, changes, {.optimise = false, .exactColours = true}, 1);
}

TEST_F(RecordedFramesTest, FullScreenGrabsShowTheSameInTheOptimisedLayout) {
    const Rect screen = desktop_->PrimaryScreen();
    ASSERT_GE(screen.Width(), kLeft + kWidth);
    ASSERT_GE(screen.Height(), kTop + kHeight);
    size_t changes = 0;
    {
        DrawGradient();
        const Frames frames = Record(screen, 15, changes);
        ASSERT_EQ(changes, size_t(14 - kStills(15)));
        // A small part of the screen changes: most of each whole frame is not written again.
        ExpectSameAndSmaller(frames, changes, {}, 2);
    }
    // Exact colours promise the same pictures only while a frame has at most 256 colours;
    // beyond, the optimised layout reduces each changed rectangle on its own.
    Fill(0, kGradientTop, kWidth, kHeight - kGradientTop, kPaper);
    const Frames frames = Record(screen, 15, changes);
    ASSERT_EQ(changes, size_t(14 - kStills(15)));
    ExpectSameAndSmaller(frames, changes, {.optimise = false, .exactColours = true}, 2);
}

}  // namespace
}  // namespace platform::testing
