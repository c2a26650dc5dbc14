// The window-system services the recorder needs: screen grab, window under the pointer, the
// flashing pick frame and the global key state. The backends live in x11/ and wayland/, and
// loader.h picks one; a NullDesktop stands in where no display is reachable and in tests of the
// recording logic.
//
// A Desktop object is used by one thread at a time. A thread of its own (the capture worker)
// takes its own object from OpenAnother().
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

// Xlib's RootWindow(display, screen) macro would swallow the method of that name; code that
// needs both includes Xlib first.
#ifdef RootWindow
#undef RootWindow
#endif

namespace platform {

// A native window; 0 is "no window".
using WindowId = uint64_t;
inline constexpr WindowId kNoWindow = 0;

struct Point {
    int32_t x = 0;
    int32_t y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    int32_t width = 0;
    int32_t height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

// Screen pixels; right and bottom are exclusive.
struct Rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    // The fields may hold any 32-bit values (the recorder's region is typed by hand); a span that
    // does not fit counts as empty.
    int32_t Width() const { return Span(left, right); }
    int32_t Height() const { return Span(top, bottom); }
    bool Contains(Point p) const {
        return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
    }
    friend bool operator==(const Rect&, const Rect&) = default;

  private:
    static int32_t Span(int32_t from, int32_t to) {
        const int64_t span = int64_t{to} - int64_t{from};
        return span > INT32_MAX || span < INT32_MIN ? 0 : static_cast<int32_t>(span);
    }
};

// One monitor of the desktop; `name` as the window system calls it (an output such as "HDMI-1").
struct Monitor {
    std::string name;
    Rect rect;
    bool primary = false;
    friend bool operator==(const Monitor&, const Monitor&) = default;
};

// The smallest rectangle holding every monitor; empty for none.
Rect BoundingRect(const std::vector<Monitor>& monitors);

// Virtual key codes as the recorder names keys (the Windows numbering: F2 is 113).
namespace key {
inline constexpr int kBackspace = 0x08;
inline constexpr int kTab = 0x09;
inline constexpr int kReturn = 0x0D;
inline constexpr int kShift = 0x10;
inline constexpr int kControl = 0x11;
inline constexpr int kAlt = 0x12;
inline constexpr int kPause = 0x13;
inline constexpr int kEscape = 0x1B;
inline constexpr int kSpace = 0x20;
inline constexpr int kF1 = 0x70;
inline constexpr int kF2 = 0x71;
inline constexpr int kF12 = 0x7B;
}  // namespace key

// Why grabs cannot show the screen; NoProblem when they can.
enum class CaptureProblem {
    NoProblem,
    NoSessionBus,    // no D-Bus session to reach a portal on
    NoPortal,        // no screen-cast portal answers
    Refused,         // the user or the desktop said no
    PortalFailed,    // the portal answered with an error
    NoPipeWire,      // the frames' stream could not be opened
    NoFrames,        // the stream opened but sent no picture
    BlackScreen,     // an X server under a Wayland compositor: it sees only its own windows
    Busy,            // a permission request is still waiting for the user
    NoWindowChosen,  // the window pick is on, but the desktop's chooser has given no window
};

class Desktop {
  public:
    virtual ~Desktop() = default;

    // A new object for another thread, on its own connection; null when that fails.
    virtual std::unique_ptr<Desktop> OpenAnother() = 0;

    // The primary monitor in physical pixels, in the coordinates the other calls use.
    virtual Rect PrimaryScreen() = 0;
    Size ScreenSize();

    // Every monitor in the coordinates of the other calls, in the window system's order. Where
    // the desktop tells of none apart, the primary screen alone, without a name.
    virtual std::vector<Monitor> Monitors() { return {{"", PrimaryScreen(), true}}; }

    // The pointer's hot spot on the screen; nothing when it is on another screen.
    virtual std::optional<Point> PointerPosition() = 0;

    // Copies the rectangle of the screen into `bmp` as a complete BMP file image: 32 bits per
    // pixel (blue, green, red, 0), rows bottom-up, no colour table, image-size field 0. Parts
    // outside the screen are black. An empty rectangle or a failure leaves `bmp` empty and
    // returns false. Reuses `bmp`'s storage, so a caller grabbing every frame allocates once.
    virtual bool GrabInto(int32_t left, int32_t top, int32_t width, int32_t height,
                          std::vector<uint8_t>& bmp) = 0;
    std::vector<uint8_t> FrameGrabber(int32_t left, int32_t top, int32_t width, int32_t height);

    // The deepest visible window containing `p`, preferring a smaller lower sibling that also
    // contains it (a control under a group frame); kNoWindow over the bare desktop. Click-through
    // windows and the cut-away parts of shaped ones are looked through; a window manager's title
    // bar or border gives its whole frame.
    virtual WindowId WindowAt(Point p) = 0;
    WindowId WindowUnderCursor();

    // The top-level window (a child of the desktop) that holds `window`, itself if it is one;
    // kNoWindow for the desktop, kNoWindow or a window that is gone. Compare two windows'
    // top levels, not a window with a top level: a window manager's frame is the top level.
    virtual WindowId RootWindow(WindowId window) = 0;

