// The controller of a recording run: the record toggle, start, stop, and the output file.
#pragma once

#include <atomic>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "app/core/capture_worker.h"
#include "app/core/encoder.h"
#include "app/core/key_watch_list.h"
#include "app/core/recorder_view.h"
#include "app/core/settings.h"
#include "gif/base/records.h"

namespace app {

inline constexpr const char* kCaptionRecording = "停止";
inline constexpr const char* kCaptionIdle = "录制";
inline constexpr const char* kOutputFolderName = "GIF动画";
// How long a full-screen recording's first grab waits for the minimised window to leave.
inline constexpr std::chrono::milliseconds kMinimiseWait{500};
inline constexpr int kCountdownSeconds = 3;
// The countdown leaves the screen this long before the first grab, so that it is never in it.
inline constexpr int kCountdownClearMs = 100;
// The same for the paused title and tray icon before the first grab after a resume.
inline constexpr int kResumeSettleMs = 100;

// The capture modes after full screen, window pick and region: all monitors, then one each.
inline constexpr int kRegionMode = 2;
inline constexpr int kFirstMonitorMode = 3;
// Whether the mode records whole screens (full screen, all monitors, one monitor), which the
// main window must not be part of.
inline bool IsScreenMode(int mode) {
    return mode == 0 || mode >= kFirstMonitorMode;
}

struct SizeLimitOutcome;

// One per program run; a new recording reuses it.
struct RecordingState {
    std::unique_ptr<Encoder> gifMaker;
    gif::AnimationInfo animationInfo;  // LOOP true, everything else zero
    gif::FrameInfo frameInfo;          // DelayTime rewritten by the worker for every frame
    std::string fileBaseName;          // the last stop's name, empty before the first stop
    std::unique_ptr<CaptureWorker> workerThread;
    bool regionFrameShown = false;
    // Recordings are saved in the optimised layout unless the user asks for whole frames.
    // Screen colours: what changed is found before any colour is reduced, one palette stays.
    gif::MakerOptions makerOptions{.optimise = true, .exactColours = false, .screenColours = true};
    uint64_t sizeLimitBytes = 0;  // a saved GIF larger than this is made again to fit; 0: none
};

// "MMDDhhmmss" of a local time.
std::string FormatTimeStamp(const std::tm& localTime);

// `stamp`, or stamp_2, stamp_3, ... when `folder` holds a GIF (or a link) of that name already.
std::string UniqueFileBaseName(const std::filesystem::path& folder, const std::string& stamp);

class RecordingController {
  public:
    struct Dependencies {
        RecorderView& view;
        SettingsStore& settings;
        std::unique_ptr<Encoder> encoder;
        Grabber grabber;
        // Where the output folder is made; empty makes it relative to the current directory.
        std::filesystem::path desktopDirectory;
        std::function<std::tm()> localTime;  // the clock; the system's local time when empty
        // Where each recording's frames are kept while it runs (recording_journal.h); empty keeps
        // them in memory and a temporary file only.
        std::filesystem::path journalFolder = {};
        // Before a start: why the screen cannot be recorded, as the status line says it; empty
        // when it can. May wait for the user (a permission question) while events are served.
        std::function<std::string()> captureProblem = {};
    };

    explicit RecordingController(Dependencies dependencies);
    ~RecordingController();

    // The record button and the F2 key; during the countdown, it cancels the recording.
    void ToggleRecording();
    // The pause button, the tray's entry and Shift+F2: pauses or resumes a running recording.
    void TogglePause();
    bool IsPaused() const { return paused_; }
    bool IsCountingDown() const { return countingDown_; }
    // F2 toggles the recording, Shift+F2 the pause.
    void OnWatchedKey(int keyCode, int modifiers);
    // The play-speed slider moved.
    void SetPlaySpeedPosition(int position);
    // The worker's frame count, delivered on the UI thread.
    void OnFrameCaptured(uint64_t recording, uint32_t frameNumber, double framesPerSecond = 0);

