// Real-time frame delays: each frame lasts, in hundredths of a second, until the next one was
// grabbed, scaled by the play speed, with the rounding carried so that the played length stays
// within a hundredth of the recorded one.
#pragma once

#include <chrono>
#include <cmath>
#include <cstdint>
#include <deque>
#include <optional>
#include <utility>
#include <vector>

namespace app {

using RecordingTime = std::chrono::microseconds;  // since the start, pauses left out

// Browsers show shorter delays as 10 hundredths; a frame that would need one is merged.
inline constexpr int kMinFrameDelay = 2;
inline constexpr int kMaxFrameDelay = 65535;

// The play-speed slider's positions 1..5 as factors of real time: 0.5, 0.75, 1, 1.5, 2.
double SpeedFactorFor(int playSpeedPosition);

// Wall time with the paused stretches taken out. Times are passed in, so that it is plain
// arithmetic.
class RecordingClock {
  public:
    using Time = std::chrono::steady_clock::time_point;

    void Start(Time now);
    void Pause(Time now);
    void Resume(Time now);
    bool Paused() const { return pausedAt_.has_value(); }
    // Frozen at the pause's moment while paused.
    RecordingTime Elapsed(Time now) const;

  private:
    Time start_{};
    std::chrono::steady_clock::duration paused_{};
    std::optional<Time> pausedAt_;
};

// Turns pictures with their grab times into pictures with delays. A frame's delay is known when
// the next one comes, and one more is held back so that a last frame too short to show can be
// added to the one before it.
template <class Picture>
class FrameTimeline {
  public:
    struct Timed {
        Picture picture;
        uint16_t delay;  // hundredths of a second
    };

    // A picture grabbed at `at` (from the start of the recording, which the first frame's
    // delay counts from); `speed` scales the time since the last one. Frames whose delay is now
    // settled are appended to `out`.
    void Add(Picture picture, RecordingTime at, double speed, std::vector<Timed>& out) {
        if (!pending_) {
            // It lasts from the start, or from the pause before it: no gap either way.
            pending_.emplace(std::move(picture));
            return;
        }
        const int delay = Advance(at, speed);
        if (delay < kMinFrameDelay) return;  // merged: the earlier picture is shown longer
        Settle(delay, out);
        pending_.emplace(std::move(picture));
    }

    // A pause or the end at `at`: every frame held goes out, the last one lasting until `at`.
    // After a pause the next picture follows on without a gap.
    void CloseAt(RecordingTime at, double speed, std::vector<Timed>& out) {
        if (pending_) {
            int delay = Advance(at, speed);
            if (delay < kMinFrameDelay && ready_) {
                ready_->delay = static_cast<uint16_t>(ready_->delay + delay);
                emitted_ += delay;
                pending_.reset();
            } else {
                // A lone frame still shows; the carry takes the extra back from the next one.
                Settle(std::max(delay, kMinFrameDelay), out);
            }
        }
        if (ready_) out.push_back(std::move(*std::exchange(ready_, std::nullopt)));
        last_ = std::max(last_, at);
    }

    // The total of the delays handed out and held, in hundredths.
    int64_t Emitted() const { return emitted_; }

  private:
    // The delay the pending frame would get if it ended at `at`.
    int Advance(RecordingTime at, double speed) {
        const double hundredths =
            std::chrono::duration<double, std::centi>(std::max(at - last_, RecordingTime{}))
                .count();
        scaled_ += hundredths / (speed > 0 ? speed : 1.0);
        last_ = std::max(last_, at);
        const int64_t due = std::llround(scaled_) - emitted_;
        return static_cast<int>(std::min<int64_t>(due, kMaxFrameDelay));
    }

    void Settle(int delay, std::vector<Timed>& out) {
        if (ready_) out.push_back(std::move(*ready_));
        ready_.emplace(Timed{std::move(*pending_), static_cast<uint16_t>(delay)});
        pending_.reset();
        emitted_ += delay;
    }

    std::optional<Picture> pending_;  // delay not known yet
    std::optional<Timed> ready_;      // delay known; may still take the last frame's
    RecordingTime last_{};
    double scaled_ = 0;  // exact played time up to `last_`, in hundredths
    int64_t emitted_ = 0;
};

// Frames kept per second over the last two seconds of recording.
class FrameRateMeter {
  public:
    void Add(RecordingTime at);
    double Rate() const;

  private:
    std::deque<RecordingTime> times_;
};

}  // namespace app
