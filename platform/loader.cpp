#include "platform/loader.h"

#include <cstdlib>

#include "platform/wayland/wayland_desktop.h"
#include "platform/x11/x11_desktop.h"

namespace platform {

namespace {

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

}  // namespace

SessionHints HintsFromEnvironment(std::string qtPlatform) {
    return {Variable("GIFREC_DESKTOP"), Variable("WAYLAND_DISPLAY"), Variable("XDG_SESSION_TYPE"),
            Variable("DISPLAY"), std::move(qtPlatform)};
}

DesktopKind ChooseDesktop(const SessionHints& hints) {
    if (hints.override == "x11") return DesktopKind::X11;
    if (hints.override == "wayland") return DesktopKind::Wayland;
    if (hints.override == "null") return DesktopKind::Null;
    // Under a Wayland compositor an X server is Xwayland, which sees only its own windows: even
    // a toolkit running on it must capture through the compositor.
    if (hints.qtPlatform.starts_with("wayland")) return DesktopKind::Wayland;
    if (hints.sessionType == "wayland" || !hints.waylandDisplay.empty())
        return DesktopKind::Wayland;
    if (!hints.x11Display.empty() || hints.qtPlatform == "xcb") return DesktopKind::X11;
    return DesktopKind::Null;
}

void Init() {
    x11::Init();
}

std::unique_ptr<Desktop> OpenDesktop(DesktopKind kind, Size screenHint) {
    if (kind == DesktopKind::X11) {
        if (auto desktop = x11::X11Desktop::Open()) return desktop;
    }
    if (kind == DesktopKind::Wayland) return std::make_unique<wayland::WaylandDesktop>(screenHint);
    return std::make_unique<NullDesktop>();
}

std::unique_ptr<Desktop> OpenDesktop() {
    return OpenDesktop(ChooseDesktop(HintsFromEnvironment()));
}

}  // namespace platform
