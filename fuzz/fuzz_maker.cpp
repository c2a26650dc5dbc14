// AddFrame on arbitrary bytes with both reduction methods, then SaveGif into memory; the GIF
// written must read back with as many images as frames were stored.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "gif/gif_maker.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::span<const uint8_t> bytes(data, size);
    gif::GifMaker maker;
    gif::AnimationInfo animation;
    animation.Interlace = size > 0 && (data[size - 1] & 1);
    animation.exposition = "fuzz";
    maker.Create(animation);
    gif::FrameInfo frame;
    for (bool dither : {false, true}) {
        frame.Dither = dither;
        bool added = maker.AddFrame(frame, std::nullopt, bytes);
        if (added != maker.GetError().empty()) std::abort();
    }
    if (maker.FrameCount() == 0) return 0;
    gif::MemorySink sink;
    if (!maker.SaveGif(sink)) std::abort();
    // Header, screen descriptor and global table at least, ending in the trailer.
    if (sink.bytes.size() < 13 + 768 || sink.bytes.back() != 0x3B) std::abort();
    return 0;
}
