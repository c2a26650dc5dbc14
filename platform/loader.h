// Picks the desktop backend for the session at start: the X server, the Wayland compositor (the
// screen-cast portal) or none. GIFREC_DESKTOP=x11|wayland|null overrides the choice.
#pragma once

#include <memory>
#include <string>

#include "platform/desktop.h"

namespace platform {

enum class DesktopKind { X11, Wayland, Null };

// What the choice is made from; empty strings stand for unset variables.
struct SessionHints {
    std::string override;        // GIFREC_DESKTOP
    std::string waylandDisplay;  // WAYLAND_DISPLAY
    std::string sessionType;     // XDG_SESSION_TYPE
    std::string x11Display;      // DISPLAY
    std::string qtPlatform;      // the toolkit's platform plugin: "xcb", "wayland", "offscreen"...
};

SessionHints HintsFromEnvironment(std::string qtPlatform = {});

// An unknown override is ignored, as if unset.
DesktopKind ChooseDesktop(const SessionHints& hints);

// Call once at the top of main(), before Qt or anything else talks to a display server.
void Init();

// The chosen backend; a NullDesktop of 1920 x 1080 when it cannot be opened. `screenHint` is the
// primary monitor's size as the toolkit reports it, for backends that learn it only later.
std::unique_ptr<Desktop> OpenDesktop(DesktopKind kind, Size screenHint = {1920, 1080});
std::unique_ptr<Desktop> OpenDesktop();

}  // namespace platform