    // The window's outer rectangle (border included) in screen coordinates.
    virtual std::optional<Rect> WindowBounds(WindowId window) = 0;

    // Inverts a 4-pixel frame along the rectangle's edges on top of everything; a second call
    // with the same arguments restores the pixels. `colour` is red + green * 256 + blue * 65536;
    // the pixels under the frame become the inverse of pixel XOR colour.
    virtual void XorFrame(const Rect& rect, uint32_t colour) = 0;

    // Shows the XOR frame around `window` for `duration`, blocking, then removes it. A left or
    // top edge above or left of the screen is drawn at 0. Does nothing without a window.
    void FlashWindowFrame(WindowId window, uint32_t colour,
                          std::chrono::milliseconds duration = std::chrono::milliseconds(100));

    // Whether the key (a key:: code) is held down anywhere on the desktop, whichever program
    // has the focus. Modifier codes (kShift, kControl, kAlt) mean either the left or right key.
    virtual bool IsKeyDown(int virtualKey) = 0;

    // Makes grabs ready to show the screen, which may ask the user for permission first, and
    // says why they cannot. Called on the thread that opened the desktop, before a recording.
    virtual CaptureProblem PrepareCapture() { return CaptureProblem::NoProblem; }

    // Whether the window pick can work: WindowAt and WindowBounds find other programs' windows,
    // or, where HasWindowChooser(), the desktop's own chooser picks one.
    virtual bool CanPickWindows() { return true; }

    // Whether a window is picked by the desktop's chooser (a Wayland portal) rather than under
    // the pointer.
    virtual bool HasWindowChooser() { return false; }
    // Opens that chooser, serving the event loop until the user answers. Grabs of the window
    // source then show the chosen window alone, from 0,0 to the size returned; nothing when no
    // window was chosen (PrepareCapture then says why).
    virtual std::optional<Size> ChooseWindow() { return std::nullopt; }
    // Whether grabs show the window the chooser gave (the window pick mode) or the screen.
    virtual void UseWindowSource(bool window) { static_cast<void>(window); }

    // Binds shortcuts of the whole desktop, each calling its `activated` from this thread's event
    // loop, where the desktop lets programs ask for them; descriptions are shown to the user.
    // Does nothing elsewhere.
    struct Shortcut {
        std::string id;
        std::string description;
        std::string preferredTrigger;
        std::function<void()> activated;
    };
    virtual void BindShortcuts(std::vector<Shortcut> shortcuts) { static_cast<void>(shortcuts); }

    // Whether the desktop takes a window out of sight when it is asked to minimise it. Tiling
    // Wayland compositors (sway, Hyprland) ignore the request; an X11 window manager that does
    // is only found out by trying.
    virtual bool CanMinimiseWindows() { return true; }

    // Where the monitor that grabs show lies among the toolkit's screens, in the toolkit's own
    // (logical) pixels, where the desktop tells: a full-screen window of ours belongs there.
    virtual std::optional<Point> GrabbedMonitorOrigin() { return std::nullopt; }

    // Whether our own windows can be put at screen coordinates: the region frame around the
    // region, and the cursor overlay that draws the pointer into the grabs. Where they cannot,
    // the grabs carry the pointer themselves.
    virtual bool CanPlaceOverlays() { return true; }
};

// Stands in for the screen where no X server is reachable: a black screen of the given size,
// no windows, a pointer at a settable place, keys up unless set down.
class NullDesktop : public Desktop {
  public:
    explicit NullDesktop(Size screen = {1920, 1080}) : screen_(screen) {}

    void SetPointer(std::optional<Point> p) { pointer_ = p; }
    void SetKeyDown(int virtualKey, bool down);

    std::unique_ptr<Desktop> OpenAnother() override;
    Rect PrimaryScreen() override { return {0, 0, screen_.width, screen_.height}; }
    std::optional<Point> PointerPosition() override { return pointer_; }
    bool GrabInto(int32_t left, int32_t top, int32_t width, int32_t height,
                  std::vector<uint8_t>& bmp) override;
    WindowId WindowAt(Point) override { return kNoWindow; }
    WindowId RootWindow(WindowId) override { return kNoWindow; }
    std::optional<Rect> WindowBounds(WindowId) override { return std::nullopt; }
    void XorFrame(const Rect&, uint32_t) override {}
    bool IsKeyDown(int virtualKey) override { return keysDown_.count(virtualKey) != 0; }

  private:
    Size screen_;
    std::optional<Point> pointer_;
    std::set<int> keysDown_;
};

// Writes the 54-byte file and info headers of a bottom-up BMP of 32 bits per pixel into `bmp`
// (resized to the whole file). False, with `bmp` empty, for an empty or oversized picture.
bool StartBmp32(int32_t width, int32_t height, std::vector<uint8_t>& bmp);

// Larger grabs are refused rather than allocated.
inline constexpr int32_t kMaxGrabSide = 32767;
inline constexpr uint64_t kMaxGrabBytes = uint64_t{1} << 30;

}  // namespace platform
