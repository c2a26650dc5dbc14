// The threads that capture one recording. In real time, one grabs on a steady schedule and hands
// the pictures through a small queue to the other, which applies the effects, times and adds
// them; with fixed delays, one thread grabs, adds and then sleeps the interval, as it always did.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/core/clock.h"
#include "app/core/encoder.h"
#include "app/core/frame_timing.h"
#include "app/core/picture_queue.h"
#include "app/core/settings.h"
#include "gif/base/records.h"

namespace app {

// Copies a rectangle of the screen into `frame` as a BMP file image, reusing its storage; leaves
// it empty when that fails.
using Grabber = std::function<void(int32_t left, int32_t top, int32_t width, int32_t height,
                                   std::vector<uint8_t>& frame)>;

inline constexpr uint32_t kMaxFrameNumber = 800000000;
// Pictures waiting for the encoder before the oldest ones are merged.
inline constexpr size_t kPictureQueueCapacity = 3;

class CaptureWorker {
  public:
    // Called on a worker thread after each frame with its number (from 1) and, in real time, the
    // frames kept per second lately (0 with fixed delays).
    using FrameReport = std::function<void(uint32_t frameNumber, double framesPerSecond)>;

    // `encoder` and `frameInfo` belong to the worker from Start until Stop returns.
    CaptureWorker(Encoder& encoder, gif::FrameInfo& frameInfo, SettingsStore& settings,
                  Grabber grabber, FrameReport report, Clock& clock = SystemClock());
    ~CaptureWorker() { Stop(); }
    CaptureWorker(const CaptureWorker&) = delete;
    CaptureWorker& operator=(const CaptureWorker&) = delete;

    // Called on the worker's thread, with the reason, when a grabbed frame could not be added
    // (no memory, a full disk) or no frame could be grabbed for two seconds; the worker then
    // ends. Set before Start.
    void SetFailureReport(std::function<void(const std::string& error)> report) {
        failureReport_ = std::move(report);
    }

    // Holds the first grab until `ready` says yes, asking every 10 ms for at most `limit`: a
    // window on its way off the screen is not in the first frame. Set before Start.
    void SetFirstGrabGate(std::function<bool()> ready, std::chrono::milliseconds limit) {
        firstGrabReady_ = std::move(ready);
        firstGrabLimit_ = limit;
    }

    // Delays of delayFactor x 10 and a sleep of the interval after each frame's work, instead
    // of real time. Set before Start.
    void SetFixedDelays(bool fixed) { fixedDelays_ = fixed; }

    void Start();
    // Paused time does not appear in the GIF: the frame before the pause keeps its own delay.
    void SetPaused(bool paused);
    bool Paused() const;
    // The moment of the stop: a grab that ends after it is not recorded, and the last frame
    // lasts until it.
    void MarkStop();
    // Ends the sleep at once, drops a frame still being grabbed, lets a running AddFrame finish,
    // adds (in real time) the frames grabbed before the stop, and returns when the threads
    // have ended.
    void Stop();

    // Pictures merged away because encoding fell behind, and the picture storages made.
    size_t PicturesMerged() const { return queue_.Merged(); }
    size_t PictureBuffersMade() const { return queue_.BuffersMade(); }

  private:
    void RunFixed();
    // realtime_capture.cpp
    void RunGrabbing();
    void RunEncoding();
    bool WaitForNextGrab(Clock::Time deadline);
    bool AddTimed(QueuedPicture& picture, uint16_t delay, FrameRateMeter& meter);
    bool ScreenLost(bool grabbed, const CaptureRegion& region, Clock::Time& lastGrab);

    std::vector<uint8_t> ChooseWatermark();
    bool StopRequested() const { return stopRequested_.load(std::memory_order_acquire); }
    bool SleepUnlessStopped(std::chrono::milliseconds duration);
    bool WaitWhilePaused();
    bool WaitForFirstGrab();
    void Fail(const std::string& error);

    Encoder& encoder_;
    gif::FrameInfo& frameInfo_;
    SettingsStore& settings_;
    Grabber grabber_;
    FrameReport report_;
    std::function<void(const std::string&)> failureReport_;
    std::function<bool()> firstGrabReady_;
    std::chrono::milliseconds firstGrabLimit_{0};
    Clock& clock_;
    bool fixedDelays_ = false;
    std::vector<uint8_t> watermark_;

    std::atomic<bool> stopRequested_{false};
    mutable std::mutex sleepMutex_;  // guards the pause, the stop's moment and the clock below
    std::condition_variable wake_;
    bool paused_ = false;
    bool clockStarted_ = false;
    RecordingClock recordingClock_;
    std::optional<RecordingTime> stopAt_;

    PictureQueue queue_{kPictureQueueCapacity};
    std::thread thread_;
    std::thread encodingThread_;
};

}  // namespace app
