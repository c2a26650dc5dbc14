#include "platform/loader.h"

#include <gtest/gtest.h>

namespace platform::testing {
namespace {

TEST(ChooseDesktopTest, OverrideWinsOverEverySessionSign) {
    SessionHints hints{"null", "wayland-0", "wayland", ":0", "wayland"};
    EXPECT_EQ(ChooseDesktop(hints), DesktopKind::Null);
    hints.override = "x11";
    EXPECT_EQ(ChooseDesktop(hints), DesktopKind::X11);
    hints = {"wayland", "", "x11", ":0", "xcb"};
    EXPECT_EQ(ChooseDesktop(hints), DesktopKind::Wayland);
}

TEST(ChooseDesktopTest, UnknownOverrideIsIgnored) {
    EXPECT_EQ(ChooseDesktop({"X11 ", "", "", ":5", ""}), DesktopKind::X11);
    EXPECT_EQ(ChooseDesktop({"gnome", "", "", "", ""}), DesktopKind::Null);
}

TEST(ChooseDesktopTest, WaylandSessionCapturesThroughTheCompositorEvenForXwaylandClients) {
    // DISPLAY is set by Xwayland in every Wayland session; it must not win.
    EXPECT_EQ(ChooseDesktop({"", "wayland-1", "", ":0", ""}), DesktopKind::Wayland);
    EXPECT_EQ(ChooseDesktop({"", "", "wayland", ":0", "xcb"}), DesktopKind::Wayland);
    EXPECT_EQ(ChooseDesktop({"", "", "", "", "wayland-egl"}), DesktopKind::Wayland);
}

TEST(ChooseDesktopTest, PlainX11AndNothing) {
    EXPECT_EQ(ChooseDesktop({"", "", "x11", ":0", ""}), DesktopKind::X11);
    EXPECT_EQ(ChooseDesktop({"", "", "", "", "xcb"}), DesktopKind::X11);
    EXPECT_EQ(ChooseDesktop({"", "", "tty", "", "offscreen"}), DesktopKind::Null);
}

TEST(OpenDesktopTest, NullKindGivesABlackScreenOfTheDefaultSize) {
    auto desktop = OpenDesktop(DesktopKind::Null);
    ASSERT_NE(desktop, nullptr);
    EXPECT_EQ(desktop->ScreenSize(), (Size{1920, 1080}));
    EXPECT_EQ(desktop->WindowAt({10, 10}), kNoWindow);
}

}  // namespace
}  // namespace platform::testing
