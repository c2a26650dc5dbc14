#include "app/core/capture_worker.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include "app/core/effects.h"
#include "app/core/frame_mask.h"
#include "app/core/texts.h"
#include "app/core/watermark.h"

namespace app {
namespace {

constexpr auto kScreenLost = std::chrono::seconds(2);

}  // namespace

CaptureWorker::CaptureWorker(Encoder& encoder, gif::FrameInfo& frameInfo, SettingsStore& settings,
                             Grabber grabber, FrameReport report, Clock& clock)
    : encoder_(encoder),
      frameInfo_(frameInfo),
      settings_(settings),
      grabber_(std::move(grabber)),
      report_(std::move(report)),
      clock_(clock) {}

void CaptureWorker::Start() {
    if (thread_.joinable()) return;
    stopRequested_ = false;
    watermark_ = ChooseWatermark();
    {
        // The played length is the time from here to the stop: the first frame stands for the
        // moments before its grab too (gifrec's own window on its way off the screen).
        std::lock_guard lock(sleepMutex_);
        recordingClock_.Start(clock_.Now());
        clockStarted_ = true;
    }
    if (fixedDelays_) {
        thread_ = std::thread([this] { RunFixed(); });
    } else {
        encodingThread_ = std::thread([this] { RunEncoding(); });
        thread_ = std::thread([this] { RunGrabbing(); });
    }
}

void CaptureWorker::SetPaused(bool paused) {
    {
        std::lock_guard lock(sleepMutex_);
        if (paused == paused_) return;
        paused_ = paused;
        if (clockStarted_) {
            if (paused) {
                recordingClock_.Pause(clock_.Now());
            } else {
                recordingClock_.Resume(clock_.Now());
            }
        }
    }
    wake_.notify_all();
}

bool CaptureWorker::Paused() const {
    std::lock_guard lock(sleepMutex_);
    return paused_;
}

void CaptureWorker::MarkStop() {
    {
        std::lock_guard lock(sleepMutex_);
        if (StopRequested()) return;
        if (clockStarted_) stopAt_ = recordingClock_.Elapsed(clock_.Now());
        stopRequested_.store(true, std::memory_order_release);
    }
    wake_.notify_all();
}

void CaptureWorker::Stop() {
    MarkStop();
    if (thread_.joinable()) thread_.join();
    if (encodingThread_.joinable()) encodingThread_.join();
}

void CaptureWorker::Fail(const std::string& error) {
    if (failureReport_) failureReport_(error);
    {
        std::lock_guard lock(sleepMutex_);
        stopRequested_.store(true, std::memory_order_release);
    }
    wake_.notify_all();
}

bool CaptureWorker::SleepUnlessStopped(std::chrono::milliseconds duration) {
    std::unique_lock lock(sleepMutex_);
    clock_.WaitUntil(lock, wake_, clock_.Now() + duration, [this] { return StopRequested(); });
    return !StopRequested();
}

// False when a stop came while paused.
bool CaptureWorker::WaitWhilePaused() {
    std::unique_lock lock(sleepMutex_);
    wake_.wait(lock, [this] { return !paused_ || StopRequested(); });
    return !StopRequested();
}

// False when a stop came while waiting. Once our window is off the screen, the window manager
// still plays its minimise animation (openbox's lasts about 200 ms).
bool CaptureWorker::WaitForFirstGrab() {
    if (!firstGrabReady_) return true;
    constexpr auto kStep = std::chrono::milliseconds(10);
    constexpr auto kFrameSettle = std::chrono::milliseconds(300);
    for (auto waited = std::chrono::milliseconds(0); waited < firstGrabLimit_; waited += kStep) {
        if (firstGrabReady_())
            return SleepUnlessStopped(std::min(kFrameSettle, firstGrabLimit_ - waited));
        if (!SleepUnlessStopped(kStep)) return false;
    }
    return true;
}

// The picture box's picture, read once per recording; the built-in one when there is none,
// which also fixes the placement size to its own.
std::vector<uint8_t> CaptureWorker::ChooseWatermark() {
    const CaptureSettings settings = settings_.Snapshot();
    if (settings.watermarkPicture && !settings.watermarkPicture->empty()) {
        return *settings.watermarkPicture;
    }
    settings_.Update([](CaptureSettings& s) {
        s.watermarkWidth = kBuiltinWatermarkSide;
        s.watermarkHeight = kBuiltinWatermarkSide;
    });
    return BuiltinWatermark();
}

void CaptureWorker::RunFixed() {
    const std::vector<uint8_t>& watermark = watermark_;
    std::vector<uint8_t> frame;
    if (!WaitForFirstGrab()) return;
    auto lastGrab = std::chrono::steady_clock::now();
    for (uint32_t frameNumber = 1; frameNumber <= kMaxFrameNumber; ++frameNumber) {
        const CaptureSettings settings = settings_.Snapshot();
        const CaptureRegion& region = settings.region;
        frame.clear();
        grabber_(region.left, region.top, region.Width(), region.Height(), frame);
        if (StopRequested()) return;
        HideRects(frame, region, settings.hidden);

        const FrameEffects effects{settings.brightnessPosition, settings.blackWhitePosition,
                                   settings.watermarkOn, settings.watermarkWidth,
                                   settings.watermarkHeight};
        if (HasEffects(effects)) {
            frame = ApplyFrameEffects(std::move(frame), effects, watermark, region.Width(),
                                      region.Height());
        }
        frameInfo_.DelayTime = static_cast<uint16_t>(std::trunc(settings.delayFactor * 10.0));
        if (StopRequested()) return;  // not handed over yet: dropped

        // A frame that could not be grabbed is not the maker's failure; any other is final.
        if (!encoder_.AddFrame(frameInfo_, frame) && !frame.empty() && failureReport_) {
            Fail(encoder_.GetError());
            return;
        }
        // A screen that stays out of reach (a screen cast the desktop ended) ends the recording
        // with what it has, instead of counting frames that are never kept.
        const auto now = std::chrono::steady_clock::now();
        const bool emptyRegion = region.Width() <= 0 || region.Height() <= 0;
        if (!frame.empty() || emptyRegion) {
            lastGrab = now;
        } else if (now - lastGrab >= kScreenLost && failureReport_) {
            Fail(Translated("CaptureWorker", "屏幕已无法录制: 超过两秒没有得到画面"));
            return;
        }

        const int interval = std::max(0, settings.frameIntervalPosition * 50);
        if (!SleepUnlessStopped(std::chrono::milliseconds(interval))) return;
        if (report_) report_(frameNumber, 0);
        if (!WaitWhilePaused()) return;
    }
}

}  // namespace app
