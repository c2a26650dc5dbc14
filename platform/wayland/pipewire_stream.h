// The screen-cast's frames from PipeWire: a stream on the portal's node, served by a thread of
// PipeWire's own. The newest frame's buffer is held back from the compositor until a newer one
// comes, so a grab copies straight out of it, as often as asked: frames arrive only when the
// screen changes, and a grab between two of them shows the last one again.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/desktop.h"

namespace platform::wayland {

class PipeWireStream {
  public:
    // Null when PipeWire refuses the portal's connection `fd` (taken over, closed either way) or
    // the stream on `node`.
    static std::unique_ptr<PipeWireStream> Open(int fd, uint32_t node);
    ~PipeWireStream();
    PipeWireStream(const PipeWireStream&) = delete;
    PipeWireStream& operator=(const PipeWireStream&) = delete;

    // Waits up to `timeout` for a first frame; false when none came or the stream ended.
    bool WaitForFrame(std::chrono::milliseconds timeout);
    // The newest frame's size; nothing before the first frame.
    std::optional<Size> FrameSize() const;
    // Copies `region` of the newest frame as CopyToBmp32 does; false before the first frame,
    // after the stream ended, or for an empty region.
    bool Grab(const Rect& region, std::vector<uint8_t>& bmp) const;
    // The stream failed or the compositor ended it; no frame comes any more.
    bool Ended() const;

    struct Impl;

  private:
    explicit PipeWireStream(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace platform::wayland
