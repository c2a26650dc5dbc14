// Trimming, cutting and retiming a GIF as a stream: frames are read from the file one at a
// time, only the frame at each edit point is encoded again (as the picture the viewer saw
// there, or what changed against what the new file shows), and every other kept frame is
// copied as it is, with its new delay. Memory stays that of two screens whatever the length.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "gif/base/library_error.h"
#include "gif/file/gif_writer.h"
#include "gif/gif_maker.h"
#include "gif/gif_stream.h"
#include "gif/io/byte_sink.h"

namespace gif {

// Frames from `first` to `last`, both kept, counted from 0.
struct FrameRange {
    uint32_t first = 0, last = 0;
};

// What an edit keeps: ranges in ascending order that do not overlap, and a speed by which
// every kept delay is divided.
struct EditPlan {
    std::vector<FrameRange> kept;
    double speed = 1.0;
};

// Delays divided by a speed: each is rounded with the remainder carried on to the next, so the
// total time stays true, and none is shorter than kMinScaledDelay. Delays under that are
// taken as the 10 hundredths that browsers show them for.
inline constexpr uint16_t kMinScaledDelay = 2;
class DelayScaler {
  public:
    explicit DelayScaler(double speed) : speed_(speed) {}
    uint16_t Next(uint16_t delay);

  private:
    double speed_;
    double carry_ = 0;
};

// The plans of the three edits of a GIF of `frameCount` frames; nothing when the range lies
// outside the frames, runs backwards, or (for a cut) leaves no frame.
std::optional<EditPlan> TrimPlan(uint32_t frameCount, uint32_t first, uint32_t last);
std::optional<EditPlan> CutPlan(uint32_t frameCount, uint32_t first, uint32_t last);
EditPlan SpeedPlan(uint32_t frameCount, double speed);
// Whether `plan` keeps at least one frame, in order, inside `frameCount` frames, at a speed
// above 0.
bool PlanFits(const EditPlan& plan, uint32_t frameCount);

// Writes the indexed `stream` edited by `plan` (which must fit it) into `sink`, encoding edit
// points with `options` (their layout choice is ignored, a frame at an edit point being one
// rectangle, and colours are kept exactly where at most 256 are shown). Progress counts the kept
// frames. Throws LibraryError and std::bad_alloc.
void WriteEdited(GifStream& stream, const EditPlan& plan, const MakerOptions& options,
                 ByteSink& sink, const SaveProgress& progress = {});

// The GIF at `in` edited into `out` through the file sink, so that `out` may be `in` itself and
// a failure leaves it as it was. False with the reason in `error`.
bool EditGifFile(std::string_view in, std::string_view out, const EditPlan& plan,
                 const MakerOptions& options, LibraryError& error,
                 const SaveProgress& progress = {});

}  // namespace gif
