// Trim, cut and speed on files from the maker (optimised: frames that depend on earlier ones)
// and from giflib (disposals, transparency, local tables): each result, decoded by giflib, shows
// exactly the original's composited frames that were kept, for their times.
#include <gtest/gtest.h>

#include <cmath>

#include "gif/gif_edit.h"
#include "giflib_timeline_support.h"
#include "giflib_writer_support.h"
#include "maker_support.h"
#include "tool_run_support.h"

namespace gif::testing {
namespace {

// A recording as the recorder makes it: a screen where a block moves and a counter changes.
std::vector<uint8_t> OptimisedRecording(int frames) {
    GifMaker maker;
    maker.SetOptions({true, true});
    EXPECT_TRUE(maker.Create({}));
    const bitmap::Image24 base = ScreenLike(64, 48, 3);
    for (int i = 0; i < frames; ++i) {
        const bitmap::Image24 picture = MakeImage(64, 48, [&](uint32_t x, uint32_t y) {
            if (x >= uint32_t(4 * i) && x < uint32_t(4 * i + 6) && y >= 10 && y < 20)
                return Rgb{200, 30, uint8_t(10 * i)};
            if (y < 4 && x < uint32_t(i)) return Rgb{0, 0, 0};
            return PixelAt(base, x, y);
        });
        FrameInfo info;
        info.DelayTime = uint16_t(4 + 3 * (i % 4));
        EXPECT_TRUE(maker.AddFrame(info, std::nullopt, Bmp32(picture))) << maker.GetError();
    }
    return SaveToMemory(maker);
}

// Frames with every disposal, transparency and a local table, starting on a partial frame so
// that some of the screen shows nothing.
std::vector<uint8_t> DisposalAnimation() {
    GiflibGifSpec layout;
    layout.width = 16;
    layout.height = 12;
    layout.globalPalette = RampPalette(16);
    auto image = [](int packed, int delay, int left, int top, int w, int h, uint32_t seed) {
        GiflibImageSpec image;
        image.extensions = {Control(packed, delay, 0)};
        image.left = left, image.top = top, image.width = w, image.height = h;
        image.indices = TestIndices(w, h, 16, seed, true);
        return image;
    };
    layout.images = {image(0x04, 10, 0, 0, 12, 10, 1), image(0x09, 7, 2, 2, 6, 5, 2),
                     image(0x0D, 9, 4, 3, 5, 5, 3),    image(0x04, 4, 0, 0, 8, 8, 4),
                     image(0x08, 6, 8, 4, 8, 8, 5),    image(0x05, 8, 1, 1, 3, 3, 6),
                     image(0x0C, 5, 10, 6, 6, 6, 7),   image(0x04, 3, 3, 3, 4, 4, 8)};
    layout.images[3].localPalette = DistinctPalette(4, 9);
    layout.images[3].indices = TestIndices(8, 8, 4, 10, false);
    layout.images[5].interlaced = true;
    return WriteWithGiflib(layout);
}

class GifEdit : public ::testing::Test {
  protected:
    void SetUp() override { folder_ = TemporaryFolder(); }

    std::string Store(const std::vector<uint8_t>& bytes) {
        const std::string path = folder_ + "/in.gif";
        WriteFileBytes(path, bytes);
        return path;
    }

    // The edit of `in`, through the file path the commands take.
    std::vector<uint8_t> Edited(const std::string& in, const EditPlan& plan) {
        const std::string out = folder_ + "/out.gif";
        LibraryError error;
        EXPECT_TRUE(EditGifFile(in, out, plan, {false, true}, error)) << error.what();
        return ReadFileBytes(out);
    }

