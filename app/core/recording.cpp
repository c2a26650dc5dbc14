#include "app/core/recording.h"

#include <cstdio>
#include <system_error>

#include "app/core/frame_timing.h"
#include "app/core/output_file.h"
#include "app/core/texts.h"

namespace app {
namespace {

std::tm SystemLocalTime() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

}  // namespace

std::string FormatTimeStamp(const std::tm& localTime) {
    char text[32];
    std::snprintf(text, sizeof text, "%02d%02d%02d%02d%02d", localTime.tm_mon + 1,
                  localTime.tm_mday, localTime.tm_hour, localTime.tm_min, localTime.tm_sec);
    return text;
}

std::string UniqueFileBaseName(const std::filesystem::path& folder, const std::string& stamp) {
    std::error_code error;
    std::string name = stamp;
    // A link of that name counts as taken, also one that leads nowhere.
    const auto taken = [&](const std::string& n) {
        return std::filesystem::exists(
            std::filesystem::symlink_status(folder / (n + ".gif"), error));
    };
    for (int suffix = 2; taken(name); ++suffix) {
        name = stamp + "_" + std::to_string(suffix);
    }
    return name;
}

RecordingController::RecordingController(Dependencies dependencies)
    : view_(dependencies.view),
      settings_(dependencies.settings),
      grabber_(std::move(dependencies.grabber)),
      desktopDirectory_(std::move(dependencies.desktopDirectory)),
      localTime_(dependencies.localTime ? std::move(dependencies.localTime) : SystemLocalTime),
      journalFolder_(std::move(dependencies.journalFolder)),
      captureProblem_(std::move(dependencies.captureProblem)) {
    state_.gifMaker = std::move(dependencies.encoder);
    state_.animationInfo = gif::AnimationInfo{};
    state_.animationInfo.LOOP = true;
    state_.frameInfo = gif::FrameInfo{};
    state_.frameInfo.DelayTime = 60;
}

RecordingController::~RecordingController() {
    if (state_.workerThread) state_.workerThread->Stop();
}

bool RecordingController::IsRecording() const {
    return view_.RecordButtonCaption() == kCaptionRecording;
}

void RecordingController::ToggleRecording() {
    if (stopping_ || saving_) return;  // a click queued while a stop is saving
    if (countingDown_) {
        CancelCountdown();
        return;
    }
    if (IsRecording()) {
        StopRecording();  // the caption goes back to idle when the save has ended
    } else {
        if (checkingCapture_) return;  // a second press while the first one's check waits
        if (captureProblem_) {
            // A recording that could only grab black pictures does not start.
            checkingCapture_ = true;
            const std::string problem = captureProblem_();
            checkingCapture_ = false;
            if (!problem.empty()) {
                view_.SetStatusText(problem);
                return;
            }
        }
        view_.SetRecordButtonCaption(kCaptionRecording);
        if (countdown_) {
            BeginCountdown();
        } else {
            StartRecording();
        }
    }
}

void RecordingController::TogglePause() {
    if (!state_.workerThread || stopping_ || saving_) return;
    paused_ = !paused_;
    view_.ShowPaused(paused_);
    if (paused_) {
        state_.workerThread->SetPaused(true);
        view_.SetStatusText(Translated("RecordingController", "已暂停, 按 Shift+F2 继续"));
        return;
    }
    const uint64_t resume = ++resumeNumber_;
    view_.RunAfter(kResumeSettleMs, [this, resume] {
        if (resume == resumeNumber_ && !paused_ && state_.workerThread)
            state_.workerThread->SetPaused(false);
    });
}

void RecordingController::OnWatchedKey(int keyCode, int modifiers) {
    if (keyCode != kKeyRecordToggle) return;
    if (modifiers == kModifierShift) {
        TogglePause();
    } else {
        ToggleRecording();
    }
}

void RecordingController::SetPlaySpeedPosition(int position) {
    settings_.Update([&](CaptureSettings& s) {
        s.delayFactor = DelayFactorFor(position);
        s.speedFactor = SpeedFactorFor(position);
    });
}

void RecordingController::OnFrameCaptured(uint64_t recording, uint32_t frameNumber,
                                          double framesPerSecond) {
    if (recording != recordingNumber_ || !state_.workerThread || stopping_ || paused_) return;
    view_.SetStatusText(fixedDelays_ ? FrameStatusText(frameNumber)
                                     : RealTimeStatusText(frameNumber, framesPerSecond));
}

std::string RecordingController::FrameStatusText(uint32_t frameNumber) {
    return Translated("RecordingController", "录制中，帧数 ") + std::to_string(frameNumber) + "hz";
}

std::string RecordingController::RealTimeStatusText(uint32_t frameNumber,
                                                    double framesPerSecond) const {
    char rate[32];
    std::snprintf(rate, sizeof rate, "%.1f", framesPerSecond);
    return Translated("RecordingController", "录制中，帧数 ") + std::to_string(frameNumber) + ", " +
           rate + "hz, " + MegabytesText(state_.gifMaker->BytesSoFar());
}

// The record button already says "停止"; F2 or the button now cancels instead.
void RecordingController::BeginCountdown() {
    countingDown_ = true;
    minimisedForCountdown_ = IsScreenMode(view_.CaptureMode());
    if (minimisedForCountdown_) view_.MinimiseMainWindow();
    OnCountdownStep(++countdownNumber_, kCountdownSeconds);
}

void RecordingController::OnCountdownStep(uint64_t countdown, int secondsLeft) {
    if (countdown != countdownNumber_ || !countingDown_) return;  // cancelled meanwhile
    if (secondsLeft > 0) {
        view_.ShowCountdown(secondsLeft);
        const int wait = secondsLeft > 1 ? 1000 : 1000 - kCountdownClearMs;
        view_.RunAfter(
            wait, [this, countdown, secondsLeft] { OnCountdownStep(countdown, secondsLeft - 1); });
    } else if (secondsLeft == 0) {
        view_.ShowCountdown(0);
        view_.RunAfter(kCountdownClearMs, [this, countdown] { OnCountdownStep(countdown, -1); });
    } else {
        countingDown_ = false;
        StartRecording();
    }
}

void RecordingController::CancelCountdown() {
    countingDown_ = false;
    ++countdownNumber_;
    view_.ShowCountdown(0);
    if (minimisedForCountdown_) view_.RestoreMainWindow();
    view_.SetRecordButtonCaption(kCaptionIdle);
    view_.SetStatusText(Translated("RecordingController", "已取消录制"));
}

std::filesystem::path RecordingController::OutputFolder() const {
    return desktopDirectory_ / kOutputFolderName;
}

std::filesystem::path RecordingController::OutputPath() const {
    return OutputFolder() / (state_.fileBaseName + ".gif");
}

void RecordingController::StartRecording() {
    const int mode = view_.CaptureMode();
    const bool minimising =
        IsScreenMode(mode) || (mode == kRegionMode && view_.MinimisingKeepsWindowShown());
    if (minimising && !minimisedForCountdown_) view_.MinimiseMainWindow();
    minimisedForCountdown_ = false;
    paused_ = false;
    SetPlaySpeedPosition(view_.PlaySpeedPosition());

    Encoder& encoder = *state_.gifMaker;
    ReleaseJournal();
    encoder.Reset();
    encoder.Clear();
    state_.animationInfo.LOOP = true;
    encoder.SetOptions(state_.makerOptions);
    encoder.Create(state_.animationInfo);
    AttachJournal();

    view_.OpenCursorOverlay();

    const uint64_t recording = ++recordingNumber_;
    state_.workerThread = std::make_unique<CaptureWorker>(
        encoder, state_.frameInfo, settings_, grabber_,
        [this, recording](uint32_t frameNumber, double framesPerSecond) {
            view_.PostFrameCount(recording, frameNumber, framesPerSecond);
        });
    state_.workerThread->SetFixedDelays(fixedDelays_);
    state_.workerThread->SetFailureReport([this, recording](const std::string& error) {
        view_.PostToUiThread([this, recording, error] { OnCaptureFailed(recording, error); });
    });
    if (minimising) {
        state_.workerThread->SetFirstGrabGate(
            [this] { return !settings_.Snapshot().mainWindowOnScreen; }, kMinimiseWait);
    }
    state_.workerThread->Start();
}

void RecordingController::StopRecording() {
    stopping_ = true;
    // Before the window comes back: nothing grabbed from here on is recorded.
    if (state_.workerThread) state_.workerThread->MarkStop();
    if (paused_) view_.ShowPaused(false);
    paused_ = false;
    view_.RestoreMainWindow();
    view_.StopWatchingKeys();

    // A problem with the folder or the file is the save's failure, told as it is.
    const std::string stamp = FormatTimeStamp(localTime_());
    state_.fileBaseName = stamp;  // a resave after a failure starts from it
    std::string outputError = PrepareOutputFolder(desktopDirectory_, OutputFolder());
    if (outputError.empty()) {
        outputError = ReserveOutputFile(OutputFolder(), stamp, state_.fileBaseName);
    }

    if (state_.regionFrameShown) {
        view_.CloseRegionFrame();
        state_.regionFrameShown = false;
    }
    view_.CloseCursorOverlay();

    if (state_.workerThread) {
        state_.workerThread->Stop();
        state_.workerThread.reset();
    }
    view_.ProcessPendingEvents();

    BeginSave(outputError);
    stopping_ = false;
}

}  // namespace app
