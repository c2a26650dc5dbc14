// GifReader: loads an existing GIF (87a or 89a), reports and patches its settings and colour
// tables, extracts single frames as BMP file images and saves the GIF again. Every change is an
// edit of bytes in place, so a saved file differs from the loaded one only where it was patched.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "gif/base/library_error.h"
#include "gif/base/records.h"
#include "gif/file/frame_to_bmp.h"

namespace gif {

// GIF data larger than this is refused (a file is never read beyond it).
inline constexpr size_t kMaxGifBytes = size_t{1} << 30;

class GifReader {
  public:
    // Loads a GIF from `gifPath`, or from `gifData` when no path is given (an empty path or
    // empty data still counts as given). Failures of the length, signature and version checks
    // of in-memory data, and of opening or measuring a file, keep the GIF loaded before; a file
    // with a bad signature or version leaves nothing loaded; a damaged GIF stays loaded
    // without frames.
    bool LoadGif(std::optional<std::string_view> gifPath,
                 std::optional<std::span<const uint8_t>> gifData);

    const std::string& GetError() const { return lastError_.Text(); }
    // The same failure as a code, and its text in either language.
    ErrorCode GetErrorCode() const { return lastError_.Code(); }
    std::string GetErrorText(Language language) const { return lastError_.TextIn(language); }

    AnimationInfo GetGifInfo();
    bool SetGifInfo(const AnimationInfo& info);

    // Frames count from 1.
    FrameInfo GetFrameInfo(uint32_t frameIndex);
    bool SetFrameInfo(const FrameInfo& info, uint32_t frameIndex);

    // Frame 0 is the global colour table. Colours are red + 256 * green + 65536 * blue;
    // GetPalette gives -1 on failure.
    int32_t GetPalette(uint32_t frameIndex, uint8_t paletteIndex);
    bool SetPalette(uint32_t frameIndex, uint8_t paletteIndex, uint32_t colorValue);

    // Frame 0: the whole GIF with its patches; frame N: that frame as a BMP file image.
    // Empty on failure.
    std::vector<uint8_t> GetGifData(uint32_t frameIndex);

    bool SaveGif(std::string_view gifPath);

    bool Loaded() const { return loaded_; }
    uint32_t FrameCount() const { return static_cast<uint32_t>(frameStarts_.size()); }
    std::span<const uint8_t> Data() const { return data_; }

    // A tighter ceiling for frame extraction, for callers that handle untrusted files with
    // little memory; never above kMaxFrameBmpBytes.
    void SetFrameBmpLimit(uint64_t maxBytes) { frameBmpLimit_ = maxBytes; }

  private:
    // What a walk from a frame's start to its image descriptor met.
    struct FrameWalk {
        std::vector<size_t> controls;      // graphic control extensions (their 0x21 byte)
        std::optional<size_t> comment;     // first sub-block of the last comment met
        std::optional<size_t> descriptor;  // the 0x2C byte
    };

    bool Index();
    // A walk that runs out of memory finds nothing, which the callers report as a damaged frame.
    FrameWalk WalkFrame(size_t start) const noexcept;
    // Checks that a GIF is loaded and the frame number is in range (1 ... count, or 0 ... count
    // when `allowZero`), setting the error text if not; empties the error text if so.
    bool BeginCommand();
    bool CheckFrame(uint32_t frameIndex, bool allowZero);
    // The colour table of frame 0 (global) or of a frame (local), as offset and entry count.
    bool LocateTable(uint32_t frameIndex, size_t& offset, size_t& entries);
    std::optional<size_t> LocateEntry(uint32_t frameIndex, uint8_t paletteIndex);
    bool ReadFile(std::string_view path, std::vector<uint8_t>& bytes);
    void Discard();

    std::vector<uint8_t> data_;
    bool loaded_ = false;
    std::vector<size_t> frameStarts_;
    std::optional<size_t> loopBlock_;  // size byte of the NETSCAPE2.0 identifier block
    std::optional<size_t> comment_;    // first sub-block of the animation comment
    LastError lastError_;
    uint64_t frameBmpLimit_ = kMaxFrameBmpBytes;
};

}  // namespace gif
