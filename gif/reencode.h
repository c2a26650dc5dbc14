// Making a GIF again from what another GIF shows: at another quality, another scale, or fewer
// frames a second; and making it small enough to post, trading quality, then frame rate, then
// size until it fits.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "gif/base/library_error.h"
#include "gif/gif_maker.h"

namespace gif {

struct ReencodeOptions {
    MakerOptions maker;  // screenColours is what a re-encoding is for
    // Every n-th picture is kept; the ones between add their time to the one before them.
    uint32_t frameStep = 1;
};

// Told the pictures done and the pictures in all, now and then.
using ReencodeProgress = std::function<void(uint32_t done, uint32_t total)>;

// Plays `in` as a viewer shows it and makes `out` from its pictures and their times.
// False with `error` set when `in` is no readable GIF or memory runs out.
bool ReencodeGif(std::span<const uint8_t> in, const ReencodeOptions& options,
                 std::vector<uint8_t>& out, LibraryError& error,
                 const ReencodeProgress& progress = {});

// What a fitting re-encoding traded.
struct SizeFit {
    bool fits = false;     // false: even the smallest try is over the limit
    bool changed = false;  // false: `in` fitted as it was and `out` is a copy
    int quality = 100;
    uint32_t frameStep = 1;  // 2: half the frames a second
    uint32_t scalePercent = 100;
    uint64_t bytes = 0;
};

// A GIF no larger than `limit` bytes: `in` itself when it fits, otherwise re-encodings with
// lower quality (down to a floor), then fewer frames a second, then a smaller size, the first
// that fits. When none does, `out` is the smallest made and `fit.fits` says so.
bool FitGifToSize(std::span<const uint8_t> in, const MakerOptions& base, uint64_t limit,
                  std::vector<uint8_t>& out, SizeFit& fit, LibraryError& error,
                  const ReencodeProgress& progress = {});

// "quality 70, 1/2 of the frames, 75% size": what a fit traded.
std::string DescribeFit(const SizeFit& fit, Language language);

}  // namespace gif
