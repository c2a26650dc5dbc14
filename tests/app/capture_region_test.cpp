#include <gtest/gtest.h>

#include <climits>

#include "app/core/settings.h"

namespace app {
namespace {

TEST(CaptureRegionTest, SpansOfAnyFieldValuesAreSafe) {
    EXPECT_EQ((CaptureRegion{10, 20, 110, 70}.Width()), 100);
    EXPECT_EQ((CaptureRegion{10, 20, 110, 70}.Height()), 50);
    // Turned round by a right-button press: negative, left for the worker to refuse.
    EXPECT_EQ((CaptureRegion{300, 200, 100, 50}.Width()), -200);
    EXPECT_EQ((CaptureRegion{300, 200, 100, 50}.Height()), -150);
    EXPECT_EQ((CaptureRegion{-5, 0, INT_MAX - 5, 0}.Width()), INT_MAX);
    EXPECT_EQ((CaptureRegion{0, INT_MIN, 0, 0}.Height()), 0);  // 2^31 does not fit

    // Typed into the hidden fields: spans beyond 32 bits give an empty region.
    const CaptureRegion extreme{INT_MIN, INT_MIN, INT_MAX, INT_MAX};
    EXPECT_EQ(extreme.Width(), 0);
    EXPECT_EQ(extreme.Height(), 0);
    const CaptureRegion reversed{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    EXPECT_EQ(reversed.Width(), 0);
    EXPECT_EQ(reversed.Height(), 0);
    EXPECT_EQ((CaptureRegion{1, 0, INT_MIN + 1, 0}.Width()), INT_MIN);
}

TEST(CaptureRegionTest, FieldTextsBecomeValuesOrZero) {
    EXPECT_EQ(ParseRegionField("2147483647"), INT_MAX);
    EXPECT_EQ(ParseRegionField("-2147483648"), INT_MIN);
    EXPECT_EQ(ParseRegionField("2147483648"), 0);
    EXPECT_EQ(ParseRegionField(" 42 "), 42);
    EXPECT_EQ(ParseRegionField("4x"), 0);
}

}  // namespace
}  // namespace app
