// The optimised layout shows, at every moment, exactly what the whole-frame layout shows:
// compared through giflib's decoding, moment by moment with durations.
#include <gtest/gtest.h>

#include "gif/gif_optimise.h"
#include "giflib_support.h"
#include "giflib_timeline_support.h"
#include "maker_support.h"
#include "optimiser_scenes_support.h"

namespace gif::testing {
namespace {

std::vector<uint8_t> WholeFrames(const Scene& scene, uint16_t delay = 10, bool interlace = false) {
    GifMaker maker;
    AnimationInfo info;
    info.Interlace = interlace;
    maker.Create(info);
    FrameInfo frame;
    frame.DelayTime = delay;
    for (const auto& picture : scene)
        EXPECT_TRUE(maker.AddFrame(frame, std::nullopt, Bmp32(picture)));
    return SaveToMemory(maker);
}

std::vector<uint8_t> Optimised(const std::vector<uint8_t>& gif) {
    std::vector<uint8_t> out;
    LibraryError error;
    EXPECT_EQ(OptimiseGif(gif, out, error), OptimiseResult::Ok) << error.what();
    return out;
}

// The optimised file shows the same and is smaller; returns its giflib decoding.
GiflibGif ExpectSameAndSmaller(const std::vector<uint8_t>& whole) {
    const std::vector<uint8_t> optimised = Optimised(whole);
    EXPECT_EQ(TimelineDifference(PlayWithGiflib(whole), PlayWithGiflib(optimised)), "");
    EXPECT_LT(optimised.size(), whole.size());
    return DecodeWithGiflib(optimised);
}

TEST(OptimisedLayout, StillScreenBecomesOneFrameOfTheSummedDelay) {
    const GiflibGif gif = ExpectSameAndSmaller(WholeFrames(StillScreen(64, 48, 6), 15));
    ASSERT_EQ(gif.frames.size(), 1u);
    EXPECT_EQ(gif.frames[0].delay, 90);
    EXPECT_TRUE(gif.frames[0].localPalette.empty());
}

TEST(OptimisedLayout, BlinkingCursorWritesOnlyTheCursorsRectangle) {
    const GiflibGif gif = ExpectSameAndSmaller(WholeFrames(BlinkingCursor(64, 48, 5)));
    ASSERT_EQ(gif.frames.size(), 5u);
    for (size_t i = 1; i < gif.frames.size(); ++i) {
        EXPECT_EQ(gif.frames[i].left, 32);
        EXPECT_EQ(gif.frames[i].top, 24);
        EXPECT_EQ(gif.frames[i].width, 2);
        EXPECT_EQ(gif.frames[i].height, 9);
        EXPECT_EQ(gif.frames[i].disposal, 1);
    }
}

TEST(OptimisedLayout, ScrollingTextNoiseAndAllEntriesShowTheSame) {
    ExpectSameAndSmaller(WholeFrames(ScrollingText(80, 60, 6)));
    // Noise changes nearly every pixel: the file may only shrink by its tables.
    ExpectSameAndSmaller(WholeFrames(FullScreenNoise(40, 30, 4)));
    const GiflibGif gif = ExpectSameAndSmaller(WholeFrames(AllPaletteEntries(4)));
    EXPECT_EQ(gif.globalPalette.size(), 3u * 256);
}

TEST(OptimisedLayout, ChangeInTheLastPixelOnlyIsAOnePixelFrame) {
    const GiflibGif gif = ExpectSameAndSmaller(WholeFrames(LastPixelChanges(50, 40, 4)));
    ASSERT_EQ(gif.frames.size(), 4u);
    EXPECT_EQ(gif.frames[3].left, 49);
    EXPECT_EQ(gif.frames[3].top, 39);
    EXPECT_EQ(gif.frames[3].width, 1);
    EXPECT_EQ(gif.frames[3].height, 1);
}

TEST(OptimisedLayout, DelaysBeyondTheFieldGoOnInATransparentPixel) {
    const std::vector<uint8_t> whole = WholeFrames(StillScreen(20, 10, 3), 40000);
    const GiflibGif gif = ExpectSameAndSmaller(whole);
    ASSERT_EQ(gif.frames.size(), 2u);
    EXPECT_EQ(gif.frames[0].delay, 65535);
    EXPECT_EQ(gif.frames[1].delay, 120000 - 65535);
    EXPECT_EQ(gif.frames[1].width, 1);
    EXPECT_EQ(gif.frames[1].height, 1);
    EXPECT_EQ(gif.frames[1].indices[0], gif.frames[1].transparentIndex);
}

TEST(OptimisedLayout, InterlacedInputShowsTheSame) {
    ExpectSameAndSmaller(WholeFrames(ScrollingText(33, 21, 3), 10, true));
}

TEST(OptimisedLayout, VanishingPixelsCannotBeShownAndAreReported) {
    // Frame 1 is cleared to nothing after it is shown; frame 2 covers only part of it.
    GifMaker maker;
    maker.Create(AnimationInfo{});
    FrameInfo first;
    first.DisposalMethod = kDisposalBackground;
    ASSERT_TRUE(maker.AddFrame(first, std::nullopt, Bmp32(ScreenLike(16, 16))));
    ASSERT_TRUE(maker.AddFrame(FrameInfo{}, std::nullopt, Bmp32(ScreenLike(8, 8))));
    std::vector<uint8_t> out;
    LibraryError error;
    EXPECT_EQ(OptimiseGif(SaveToMemory(maker), out, error), OptimiseResult::NotRepresentable);
    EXPECT_EQ(error.Code(), ErrorCode::NeedsDisposal);

    const uint8_t notAGif[] = {'G', 'I', 'F', '8', '9', 'a', 1};
    EXPECT_EQ(OptimiseGif(notAGif, out, error), OptimiseResult::Failed);
    EXPECT_EQ(error.Code(), ErrorCode::TooShort);
}

}  // namespace
}  // namespace gif::testing
