#include <gtest/gtest.h>

#include "app/core/frame_rate_check.h"

namespace app {
namespace {

using std::chrono::milliseconds;

TEST(FrameRateCheckTest, ShortOfEightyPercentOfTheIntervalsRateIsTold) {
    const struct {
        int intervalMs;
        uint32_t frames;
        milliseconds elapsed;
        std::optional<double> reached;
    } cases[] = {
        {100, 150, milliseconds(15000), std::nullopt},  // 10 a second kept
        {100, 120, milliseconds(15000), std::nullopt},  // 8 a second: just enough
        {100, 55, milliseconds(15000), 55 / 15.0},      // a 4K screen
        {100, 2, milliseconds(1999), std::nullopt},     // too early to tell
        {100, 0, milliseconds(5000), 0.0},              // nothing at all
        {50, 25, milliseconds(2000), 12.5},             // 20 asked
        {0, 1, milliseconds(9000), std::nullopt},       // no interval to keep
    };
    for (const auto& c : cases) {
        const std::optional<double> got = RateShortfall(c.intervalMs, c.frames, c.elapsed);
        ASSERT_EQ(got.has_value(), c.reached.has_value()) << c.intervalMs << " " << c.frames;
        if (got) {
            EXPECT_NEAR(*got, *c.reached, 1e-9);
        }
    }
}

}  // namespace
}  // namespace app
