// The maker's fuzz body, shared by the libFuzzer target and the test that replays the seeds:
// AddFrame on arbitrary bytes with both reduction methods, then SaveGif into memory. The last
// byte also picks screen colours, their quality and a scale, so those paths see every picture.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "gif/gif_maker.h"

namespace gif::fuzzing {

// Returns false when an invariant breaks: a result that disagrees with the error text, a
// failed save of stored frames, or a file that does not end in the trailer.
inline bool FuzzMaker(const uint8_t* data, size_t size) {
    std::span<const uint8_t> bytes(data, size);
    GifMaker maker;
    AnimationInfo animation;
    animation.Interlace = size > 0 && (data[size - 1] & 1);
    animation.exposition = "fuzz";
    maker.Create(animation);
    const uint8_t choice = size > 0 ? data[size - 1] : 0;
    if (choice & 2) {
        static constexpr int kQualities[] = {100, 70, 40, 10};
        maker.SetOptions({.optimise = true,
                          .screenColours = true,
                          .quality = kQualities[choice >> 2 & 3],
                          .scalePercent = (choice & 16) ? 50u : 100u});
    }
    FrameInfo frame;
    for (bool dither : {false, true}) {
        frame.Dither = dither;
        bool added = maker.AddFrame(frame, std::nullopt, bytes);
        if (added != maker.GetError().empty()) return false;
        // A few bytes can describe a picture of hundreds of millions of pixels; one of those
        // is enough, a second one and its encoding would exceed the fuzzer's memory and time.
        if (added) {
            std::vector<uint8_t> scratch;
            const std::optional<FrameView> stored =
                maker.StoredFrameAt(maker.FrameCount() - 1, scratch);
            if (!stored) return false;
            if (uint64_t(stored->header.width) * stored->header.height > (uint64_t{1} << 24))
                return true;
        }
    }
    if (maker.FrameCount() == 0) return true;
    MemorySink sink;
    if (!maker.SaveGif(sink)) return false;
    // Header, screen descriptor and global table at least (screen colours write a table of just
    // the colours used), ending in the trailer.
    const size_t least = (choice & 2) ? 13 + 6 : 13 + 768;
    return sink.bytes.size() >= least && sink.bytes.back() == 0x3B;
}

}  // namespace gif::fuzzing
