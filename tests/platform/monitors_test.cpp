// Monitors: RandR's list on the X server under test (with two monitors added the way a user's
// xrandr --setmonitor does), their bounding rectangle, and which Wayland desktops minimise.
#include "x11_fixture.h"

#include <cstdlib>
#include <string>

#include "platform/wayland/wayland_desktop.h"

namespace platform::testing {
namespace {

TEST(MonitorsTest, BoundingRectHoldsEveryMonitor) {
    EXPECT_EQ(BoundingRect({}), (Rect{}));
    EXPECT_EQ(BoundingRect({{"a", {0, 0, 1280, 720}, true}, {"b", {1280, 0, 2304, 768}, false}}),
              (Rect{0, 0, 2304, 768}));
    // Above and left of the primary one: the rectangle starts there.
    EXPECT_EQ(BoundingRect({{"a", {0, 0, 1920, 1080}, true}, {"b", {-1024, -200, 0, 568}, false}}),
              (Rect{-1024, -200, 1920, 1080}));
}

TEST(MonitorsTest, X11MonitorsComeFromRandrByName) {
    auto desktop = X11Desktop::Open();
    ASSERT_NE(desktop, nullptr);
    const std::vector<Monitor> before = desktop->Monitors();
    ASSERT_FALSE(before.empty());
    EXPECT_EQ(desktop->PrimaryScreen(), before.front().rect);  // one primary, or the first

    const Rect screen = BoundingRect(before);
    const int half = screen.Width() / 2;
    const std::string left = "gifrec-left " + std::to_string(half) + "/300x" +
                             std::to_string(screen.Height()) + "/200+0+0 none";
    const std::string right = "gifrec-right " + std::to_string(screen.Width() - half) + "/300x" +
                              std::to_string(screen.Height()) + "/200+" + std::to_string(half) +
                              "+0 none";
    if (std::system(("xrandr --setmonitor " + left + " 2>/dev/null").c_str()) != 0)
        GTEST_SKIP() << "this X server takes no monitors from xrandr --setmonitor";
    ASSERT_EQ(std::system(("xrandr --setmonitor " + right).c_str()), 0);
    const std::vector<Monitor> after = desktop->Monitors();
    const int removed =
        std::system("xrandr --delmonitor gifrec-left && xrandr --delmonitor gifrec-right");
    EXPECT_EQ(removed, 0);

    auto named = [&](const std::string& name) -> const Monitor* {
        for (const Monitor& m : after) {
            if (m.name == name) return &m;
        }
        return nullptr;
    };
    ASSERT_NE(named("gifrec-left"), nullptr);
    ASSERT_NE(named("gifrec-right"), nullptr);
    EXPECT_EQ(named("gifrec-left")->rect, (Rect{0, 0, half, screen.Height()}));
    EXPECT_EQ(named("gifrec-right")->rect, (Rect{half, 0, screen.Width(), screen.Height()}));
    EXPECT_FALSE(named("gifrec-right")->primary);
    EXPECT_EQ(BoundingRect(after), screen);
    EXPECT_EQ(desktop->Monitors(), before);  // removed again, seen at once
}

TEST(MonitorsTest, TilingWaylandDesktopsDoNotMinimise) {
    const struct {
        const char* currentDesktop;
        bool minimises;
    } cases[] = {
        {"GNOME", true},
        {"ubuntu:GNOME", true},
        {"KDE", true},
        {"sway", false},
        {"Hyprland", false},
        {"river", false},
        {"", false},
        {"niri", false},
        {"wlroots:sway", false},
        {"GNOME-Flashback:GNOME", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(wayland::DesktopMinimisesWindows(c.currentDesktop), c.minimises)
            << c.currentDesktop;
    }
}

}  // namespace
}  // namespace platform::testing
