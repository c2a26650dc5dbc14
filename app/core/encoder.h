// The part of the GIF maker the recorder uses, behind an interface so that the recording logic
// can be tested with a stand-in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "gif/base/records.h"
#include "gif/gif_maker.h"
#include "gif/store/frame_store.h"

namespace app {

class Encoder {
  public:
    virtual ~Encoder() = default;
    virtual void Reset() = 0;
    virtual void Clear() = 0;
    virtual bool Create(const gif::AnimationInfo& info) = 0;
    // Called only by the capture worker while a recording runs.
    virtual bool AddFrame(const gif::FrameInfo& info, std::span<const uint8_t> picture) = 0;
    virtual bool SaveGif(const std::string& path) = 0;
    // The last failure, in the interface's language.
    virtual std::string GetError() = 0;

    // Where the frames of the animation made by the last Create are kept; null lets go of the
    // store given before without emptying it (a recording's file stays on disk) and goes back
    // to the default one.
    virtual void KeepFramesIn(std::unique_ptr<gif::FrameStore> /*store*/) {}
    // Told the progress of every save, on the saving thread.
    virtual void SetSaveProgress(std::function<void(size_t written, size_t total)> /*progress*/) {}
    virtual bool HasFrames() { return true; }
    // About what the GIF takes so far; safe to ask from any thread while frames are added.
    virtual uint64_t BytesSoFar() const { return 0; }
    // The file layout and colour reduction of animations made by the next Create.
    virtual void SetOptions(const gif::MakerOptions& /*options*/) {}
};

// The library's GifMaker.
std::unique_ptr<Encoder> MakeGifMakerEncoder();

}  // namespace app
