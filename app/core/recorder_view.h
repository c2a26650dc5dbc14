// What the recording control needs from the windows. The Qt main window implements it; tests
// stand in for it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace app {

class RecorderView {
  public:
    virtual ~RecorderView() = default;

    // The record button's caption is the only record of whether a recording runs.
    virtual std::string RecordButtonCaption() const = 0;
    virtual void SetRecordButtonCaption(const std::string& caption) = 0;
    // 0 full screen, 1 window pick, 2 region; from kFirstMonitorMode on, where the desktop has
    // several monitors: all of them, then each one.
    virtual int CaptureMode() const = 0;
    virtual int PlaySpeedPosition() const = 0;

    virtual void MinimiseMainWindow() = 0;
    // Whether minimising leaves the window on the screen (a tiling desktop), so that a region
    // recording must take it out of sight as a full-screen one does.
    virtual bool MinimisingKeepsWindowShown() const { return false; }
    virtual void RestoreMainWindow() = 0;
    virtual void SetStatusText(const std::string& text) = 0;

    // The F2 key: not watched from a stop until the preview closes.
    virtual void StopWatchingKeys() = 0;
    virtual void WatchRecordKeys() = 0;

    virtual void OpenCursorOverlay() = 0;
    virtual void CloseCursorOverlay() = 0;
    virtual void CloseRegionFrame() = 0;

    // Lets the UI thread handle what is queued, once.
    virtual void ProcessPendingEvents() = 0;
    virtual void CopyGifToClipboard(const std::string& path) = 0;
    virtual void ShowPreview(const std::string& path) = 0;

    // Called on the capture worker's thread: hand the count to the UI thread, which passes it to
    // RecordingController::OnFrameCaptured.
    virtual void PostFrameCount(uint64_t recording, uint32_t frameNumber,
                                double framesPerSecond) = 0;
    // Runs `task` on the UI thread after `milliseconds`.
    virtual void RunAfter(int milliseconds, std::function<void()> task) = 0;

    // The pause button, the title and the tray say whether the recording is paused.
    virtual void ShowPaused(bool paused) = 0;
    // The seconds left before the first grab; 0 takes the countdown off the screen.
    virtual void ShowCountdown(int secondsLeft) = 0;
    // Hands `task` to the UI thread; callable from any thread.
    virtual void PostToUiThread(std::function<void()> task) = 0;
    // Runs `job` on a thread of its own, then `done` on the UI thread, which goes on handling
    // events meanwhile. One job at a time; closing the window waits for it.
    virtual void RunInBackground(std::function<void()> job, std::function<void()> done) = 0;

    // The save's texts, worded by the window.
    virtual void ShowSaveProgress(int percent) = 0;
    // Also says that the tools menu's resave entry tries again.
    virtual void ShowSaveFailed(const std::string& error) = 0;
    // A recording that stopped by itself because of `reason`, saved as `fileName`.
    virtual void ShowStoppedAndSaved(const std::string& reason, const std::string& fileName) = 0;
    // Recordings left over from an earlier run, saved as `fileNames`; `failures` could not be.
    virtual void ShowRecovered(const std::vector<std::string>& fileNames,
                               const std::vector<std::string>& failures) = 0;
    virtual void SetResaveAvailable(bool available) = 0;
};

}  // namespace app
