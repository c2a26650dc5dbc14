// The settings records that carry an animation's and a frame's settings in and out of the
// GIF library, with their defaults.
#pragma once

#include <cstdint>
#include <string>

namespace gif {

// Values of FrameInfo::DisposalMethod, written into the file as the disposal method.
enum DisposalMethod : uint8_t {
    kDisposalNone = 0,        // 没有定义
    kDisposalLeave = 1,       // 离开
    kDisposalBackground = 2,  // 恢复背景
    kDisposalPrevious = 3,    // 恢复前景
};

struct AnimationInfo {
    uint16_t Width = 0;  // logical screen; 0 takes the first frame's size when making
    uint16_t Depth = 0;
    bool LOOP = true;
    uint16_t LoopCount = 0;  // 0 is endless
    uint8_t BgColorIndex = 0;
    std::string exposition;  // comment; at most 255 bytes are written
    uint32_t FrameCount = 0;
    uint16_t ColorNum = 0;  // global colour-table entries, 0 for none
    bool Interlace = false;
};

struct FrameInfo {
    uint16_t DelayTime = 60;  // hundredths of a second
    uint16_t Left = 0;
    uint16_t Top = 0;
    uint8_t DisposalMethod = kDisposalNone;
    bool Transparency = false;
    uint8_t TransparencyIndex = 0;
    uint16_t Width = 0;
    uint16_t Depth = 0;
    std::string exposition;  // at most 255 bytes are kept
    uint16_t ColorNum = 0;   // local colour-table entries, 0 for none
    bool Dither = false;     // ordered dithering instead of the popularity palette
};

}  // namespace gif
