#include "app/core/remembered_settings.h"

#include <gtest/gtest.h>

#include <functional>

#include "app/bmp_builder.h"

namespace app {
namespace {

std::vector<uint8_t> Picture(int width, int height) {
    return apptest::MakeBmp(width, height, 24, [](int x, int y) {
        return apptest::Px{uint8_t(x * 7), uint8_t(y * 5), 90};
    });
}

TEST(RememberedSettings, DefaultsAreTheFirstStartsAndUsable) {
    const RememberedSettings s;
    EXPECT_EQ(RememberedSettingsProblem(s), "");
    EXPECT_EQ(s.captureMode, 0);
    EXPECT_EQ(s.frameIntervalPosition, 2);
    EXPECT_EQ(s.playSpeedPosition, 3);
    EXPECT_EQ(s.brightnessPosition, 10);
    EXPECT_EQ(s.blackWhitePosition, 1);
    EXPECT_EQ(s.colours, "best");
    EXPECT_EQ(s.quality, 100);
    EXPECT_EQ(s.outputScalePercent, 100);
    EXPECT_EQ(s.sizeLimitMegabytes, 0);
    EXPECT_FALSE(s.watermarkOn || s.wholeFrames || s.exactColours || s.countdown || s.fixedDelays);
}

TEST(RememberedSettings, EveryFieldIsCheckedAtItsEdges) {
    using Change = std::function<void(RememberedSettings&)>;
    const struct {
        const char* what;
        Change change;
        bool usable;
    } cases[] = {
        {"mode 2",
         [](auto& s) {
             s.captureMode = 2, s.region = {10, 20, 30, 40};
         },
         true},
        {"mode 3", [](auto& s) { s.captureMode = 3; }, false},
        {"mode -1", [](auto& s) { s.captureMode = -1; }, false},
        {"empty region",
         [](auto& s) {
             s.captureMode = 1, s.region = {10, 20, 10, 40};
         },
         false},
        {"region far off",
         [](auto& s) {
             s.region = {0, 0, 1 << 20, 10};
         },
         false},
        {"interval 20", [](auto& s) { s.frameIntervalPosition = 20; }, true},
        {"interval 21", [](auto& s) { s.frameIntervalPosition = 21; }, false},
        {"speed 0", [](auto& s) { s.playSpeedPosition = 0; }, false},
        {"speed 5", [](auto& s) { s.playSpeedPosition = 5; }, true},
        {"brightness 1", [](auto& s) { s.brightnessPosition = 1; }, true},
        {"brightness 21", [](auto& s) { s.brightnessPosition = 21; }, false},
        {"black-white 11", [](auto& s) { s.blackWhitePosition = 11; }, false},
        {"quality 1", [](auto& s) { s.quality = 1; }, true},
        {"quality 0", [](auto& s) { s.quality = 0; }, false},
        {"quality 101", [](auto& s) { s.quality = 101; }, false},
        {"scale 75", [](auto& s) { s.outputScalePercent = 75; }, true},
        {"scale 80", [](auto& s) { s.outputScalePercent = 80; }, false},
        {"limit 25", [](auto& s) { s.sizeLimitMegabytes = 25; }, true},
        {"limit 7", [](auto& s) { s.sizeLimitMegabytes = 7; }, false},
        {"colours dither", [](auto& s) { s.colours = "dither"; }, true},
        {"colours BEST", [](auto& s) { s.colours = "BEST"; }, false},
        {"language en", [](auto& s) { s.language = "en"; }, true},
        {"language fr", [](auto& s) { s.language = "fr"; }, false},
        {"picture",
         [](auto& s) {
             s.watermarkPicture = Picture(196, 33), s.watermarkWidth = 196, s.watermarkHeight = 33;
         },
         true},
        {"picture of another size",
         [](auto& s) {
             s.watermarkPicture = Picture(196, 33), s.watermarkWidth = 33, s.watermarkHeight = 196;
         },
         false},
        {"picture too large",
         [](auto& s) {
             s.watermarkPicture = Picture(200, 20), s.watermarkWidth = 200, s.watermarkHeight = 20;
         },
         false},
        {"picture damaged",
         [](auto& s) {
             s.watermarkPicture = {'B', 'M', 1, 2}, s.watermarkWidth = 1, s.watermarkHeight = 1;
         },
         false},
        {"size without picture", [](auto& s) { s.watermarkWidth = 116; }, false},
    };
    for (const auto& c : cases) {
        RememberedSettings s;
        c.change(s);
        EXPECT_EQ(RememberedSettingsProblem(s).empty(), c.usable) << c.what;
    }
}

TEST(RememberedSettings, OnlyDefaultsThatStandInForAFileAreAnnounced) {
    using Outcome = SettingsLoad::Outcome;
    EXPECT_EQ(SettingsLoadStatus(Outcome::Loaded), "");
    EXPECT_EQ(SettingsLoadStatus(Outcome::Off), "");
    EXPECT_NE(SettingsLoadStatus(Outcome::Missing), "");
    EXPECT_NE(SettingsLoadStatus(Outcome::Damaged), SettingsLoadStatus(Outcome::Unreadable));
}

}  // namespace
}  // namespace app
