// Rewriting any GIF in the optimised layout: it is played as a viewer shows it and the pictures
// go through the frame optimiser, so every picture and its time on screen stay the same.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "gif/base/library_error.h"

namespace gif {

enum class OptimiseResult {
    Ok,
    NotRepresentable,  // a picture only a frame disposal could show (something shown vanishes)
    Failed,            // not a readable GIF, or out of memory
};

struct OptimiseOptions {
    // Drop the comments, plain text and application extensions (other than looping), which are
    // otherwise kept byte for byte where they stood.
    bool strip = false;
};

// `out` gets the new file; `error` the reason for anything but Ok. The background index is
// remapped so that it names the same colour (or, as before, none).
OptimiseResult OptimiseGif(std::span<const uint8_t> in, std::vector<uint8_t>& out,
                           LibraryError& error, const OptimiseOptions& options = {});

}  // namespace gif
