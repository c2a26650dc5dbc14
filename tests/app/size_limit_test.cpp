// The recorder's size limit: a saved GIF over it is made again in place until it fits.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/core/size_limit.h"
#include "gif/gif_maker.h"
#include "giflib_timeline_support.h"
#include "maker_support.h"

namespace app {
namespace {

using namespace gif::testing;

std::vector<uint8_t> Recording() {
    gif::GifMaker maker;
    EXPECT_TRUE(maker.Create(gif::AnimationInfo{}));
    maker.SetOptions({.optimise = true, .screenColours = true});
    gif::FrameInfo info;
    info.DelayTime = 9;
    for (uint32_t i = 0; i < 10; ++i)
        EXPECT_TRUE(maker.AddFrame(info, std::nullopt, Bmp32(Noise(100, 60, i + 1))));
    return SaveToMemory(maker);
}

uint32_t PlayedLength(const std::vector<uint8_t>& gif) {
    const Timeline timeline = PlayWithGiflib(gif);
    EXPECT_TRUE(timeline.ok) << timeline.error;
    uint32_t total = 0;
    for (const Moment& moment : timeline.moments) total += moment.duration;
    return total;
}

TEST(SizeLimit, AGifOverTheLimitIsMadeAgainInPlaceAndKeepsItsLength) {
    const std::vector<uint8_t> gif = Recording();
    const std::string path = TemporaryFolder() + "/rec.gif";
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(gif.data()), std::streamsize(gif.size()));
    int lastPercent = -1;
    const SizeLimitOutcome within =
        FitSavedGif(path, gif.size(), {.screenColours = true}, [](int) {});
    EXPECT_TRUE(within.ok && within.fits && !within.changed);
    const uint64_t limit = gif.size() / 2;
    const SizeLimitOutcome fitted = FitSavedGif(path, limit, {.screenColours = true},
                                                [&](int percent) { lastPercent = percent; });
    ASSERT_TRUE(fitted.ok) << fitted.error;
    EXPECT_TRUE(fitted.changed && fitted.fits);
    EXPECT_FALSE(fitted.traded.empty());
    EXPECT_GE(lastPercent, 0);
    EXPECT_EQ(std::filesystem::file_size(path), fitted.bytes);
    EXPECT_LE(fitted.bytes, limit);
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> now((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(PlayedLength(now), PlayedLength(gif));
    // A damaged file is said, and left as it is.
    std::ofstream(path, std::ios::binary | std::ios::trunc) << "GIF89a damaged";
    const SizeLimitOutcome damaged = FitSavedGif(path, 4, {.screenColours = true}, {});
    EXPECT_FALSE(damaged.ok);
    EXPECT_FALSE(damaged.error.empty());
    EXPECT_EQ(std::filesystem::file_size(path), 14u);
}

}  // namespace
}  // namespace app
