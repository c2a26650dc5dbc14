// Shows that a recording runs while the main window may be out of sight: a tray icon, where the
// desktop has a tray, whose tooltip gives the elapsed time and the frame count, whose click
// stops and whose menu pauses, resumes and stops; and the elapsed time in the main window's
// title, which the taskbar shows. Both also tell a pause and the countdown before the start.
// Neither is recorded: the tray icon and its tooltip are listed for the worker to paint over, and
// the title keeps its plain text while the main window's frame lies in the recorded region.
#pragma once

#include <QAction>
#include <QElapsedTimer>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

#include "app/core/settings.h"

namespace app {

class RecordingFeedback : public QObject {
    Q_OBJECT
  public:
    static constexpr int kRefreshMs = 100;

    struct Hooks {
        std::function<CaptureRegion()> region;  // the region being recorded
        // Receives the screen rectangles that frames must not show.
        std::function<void(const std::vector<platform::Rect>&)> hide;
        std::function<uint64_t()> bytes;  // about what the GIF takes so far
    };

    RecordingFeedback(QWidget* mainWindow, Hooks hooks);
    ~RecordingFeedback() override;

    void Start();
    void Stop();  // puts the title back and removes the tray icon; does nothing when stopped
    bool IsRunning() const { return clock_.isValid(); }
    void SetFrameCount(uint32_t frames);
    // Paused time is not counted; the icon and the texts say so while it lasts.
    void SetPaused(bool paused);
    bool IsPaused() const { return paused_; }
    // The seconds before the first grab, told instead of the elapsed time; 0 starts the clock.
    void SetCountdown(int secondsLeft);

    // Null while stopped and where the desktop has no tray.
    QSystemTrayIcon* TrayIcon() const { return tray_.get(); }

    // "mm:ss", or "h:mm:ss" from an hour on.
    static QString FormatElapsed(qint64 milliseconds);

    // Brings the title, the tooltip and the rectangles to hide up to date; the timer calls it.
    void Refresh();

  signals:
    void stopRequested();
    void pauseRequested();

  private:
    qint64 Elapsed() const;
    QString Title() const;
    QString ToolTip() const;
    void BuildTrayMenu();
    bool TitleWouldBeRecorded() const;
    std::vector<platform::Rect> RectanglesToHide() const;

    QPointer<QWidget> mainWindow_;
    Hooks hooks_;
    QString plainTitle_;
    QElapsedTimer clock_;
    QTimer refresh_;
    uint32_t frames_ = 0;
    bool paused_ = false;
    int countdown_ = 0;
    qint64 pausedMs_ = 0;  // before the pause that runs, if any
    QElapsedTimer pauseClock_;
    std::unique_ptr<QSystemTrayIcon> tray_;
    std::unique_ptr<QMenu> trayMenu_;
    QAction* pauseAction_ = nullptr;
};

}  // namespace app
