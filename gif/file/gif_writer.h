// The GIF89a file layout of a maker's animation, written from its encoded frames.
#pragma once

#include <cstddef>
#include <functional>
#include <span>
#include <string_view>

#include "gif/base/indexed_frame.h"
#include "gif/file/kept_extensions.h"
#include "gif/io/byte_sink.h"
#include "gif/store/frame_store.h"

namespace gif {

struct AnimationHead {
    uint16_t width = 0;  // logical screen
    uint16_t height = 0;
    bool loop = true;
    uint16_t loopCount = 0;
    std::string_view comment;  // cut to kMaxCommentBytes when written
    uint8_t background = 0;    // background colour index
    // Written as they are before the frame record they name (for two or more frames, before
    // or after its control extension); in file order. Those naming a record that lengthens the
    // one before it, or no record, go before the next frame written, or at the end.
    std::span<const RawExtension> extensions;
};

// Called after each frame with the number of frames written and the number of all frames.
using SaveProgress = std::function<void(size_t written, size_t total)>;

// Writes the whole file to `sink` from the frames in `store` (at least one): the global colour
// table is the first frame's, two or more frames each get a control extension and the table
// their record marks as local, a single frame is written bare unless its table is marked as
// not its own (the optimised layout). Throws LibraryError when the sink or the store fails
// and std::bad_alloc when a buffer cannot be had.
void WriteGif(const AnimationHead& head, const FrameStore& store, ByteSink& sink,
              const SaveProgress& progress = {});

// Indexed frames, encoded on the way.
struct AnimationToWrite : AnimationHead {
    bool interlace = false;
    std::span<const StoredFrame> frames;  // at least one
};

void WriteGif(const AnimationToWrite& animation, ByteSink& sink);

}  // namespace gif
