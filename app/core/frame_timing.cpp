#include "app/core/frame_timing.h"

#include <algorithm>
#include <array>

namespace app {

double SpeedFactorFor(int playSpeedPosition) {
    static constexpr std::array<double, 5> kFactors{0.5, 0.75, 1.0, 1.5, 2.0};
    return kFactors[std::clamp(playSpeedPosition, 1, 5) - 1];
}

void RecordingClock::Start(Time now) {
    start_ = now;
    paused_ = {};
    pausedAt_.reset();
}

void RecordingClock::Pause(Time now) {
    if (!pausedAt_) pausedAt_ = now;
}

void RecordingClock::Resume(Time now) {
    if (!pausedAt_) return;
    paused_ += now - *pausedAt_;
    pausedAt_.reset();
}

RecordingTime RecordingClock::Elapsed(Time now) const {
    const Time until = pausedAt_ ? *pausedAt_ : now;
    return std::chrono::duration_cast<RecordingTime>(until - start_ - paused_);
}

void FrameRateMeter::Add(RecordingTime at) {
    times_.push_back(at);
    while (times_.size() > 2 && at - times_.front() > std::chrono::seconds(2)) times_.pop_front();
}

double FrameRateMeter::Rate() const {
    if (times_.size() < 2) return 0;
    const double seconds = std::chrono::duration<double>(times_.back() - times_.front()).count();
    return seconds > 0 ? double(times_.size() - 1) / seconds : 0;
}

}  // namespace app
