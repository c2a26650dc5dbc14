// The Desktop of a Wayland session: the screen comes from the ScreenCast portal's stream of the
// monitor, asked for when a grab first needs it and kept for the program's run. Wayland shows a
// client neither other windows, nor the pointer away from its own, nor the keyboard: a window is
// picked in the portal's own chooser, where it offers windows, and a shortcut of the whole
// desktop comes from the GlobalShortcuts portal, where there is one.
#pragma once

#include <memory>
#include <string>

#include "platform/desktop.h"

namespace platform::wayland {

class Cast;
class ShortcutPortal;

// Whether the desktop named by XDG_CURRENT_DESKTOP (a colon-separated list) minimises windows:
// the floating ones do, the tiling compositors have nowhere to put a minimised window.
bool DesktopMinimisesWindows(const std::string& currentDesktop);

class WaylandDesktop final : public Desktop {
  public:
    // `screenHint` is the monitor's size as the toolkit sees it, used until the stream tells.
    explicit WaylandDesktop(Size screenHint);
    ~WaylandDesktop() override;

    std::unique_ptr<Desktop> OpenAnother() override;
    Rect PrimaryScreen() override;
    std::optional<Point> PointerPosition() override { return std::nullopt; }
    // On the opening thread this first starts the cast if needed; on another object's thread it
    // only copies from the cast the opening object started.
    bool GrabInto(int32_t left, int32_t top, int32_t width, int32_t height,
                  std::vector<uint8_t>& bmp) override;
    WindowId WindowAt(Point) override { return kNoWindow; }
    WindowId RootWindow(WindowId) override { return kNoWindow; }
    std::optional<Rect> WindowBounds(WindowId) override { return std::nullopt; }
    void XorFrame(const Rect&, uint32_t) override {}
    bool IsKeyDown(int) override { return false; }
    CaptureProblem PrepareCapture() override;
    // Asks the portal once what it offers.
    bool CanPickWindows() override;
    bool HasWindowChooser() override { return true; }
    std::optional<Size> ChooseWindow() override;
    void UseWindowSource(bool window) override;
    bool CanPlaceOverlays() override { return false; }
    void BindShortcuts(std::vector<Shortcut> shortcuts) override;
    bool CanMinimiseWindows() override { return minimises_; }
    std::optional<Point> GrabbedMonitorOrigin() override;

  private:
    WaylandDesktop(std::shared_ptr<Cast> cast, Size screenHint, bool mayStart);
    std::shared_ptr<Cast> cast_;
    Size screenHint_;
    bool mayStart_;
    bool minimises_;
    std::optional<bool> windowsOffered_;
    std::unique_ptr<ShortcutPortal> shortcut_;
};

}  // namespace platform::wayland
