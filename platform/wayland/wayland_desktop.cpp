#include "platform/wayland/wayland_desktop.h"

#include <algorithm>
#include <cstdlib>
#include <mutex>

#include "platform/wayland/pipewire_stream.h"
#include "platform/wayland/screencast_portal.h"

namespace platform::wayland {

namespace {
// The first frame follows the start within a fraction of a second; this is for a slow machine.
constexpr std::chrono::seconds kFirstFrameTimeout{5};
}  // namespace

// The running cast, shared by the opening object and those of other threads.
class Cast {
  public:
    // Opening thread only. Keeps a running cast; starts one when there is none or it ended.
    CaptureProblem Ensure() {
        if (starting_) return CaptureProblem::Busy;  // asked again while the user decides
        if (std::shared_ptr<PipeWireStream> stream = Stream(); stream && !stream->Ended())
            return CaptureProblem::NoProblem;
        starting_ = true;
        CaptureProblem problem = Begin();
        starting_ = false;
        return problem;
    }

    std::shared_ptr<PipeWireStream> Stream() const {
        std::lock_guard lock(mutex_);
        return stream_;
    }

  private:
    CaptureProblem Begin() {
        const std::string tokenPath =
            RestoreTokenPath(std::getenv("XDG_STATE_HOME"), std::getenv("HOME")).string();
        ScreenCastPortal::Started started = ScreenCastPortal::Start(kSourceMonitor, tokenPath);
        if (started.problem != CaptureProblem::NoProblem) return started.problem;
        std::shared_ptr<PipeWireStream> stream =
            PipeWireStream::Open(started.pipeWireFd, started.stream.node);
        if (!stream) return CaptureProblem::NoPipeWire;
        if (!stream->WaitForFrame(kFirstFrameTimeout)) return CaptureProblem::NoFrames;
        std::lock_guard lock(mutex_);
        stream_ = std::move(stream);
        session_ = std::move(started.session);
        return CaptureProblem::NoProblem;
    }

    mutable std::mutex mutex_;
    std::shared_ptr<PipeWireStream> stream_;
    std::unique_ptr<ScreenCastPortal> session_;
    bool starting_ = false;
};

WaylandDesktop::WaylandDesktop(Size screenHint)
    : WaylandDesktop(std::make_shared<Cast>(), screenHint, true) {}

WaylandDesktop::WaylandDesktop(std::shared_ptr<Cast> cast, Size screenHint, bool mayStart)
    : cast_(std::move(cast)), screenHint_(screenHint), mayStart_(mayStart) {}

WaylandDesktop::~WaylandDesktop() = default;

std::unique_ptr<Desktop> WaylandDesktop::OpenAnother() {
    return std::unique_ptr<Desktop>(new WaylandDesktop(cast_, screenHint_, false));
}

Rect WaylandDesktop::PrimaryScreen() {
    if (std::shared_ptr<PipeWireStream> stream = cast_->Stream()) {
        if (std::optional<Size> size = stream->FrameSize())
            return {0, 0, size->width, size->height};
    }
    return {0, 0, screenHint_.width, screenHint_.height};
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
