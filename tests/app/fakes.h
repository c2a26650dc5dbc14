// Stand-ins for the windows and the GIF maker in tests of the recording logic.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
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
        if (picture.empty()) return false;
        ++frames;
        return true;
    }
    bool SaveGif(const std::string& path) override {
        log_.Add("SaveGif");
        savedPaths.push_back(path);
        return frames > 0 && !failSave;
    }
    std::string GetError() override { return frames > 0 ? "disk full" : "no frames"; }

    void ForgetDelays() {
        std::lock_guard lock(mutex_);
        delays.clear();
    }
    std::vector<uint16_t> Delays() {
        std::lock_guard lock(mutex_);
        return delays;
    }

    std::atomic<int> frames{0};
    bool failSave = false;
    std::vector<std::string> savedPaths;
    std::function<void()> onAddFrame;  // runs on the worker thread

  private:
    EventLog& log_;
    std::mutex mutex_;
    std::vector<uint16_t> delays;
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
    void PostFrameCount(uint64_t recording, uint32_t frameNumber) override {
        lastRecording = recording;
        lastFrame = frameNumber;
    }

    std::string caption = "录制";
    int mode = 0;
    int playSpeed = 3;
    std::string status;
    std::function<void()> onProcessEvents;
    std::atomic<uint64_t> lastRecording{0};
    std::atomic<uint32_t> lastFrame{0};

  private:
    EventLog& log_;
};

}  // namespace apptest
