// GifMaker: collects pictures as 256-colour frames and saves them as one animated GIF89a file.
// Each frame is reduced and encoded as it is added, and kept encoded in a frame store (memory up
// to a budget, then a file), so saving writes headers and copies.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "gif/base/indexed_frame.h"
#include "gif/base/library_error.h"
#include "gif/base/records.h"
#include "gif/file/gif_writer.h"
#include "gif/intake/optimised_intake.h"
#include "gif/io/byte_sink.h"
#include "gif/store/frame_encoder.h"
#include "gif/store/frame_record.h"
#include "gif/store/frame_store.h"

namespace gif {

// Choices of the C++ interface beyond the settings records.
struct MakerOptions {
    // Every frame after the first holds only what changed, painted over what is shown (the
    // file shows the same pictures; frames the caller placed or marked are written as given).
    bool optimise = false;
    // Frames of at most 256 colours keep them exactly; beyond, bucket means. A frame's Dither
    // flag still chooses the ordered dither.
    bool exactColours = false;
    // Screen colours (implies optimise): what changed is found on the pictures' own pixels
    // before any colour is reduced, so a pixel that did not change keeps what the file shows;
    // the first picture's palette stays as the global table. Frames the caller placed or
    // marked, and frames with the Dither flag, are reduced as with exact colours.
    bool screenColours = false;
    // 1 ... 100. At 100 nothing is lost beyond the reduction to a palette; below, colours may
    // move further to a table entry, and photo-like areas may be written with nearby colours
    // where that compresses better.
    int quality = 100;
    // Pictures are first scaled down by area averaging to this width, or else to this percent
    // of their size; 0 and 100 keep them as they are.
    uint16_t scaleWidth = 0;
    uint32_t scalePercent = 100;
};

class GifMaker {
  public:
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

    // Adds a picture given as pixels (rows bottom-up, as PixelView reads them), as AddFrame
    // would the same picture in a file.
    bool AddPicture(const FrameInfo& info, const PixelView& picture);

    // Writes every stored frame as a GIF89a file. The file appears complete or not at all: the
    // bytes go to a new file beside `gifPath` that replaces it only once everything is written.
    // Paths that are not regular files (a FIFO, /dev/null) are written directly.
    bool SaveGif(std::string_view gifPath);
    // The same bytes into any sink.
    bool SaveGif(ByteSink& sink);

    // The last failure's description; empty after a successful AddFrame or SaveGif.
    const std::string& GetError() const { return lastError_.Text(); }
    // The same failure as a code, and its text in either language.
    ErrorCode GetErrorCode() const { return lastError_.Code(); }
    std::string GetErrorText(Language language) const { return lastError_.TextIn(language); }

    // Where the frames are kept from now on; the frames it holds already become the maker's
    // (the first one sets a logical size left at 0). Null goes back to the default store.
    void SetFrameStore(std::unique_ptr<FrameStore> store);
    // Apply to frames added from now on; the layout is fixed by an animation's first frame.
    void SetOptions(const MakerOptions& options) { options_ = options; }
    const MakerOptions& Options() const { return options_; }

    // Told the progress of every save from now on (on the saving thread).
    void SetSaveProgress(SaveProgress progress) { progress_ = std::move(progress); }

    // What is stored, for callers that inspect it.
    size_t FrameCount() const { return store_ ? store_->Count() : 0; }
    // The bytes of the stored frames: about what the file will take.
    uint64_t StoredBytes() const { return store_ ? store_->Bytes() : 0; }
    // Frame `index`'s settings and colour table as stored, or nothing when it cannot be read.
    std::optional<FrameView> StoredFrameAt(size_t index, std::vector<uint8_t>& scratch) const;
    // Frame `index` decoded back into settings and indices. Throws LibraryError when the store
    // cannot give it and std::bad_alloc.
    StoredFrame DecodeFrame(size_t index) const;
    uint16_t LogicalWidth() const { return logicalWidth_; }
    uint16_t LogicalHeight() const { return logicalHeight_; }
    bool Loop() const { return loop_; }
    uint16_t LoopCount() const { return loopCount_; }
    const std::string& Comment() const { return comment_; }
    bool Interlace() const { return interlace_; }

  private:
    FrameStore& Store();
    bool Optimising() const;
    // The work of AddFrame once the picture is in pixels; `releaseSource` gives up the memory
    // behind `source` once it is no longer read. Throws LibraryError.
    bool AddPixels(const FrameInfo& info, PixelView source,
                   const std::function<void()>& releaseSource);
    bool NeedsScaling(const PixelView& picture) const;
    // A picture that screen colours take as it is: plain, at the top left, inside the screen.
    bool IsScreenFrame(const FrameInfo& info, const PixelView& picture) const;
    void TakeLogicalSize(uint16_t width, uint16_t height);

    std::unique_ptr<FrameStore> store_;  // made on first use
    MakerOptions options_;
    std::unique_ptr<OptimisedIntake> optimised_;  // while an animation is optimised
    FrameEncoder encoder_;
    bitmap::Image24 decoded_;      // a decoded picture file, reused
    bitmap::Image24 scaled_;       // a scaled picture, reused
    IndexedImage indexed_;         // reused from frame to frame
    std::vector<uint8_t> record_;  // likewise
    SaveProgress progress_;
    LastError lastError_;
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
