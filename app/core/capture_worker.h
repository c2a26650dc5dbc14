// The thread that captures one recording: grab, effects, AddFrame, sleep, report; until stopped.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/core/encoder.h"
#include "app/core/settings.h"
#include "gif/base/records.h"

namespace app {

// Copies a rectangle of the screen into `frame` as a BMP file image, reusing its storage; leaves
// it empty when that fails.
using Grabber = std::function<void(int32_t left, int32_t top, int32_t width, int32_t height,
                                   std::vector<uint8_t>& frame)>;

inline constexpr uint32_t kMaxFrameNumber = 800000000;

class CaptureWorker {
  public:
    // Called on the worker's thread after each frame's sleep with the frame's number (from 1).
    using FrameReport = std::function<void(uint32_t frameNumber)>;

    // `encoder` and `frameInfo` belong to the worker from Start until Stop returns.
    CaptureWorker(Encoder& encoder, gif::FrameInfo& frameInfo, SettingsStore& settings,
                  Grabber grabber, FrameReport report);
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

    void Start();
    // Ends the sleep at once, drops a frame not yet handed to AddFrame, lets a running AddFrame
    // finish, and returns when the thread has ended.
    void Stop();

  private:
    void Run();
    std::vector<uint8_t> ChooseWatermark();
    bool StopRequested() const { return stopRequested_.load(std::memory_order_acquire); }
    bool SleepUnlessStopped(std::chrono::milliseconds duration);
    bool WaitForFirstGrab();

    Encoder& encoder_;
    gif::FrameInfo& frameInfo_;
    SettingsStore& settings_;
    Grabber grabber_;
    FrameReport report_;
    std::function<void(const std::string&)> failureReport_;
    std::function<bool()> firstGrabReady_;
    std::chrono::milliseconds firstGrabLimit_{0};

    std::atomic<bool> stopRequested_{false};
    std::mutex sleepMutex_;
    std::condition_variable wake_;
    std::thread thread_;
};

}  // namespace app
