#include "app/core/remembered_settings.h"

#include <gtest/gtest.h>

#include <functional>

#include "app/bmp_builder.h"

namespace app {
namespace {

using Change = std::function<void(RememberedSettings&)>;

// A width × height picture that claims to be placed by claimedWidth × height.
Change Mark(int width, int height, int claimedWidth) {
    return [=](RememberedSettings& s) {
        s.watermarkPicture = apptest::MakeBmp(width, height, 24, [](int x, int y) {
            return apptest::Px{uint8_t(x * 7), uint8_t(y * 5), 90};
        });
        s.watermarkWidth = claimedWidth;
        s.watermarkHeight = height;
    };
}

TEST(RememberedSettings, EveryFieldIsCheckedAtItsEdges) {
    const struct {
        const char* what;
        Change change;
        bool usable;
    } cases[] = {
        // clang-format off
        {"region mode", [](auto& s) { s.captureMode = 2, s.region = {10, 20, 30, 40}; }, true},
        {"mode 3", [](auto& s) { s.captureMode = 3; }, false},
        {"empty region", [](auto& s) { s.captureMode = 1, s.region = {10, 20, 10, 40}; }, false},
        {"region far off", [](auto& s) { s.region = {0, 0, 1 << 20, 10}; }, false},
        {"interval 20", [](auto& s) { s.frameIntervalPosition = 20; }, true},
        {"interval 21", [](auto& s) { s.frameIntervalPosition = 21; }, false},
        {"speed 0", [](auto& s) { s.playSpeedPosition = 0; }, false},
        {"brightness 21", [](auto& s) { s.brightnessPosition = 21; }, false},
        {"black-white 11", [](auto& s) { s.blackWhitePosition = 11; }, false},
        {"quality 1", [](auto& s) { s.quality = 1; }, true},
        {"quality 101", [](auto& s) { s.quality = 101; }, false},
        {"scale 75", [](auto& s) { s.outputScalePercent = 75; }, true},
        {"scale 80", [](auto& s) { s.outputScalePercent = 80; }, false},
        {"limit 7", [](auto& s) { s.sizeLimitMegabytes = 7; }, false},
        {"colours dither", [](auto& s) { s.colours = "dither"; }, true},
        {"colours BEST", [](auto& s) { s.colours = "BEST"; }, false},
        {"language fr", [](auto& s) { s.language = "fr"; }, false},
        {"picture", Mark(196, 33, 196), true},
        {"picture of another size", Mark(196, 33, 195), false},
        {"picture too large", Mark(200, 20, 200), false},
        {"picture damaged", [](auto& s) { s.watermarkPicture = {'B', 'M', 1, 2}; }, false},
        {"size without picture", [](auto& s) { s.watermarkWidth = 116; }, false},
        // clang-format on
    };
    EXPECT_EQ(RememberedSettingsProblem(RememberedSettings{}), "");
    for (const auto& c : cases) {
        RememberedSettings s;
        c.change(s);
        EXPECT_EQ(RememberedSettingsProblem(s).empty(), c.usable) << c.what;
    }
}

}  // namespace
}  // namespace app
