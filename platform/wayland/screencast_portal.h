// The ScreenCast conversation with xdg-desktop-portal over the session bus: a session with one
// source, started (the desktop may ask the user), and the PipeWire connection of its stream.
// The session lasts as long as the object; closing it ends the cast.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/desktop.h"
#include "platform/wayland/portal_support.h"

namespace platform::wayland {

// What the portal offers; all zero when no portal answers.
struct PortalOffer {
    bool reachable = false;
    uint32_t version = 0;
    uint32_t sourceTypes = 0;
    uint32_t cursorModes = 0;
};

class ScreenCastPortal {
  public:
    // Reads the portal's properties; `bus` false means no session bus at all.
    static PortalOffer Query(bool* bus = nullptr);

    struct Started {
        CaptureProblem problem = CaptureProblem::NoProblem;
        std::unique_ptr<ScreenCastPortal> session;
        int pipeWireFd = -1;  // the caller's to close
        StreamInfo stream;
    };
    // Runs the whole conversation, serving the caller's event loop while the portal (or the user)
    // answers. Uses and renews the restore token at `tokenPath` (none when empty).
    static Started Start(uint32_t sourceType, const std::string& tokenPath);

    ~ScreenCastPortal();
    ScreenCastPortal(const ScreenCastPortal&) = delete;
    ScreenCastPortal& operator=(const ScreenCastPortal&) = delete;

  private:
    explicit ScreenCastPortal(std::string sessionPath) : sessionPath_(std::move(sessionPath)) {}
    std::string sessionPath_;
};

}  // namespace platform::wayland
