// Plays a loaded GIF as a viewer composites it: the screen starts with nothing shown, each frame
// paints its opaque pixels over it, and its disposal acts before the next frame (2 clears its
// area to nothing, 3 puts back what was there before it).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "gif/base/library_error.h"
#include "gif/gif_reader.h"

namespace gif {

class GifPlayer {
  public:
    // `reader` holds a loaded GIF and outlives the player. Throws std::bad_alloc.
    explicit GifPlayer(GifReader& reader);

    // Composites the next frame. False after the last frame, or when a frame cannot be read
    // (Error() says why).
    bool Next();

    uint16_t Width() const { return width_; }
    uint16_t Height() const { return height_; }
    // The screen while the current frame is on: 0xRRGGBB, or kUnset where nothing is shown;
    // rows top first.
    const std::vector<uint32_t>& Screen() const { return screen_; }
    uint16_t Delay() const { return delay_; }
    const std::string& Comment() const { return comment_; }
    const LastError& Error() const { return error_; }

  private:
    void Dispose();
    bool Paint(uint32_t frameIndex, const FrameInfo& info);

    GifReader& reader_;
    uint16_t width_, height_;
    uint32_t next_ = 1;
    std::vector<uint32_t> screen_;
    std::vector<uint32_t> saved_;  // what a frame of disposal 3 covers
    FrameInfo last_;
    bool haveLast_ = false;
    uint16_t delay_ = 0;
    std::string comment_;
    LastError error_;
};

}  // namespace gif