    std::string folder_;
};

struct RangeCase {
    bool trim;
    uint32_t first, last;
};

TEST_F(GifEdit, TrimAndCutKeepTheComposedPictures) {
    const std::vector<std::vector<uint8_t>> sources = {OptimisedRecording(12), DisposalAnimation()};
    for (const std::vector<uint8_t>& source : sources) {
        const std::string in = Store(source);
        const Timeline frames = FramesWithGiflib(source);
        ASSERT_TRUE(frames.ok) << frames.error;
        const uint32_t n = uint32_t(frames.moments.size());
        const RangeCase cases[] = {{true, 0, 0},      {true, n - 1, n - 1},  {true, 0, n - 1},
                                   {true, 3, 6},      {true, 2, n - 1},      {true, 5, 5},
                                   {false, 0, 0},     {false, n - 1, n - 1}, {false, 2, 4},
                                   {false, 0, n - 2}, {false, 1, n - 1},     {false, 1, 1}};
        for (const RangeCase& c : cases) {
            SCOPED_TRACE((c.trim ? "trim " : "cut ") + std::to_string(c.first) + ".." +
                         std::to_string(c.last) + " of " + std::to_string(n));
            const std::optional<EditPlan> plan =
                c.trim ? TrimPlan(n, c.first, c.last) : CutPlan(n, c.first, c.last);
            ASSERT_TRUE(plan);
            std::vector<std::pair<size_t, uint32_t>> picks;
            for (uint32_t i = 0; i < n; ++i)
                if ((i >= c.first && i <= c.last) == c.trim)
                    picks.push_back({i, frames.moments[i].duration});
            const std::vector<uint8_t> out = Edited(in, *plan);
            EXPECT_EQ(TimelineDifference(PickFrames(frames, picks), PlayWithGiflib(out)), "");
        }
    }
}

TEST_F(GifEdit, TrimCopiesTheFramesAfterTheEditPoint) {
    const std::vector<uint8_t> source = OptimisedRecording(30);
    const std::vector<uint8_t> out = Edited(Store(source), *TrimPlan(30, 10, 29));
    // Only the first kept frame is a whole picture again; the rest are the original's bytes.
    EXPECT_LT(out.size(), source.size());
    const std::vector<uint8_t> tail(source.end() - 200, source.end());
    EXPECT_EQ(std::vector<uint8_t>(out.end() - 200, out.end()), tail);
}

TEST_F(GifEdit, PlansRefuseRangesOutsideTheFrames) {
    EXPECT_FALSE(TrimPlan(5, 2, 1));
    EXPECT_FALSE(TrimPlan(5, 0, 5));
    EXPECT_FALSE(CutPlan(5, 0, 4));  // nothing would be left
    EXPECT_FALSE(CutPlan(5, 4, 5));
    EXPECT_FALSE(PlanFits({{{0, 2}, {2, 3}}, 1.0}, 5));  // overlapping
    EXPECT_FALSE(PlanFits(SpeedPlan(5, 0.0), 5));
    EXPECT_FALSE(PlanFits(SpeedPlan(5, NAN), 5));
    EXPECT_TRUE(PlanFits(*CutPlan(5, 1, 2), 5));

    LibraryError error;
    const std::string in = Store(DisposalAnimation());
    EXPECT_FALSE(EditGifFile(in, folder_ + "/out.gif", {{{0, 8}}, 1.0}, {}, error));
    EXPECT_EQ(error.Code(), ErrorCode::FrameOutOfRange);
    WriteFileBytes(folder_ + "/bad.gif", {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0, '!'});
    EXPECT_FALSE(EditGifFile(folder_ + "/bad.gif", folder_ + "/out.gif", {{{0, 0}}}, {}, error));
}

TEST(DelayScaler, CarriesTheRoundingRemainder) {
    const struct {
        double speed;
        std::vector<uint16_t> in, out;
    } cases[] = {
        {2.0, {7, 7, 7, 7}, {4, 3, 4, 3}},  // 3.5 each: the halves alternate
        {1.5, {10, 10, 10}, {7, 6, 7}},     // 6.67 each, 20 in all
        {0.5, {3, 5}, {6, 10}},             // slower: doubled
        {3.0, {4, 4, 4}, {2, 2, 2}},        // never below 2
        {2.0, {0, 1, 20}, {5, 5, 10}},      // 0 and 1 are the browsers' 10
        {0.01, {60000}, {65535}},           // capped at the largest delay
    };
    for (const auto& c : cases) {
        DelayScaler scaler(c.speed);
        std::vector<uint16_t> out;
        for (uint16_t delay : c.in) out.push_back(scaler.Next(delay));
        EXPECT_EQ(out, c.out) << "speed " << c.speed;
    }
}

TEST_F(GifEdit, SpeedRetimesEveryFrameAndKeepsThePictures) {
    const std::vector<uint8_t> source = OptimisedRecording(8);
    const Timeline frames = FramesWithGiflib(source);
    for (double speed : {2.0, 1.5, 0.5}) {
        const std::vector<uint8_t> out = Edited(Store(source), SpeedPlan(8, speed));
        DelayScaler scaler(speed);
        std::vector<std::pair<size_t, uint32_t>> picks;
        for (size_t i = 0; i < frames.moments.size(); ++i)
            picks.push_back({i, scaler.Next(uint16_t(frames.moments[i].duration))});
        EXPECT_EQ(TimelineDifference(PickFrames(frames, picks), PlayWithGiflib(out)), "")
            << "speed " << speed;
        // The whole animation lasts its time divided by the speed, to the hundredth.
        uint32_t before = 0, after = 0;
        for (const Moment& m : frames.moments) before += m.duration;
        for (const auto& [index, duration] : picks) after += duration;
        EXPECT_LE(std::abs(double(after) - before / speed), 1.0);
    }
}

}  // namespace
}  // namespace gif::testing
