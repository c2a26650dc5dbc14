// The GIF89a file layout of a maker's animation.
#pragma once

#include <span>
#include <string_view>

#include "gif/byte_sink.h"
#include "gif/gif_maker.h"

namespace gif {

struct AnimationToWrite {
    uint16_t width = 0;  // logical screen
    uint16_t height = 0;
    bool loop = true;
    uint16_t loopCount = 0;
    std::string_view comment;  // cut to kMaxCommentBytes when written
    bool interlace = false;
    std::span<const StoredFrame> frames;  // at least one
};

// Writes the whole file to `sink`. Throws LibraryError when the sink fails and
// std::bad_alloc when the encoder's tables or buffers cannot be had.
void WriteGif(const AnimationToWrite& animation, ByteSink& sink);

}  // namespace gif
