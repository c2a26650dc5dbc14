// The end of a recording: its journal, the save on a thread of its own with its progress, the
// retry of a failed save, and the recovery of recordings an earlier run left behind.
#include <memory>
#include <system_error>
#include <utility>

#include "app/core/output_file.h"
#include "app/core/recording.h"
#include "app/core/recording_journal.h"
#include "app/core/size_limit.h"
#include "app/core/texts.h"

namespace app {
namespace {

using namespace std::chrono_literals;

// A save shorter than this shows no progress.
constexpr auto kQuietSave = 300ms;

std::tm LocalTimeOf(std::time_t time) {
    std::tm local{};
    localtime_r(&time, &local);
    return local;
}

}  // namespace

void RecordingController::AttachJournal() {
    journalPath_.clear();
    if (journalFolder_.empty()) return;
    try {
        std::filesystem::path path;
        std::unique_ptr<gif::FileFrameStore> journal = CreateJournal(journalFolder_, path);
        state_.gifMaker->KeepFramesIn(std::move(journal));
        journalPath_ = std::move(path);
    } catch (const std::exception&) {
        // Recorded without a journal: in memory and a temporary file, like any maker's frames.
    }
}

void RecordingController::ReleaseJournal() {
    // A saved recording's journal went at its save; an unsaved one stays on disk, closed, and
    // the next start saves it.
    state_.gifMaker->KeepFramesIn(nullptr);
    journalPath_.clear();
    if (unsaved_) view_.SetResaveAvailable(false);
    unsaved_ = false;
}

void RecordingController::AbandonRecording() {
    if (journalPath_.empty()) return;
    std::error_code ignored;
    std::filesystem::remove(journalPath_, ignored);
    journalPath_.clear();
}

void RecordingController::OnCaptureFailed(uint64_t recording, const std::string& error) {
    if (recording != recordingNumber_ || !state_.workerThread || stopping_ || saving_) return;
    stopReason_ = error;
    StopRecording();
}

void RecordingController::BeginSave(const std::string& outputError) {
    Encoder& encoder = *state_.gifMaker;
    if (!outputError.empty()) {
        FinishSave(false, outputError);
        return;
    }
    saving_ = true;
    saveStarted_ = std::chrono::steady_clock::now();
    postedPercent_ = -1;
    encoder.SetSaveProgress([this](size_t written, size_t total) {
        const int percent = total ? int(written * 100 / total) : 100;
        if (postedPercent_.exchange(percent) != percent)
            view_.PostToUiThread([this, percent] { OnSaveProgress(percent); });
    });
    auto saved = std::make_shared<bool>(false);
    auto fit = std::make_shared<SizeLimitOutcome>();
    auto fitProgress = [this](int percent) {
        view_.PostToUiThread([this, percent] { OnSaveProgress(percent); });
    };
    view_.RunInBackground(
        [&encoder, path = OutputPath().string(), saved, fit, fitProgress,
         limit = state_.sizeLimitBytes, options = state_.makerOptions] {
            *saved = encoder.SaveGif(path);
            if (*saved && limit > 0) *fit = FitSavedGif(path, limit, options, fitProgress);
        },
        [this, saved, fit] {
            if (*saved && !fit->ok) {
                // The GIF is there but over the limit: the journal stays for 重新保存.
                FinishOverLimit(*fit);
                return;
            }
            fitNote_ = FitNote(*fit);
            FinishSave(*saved);
        });
}

void RecordingController::OnSaveProgress(int percent) {
    if (!saving_ || std::chrono::steady_clock::now() - saveStarted_ < kQuietSave) return;
    view_.ShowSaveProgress(percent);
}

void RecordingController::FinishSave(bool saved, const std::string& outputError) {
    saving_ = false;
    view_.SetRecordButtonCaption(kCaptionIdle);
    Encoder& encoder = *state_.gifMaker;
    const std::string reason = std::exchange(stopReason_, {});
    const std::string path = OutputPath().string();
    if (saved) {
        AbandonRecording();  // saved: its journal is no longer needed
        if (unsaved_) view_.SetResaveAvailable(false);
        unsaved_ = false;
        view_.CopyGifToClipboard(path);
        const std::string note = std::exchange(fitNote_, {});
        if (reason.empty())
            view_.SetStatusText(Translated("RecordingController", "已保存 ") + state_.fileBaseName +
                                ".gif" + note);
        else
            view_.ShowStoppedAndSaved(reason, state_.fileBaseName + ".gif" + note);
        view_.ShowPreview(path);
        return;
    }
    // No preview comes up to give F2 back, so it is watched again at once.
    if (outputError.empty()) DropEmptyOutputFile(path);  // reserved, never written
    const std::string error = outputError.empty() ? encoder.GetError() : outputError;
    if (encoder.HasFrames()) {
        // Kept, in memory and in its journal: Resave, or the next start, saves it.
        unsaved_ = true;
        view_.SetResaveAvailable(true);
        view_.ShowSaveFailed(error);
    } else {
        AbandonRecording();
        view_.SetStatusText(!reason.empty() ? reason
                            : error.empty() ? Translated("RecordingController", "保存失败")
                                            : error);
    }
    view_.WatchRecordKeys();
}

std::string RecordingController::FitNote(const SizeLimitOutcome& fit) {
    if (!fit.changed) return {};
    return (fit.fits ? Translated("RecordingController", "（已压到 ")
                     : Translated("RecordingController", "（仍超过大小上限: ")) +
           MegabytesText(fit.bytes) + ", " + fit.traded + Translated("RecordingController", "）");
}

void RecordingController::FinishOverLimit(const SizeLimitOutcome& fit) {
    saving_ = false;
    view_.SetRecordButtonCaption(kCaptionIdle);
    stopReason_.clear();
    unsaved_ = true;
    view_.SetResaveAvailable(true);
    view_.ShowSaveFailed(Translated("RecordingController", "超过大小上限，无法压小: ") + fit.error);
    view_.WatchRecordKeys();
}

void RecordingController::Resave() {
    if (!unsaved_ || saving_ || stopping_ || state_.workerThread) return;
    view_.StopWatchingKeys();
    std::string outputError = PrepareOutputFolder(desktopDirectory_, OutputFolder());
    if (outputError.empty()) {
        // The last attempt's name again when it is free, since its reserved file went.
        const std::string stamp = state_.fileBaseName.substr(0, state_.fileBaseName.find('_'));
        outputError = ReserveOutputFile(OutputFolder(), stamp, state_.fileBaseName);
    }
    BeginSave(outputError);
}

void RecordingController::RecoverLeftovers() {
    if (journalFolder_.empty() || saving_ || state_.workerThread) return;
    saving_ = true;
    auto report = std::make_shared<RecoveryReport>();
    view_.RunInBackground(
        [report, journals = journalFolder_, output = OutputFolder(),
         animation = state_.animationInfo] {
            *report = RecoverJournals(journals, output, animation, LocalTimeOf);
        },
        [this, report] {
            saving_ = false;
            if (!report->Empty()) view_.ShowRecovered(report->savedNames, report->failures);
        });
}

}  // namespace app