    // Choices of the tools menu, from the next recording on. Fixed delays: every frame lasts
    // delayFactor x 10 hundredths and the interval is slept after each frame's work. Countdown:
    // kCountdownSeconds before the first grab.
    void SetFixedDelays(bool fixed) { fixedDelays_ = fixed; }
    // Applies to the saves from now on.
    void SetSizeLimit(uint64_t bytes) { state_.sizeLimitBytes = bytes; }
    bool FixedDelays() const { return fixedDelays_; }
    void SetCountdown(bool on) { countdown_ = on; }
    bool Countdown() const { return countdown_; }
    // The region frame window was opened or closed elsewhere.
    void SetRegionFrameShown(bool shown) { state_.regionFrameShown = shown; }
    // The file layout and colour reduction of the next recording.
    void SetMakerOptions(const gif::MakerOptions& options) { state_.makerOptions = options; }

    const RecordingState& State() const { return state_; }
    std::filesystem::path OutputFolder() const;
    std::filesystem::path OutputPath() const;  // of the current fileBaseName
    bool IsRecording() const;

    static std::string FrameStatusText(uint32_t frameNumber);
    // In real time: the frames kept and how many a second.
    std::string RealTimeStatusText(uint32_t frameNumber, double framesPerSecond) const;

    // The save of the last stop is running; the record toggle is ignored until it ends.
    bool IsSaving() const { return saving_; }
    // The last recording could not be saved and is still held: Resave tries again.
    bool HasUnsavedRecording() const { return unsaved_; }
    void Resave();
    // Saves the recordings that an earlier run left behind (in the background).
    void RecoverLeftovers();
    // The window closes during a recording: nothing is saved, and nothing is left to recover.
    void AbandonRecording();
    // The worker could not add a frame: the recording stops and saves what it has.
    void OnCaptureFailed(uint64_t recording, const std::string& error);

  private:
    void StartRecording();
    void StopRecording();
    void BeginCountdown();
    void OnCountdownStep(uint64_t countdown, int secondsLeft);
    void CancelCountdown();
    // recording_save.cpp: the journal and the save in the background.
    void AttachJournal();
    void ReleaseJournal();
    // With `outputError` (no folder or file to save into) the save fails at once with it.
    void BeginSave(const std::string& outputError = {});
    void OnSaveProgress(int percent);
    void FinishSave(bool saved, const std::string& outputError = {});
    // A GIF over the size limit that could not be made again: kept, and the journal with it.
    void FinishOverLimit(const SizeLimitOutcome& fit);
    static std::string FitNote(const SizeLimitOutcome& fit);

    RecorderView& view_;
    SettingsStore& settings_;
    Grabber grabber_;
    std::filesystem::path desktopDirectory_;
    std::function<std::tm()> localTime_;
    RecordingState state_;
    uint64_t recordingNumber_ = 0;  // tells a finished recording's late frame counts apart
    bool stopping_ = false;

    std::filesystem::path journalFolder_;
    std::function<std::string()> captureProblem_;
    std::filesystem::path journalPath_;  // the last recording's journal, empty without one
    bool saving_ = false;
    bool unsaved_ = false;
    std::string stopReason_;  // why the recording stopped by itself
    std::chrono::steady_clock::time_point saveStarted_;
    std::atomic<int> postedPercent_{-1};
    bool checkingCapture_ = false;

    bool fixedDelays_ = false;
    std::string fitNote_;  // what the save's size limit traded, for the status line
    bool countdown_ = false;
    bool paused_ = false;
    bool countingDown_ = false;
    bool minimisedForCountdown_ = false;
    uint64_t countdownNumber_ = 0;  // tells a cancelled countdown's late steps apart
    uint64_t resumeNumber_ = 0;     // tells a resume that a pause came after it
};

}  // namespace app
