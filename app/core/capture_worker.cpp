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
                             Grabber grabber, FrameReport report)
    : encoder_(encoder),
      frameInfo_(frameInfo),
      settings_(settings),
      grabber_(std::move(grabber)),
      report_(std::move(report)) {}

void CaptureWorker::Start() {
    if (thread_.joinable()) return;
    stopRequested_ = false;
    thread_ = std::thread([this] { Run(); });
}

void CaptureWorker::Stop() {
    {
        std::lock_guard lock(sleepMutex_);
        stopRequested_.store(true, std::memory_order_release);
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
}

bool CaptureWorker::SleepUnlessStopped(std::chrono::milliseconds duration) {
    std::unique_lock lock(sleepMutex_);
    return !wake_.wait_for(lock, duration, [this] { return StopRequested(); });
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

void CaptureWorker::Run() {
    const std::vector<uint8_t> watermark = ChooseWatermark();
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
            failureReport_(encoder_.GetError());
            return;
        }
        // A screen that stays out of reach (a screen cast the desktop ended) ends the recording
        // with what it has, instead of counting frames that are never kept.
        const auto now = std::chrono::steady_clock::now();
        const bool emptyRegion = region.Width() <= 0 || region.Height() <= 0;
        if (!frame.empty() || emptyRegion) {
            lastGrab = now;
        } else if (now - lastGrab >= kScreenLost && failureReport_) {
            failureReport_(Translated("CaptureWorker", "屏幕已无法录制: 超过两秒没有得到画面"));
            return;
        }

        const int interval = std::max(0, settings.frameIntervalPosition * 50);
        if (!SleepUnlessStopped(std::chrono::milliseconds(interval))) return;
        if (report_) report_(frameNumber);
    }
}

}  // namespace app
