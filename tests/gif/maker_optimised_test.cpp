// GifMaker with the optimised layout: at every moment the file shows what the whole-frame
// file of the same frames shows, frames the caller placed or marked are written as given, and
// the store keeps only what changed.
#include <gtest/gtest.h>

#include "gif/base/library_error.h"
#include "gif/gif_maker.h"
#include "giflib_support.h"
#include "giflib_timeline_support.h"
#include "maker_support.h"
#include "optimiser_scenes_support.h"

namespace gif::testing {
namespace {

struct Made {
    std::vector<uint8_t> whole, optimised;
};

// The same frames through a plain maker and an optimising one.
Made MakeBoth(const Scene& scene, const std::vector<FrameInfo>& infos, AnimationInfo animation,
              MakerOptions options = {}) {
    Made made;
    for (bool optimise : {false, true}) {
        GifMaker maker;
        maker.Create(animation);
        options.optimise = optimise;
        maker.SetOptions(options);
        for (size_t i = 0; i < scene.size(); ++i)
            EXPECT_TRUE(maker.AddFrame(infos[i % infos.size()], std::nullopt, Bmp32(scene[i])))
                << maker.GetError();
        (optimise ? made.optimised : made.whole) = SaveToMemory(maker);
    }
    return made;
}

GiflibGif ExpectSameAndSmaller(const Scene& scene, AnimationInfo animation = {},
                               MakerOptions options = {}) {
    FrameInfo frame;
    frame.DelayTime = 8;
    const Made made = MakeBoth(scene, {frame}, animation, options);
    EXPECT_EQ(TimelineDifference(PlayWithGiflib(made.whole), PlayWithGiflib(made.optimised)), "");
    EXPECT_LT(made.optimised.size(), made.whole.size());
    return DecodeWithGiflib(made.optimised);
}

TEST(MakerOptimised, EveryKindOfContentShowsTheSame) {
    EXPECT_EQ(ExpectSameAndSmaller(StillScreen(60, 40, 5)).frames.size(), 1u);
    const GiflibGif cursor = ExpectSameAndSmaller(BlinkingCursor(60, 40, 6));
    for (size_t i = 1; i < cursor.frames.size(); ++i) {
        EXPECT_EQ(cursor.frames[i].width * cursor.frames[i].height, 2 * 9);
        EXPECT_TRUE(cursor.frames[i].localPalette.empty());
    }
    ExpectSameAndSmaller(ScrollingText(90, 70, 6));
    ExpectSameAndSmaller(FullScreenNoise(48, 36, 3));
    const GiflibGif last = ExpectSameAndSmaller(LastPixelChanges(45, 30, 4));
    EXPECT_EQ(last.frames.back().width * last.frames.back().height, 1);
    ExpectSameAndSmaller(AllPaletteEntries(5));
}

TEST(MakerOptimised, InterlacedAndExactColoursShowTheSame) {
    AnimationInfo interlaced;
    interlaced.Interlace = true;
    const GiflibGif gif = ExpectSameAndSmaller(ScrollingText(50, 37, 5), interlaced);
    for (const GiflibFrame& frame : gif.frames) EXPECT_TRUE(frame.interlaced);

    MakerOptions exact;
    exact.exactColours = true;
    // Text without the gradient strip: fewer than 256 colours.
    Scene cursor = BlinkingCursor(60, 80, 4);
    for (auto& picture : cursor)
        picture =
            MakeImage(60, 40, [&](uint32_t x, uint32_t y) { return PixelAt(picture, x, y + 20); });
    const GiflibGif text = ExpectSameAndSmaller(cursor, {}, exact);
    // Pure white stays pure white.
    bool white = false;
    for (size_t i = 0; i + 2 < text.globalPalette.size(); i += 3)
        white = white || (text.globalPalette[i] == 255 && text.globalPalette[i + 1] == 255 &&
                          text.globalPalette[i + 2] == 255);
    EXPECT_TRUE(white);
}

TEST(MakerOptimised, ExactColoursKeepAChangedRectangleExactInAManyColouredFrame) {
    // The screen's gradient has more than 256 colours; the cursor's rectangle has two.
    const Scene scene = BlinkingCursor(60, 40, 3);
    GifMaker maker;
    maker.Create(AnimationInfo{});
    maker.SetOptions({.optimise = true, .exactColours = true});
    for (const auto& picture : scene)
        ASSERT_TRUE(maker.AddFrame(FrameInfo{}, std::nullopt, Bmp32(picture)));
    const Timeline timeline = PlayWithGiflib(SaveToMemory(maker));
    ASSERT_EQ(timeline.moments.size(), 3u);
    for (size_t i = 1; i < 3; ++i)
        for (uint32_t y = 20; y < 29; ++y)
            for (uint32_t x = 30; x < 32; ++x) {
                const Rgb c = PixelAt(scene[i], x, y);
                ASSERT_EQ(timeline.moments[i].pixels[size_t{60} * y + x],
                          uint32_t(c.r) << 16 | uint32_t(c.g) << 8 | c.b)
                    << i << ": " << x << "," << y;
            }
    // Outside the rectangle the first frame's means stay.
    EXPECT_EQ(timeline.moments[2].pixels[size_t{60} * 39],
              timeline.moments[0].pixels[size_t{60} * 39]);
}

TEST(MakerOptimised, PlacedAndMarkedFramesAreWrittenAsGiven) {
    const Scene scene = {ScreenLike(40, 30, 1), ScreenLike(12, 10, 2), ScreenLike(40, 30, 3),
                         ScreenLike(40, 30, 4), ScreenLike(40, 30, 5), ScreenLike(40, 30, 5),
                         ScreenLike(50, 30, 6)};
    std::vector<FrameInfo> infos(scene.size());
    infos[1].Left = 5;
    infos[1].Top = 3;
    infos[2].DisposalMethod = kDisposalPrevious;
    infos[3].Transparency = true;
    infos[4].DisposalMethod = kDisposalBackground;
    const Made made = MakeBoth(scene, infos, {});
    EXPECT_EQ(TimelineDifference(PlayWithGiflib(made.whole), PlayWithGiflib(made.optimised)), "");
    const GiflibGif whole = DecodeWithGiflib(made.whole), gif = DecodeWithGiflib(made.optimised);
    ASSERT_EQ(gif.frames.size(), 7u);  // after disposal 2 the still picture shows again
    for (int i : {1, 2, 3, 4, 6}) {    // placed, disposals, transparency, larger than the screen
        SCOPED_TRACE(i);
        EXPECT_EQ(gif.frames[i].left, whole.frames[i].left);
        EXPECT_EQ(gif.frames[i].top, whole.frames[i].top);
        EXPECT_EQ(gif.frames[i].width, whole.frames[i].width);
        EXPECT_EQ(gif.frames[i].disposal, whole.frames[i].disposal);
        EXPECT_EQ(gif.frames[i].transparentIndex, whole.frames[i].transparentIndex);
        EXPECT_EQ(gif.frames[i].localPalette, whole.frames[i].localPalette);
        EXPECT_EQ(gif.frames[i].indices, whole.frames[i].indices);
    }
}

TEST(MakerOptimised, EveryFrameIsStoredAtOnceAndTheStoreKeepsOnlyChanges) {
    const Scene scene = BlinkingCursor(320, 240, 40);
    FrameInfo frame;
    frame.DelayTime = 5;
    auto store = std::make_unique<MemoryFrameStore>();
    const MemoryFrameStore* kept = store.get();
    GifMaker maker;
    maker.Create(AnimationInfo{});
    maker.SetFrameStore(std::move(store));
    maker.SetOptions({true, false});
    // A save half way through, then more frames of the same picture as the last.
    for (size_t i = 0; i < 20; ++i)
        ASSERT_TRUE(maker.AddFrame(frame, std::nullopt, Bmp32(scene[i])));
    const std::vector<uint8_t> half = SaveToMemory(maker);
    for (size_t i = 20; i < 40; ++i)
        ASSERT_TRUE(maker.AddFrame(frame, std::nullopt, Bmp32(scene[i])));
    ASSERT_TRUE(maker.AddFrame(frame, std::nullopt, Bmp32(scene[39])));
    const std::vector<uint8_t> all = SaveToMemory(maker);
    // Every picture reached the store at once (a journal loses nothing); the repeat is a
    // record that only lengthens the frame before it, merged when the file is written.
    ASSERT_EQ(maker.FrameCount(), 41u);
    std::vector<uint8_t> scratch;
    EXPECT_TRUE(maker.StoredFrameAt(40, scratch)->header.lengthens);
    EXPECT_EQ(DecodeWithGiflib(all).frames.back().delay, 10);

    const Made reference = MakeBoth(Scene(scene.begin(), scene.begin() + 20), {frame}, {});
    EXPECT_EQ(TimelineDifference(PlayWithGiflib(reference.whole), PlayWithGiflib(half)), "");
    Scene longer = scene;
    longer.push_back(scene[39]);
    const Made fullReference = MakeBoth(longer, {frame}, {});
    EXPECT_EQ(TimelineDifference(PlayWithGiflib(fullReference.whole), PlayWithGiflib(all)), "");
    // One whole frame, then cursor rectangles: far less than two whole frames in all.
    EXPECT_LT(kept->Bytes(), 2 * 320 * 240 / 4);
}

// A store whose disk fills up after `room` frames, until it is given more.
class FillingStore final : public FrameStore {
  public:
    explicit FillingStore(size_t room) : room_(room) {}
    void Append(std::span<const uint8_t> record) override {
        if (kept_.Count() >= room_) throw LibraryError(ErrorCode::StoreWriteFailed);
        kept_.Append(record);
    }
    size_t Count() const override { return kept_.Count(); }
    std::span<const uint8_t> Read(size_t index, std::vector<uint8_t>& scratch) const override {
        return kept_.Read(index, scratch);
    }
    void Clear() override { kept_.Clear(); }
    uint64_t Bytes() const override { return kept_.Bytes(); }
    size_t room_;

