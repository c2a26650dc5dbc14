#include "platform/wayland/wayland_desktop.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <mutex>

#include "platform/wayland/pipewire_stream.h"
#include "platform/wayland/screencast_portal.h"
#include "platform/wayland/shortcut_portal.h"

namespace platform::wayland {

namespace {
// The first frame follows the start within a fraction of a second; this is for a slow machine.
constexpr std::chrono::seconds kFirstFrameTimeout{5};
}  // namespace

// The running cast, shared by the opening object and those of other threads. It shows the monitor
// or the window the portal's chooser gave, whichever the capture mode wants; a cast of the other
// source is ended when the mode changes.
class Cast {
  public:
    // Opening thread only. Keeps a running cast; starts one of the monitor when there is none or
    // it ended. A window is only ever started by Choose.
    CaptureProblem Ensure() {
        if (starting_) return CaptureProblem::Busy;  // asked again while the user decides
        if (std::shared_ptr<PipeWireStream> stream = Stream(); stream && !stream->Ended())
            return CaptureProblem::NoProblem;
        if (source_ == kSourceWindow) return windowProblem_;
        starting_ = true;
        CaptureProblem problem = Begin(kSourceMonitor);
        starting_ = false;
        return problem;
    }

    // Opening thread only. Ends the cast of the window chosen before, if any, and lets the
    // portal's chooser give another.
    std::optional<Size> Choose() {
        if (starting_) return std::nullopt;
        Use(kSourceWindow);
        End();
        starting_ = true;
        const CaptureProblem problem = Begin(kSourceWindow);
        starting_ = false;
        windowProblem_ =
            problem == CaptureProblem::NoProblem ? CaptureProblem::NoWindowChosen : problem;
        if (problem != CaptureProblem::NoProblem) return std::nullopt;
        return Stream()->FrameSize();
    }

    // Opening thread only.
    void Use(uint32_t source) {
        if (source == source_) return;
        source_ = source;
        windowProblem_ = CaptureProblem::NoWindowChosen;
        End();
    }

    // The running monitor's size, if it is the monitor that runs.
    std::optional<Size> MonitorSize() const {
        std::lock_guard lock(mutex_);
        if (!stream_ || streamSource_ != kSourceMonitor) return std::nullopt;
        return stream_->FrameSize();
    }

    std::shared_ptr<PipeWireStream> Stream() const {
        std::lock_guard lock(mutex_);
        return stream_;
    }

    // Where the portal said the running monitor lies in the compositor's layout.
    std::optional<Point> MonitorOrigin() const {
        std::lock_guard lock(mutex_);
        if (!stream_ || streamSource_ != kSourceMonitor) return std::nullopt;
        return origin_;
    }

  private:
    CaptureProblem Begin(uint32_t source) {
        const std::string tokenPath =
            RestoreTokenPath(std::getenv("XDG_STATE_HOME"), std::getenv("HOME")).string();
        ScreenCastPortal::Started started = ScreenCastPortal::Start(source, tokenPath);
        if (started.problem != CaptureProblem::NoProblem) return started.problem;
        std::shared_ptr<PipeWireStream> stream =
            PipeWireStream::Open(started.pipeWireFd, started.stream.node);
        if (!stream) return CaptureProblem::NoPipeWire;
        if (!stream->WaitForFrame(kFirstFrameTimeout)) return CaptureProblem::NoFrames;
        std::lock_guard lock(mutex_);
        stream_ = std::move(stream);
        streamSource_ = source;
        // A portal that gives no size has given no place either.
        origin_ = started.stream.size.width > 0 ? std::optional<Point>(started.stream.position)
                                                : std::nullopt;
        session_ = std::move(started.session);
        return CaptureProblem::NoProblem;
    }

    void End() {
        // The portal session is closed after the lock is let go: no D-Bus call under the lock.
        std::unique_ptr<ScreenCastPortal> session;
        {
            std::lock_guard lock(mutex_);
            stream_.reset();
            session = std::move(session_);
        }
    }

