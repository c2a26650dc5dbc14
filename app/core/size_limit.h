// A saved recording larger than the size limit is made again, from the GIF just saved, until it
// fits: lower quality first, then fewer frames a second, then a smaller picture.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "gif/gif_maker.h"

namespace app {

struct SizeLimitOutcome {
    bool ok = true;        // false: the GIF could not be read or written again (error says why)
    bool changed = false;  // the file was made again
    bool fits = true;      // false: even the smallest try is over the limit (it is kept)
    uint64_t bytes = 0;
    std::string traded;  // what was given up, in the interface's language
    std::string error;
};

// Makes the GIF at `path` fit in `limit` bytes where it does not. `progress` gets a percentage.
SizeLimitOutcome FitSavedGif(const std::string& path, uint64_t limit,
                             const gif::MakerOptions& options,
                             const std::function<void(int percent)>& progress);

}  // namespace app
