// A 16-bit (5-6-5) screen: the grab still delivers a 32-bit BMP, with each channel widened.
// Runs on a small X server of its own, as the shared one is 24-bit.
#include "x11_fixture.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

namespace platform::testing {
namespace {

class Depth16Server {
  public:
    Depth16Server() {
        int fds[2];
        if (pipe(fds) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            close(fds[0]);
            std::string fd = std::to_string(fds[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "64x48x16",
                   "-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        // The server writes its display number once it accepts connections.
        std::string number;
        char c;
        while (read(fds[0], &c, 1) == 1 && c != '\n') number += c;
        close(fds[0]);
        if (!number.empty()) name_ = ":" + number;
    }
    ~Depth16Server() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    const std::string& Name() const { return name_; }

  private:
    pid_t pid_ = -1;
    std::string name_;
};

uint32_t Widen565(uint32_t rgb) {
    auto widen = [](uint32_t v, int bits) {
        uint32_t max = (1u << bits) - 1;
        return (v * 255 + max / 2) / max;
    };
    uint32_t r = widen((rgb >> 16 & 0xFF) >> 3, 5);
    uint32_t g = widen((rgb >> 8 & 0xFF) >> 2, 6);
    uint32_t b = widen((rgb & 0xFF) >> 3, 5);
    return r << 16 | g << 8 | b;
}

uint16_t To565(uint32_t rgb) {
    return uint16_t((rgb >> 19 & 0x1F) << 11 | (rgb >> 10 & 0x3F) << 5 | (rgb >> 3 & 0x1F));
}

TEST(Depth16Test, SixteenBitScreensAreGrabbedAs32BitRows) {
    Depth16Server server;
    ASSERT_FALSE(server.Name().empty()) << "could not start Xvfb";
    Display* display = XOpenDisplay(server.Name().c_str());
    ASSERT_NE(display, nullptr);
    ASSERT_EQ(DefaultDepth(display, DefaultScreen(display)), 16);

    const uint32_t colours[] = {0xFFFFFF, 0x000000, 0xFF0000, 0x00FF00,
                                0x0000FF, 0x8040C0, 0x123456};
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    Window window =
        XCreateWindow(display, DefaultRootWindow(display), 4, 6, 7, 2, 0, CopyFromParent,
                      InputOutput, CopyFromParent, CWOverrideRedirect, &attributes);
    XMapWindow(display, window);
    GC gc = XCreateGC(display, window, 0, nullptr);
    for (int x = 0; x < 7; ++x) {
        XSetForeground(display, gc, To565(colours[x]));
        XFillRectangle(display, window, gc, x, 0, 1, 1);
        XSetForeground(display, gc, To565(colours[6 - x]));
        XFillRectangle(display, window, gc, x, 1, 1, 1);
    }
    XFreeGC(display, gc);
    XSync(display, False);

    for (GrabMethod method : {GrabMethod::SharedMemory, GrabMethod::Plain}) {
        auto desktop = X11Desktop::Open(server.Name().c_str());
        ASSERT_NE(desktop, nullptr);
        desktop->ForceGrabMethod(method);
        std::vector<uint8_t> bmp = desktop->FrameGrabber(3, 6, 8, 2);
        ASSERT_EQ(bmp.size(), 54u + 8 * 2 * 4);
        EXPECT_EQ(Le16(bmp, 28), 32);
        for (int x = 0; x < 7; ++x) {
            EXPECT_EQ(BmpPixel(bmp, x + 1, 0), Widen565(colours[x])) << x;
            EXPECT_EQ(BmpPixel(bmp, x + 1, 1), Widen565(colours[6 - x])) << x;
        }
        EXPECT_EQ(desktop->ActiveGrabMethod(), method);
    }
    XCloseDisplay(display);
}

}  // namespace
}  // namespace platform::testing
