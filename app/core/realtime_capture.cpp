// The real-time capture: the grabbing thread keeps the schedule, the encoding thread times and
// adds the pictures it is handed.
#include <algorithm>

#include "app/core/capture_worker.h"
#include "app/core/effects.h"
#include "app/core/frame_mask.h"
#include "app/core/texts.h"

namespace app {
namespace {

constexpr auto kScreenLost = std::chrono::seconds(2);

std::chrono::milliseconds IntervalOf(const CaptureSettings& settings) {
    return std::chrono::milliseconds(std::max(0, settings.frameIntervalPosition * 50));
}

}  // namespace

// False when a stop came. A pause sends its moment down the queue, waits, and leaves the
// schedule to start again on the resume.
bool CaptureWorker::WaitForNextGrab(Clock::Time deadline) {
    std::unique_lock lock(sleepMutex_);
    clock_.WaitUntil(lock, wake_, deadline, [this] { return StopRequested() || paused_; });
    if (StopRequested()) return false;
    if (!paused_) return true;
    if (clockStarted_)
        queue_.Push({QueuedPicture::Kind::Pause, recordingClock_.Elapsed(clock_.Now()), {}, {}});
    wake_.wait(lock, [this] { return !paused_ || StopRequested(); });
    return !StopRequested();
}

// A screen that stays out of reach (a screen cast the desktop ended) ends the recording with
// what it has.
bool CaptureWorker::ScreenLost(bool grabbed, const CaptureRegion& region, Clock::Time& lastGrab) {
    const auto now = clock_.Now();
    if (grabbed || region.Width() <= 0 || region.Height() <= 0) {
        lastGrab = now;
        return false;
    }
    return now - lastGrab >= kScreenLost;
}

void CaptureWorker::RunGrabbing() {
    if (WaitForFirstGrab()) {
        Clock::Time next = clock_.Now();
        Clock::Time lastGrab = next;
        while (WaitForNextGrab(next)) {
            QueuedPicture picture;
            picture.settings = settings_.Snapshot();
            const CaptureRegion& region = picture.settings.region;
            const Clock::Time started = clock_.Now();
            {
                std::lock_guard lock(sleepMutex_);
                picture.at = recordingClock_.Elapsed(started);
            }
            picture.bytes = queue_.TakeBuffer();
            grabber_(region.left, region.top, region.Width(), region.Height(), picture.bytes);
            if (StopRequested()) break;  // it may show the window coming back
            const bool grabbed = !picture.bytes.empty();
            if (ScreenLost(grabbed, region, lastGrab)) {
                Fail(Translated("CaptureWorker", "屏幕已无法录制: 超过两秒没有得到画面"));
                break;
            }
            if (grabbed) {
                HideRects(picture.bytes, region, picture.settings.hidden);
                queue_.Push(std::move(picture));
            } else {
                queue_.Recycle(std::move(picture.bytes));
            }
            // The interval runs from one grab's start to the next; a late grab starts at once.
            next = std::max(started + IntervalOf(settings_.Snapshot()), clock_.Now());
        }
    }
    std::optional<RecordingTime> end;
    {
        // Without a stop's moment (the screen was lost) the last frame lasts until now.
        std::lock_guard lock(sleepMutex_);
        end = stopAt_;
        if (!end && clockStarted_) end = recordingClock_.Elapsed(clock_.Now());
    }
    if (end) queue_.Push({QueuedPicture::Kind::End, *end, {}, {}});
    queue_.Close();
}

void CaptureWorker::RunEncoding() {
    FrameTimeline<QueuedPicture> timeline;
    FrameRateMeter meter;
    std::vector<FrameTimeline<QueuedPicture>::Timed> settled;
    uint32_t frameNumber = 0;
    bool failed = false;
    // A pause or the end carries no settings: the last picture's speed runs on until it.
    double speed = settings_.Snapshot().speedFactor;
    while (std::optional<QueuedPicture> item = queue_.Pop()) {
        if (failed) continue;  // emptied, so that the grabbing thread never waits on it
        switch (item->kind) {
            case QueuedPicture::Kind::Picture: {
                const RecordingTime at = item->at;
                speed = item->settings.speedFactor;
                timeline.Add(std::move(*item), at, speed, settled);
                break;
            }
            case QueuedPicture::Kind::Pause:
            case QueuedPicture::Kind::End:
                timeline.CloseAt(item->at, speed, settled);
                break;
        }
        for (auto& frame : settled) {
            if (failed) break;
            failed = !AddTimed(frame.picture, frame.delay, meter);
            if (!failed && frameNumber < kMaxFrameNumber) ++frameNumber;
            if (!failed && report_) report_(frameNumber, meter.Rate());
            queue_.Recycle(std::move(frame.picture.bytes));
        }
        settled.clear();
    }
}

// False when the encoder failed for good; the recording then stops.
bool CaptureWorker::AddTimed(QueuedPicture& picture, uint16_t delay, FrameRateMeter& meter) {
    const CaptureSettings& settings = picture.settings;
    const CaptureRegion& region = settings.region;
    const FrameEffects effects{settings.brightnessPosition, settings.blackWhitePosition,
                               settings.watermarkOn, settings.watermarkWidth,
                               settings.watermarkHeight};
    if (HasEffects(effects)) {
        picture.bytes = ApplyFrameEffects(std::move(picture.bytes), effects, watermark_,
                                          region.Width(), region.Height());
    }
    frameInfo_.DelayTime = delay;
    if (!encoder_.AddFrame(frameInfo_, picture.bytes) && !picture.bytes.empty()) {
        Fail(encoder_.GetError());
        return false;
    }
    meter.Add(picture.at);
    return true;
}

}  // namespace app
