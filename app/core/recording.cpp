#include "app/core/recording.h"
#include "app/core/texts.h"

#include <cstdio>

#include <system_error>
#include "app/core/output_file.h"

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
        StartRecording();
    }
}

void RecordingController::OnWatchedKey(int keyCode, int /*modifiers*/) {
    if (keyCode == kKeyRecordToggle) ToggleRecording();
}

void RecordingController::SetPlaySpeedPosition(int position) {
    settings_.Update([&](CaptureSettings& s) { s.delayFactor = DelayFactorFor(position); });
}

void RecordingController::OnFrameCaptured(uint64_t recording, uint32_t frameNumber) {
    if (recording != recordingNumber_ || !state_.workerThread || stopping_) return;
    view_.SetStatusText(FrameStatusText(frameNumber));
}

std::string RecordingController::FrameStatusText(uint32_t frameNumber) {
    return Translated("RecordingController", "录制中，帧数 ") + std::to_string(frameNumber) + "hz";
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
    if (minimising) view_.MinimiseMainWindow();
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
        [this, recording](uint32_t frameNumber) { view_.PostFrameCount(recording, frameNumber); });
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
