// GifMaker: collects pictures as 256-colour frames and saves them as one animated GIF89a file.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "gif/byte_sink.h"
#include "gif/frame_memory.h"
#include "gif/records.h"

namespace gif {

// One frame reduced to 8 bits per pixel, laid out like an 8-bit DIB: a 256-entry colour table
// and bottom-up rows padded to a multiple of 4 bytes.
struct IndexedImage {
    uint16_t width = 0;
    uint16_t height = 0;
    std::array<uint8_t, 1024> colourTable{};  // per entry blue, green, red, 0
    FrameRows rows;                           // Stride() * height bytes, bottom row first

    static constexpr size_t StrideFor(uint32_t width) { return (size_t{width} + 3) & ~size_t{3}; }
    size_t Stride() const { return StrideFor(width); }
    // Row y counted from the top of the picture.
    const uint8_t* TopRow(uint32_t y) const { return rows.get() + Stride() * (height - 1u - y); }
};

// The per-frame settings that are kept (FrameInfo minus what the picture decides).
struct FrameSettings {
    uint16_t delay = 0;  // hundredths of a second
    uint16_t left = 0;
    uint16_t top = 0;
    uint8_t disposal = 0;  // stored unchanged; the file gets its low 3 bits
    bool transparency = false;
    std::string comment;  // at most kMaxCommentBytes bytes, counted as GBK counts them
};

struct StoredFrame {
    FrameSettings settings;
    IndexedImage image;
};

// Comments are cut to this many bytes (ASCII counts 1, any other character 2, as in GBK).
inline constexpr size_t kMaxCommentBytes = 255;

class GifMaker {
  public:
    GifMaker();

    // Starts a new animation with these settings: discards every stored frame first.
    // Always true unless memory runs out.
    bool Create(const AnimationInfo& info);
    // Discards every frame and returns the settings to their defaults; keeps the interlace
    // setting and the last-error text.
    void Reset();

    // Adds one picture as the next frame. A given `picturePath` is read (and `pictureData`
    // ignored, even if the file cannot be read); otherwise `pictureData` holds the bytes of
    // a picture file (BMP, PNG, JPEG or GIF). An empty path or empty data still counts as given.
    bool AddFrame(const FrameInfo& info, std::optional<std::string_view> picturePath,
                  std::optional<std::span<const uint8_t>> pictureData);

    // Writes every stored frame as a GIF89a file. The file appears complete or not at all: the
    // bytes go to a new file beside `gifPath` that replaces it only once everything is written.
    // Paths that are not regular files (a FIFO, /dev/null) are written directly.
    bool SaveGif(std::string_view gifPath);
    // The same bytes into any sink.
    bool SaveGif(ByteSink& sink);

    // The last failure's description; empty after a successful AddFrame or SaveGif.
    const std::string& GetError() const { return lastError_; }

    // What is stored, for callers that inspect it.
    size_t FrameCount() const { return frames_.size(); }
    const StoredFrame& Frame(size_t index) const { return frames_[index]; }
    uint16_t LogicalWidth() const { return logicalWidth_; }
    uint16_t LogicalHeight() const { return logicalHeight_; }
    bool Loop() const { return loop_; }
    uint16_t LoopCount() const { return loopCount_; }
    const std::string& Comment() const { return comment_; }
    bool Interlace() const { return interlace_; }

  private:
    void SetError(std::string_view text) noexcept;

    std::vector<StoredFrame> frames_;
    std::string lastError_;
    uint16_t logicalWidth_ = 0;
    uint16_t logicalHeight_ = 0;
    bool loop_ = true;
    uint16_t loopCount_ = 0;
    std::string comment_;
    bool interlace_ = false;
};

// Object-slot forms of the lifecycle: a slot is empty while no maker exists.
// Create makes a maker in an empty slot, or starts a new animation on the one there.
bool Create(std::unique_ptr<GifMaker>& slot, const AnimationInfo& info);
// Destroys the maker, if any; harmless on an empty slot.
void Clear(std::unique_ptr<GifMaker>& slot);

}  // namespace gif
