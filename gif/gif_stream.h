// A GIF read from its file a frame at a time, for edits of recordings too large to hold: the
// file is indexed block by block (only positions and frame settings are kept), and frames are
// decoded and composited one after another as a viewer shows them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "gif/lzw/lzw_decoder.h"

namespace gif {

// Logical screens of more pixels than this are not played (the screen is held in memory twice
// over while editing).
inline constexpr uint64_t kMaxScreenPixels = uint64_t{1} << 27;

// Where one frame's blocks lie in the file and how it is shown. Frames are counted as the
// reader counts them: one for every image.
struct FrameSpan {
    uint64_t blocksStart = 0;  // first byte after the image before (its extensions start here)
    uint64_t descriptor = 0;   // the image descriptor's 0x2C byte
    uint64_t end = 0;          // one past the image data's terminator (or the end of the file)
    uint16_t left = 0, top = 0, width = 0, height = 0;
    uint16_t delay = 0;
    uint8_t disposal = 0;  // low three bits of the graphic control's packed byte
    bool transparency = false;
    uint8_t transparentIndex = 0;
    bool userInput = false;
    // Application, comment and plain-text extensions before the image: [start, end) pairs,
    // for copies that carry them.
    std::vector<uint64_t> extensions;
};

class GifStream {
  public:
    GifStream();
    ~GifStream();
    GifStream(const GifStream&) = delete;
    GifStream& operator=(const GifStream&) = delete;

    // Opens the file and reads its header and global colour table. Throws LibraryError.
    void Open(std::string_view path);
    // Indexes frames until `count` are known or the file ends; returns how many are known.
    // Throws LibraryError for a damaged file.
    uint32_t IndexUpTo(uint32_t count);
    uint32_t IndexAll() { return IndexUpTo(UINT32_MAX); }
    bool Indexed() const { return ended_; }

    uint32_t FrameCount() const { return uint32_t(frames_.size()); }
    const FrameSpan& Frame(uint32_t index) const { return frames_[index]; }  // from 0
    uint16_t Width() const { return width_; }
    uint16_t Height() const { return height_; }
    // The 7 bytes of the logical screen descriptor and the global table (red, green, blue).
    const uint8_t* ScreenDescriptor() const { return screen_; }
    const std::vector<uint8_t>& GlobalTable() const { return globalTable_; }
    bool Loops() const { return loops_; }
    uint16_t LoopCount() const { return loopCount_; }

    // `length` bytes from `offset`. Throws LibraryError when the file has fewer.
    void Read(uint64_t offset, size_t length, std::vector<uint8_t>& out) const;

  private:
    int ReadByte();  // -1 at the end of the file
    void Fill();
    void SkipSubBlocks();
    void Skip(uint64_t bytes);
    uint64_t Position() const { return bufferStart_ + bufferAt_; }

    std::string path_;
    int descriptor_ = -1;
    uint64_t size_ = 0;
    std::vector<uint8_t> buffer_;
    uint64_t bufferStart_ = 0;
    size_t bufferAt_ = 0, bufferFill_ = 0;
    uint16_t width_ = 0, height_ = 0;
    uint8_t screen_[7] = {};
    std::vector<uint8_t> globalTable_;
    bool loops_ = false;
    uint16_t loopCount_ = 0;
    bool ended_ = false;
    std::vector<FrameSpan> frames_;
};

// Composites a GifStream's frames as a viewer shows them: nothing shown at first, each frame
// paints its opaque pixels, and its disposal acts before the next (2 clears its area to
// nothing, 3 puts back what it covered).
class StreamPlayer {
  public:
    // Throws LibraryError for a screen above kMaxScreenPixels, and std::bad_alloc.
    explicit StreamPlayer(GifStream& stream);

    // Shows frame `index` (from 0): plays on from the frame shown, or from the start for an
    // earlier one. Throws LibraryError (a damaged frame, or one not indexed).
    void Seek(uint32_t index);
    // Applies the shown frame's disposal now: the screen becomes what the next frame is
    // painted over.
    void Dispose();
    // The frame shown, or -1 before the first.
    int64_t Current() const { return current_; }
    // 0xRRGGBB per pixel, kUnset (frame_optimiser.h) where nothing is shown; rows top first.
    const std::vector<uint32_t>& Screen() const { return screen_; }

  private:
    void Paint(uint32_t index);

    GifStream& stream_;
    std::vector<uint32_t> screen_;
    std::vector<uint32_t> saved_;  // what a frame of disposal 3 covers
    int64_t current_ = -1;
    bool disposed_ = true;
    std::vector<uint8_t> bytes_, codes_;
};

}  // namespace gif