    mutable std::mutex mutex_;
    std::shared_ptr<PipeWireStream> stream_;
    uint32_t streamSource_ = 0;
    std::optional<Point> origin_;
    std::unique_ptr<ScreenCastPortal> session_;
    // The opening thread's alone.
    uint32_t source_ = kSourceMonitor;
    CaptureProblem windowProblem_ = CaptureProblem::NoWindowChosen;
    bool starting_ = false;
};

bool DesktopMinimisesWindows(const std::string& currentDesktop) {
    // Lower-cased names of the desktops whose compositor keeps minimised windows somewhere.
    static const char* const kFloating[] = {"gnome",  "kde",   "plasma", "cinnamon", "mate",
                                            "xfce",   "lxqt",  "budgie", "labwc",    "wayfire",
                                            "cosmic", "unity", "deepin"};
    std::string lower;
    for (char c : currentDesktop) lower += char(std::tolower(static_cast<unsigned char>(c)));
    size_t from = 0;
    while (from <= lower.size()) {
        size_t to = lower.find(':', from);
        if (to == std::string::npos) to = lower.size();
        const std::string name = lower.substr(from, to - from);
        for (const char* floating : kFloating) {
            if (name == floating) return true;
        }
        from = to + 1;
    }
    return false;
}

WaylandDesktop::WaylandDesktop(Size screenHint)
    : WaylandDesktop(std::make_shared<Cast>(), screenHint, true) {}

WaylandDesktop::WaylandDesktop(std::shared_ptr<Cast> cast, Size screenHint, bool mayStart)
    : cast_(std::move(cast)),
      screenHint_(screenHint),
      mayStart_(mayStart),
      minimises_(DesktopMinimisesWindows(
          std::getenv("XDG_CURRENT_DESKTOP") ? std::getenv("XDG_CURRENT_DESKTOP") : "")) {}

WaylandDesktop::~WaylandDesktop() = default;

std::unique_ptr<Desktop> WaylandDesktop::OpenAnother() {
    return std::unique_ptr<Desktop>(new WaylandDesktop(cast_, screenHint_, false));
}

Rect WaylandDesktop::PrimaryScreen() {
    if (std::optional<Size> size = cast_->MonitorSize()) return {0, 0, size->width, size->height};
    return {0, 0, screenHint_.width, screenHint_.height};
}

std::optional<Point> WaylandDesktop::GrabbedMonitorOrigin() {
    return cast_->MonitorOrigin();
}

bool WaylandDesktop::CanPickWindows() {
    if (!windowsOffered_)
        windowsOffered_ = (ScreenCastPortal::Query().sourceTypes & kSourceWindow) != 0;
    return *windowsOffered_;
}

std::optional<Size> WaylandDesktop::ChooseWindow() {
    if (!mayStart_ || !CanPickWindows()) return std::nullopt;
    return cast_->Choose();
}

void WaylandDesktop::UseWindowSource(bool window) {
    if (mayStart_) cast_->Use(window ? kSourceWindow : kSourceMonitor);
}

void WaylandDesktop::BindShortcuts(std::vector<Shortcut> shortcuts) {
    if (!mayStart_) return;
    std::vector<ShortcutPortal::Shortcut> asked;
    for (Shortcut& s : shortcuts) {
        asked.push_back({QString::fromStdString(s.id), QString::fromStdString(s.description),
                         QString::fromStdString(s.preferredTrigger), std::move(s.activated)});
    }
    shortcut_ = std::make_unique<ShortcutPortal>(QDBusConnection::sessionBus(), std::move(asked));
}

CaptureProblem WaylandDesktop::PrepareCapture() {
    if (!mayStart_) {
        std::shared_ptr<PipeWireStream> stream = cast_->Stream();
        return stream && !stream->Ended() ? CaptureProblem::NoProblem : CaptureProblem::NoFrames;
    }
    return cast_->Ensure();
}

bool WaylandDesktop::GrabInto(int32_t left, int32_t top, int32_t width, int32_t height,
                              std::vector<uint8_t>& bmp) {
    if (mayStart_ && cast_->Ensure() != CaptureProblem::NoProblem) {
        bmp.clear();
        return false;
    }
    std::shared_ptr<PipeWireStream> stream = cast_->Stream();
    if (!stream) {
        bmp.clear();
        return false;
    }
    const auto end = [](int32_t from, int32_t span) {
        return int32_t(std::clamp<int64_t>(int64_t{from} + span, INT32_MIN, INT32_MAX));
    };
    return stream->Grab({left, top, end(left, width), end(top, height)}, bmp);
}

}  // namespace platform::wayland
