// The part of the GIF maker the recorder uses, behind an interface so that the recording logic
// can be tested with a stand-in.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "gif/records.h"

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
    virtual std::string GetError() = 0;
};

// The library's GifMaker.
std::unique_ptr<Encoder> MakeGifMakerEncoder();

}  // namespace app
