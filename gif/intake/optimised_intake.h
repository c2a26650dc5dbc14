// GifMaker's intake in the optimised layout: each reduced frame is compared with what the file
// shows when it arrives, and only what the optimiser makes of it reaches the store. Frames the
// caller placed or marked (offsets, disposal, transparency, or larger than the screen) are
// encoded whole as in the plain layout and shown to the optimiser as they are.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "gif/base/indexed_frame.h"
#include "gif/intake/colour_reduction.h"
#include "gif/intake/screen_palette.h"
#include "gif/optimise/frame_optimiser.h"
#include "gif/store/frame_encoder.h"
#include "gif/store/frame_store.h"

namespace gif {

class OptimisedIntake {
  public:
    // Throws std::bad_alloc.
    OptimisedIntake(uint16_t width, uint16_t height, bool interlace);
    // Screen colours from now on: plain pictures go through AddScreen, at this quality.
    void UseScreenColours(int quality) {
        screen_.emplace(quality);
        optimiser_.UseScreenColours(quality);
    }
    bool ScreenColours() const { return screen_.has_value(); }

    // Takes the frame, then stores every frame that became final. A store failure throws
    // (LibraryError, std::bad_alloc); the frames not stored are kept for the next call.
    // `exactSource`, when given, is the picture of a frame that exact colours could not keep:
    // its changed rectangle alone is reduced again, exactly if it has at most 256 colours.
    void Add(const IndexedImage& image, const FrameSettings& settings, FrameEncoder& encoder,
             FrameStore& store, const PixelView* exactSource = nullptr);
    void StoreReady(FrameStore& store);
    // A picture at the screen's top left, no larger than the screen, with no settings but its
    // delay and comment. What changed is found on its own pixels against the picture before,
    // before any colour is reduced: a pixel that did not change keeps what the file shows.
    void AddScreen(const PixelView& picture, const FrameSettings& settings, FrameStore& store);

  private:
    void AddChangedPart(const PixelView& source, const FrameSettings& settings);
    // The picture's colours into shown_, and the rectangle where they differ from previous_.
    FrameOptimiser::Rect TakePicture(const PixelView& source);

    uint16_t width_, height_;
    bool interlace_;
    FrameOptimiser optimiser_;
    std::vector<uint32_t> shown_;  // the frame's colours, reused
    std::vector<uint8_t> record_;
    IndexedImage part_;               // the changed rectangle, reduced on its own
    std::vector<uint32_t> previous_;  // the last exact-colours picture, for what changed
    uint32_t previousWidth_ = 0;
    std::optional<ScreenPalette> screen_;
};

}  // namespace gif
