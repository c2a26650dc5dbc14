// One fuzz input through the whole GifReader: load, every query, every patch, every frame.
// Shared by the libFuzzer target and the regression test that replays found inputs.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <span>
#include <vector>

#include "gif/gif_reader.h"

namespace gif::fuzzing {

// Properties that must hold whatever the input; a violation aborts, so the fuzzer reports it.
inline void Require(bool condition) {
    if (!condition) std::abort();
}

inline void FuzzReader(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> input(data, size);
    GifReader reader;
    // Large frames are legal but slow to fill; the ceiling keeps the fuzzer fast.
    reader.SetFrameBmpLimit(uint64_t{1} << 20);
    const bool indexed = reader.LoadGif(std::nullopt, input);
    if (!reader.Loaded()) {
        Require(!indexed);
        return;
    }
    Require(reader.Data().size() == size);

    const AnimationInfo animation = reader.GetGifInfo();
    Require(animation.FrameCount == reader.FrameCount());
    // Frames beyond a few hundred add time, not coverage.
    const uint32_t frames = std::min<uint32_t>(reader.FrameCount(), 300);
    for (uint32_t frame = 0; frame <= frames + 1; ++frame) {
        const FrameInfo info = reader.GetFrameInfo(frame);
        for (int index : {0, 1, 3, 255}) reader.GetPalette(frame, uint8_t(index));
        const std::vector<uint8_t> bmp = reader.GetGifData(frame);
        if (frame == 0) Require(bmp.size() == size);
        if (frame >= 1 && !bmp.empty()) {
            Require(bmp.size() >= 54 && bmp[0] == 'B' && bmp[1] == 'M');
            Require(bmp[18] == (info.Width & 0xFF) && bmp[22] == (info.Depth & 0xFF));
        }
    }

    // Patches: byte edits in place, so the structure and the frames found stay the same.
    AnimationInfo changed = animation;
    changed.Width = uint16_t(animation.Width ^ 0x5A5A);
    changed.LoopCount = uint16_t(animation.LoopCount + 1);
    changed.BgColorIndex = uint8_t(animation.BgColorIndex + 7);
    reader.SetGifInfo(changed);
    for (uint32_t frame = 0; frame <= frames + 1; ++frame) {
        FrameInfo info = reader.GetFrameInfo(frame);
        info.DelayTime = uint16_t(info.DelayTime + 3);
        info.DisposalMethod = uint8_t(frame);
        info.Transparency = !info.Transparency;
        info.Left = uint16_t(info.Left + 1);
        info.Top = uint16_t(~info.Top);
        reader.SetFrameInfo(info, frame);
        reader.SetPalette(frame, uint8_t(frame * 5), 0x2C2C2C);
        reader.SetPalette(frame, 0, 0x212121);
    }
    const std::vector<uint8_t> patched = reader.GetGifData(0);
    Require(patched.size() == size);

    GifReader again;
    const bool reindexed = again.LoadGif(std::nullopt, std::span<const uint8_t>(patched));
    Require(reindexed == indexed);
    Require(again.FrameCount() == reader.FrameCount());
    for (uint32_t frame = 1; frame <= std::min<uint32_t>(frames, 8); ++frame) {
        again.SetFrameBmpLimit(uint64_t{1} << 20);
        again.GetGifData(frame);
    }
}

}  // namespace gif::fuzzing
