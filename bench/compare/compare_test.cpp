#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "bench/compare/frame_metrics.h"
#include "bench/compare/timeline.h"

namespace gifcompare {
namespace {

class ListSource : public ImageSource {
  public:
    explicit ListSource(std::vector<Image> images) : images_(std::move(images)) {}
    bool Next(Image& image) override {
        if (next_ == images_.size()) return false;
        image = images_[next_++];
        return true;
    }

  private:
    std::vector<Image> images_;
    size_t next_ = 0;
};

Image Filled(int left, int top, int width, int height, uint32_t colour, int disposal,
             uint32_t delay) {
    return {left,     top,  width, height, std::vector<uint32_t>(size_t(width) * height, colour),
            disposal, delay};
}

// What each source frame sees on a 2x1 screen, as "left,right" colours.
std::vector<std::string> Watch(std::vector<Image> images, unsigned fps, uint32_t frames,
                               PlayResult* result = nullptr) {
    ListSource source(std::move(images));
    std::vector<std::string> seen;
    PlayResult played = Play(source, 2, 1, fps, frames, [&](uint32_t k, const auto& pixels) {
        EXPECT_EQ(k, seen.size());
        seen.push_back(std::to_string(pixels[0]) + "," + std::to_string(pixels[1]));
    });
    if (result) *result = played;
    return seen;
}

TEST(GifCompareTimeline, FramesSeeThePictureShownAtTheirTime) {
    struct Case {
        const char* name;
        std::vector<Image> images;
        unsigned fps;
        uint32_t frames;
        std::vector<std::string> expected;
        uint32_t afterEnd;
    } cases[] = {
        {"a delay of 0 is never seen; the next image paints over it",
         {Filled(0, 0, 2, 1, 1, 0, 10), Filled(0, 0, 1, 1, 2, 0, 0), Filled(1, 0, 1, 1, 3, 0, 20)},
         10,
         4,
         {"1,1", "2,3", "2,3", "2,3"},
         1},
        {"a frame at a boundary sees the image that starts there",
         {Filled(0, 0, 2, 1, 5, 0, 15), Filled(0, 0, 2, 1, 6, 0, 15)},
         20,
         6,
         {"5,5", "5,5", "5,5", "6,6", "6,6", "6,6"},
         0},
        {"disposal 2 clears the rectangle, 1 leaves it",
         {Filled(0, 0, 2, 1, 7, 1, 10), Filled(1, 0, 1, 1, 8, 2, 10), Filled(0, 0, 1, 1, 9, 0, 10)},
         10,
         3,
         {"7,7", "7,8", "9,0"},
         0},
        {"disposal 3 puts back what was covered; transparent pixels keep it",
         {Filled(0, 0, 2, 1, 4, 0, 10), Filled(0, 0, 1, 1, 8, 3, 10),
          Filled(0, 0, 2, 1, kClear, 0, 10)},
         10,
         3,
         {"4,4", "8,4", "4,4"},
         0},
        {"frames between two delays see the image then on screen",
         {Filled(0, 0, 2, 1, 1, 0, 50), Filled(0, 0, 2, 1, 2, 0, 50)},
         3,
         3,
         {"1,1", "1,1", "2,2"},
         0},
        {"an image reaching past the screen is clipped",
         {Filled(1, 0, 3, 2, 6, 0, 10)},
         10,
         1,
         {"0,6"},
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PlayResult result;
        EXPECT_EQ(Watch(c.images, c.fps, c.frames, &result), c.expected);
        EXPECT_EQ(result.framesAfterEnd, c.afterEnd);
        EXPECT_EQ(result.images, c.images.size());
    }
}

TEST(GifCompareEdges, SharpStepsOutsidePhotosOnly) {
    const int width = 64, height = 48;
    std::vector<uint32_t> pixels(size_t(width) * height, 0xFFFFFF);
    pixels[size_t(5) * width + 5] = 0x000000;   // a dot of text
    pixels[size_t(5) * width + 20] = 0xC0C0C0;  // too faint a step
    std::mt19937 random(1);
    for (int y = 32; y < 48; ++y)  // one noisy block, bottom right
        for (int x = 48; x < 64; ++x) pixels[size_t(y) * width + x] = random() & 0xFFFFFF;
    const std::vector<uint8_t> edges = TextEdges(pixels, width, height);
    auto at = [&](int x, int y) { return edges[size_t(y) * width + x]; };
    EXPECT_TRUE(at(5, 5));
    EXPECT_TRUE(at(4, 5) && at(6, 5) && at(5, 4) && at(5, 6));
    EXPECT_FALSE(at(4, 4));  // only a diagonal neighbour differs
    EXPECT_FALSE(at(20, 5));
    EXPECT_FALSE(at(50, 40));  // inside the photo
    EXPECT_FALSE(at(47, 40));  // its border, in the block beside it
    EXPECT_EQ(std::count(edges.begin(), edges.end(), 1), 5);
}

TEST(GifCompareMetrics, WhiteAndErrorsCountWhereTheyFall) {
    const std::vector<uint32_t> source{0xFFFFFF, 0xFFFFFF, 0x000000, 0x102030};
    const std::vector<uint32_t> shown{0xFFFFFF, 0xF0F0F0, 0x000000, 0x102030};
    Totals totals;
    Accumulate(source, shown, {0, 1, 1, 0}, totals);
    EXPECT_EQ(totals.white, 2u);
    EXPECT_EQ(totals.whiteKept, 1u);
    EXPECT_EQ(totals.squaredError, 3 * 15.0 * 15.0);
    EXPECT_EQ(totals.textSquaredError, totals.squaredError);
    EXPECT_EQ(totals.textSamples, 6u);
    EXPECT_NEAR(Psnr(totals.squaredError, totals.samples), 10 * std::log10(255.0 * 255 * 12 / 675),
                1e-9);
}

}  // namespace
}  // namespace gifcompare