  private:
    MemoryFrameStore kept_;
};

TEST(MakerOptimised, AFullStoreRefusesTheFrameAndTheSaveKeepsWhatItHolds) {
    const Scene scene = ScrollingText(320, 240, 12);
    FrameInfo frame;
    frame.DelayTime = 5;
    auto store = std::make_unique<FillingStore>(7);
    FillingStore* filling = store.get();
    GifMaker maker;
    maker.Create(AnimationInfo{});
    maker.SetFrameStore(std::move(store));
    maker.SetOptions({true, false});
    for (size_t i = 0; i < 7; ++i)
        ASSERT_TRUE(maker.AddFrame(frame, std::nullopt, Bmp32(scene[i]))) << maker.GetError();
    EXPECT_FALSE(maker.AddFrame(frame, std::nullopt, Bmp32(scene[7])));
    EXPECT_EQ(maker.GetErrorCode(), ErrorCode::StoreWriteFailed);

    // The save still refused by the store writes the seven frames that were taken.
    const std::vector<uint8_t> saved = SaveToMemory(maker);
    ASSERT_FALSE(saved.empty()) << maker.GetError();
    const Made first7 = MakeBoth(Scene(scene.begin(), scene.begin() + 7), {frame}, {});
    EXPECT_EQ(TimelineDifference(PlayWithGiflib(first7.whole), PlayWithGiflib(saved)), "");

    // Once there is room again, the refused frame follows the others, as shown when it came.
    filling->room_ = 100;
    const std::vector<uint8_t> resaved = SaveToMemory(maker);
    const Made first8 = MakeBoth(Scene(scene.begin(), scene.begin() + 8), {frame}, {});
    EXPECT_EQ(TimelineDifference(PlayWithGiflib(first8.whole), PlayWithGiflib(resaved)), "");
}

}  // namespace
}  // namespace gif::testing
