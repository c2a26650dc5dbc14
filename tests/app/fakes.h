// Stand-ins for the windows and the GIF maker in tests of the recording logic.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "app/core/encoder.h"
#include "app/core/recorder_view.h"

namespace apptest {

// One log shared by the view and the encoder, so tests can check the order across both.
class EventLog {
  public:
    void Add(const std::string& event) {
        std::lock_guard lock(mutex_);
        events_.push_back(event);
    }
    std::vector<std::string> Events() const {
        std::lock_guard lock(mutex_);
        return events_;
    }
    void Reset() {
        std::lock_guard lock(mutex_);
        events_.clear();
    }

  private:
    mutable std::mutex mutex_;
    std::vector<std::string> events_;
};

class FakeEncoder : public app::Encoder {
  public:
    explicit FakeEncoder(EventLog& log) : log_(log) {}

    void Reset() override { log_.Add("Reset"); }
    void Clear() override {
        log_.Add("Clear");
        frames = 0;
    }
    bool Create(const gif::AnimationInfo& info) override {
        log_.Add(info.LOOP ? "Create(loop)" : "Create");
        return true;
    }
    bool AddFrame(const gif::FrameInfo& info, std::span<const uint8_t> picture) override {
        if (onAddFrame) onAddFrame();
        std::lock_guard lock(mutex_);
        delays.push_back(info.DelayTime);
        lastPicture.assign(picture.begin(), picture.end());
        if (picture.empty()) return false;
        if (failAddFrom >= 0 && frames >= failAddFrom) return false;
        ++frames;
        return true;
    }
    bool SaveGif(const std::string& path) override {
        log_.Add("SaveGif");
        savedPaths.push_back(path);
        if (onSave) onSave();
        return frames > 0 && !failSave;
    }
    std::string GetError() override { return frames > 0 ? "disk full" : "no frames"; }
    bool HasFrames() override { return frames > 0; }
    void SetSaveProgress(std::function<void(size_t, size_t)> report) override {
        progress = std::move(report);
    }
    void SetOptions(const gif::MakerOptions& given) override { options = given; }

    void ForgetDelays() {
        std::lock_guard lock(mutex_);
        delays.clear();
    }
    std::vector<uint8_t> LastPicture() {
        std::lock_guard lock(mutex_);
        return lastPicture;
    }
    std::vector<uint16_t> Delays() {
        std::lock_guard lock(mutex_);
        return delays;
    }

    std::atomic<int> frames{0};
    bool failSave = false;
    std::vector<std::string> savedPaths;
    std::function<void()> onAddFrame;  // runs on the worker thread
    std::function<void(size_t, size_t)> progress;
    gif::MakerOptions options;         // as last given
    std::function<void()> onSave;      // runs where the save runs
    std::atomic<int> failAddFrom{-1};  // AddFrame fails once this many frames are in

  private:
    EventLog& log_;
    std::mutex mutex_;
    std::vector<uint16_t> delays;
    std::vector<uint8_t> lastPicture;
};

class FakeView : public app::RecorderView {
  public:
    explicit FakeView(EventLog& log) : log_(log) {}

    std::string RecordButtonCaption() const override { return caption; }
    void SetRecordButtonCaption(const std::string& text) override { caption = text; }
    int CaptureMode() const override { return mode; }
    int PlaySpeedPosition() const override { return playSpeed; }
    void MinimiseMainWindow() override { log_.Add("Minimise"); }
    void RestoreMainWindow() override { log_.Add("Restore"); }
    void SetStatusText(const std::string& text) override {
        status = text;
        log_.Add("Status");
    }
    void StopWatchingKeys() override { log_.Add("StopWatchingKeys"); }
    void WatchRecordKeys() override { log_.Add("WatchRecordKeys"); }
    void OpenCursorOverlay() override { log_.Add("OpenOverlay"); }
    void CloseCursorOverlay() override { log_.Add("CloseOverlay"); }
    void CloseRegionFrame() override { log_.Add("CloseRegionFrame"); }
    void ProcessPendingEvents() override {
        log_.Add("ProcessEvents");
        if (onProcessEvents) onProcessEvents();
    }
    void CopyGifToClipboard(const std::string& path) override { log_.Add("Copy " + path); }
    void ShowPreview(const std::string& path) override { log_.Add("Preview " + path); }
    void PostFrameCount(uint64_t recording, uint32_t frameNumber, double rate) override {
        lastRecording = recording;
        lastFrame = frameNumber;
        lastRate = rate;
    }
    void RunAfter(int milliseconds, std::function<void()> task) override {
        timers.emplace_back(milliseconds, std::move(task));
    }
    // Runs the oldest timer, as its time would; the milliseconds it waited, or -1 with none.
    int RunNextTimer() {
        if (timers.empty()) return -1;
        auto [milliseconds, task] = std::move(timers.front());
        timers.erase(timers.begin());
        task();
        return milliseconds;
    }
    void ShowPaused(bool paused) override { log_.Add(paused ? "Paused" : "Resumed"); }
    void ShowCountdown(int secondsLeft) override {
        log_.Add("Countdown " + std::to_string(secondsLeft));
    }
    void PostToUiThread(std::function<void()> task) override {
        std::lock_guard lock(postedMutex_);
        posted_.push_back(std::move(task));
    }
    // Runs what other threads posted, as the UI thread's event loop would.
    size_t RunPosted() {
        std::vector<std::function<void()>> tasks;
        {
            std::lock_guard lock(postedMutex_);
            tasks.swap(posted_);
        }
        for (auto& task : tasks) task();
        return tasks.size();
    }
    // At once, unless `deferBackground`: then FinishBackground runs the job and its end.
    void RunInBackground(std::function<void()> job, std::function<void()> done) override {
        job_ = std::move(job);
        done_ = std::move(done);
        if (!deferBackground) FinishBackground();
    }
    bool FinishBackground() {
        if (!job_) return false;
        auto job = std::exchange(job_, nullptr);
        auto done = std::exchange(done_, nullptr);
        job();
        done();
        return true;
    }
    void ShowSaveProgress(int percent) override {
        status = "saving " + std::to_string(percent);
        log_.Add("Progress");
    }
    void ShowSaveFailed(const std::string& error) override {
        status = error;
        log_.Add("SaveFailed");
    }
    void ShowStoppedAndSaved(const std::string& reason, const std::string& fileName) override {
        status = reason + " / " + fileName;
        log_.Add("StoppedAndSaved");
    }
    void ShowRecovered(const std::vector<std::string>& fileNames,
                       const std::vector<std::string>& failures) override {
        recovered = fileNames;
        recoveryFailures = failures;
        log_.Add("Recovered");
    }
    void SetResaveAvailable(bool available) override { resaveAvailable = available; }

    std::string caption = "录制";
    int mode = 0;
    int playSpeed = 3;
    std::string status;
    std::function<void()> onProcessEvents;
    std::atomic<uint64_t> lastRecording{0};
    std::atomic<uint32_t> lastFrame{0};
    std::atomic<double> lastRate{0};
    std::vector<std::pair<int, std::function<void()>>> timers;
    bool deferBackground = false;
    bool resaveAvailable = false;
    std::vector<std::string> recovered, recoveryFailures;

  private:
    EventLog& log_;
    std::mutex postedMutex_;
    std::vector<std::function<void()>> posted_;
    std::function<void()> job_, done_;
};

}  // namespace apptest
