// The recording settings the capture worker reads once per frame, kept current by the UI thread.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string_view>
#include <vector>

#include "platform/desktop.h"

namespace app {

// The screen rectangle recorded, as the hidden region fields hold it.
using CaptureRegion = platform::Rect;

using PictureBytes = std::vector<uint8_t>;

struct CaptureSettings {
    CaptureRegion region;
    int frameIntervalPosition = 2;  // sleep position * 50 ms after each frame
    int brightnessPosition = 10;    // 10 is neutral
    int blackWhitePosition = 1;     // 1 is off
    bool watermarkOn = false;
    int32_t delayFactor = 2;   // frame delay in tenths of a second
    double speedFactor = 1.0;  // real time is played this much faster
    // The picture box's picture (a picture file image); null or empty while none is set.
    std::shared_ptr<const PictureBytes> watermarkPicture;
    int32_t watermarkWidth = 0;
    int32_t watermarkHeight = 0;
    // Screen rectangles painted over in every frame (gifrec's own recording feedback).
    std::vector<platform::Rect> hidden;
    // Whether gifrec's main window is mapped on the screen, as the window system last said.
    bool mainWindowOnScreen = true;
};

// Shared between the UI thread (writer) and the capture worker (reader). A snapshot is a cheap
// copy: the watermark picture is shared, never changed in place.
class SettingsStore {
  public:
    CaptureSettings Snapshot() const {
        std::lock_guard lock(mutex_);
        return settings_;
    }

    template <class Change>
    void Update(Change&& change) {
        std::lock_guard lock(mutex_);
        change(settings_);
    }

  private:
    mutable std::mutex mutex_;
    CaptureSettings settings_;
};

// A region field's decimal text as an integer; text that is not a whole number gives 0.
int32_t ParseRegionField(std::string_view text);

// trunc(5 - play-speed position): 4 at position 1, 0 at position 5.
int32_t DelayFactorFor(int playSpeedPosition);

}  // namespace app
