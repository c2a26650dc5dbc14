// The main window during a recording: out of it (minimised where the desktop minimises, else
// hidden while something else can stop the recording, else left in sight with a note on how to
// stop), and the status line's word when the screen is too large for the rate asked.
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWindow>

#include "app/core/frame_rate_check.h"
#include "app/ui/main_window.h"

namespace app {

namespace {
// An X11 window manager takes well under this to unmap a window it minimises; the first grab
// waits longer (kMinimiseWait) for the window to have gone.
constexpr int kMinimiseCheckMs = 400;
}  // namespace

bool MainWindow::MinimisingKeepsWindowShown() const {
    return !desktop_.CanMinimiseWindows();
}

bool MainWindow::CanBeStoppedUnseen() const {
    // F2 reaches us only where the desktop shows us the keyboard; a Wayland desktop does not.
    return remoteStop_ || QSystemTrayIcon::isSystemTrayAvailable() || desktop_.CanPlaceOverlays();
}

void MainWindow::MinimiseMainWindow() {
    if (!desktop_.CanMinimiseWindows()) {
        if (CanBeStoppedUnseen()) {
            HideForRecording();
        } else {
            StayInSight();
        }
        return;
    }
    showMinimized();
    QTimer::singleShot(kMinimiseCheckMs, this, [this] {
        const QWindow* window = windowHandle();
        if (!controller_->IsRecording() || hiddenForRecording_ || !window) return;
        // Still mapped: the window manager ignored the request.
        if (window->isExposed() && isVisible()) HideForRecording();
    });
}

void MainWindow::HideForRecording() {
    hiddenForRecording_ = true;
    hide();
}

void MainWindow::StayInSight() {
    // Our window's place on a Wayland screen is the compositor's secret: it cannot be cut out of
    // the frames, only named.
    stayNote_ = tr("本窗口无法隐藏, 会被录进画面; 点击“停止”结束录制");
    statusLine_->setText(stayNote_);
}

void MainWindow::NoteFrameCount(uint32_t frames) {
    if (frames <= 1) {
        recordingClock_.start();
        rateShortfall_.clear();
    }
    if (!stayNote_.isEmpty()) {
        // The window stayed in sight: how to stop matters more than the count.
        statusLine_->setText(stayNote_);
        return;
    }
    if (!recordingClock_.isValid()) return;
    const int interval = settings_.Snapshot().frameIntervalPosition * 50;
    const std::optional<double> reached =
        RateShortfall(interval, frames - 1, std::chrono::milliseconds(recordingClock_.elapsed()));
    if (!reached) return;
    rateShortfall_ = tr("画面太大, 每秒只录到 %1 帧 (设定 %2 帧)")
                         .arg(*reached, 0, 'f', 1)
                         .arg(1000.0 / interval, 0, 'f', 1);
    statusLine_->setText(tr("录制中，帧数 %1: %2").arg(frames).arg(rateShortfall_));
}

void MainWindow::NoteRateAfterSave() {
    // The window was out of sight while the recording fell short: the word stays after the save.
    if (rateShortfall_.isEmpty()) return;
    statusLine_->setText(statusLine_->text() + QStringLiteral("; ") + rateShortfall_);
    rateShortfall_.clear();
}

void MainWindow::RestoreMainWindow() {
    if (feedback_) feedback_->Stop();  // the stop has begun: the window is back
    stayNote_.clear();
    recordingClock_.invalidate();
    if (hiddenForRecording_) {
        hiddenForRecording_ = false;
        show();
    }
    showNormal();
}

}  // namespace app
