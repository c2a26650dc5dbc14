// A test's own connection to the display under test, for making windows and drawing the
// patterns that the platform layer must then find and copy.
#pragma once

#include <gtest/gtest.h>  // before Xlib, whose None and Bool macros break it

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "platform/x11/x11_desktop.h"  // after Xlib: see desktop.h

namespace platform::testing {

using x11::GrabMethod;
using x11::X11Desktop;

inline uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 |
           uint32_t(b[at + 3]) << 24;
}
inline uint16_t Le16(const std::vector<uint8_t>& b, size_t at) {
    return uint16_t(b[at] | b[at + 1] << 8);
}

// The 0xRRGGBB value of pixel (x, y) of a 32-bit bottom-up BMP, y counted from the top.
inline uint32_t BmpPixel(const std::vector<uint8_t>& bmp, int x, int y) {
    int32_t width = int32_t(Le32(bmp, 18));
    int32_t height = int32_t(Le32(bmp, 22));
    size_t at = 54 + size_t(height - 1 - y) * size_t(width) * 4 + size_t(x) * 4;
    EXPECT_EQ(bmp[at + 3], 0) << "pad byte of pixel " << x << "," << y;
    return uint32_t(bmp[at + 2]) << 16 | uint32_t(bmp[at + 1]) << 8 | bmp[at];
}

class X11Test : public ::testing::Test {
  protected:
    void SetUp() override {
        x11::Init();
        display_ = SharedConnection();
        ASSERT_NE(display_, nullptr) << "no X display; the test command starts Xvfb";
        root_ = DefaultRootWindow(display_);
        desktop_ = X11Desktop::Open();
        ASSERT_NE(desktop_, nullptr);
    }

    void TearDown() override {
        if (!display_) return;
        for (auto it = windows_.rbegin(); it != windows_.rend(); ++it)
            XDestroyWindow(display_, *it);
        XSync(display_, False);
    }

    // Open for the whole run: an X server resets when its last client leaves, and refuses
    // connections while it does, which would fail the next test.
    // Connections are also refused during the reset after the previous test program left.
    static Display* SharedConnection() {
        static Display* display = [] {
            Display* d = nullptr;
            for (int attempt = 0; attempt < 50 && !d; ++attempt) {
                if (attempt) std::this_thread::sleep_for(std::chrono::milliseconds(50));
                d = XOpenDisplay(nullptr);
            }
            return d;
        }();
        return display;
    }

    // A mapped window with a plain background; top-level ones bypass any window manager so
    // they land exactly where asked.
    Window MakeWindow(Window parent, int x, int y, int width, int height, uint32_t rgb,
                      int border = 0) {
        XSetWindowAttributes attributes{};
        attributes.background_pixel = rgb;
        attributes.border_pixel = 0x808080;
        attributes.override_redirect = True;
        Window w = XCreateWindow(display_, parent, x, y, unsigned(width), unsigned(height),
                                 unsigned(border), CopyFromParent, InputOutput, CopyFromParent,
                                 CWBackPixel | CWBorderPixel | CWOverrideRedirect, &attributes);
        windows_.push_back(w);
        XMapRaised(display_, w);
        XSync(display_, False);
        return w;
    }
    Window MakeTopLevel(int x, int y, int width, int height, uint32_t rgb, int border = 0) {
        return MakeWindow(root_, x, y, width, height, rgb, border);
    }

    void FillPixel(Window w, int x, int y, uint32_t rgb) {
        GC gc = XCreateGC(display_, w, 0, nullptr);
        XSetForeground(display_, gc, rgb);
        XFillRectangle(display_, w, gc, x, y, 1, 1);
        XFreeGC(display_, gc);
    }

    // Each pixel of a width x height window gets its own colour.
    static uint32_t Pattern(int x, int y) {
        return uint32_t(0x10 + 0x20 * x) << 16 | uint32_t(0x30 + 0x40 * y) << 8 |
               uint32_t(7 * x + 11 * y + 1);
    }
    Window MakePatternWindow(int x, int y, int width, int height) {
        Window w = MakeTopLevel(x, y, width, height, 0);
        for (int py = 0; py < height; ++py)
            for (int px = 0; px < width; ++px) FillPixel(w, px, py, Pattern(px, py));
        XSync(display_, False);
        return w;
    }

    Display* display_ = nullptr;
    Window root_ = 0;
    std::unique_ptr<X11Desktop> desktop_;
    std::vector<Window> windows_;
};

}  // namespace platform::testing
