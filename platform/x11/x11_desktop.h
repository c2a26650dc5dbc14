// The Desktop of an X server: one Xlib connection per object, so one object per thread.
#pragma once

#include <memory>

#include "platform/desktop.h"

namespace platform::x11 {

// Makes Xlib safe for one connection per thread and installs the error handler that keeps X errors
// (a window that vanished, an odd grab rectangle) from ending the process. Idempotent; call it
// before Qt or anything else talks to the X server.
void Init();

enum class GrabMethod {
    SharedMemory,  // MIT-SHM: the server writes the pixels straight into our memory
    Plain,         // XGetImage: the pixels travel through the socket
};

class X11Desktop final : public Desktop {
  public:
    // Null when the display cannot be opened. `displayName` null means $DISPLAY.
    static std::unique_ptr<X11Desktop> Open(const char* displayName = nullptr);
    ~X11Desktop() override;

    // SharedMemory is used when the server offers it (and it works, e.g. not over a network);
    // Plain can be forced, for comparison and tests.
    void ForceGrabMethod(GrabMethod method);
    GrabMethod ActiveGrabMethod() const;

    std::unique_ptr<Desktop> OpenAnother() override;
    // The primary RandR monitor (the first one where none is primary); the whole screen where
    // the server has no monitors to tell (RandR before 1.5).
    Rect PrimaryScreen() override;
    std::vector<Monitor> Monitors() override;
    std::optional<Point> PointerPosition() override;
    bool GrabInto(int32_t left, int32_t top, int32_t width, int32_t height,
                  std::vector<uint8_t>& bmp) override;
    WindowId WindowAt(Point p) override;
    WindowId RootWindow(WindowId window) override;
    std::optional<Rect> WindowBounds(WindowId window) override;
    void XorFrame(const Rect& rect, uint32_t colour) override;
    bool IsKeyDown(int virtualKey) override;
    // Under a Wayland compositor the server is Xwayland, whose root window shows black where
    // other programs' windows are: a screen that is wholly black there cannot be recorded.
    CaptureProblem PrepareCapture() override;

    struct Impl;

  private:
    explicit X11Desktop(std::unique_ptr<Impl> impl);
    bool GrabOnce(int32_t left, int32_t top, int32_t width, int32_t height,
                  std::vector<uint8_t>& bmp);
    std::unique_ptr<Impl> impl_;
};

}  // namespace platform::x11
