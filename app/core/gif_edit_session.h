// The preview's editing: marks on a recording's frames (a start, an end, deleted ranges, a
// speed) with their undo, the pictures a viewer sees at each frame, read from the file a frame
// at a time, and the save that puts the edited GIF in the recording's place.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "gif/gif_edit.h"
#include "gif/gif_stream.h"

namespace app {

class GifEditSession {
  public:
    // Opens the GIF and indexes its first frame; false with the reason in `error`.
    bool Open(const std::string& path, std::string& error);
    // Indexes up to `frames` more; true once every frame is known. Throws gif::LibraryError.
    bool IndexMore(uint32_t frames);
    bool Indexed() const { return stream_ && stream_->Indexed(); }
    uint32_t FrameCount() const { return stream_ ? stream_->FrameCount() : 0; }
    uint16_t Width() const { return stream_ ? stream_->Width() : 0; }
    uint16_t Height() const { return stream_ ? stream_->Height() : 0; }

    // What a viewer sees while `frame` is on (0xRRGGBB, kUnset where nothing is shown).
    // Throws gif::LibraryError.
    const std::vector<uint32_t>& Picture(uint32_t frame);
    // The frame's delay at the chosen speed, in hundredths (browsers' 10 for 0 and 1).
    uint32_t ShownDelay(uint32_t frame) const;
    // Hundredths from the start to `frame` over the kept frames, and the kept total, as the
    // saved file will time them.
    uint32_t TimeBefore(uint32_t frame) const;
    uint32_t KeptTime() const { return TimeBefore(FrameCount()); }

    // Edits; each can be undone. A change that would keep no frame is refused (false).
    bool SetStart(uint32_t frame);
    bool SetEnd(uint32_t frame);
    bool Delete(uint32_t first, uint32_t last);
    bool SetSpeed(double speed);
    bool Undo();
    bool CanUndo() const { return !undo_.empty(); }
    bool Edited() const;

    bool Kept(uint32_t frame) const;
    uint32_t Start() const { return state_.start; }
    uint32_t End() const { return state_.end; }
    double Speed() const { return state_.speed; }
    // The next kept frame after / before `frame`, or `frame` when there is none.
    uint32_t NextKept(uint32_t frame) const;
    uint32_t PreviousKept(uint32_t frame) const;
    gif::EditPlan Plan() const;

  private:
    struct State {
        uint32_t start = 0, end = 0;
        std::vector<gif::FrameRange> deleted;
        double speed = 1.0;
    };
    bool Apply(const State& next);
    bool KeptIn(const State& state, uint32_t frame) const;

    std::unique_ptr<gif::GifStream> stream_;
    std::unique_ptr<gif::StreamPlayer> player_;
    State state_;
    std::vector<State> undo_;
};

// A library failure in the interface's language.
std::string ErrorTextOf(const gif::LibraryError& error);

// How a save of an edit ended.
struct EditSaveResult {
    enum class Outcome { Saved, WriteFailed, OriginalStuck, ReplaceFailed } outcome;
    std::string detail;                // the reason, for the failures
    bool trashed = false;              // the original is in the trash
    std::filesystem::path keptBeside;  // else where it was kept: NAME-原始.gif
};

// Writes `plan` of the GIF at `path` beside it, then moves the original to the trash (or, with
// no trash, to NAME-原始.gif) and puts the edit in its place. Any failure leaves the original
// at `path`. Runs on any thread.
EditSaveResult SaveEditedGif(const std::filesystem::path& path, const gif::EditPlan& plan,
                             const gif::MakerOptions& options, const gif::SaveProgress& progress);

}  // namespace app
