// Inside the platform library only: owners for X resources and the per-thread error trap.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/x11/x11_desktop.h"  // after Xlib: drops its RootWindow macro

namespace platform::x11 {

struct DisplayCloser {
    void operator()(Display* display) const;
};
using DisplayPtr = std::unique_ptr<Display, DisplayCloser>;

// For everything Xlib hands out to be released with XFree (query-tree children, shape
// rectangles, keyboard mappings).
struct XFreeDeleter {
    void operator()(void* p) const {
        if (p) XFree(p);
    }
};
template <typename T>
using XFreePtr = std::unique_ptr<T, XFreeDeleter>;

struct ImageDeleter {
    void operator()(XImage* image) const {
        if (image) XDestroyImage(image);
    }
};
using ImagePtr = std::unique_ptr<XImage, ImageDeleter>;

struct GcDeleter {
    Display* display;
    void operator()(GC gc) const {
        if (gc) XFreeGC(display, gc);
    }
};
using GcPtr = std::unique_ptr<std::remove_pointer_t<GC>, GcDeleter>;

// Catches the X errors of the requests made on `display` by this thread while it lives, instead
// of letting Xlib's default handler end the process. Traps nest.
class ErrorTrap {
  public:
    explicit ErrorTrap(Display* display);
    ~ErrorTrap();
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;

    // Waits for the server to process everything sent so far; true when no error came back.
    bool Sync();
    bool Failed() const { return errorCode_ != 0; }
    int ErrorCode() const { return errorCode_; }

  private:
    friend int HandleXError(Display*, XErrorEvent*);
    Display* display_;
    ErrorTrap* outer_;
    int errorCode_ = 0;
};

// Makes sure our error handler is the installed one (a toolkit may have replaced it).
void InstallErrorHandler();
// Errors on our own connections outside a trap are reported and ignored, not fatal.
void RegisterConnection(Display* display);
void UnregisterConnection(Display* display);

// A shared-memory image of one size, reused from frame to frame.
class ShmImage {
  public:
    // Null when the server cannot attach the segment (for example over a network).
    static std::unique_ptr<ShmImage> Create(Display* display, Visual* visual, int depth, int width,
                                            int height);
    ~ShmImage();
    XImage* Image() const { return image_; }
    int Width() const { return image_->width; }
    int Height() const { return image_->height; }

  private:
    ShmImage(Display* display) : display_(display) {}
    Display* display_;
    XImage* image_ = nullptr;
    XShmSegmentInfo segment_{};
    bool attached_ = false;
};

// Key state: virtual key code -> the keycodes that produce its key symbols.
class KeyMap {
  public:
    const std::vector<KeyCode>& KeycodesFor(Display* display, int virtualKey);

  private:
    std::unordered_map<int, std::vector<KeyCode>> cache_;
    std::chrono::steady_clock::time_point loaded_{};
};

struct X11Desktop::Impl {
    x11::DisplayPtr display;
    std::string displayName;
    int screen = 0;
    Window root = 0;
    int rootWidth = 0;  // kept current through the root's ConfigureNotify events
    int rootHeight = 0;
    bool shmAvailable = false;
    bool shmForcedOff = false;
    bool shapeAvailable = false;
    std::unique_ptr<x11::ShmImage> shmImage;  // declared after `display`: released before it closes
    x11::KeyMap keyMap;

    Display* Dpy() const { return display.get(); }
    bool ReadRootSize();
    void TakeRootResizes();
};

}  // namespace platform::x11
