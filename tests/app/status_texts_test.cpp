#include "app/core/status_texts.h"

#include "app/core/settings.h"

#include <gtest/gtest.h>

namespace app {
namespace {

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

TEST(StatusTexts, FrameIntervalDigitsFollowTheHalvingRule) {
    EXPECT_EQ(FrameIntervalDigits(1), "05");
    EXPECT_EQ(FrameIntervalDigits(2), "10");
    EXPECT_EQ(FrameIntervalDigits(3), "15");
    EXPECT_EQ(FrameIntervalDigits(10), "50");
    EXPECT_EQ(FrameIntervalDigits(19), "95");
}

TEST(StatusTexts, FrameIntervalAtItsEnds) {
    std::string shortest = FrameIntervalStatus(1);
    EXPECT_TRUE(EndsWith(shortest, "05m/hz")) << shortest;
    std::string longest = FrameIntervalStatus(20);
    EXPECT_TRUE(EndsWith(longest, "m/hz")) << longest;
    // By the digits rule 20 would read like 2 ("10"); the longest interval has its own text.
    EXPECT_NE(longest, FrameIntervalStatus(2));
}

TEST(StatusTexts, PlaySpeedSetsDelayFactorAndShowsIt) {
    EXPECT_EQ(DelayFactorFor(5), 0);
    EXPECT_EQ(DelayFactorFor(3), 2);
    EXPECT_EQ(DelayFactorFor(1), 4);
    EXPECT_TRUE(EndsWith(PlaySpeedStatus(DelayFactorFor(5)), " 0ms/hz"));
    EXPECT_TRUE(EndsWith(PlaySpeedStatus(DelayFactorFor(1)), " 40ms/hz"));
}

TEST(StatusTexts, BrightnessShowsTheOffset) {
    EXPECT_TRUE(EndsWith(BrightnessStatus(10), " 0"));
    EXPECT_TRUE(EndsWith(BrightnessStatus(1), " -90"));
    EXPECT_TRUE(EndsWith(BrightnessStatus(20), " 100"));
}

TEST(StatusTexts, BlackWhiteOffAtOneThresholdOtherwise) {
    std::string off = BlackWhiteStatus(1);
    EXPECT_EQ(off.find('1'), std::string::npos) << off;
    EXPECT_TRUE(EndsWith(BlackWhiteStatus(2), " 2"));
    EXPECT_TRUE(EndsWith(BlackWhiteStatus(10), " 10"));
    EXPECT_NE(off, BlackWhiteStatus(2));
}

TEST(StatusTexts, WatermarkSwitchSaysTrueOrFalse) {
    EXPECT_TRUE(EndsWith(WatermarkSwitchStatus(true), "真"));
    EXPECT_TRUE(EndsWith(WatermarkSwitchStatus(false), "假"));
}

TEST(StatusTexts, NumbersHaveNoFractionWhenWhole) {
    EXPECT_EQ(FormatStatusNumber(40.0), "40");
    EXPECT_EQ(FormatStatusNumber(-90.0), "-90");
    EXPECT_EQ(FormatStatusNumber(9.5), "9.5");
    EXPECT_EQ(FormatStatusNumber(1.0 / 3.0), "0.3333333333333");
}

}  // namespace
}  // namespace app
