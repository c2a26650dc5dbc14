#include "app/ui/recording_feedback.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>

#include "app/core/texts.h"

namespace app {
namespace {

// A red dot, as recorders show while they record; two bars on it while paused.
QIcon RecordingIcon(bool paused) {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::white, 2));
    painter.setBrush(paused ? QColor(150, 150, 150) : QColor(220, 30, 30));
    painter.drawEllipse(QRectF(4, 4, 24, 24));
    if (paused) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::white);
        painter.drawRect(QRectF(11, 10, 4, 12));
        painter.drawRect(QRectF(17, 10, 4, 12));
    }
    return QIcon(pixmap);
}

platform::Rect ToRect(const QRect& r) {
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

}  // namespace

RecordingFeedback::RecordingFeedback(QWidget* mainWindow, Hooks hooks)
    : QObject(mainWindow), mainWindow_(mainWindow), hooks_(std::move(hooks)) {
    refresh_.setInterval(kRefreshMs);
    connect(&refresh_, &QTimer::timeout, this, &RecordingFeedback::Refresh);
}

RecordingFeedback::~RecordingFeedback() = default;

QString RecordingFeedback::FormatElapsed(qint64 milliseconds) {
    const qint64 seconds = std::max<qint64>(0, milliseconds / 1000);
    const auto two = [](qint64 n) { return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')); };
    if (seconds < 3600) return two(seconds / 60) + ':' + two(seconds % 60);
    return QString::number(seconds / 3600) + ':' + two(seconds / 60 % 60) + ':' + two(seconds % 60);
}

void RecordingFeedback::Start() {
    if (IsRunning()) return;
    frames_ = 0;
    paused_ = false;
    countdown_ = 0;
    pausedMs_ = 0;
    if (mainWindow_) plainTitle_ = mainWindow_->windowTitle();
    clock_.start();
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        tray_ = std::make_unique<QSystemTrayIcon>(RecordingIcon(false));
        connect(tray_.get(), &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason reason) {
                    if (reason == QSystemTrayIcon::Trigger) emit stopRequested();
                });
        BuildTrayMenu();
        tray_->show();
    }
    Refresh();
    refresh_.start();
}

void RecordingFeedback::Stop() {
    if (!IsRunning()) return;
    refresh_.stop();
    clock_.invalidate();
    tray_.reset();
    trayMenu_.reset();
    pauseAction_ = nullptr;
    paused_ = false;
    countdown_ = 0;
    if (mainWindow_) mainWindow_->setWindowTitle(plainTitle_);
    if (hooks_.hide) hooks_.hide({});
}

void RecordingFeedback::SetFrameCount(uint32_t frames) {
    frames_ = frames;
}

void RecordingFeedback::BuildTrayMenu() {
    trayMenu_ = std::make_unique<QMenu>();
    pauseAction_ = trayMenu_->addAction(tr("暂停录制"), this, [this] { emit pauseRequested(); });
    pauseAction_->setObjectName(QStringLiteral("暂停录制"));
    trayMenu_->addAction(tr("停止录制"), this, [this] { emit stopRequested(); });
    tray_->setContextMenu(trayMenu_.get());
}

void RecordingFeedback::SetPaused(bool paused) {
    if (!IsRunning() || paused == paused_) return;
    paused_ = paused;
    if (paused) {
        pauseClock_.start();
    } else {
        pausedMs_ += pauseClock_.elapsed();
    }
    if (tray_) tray_->setIcon(RecordingIcon(paused));
    if (pauseAction_) pauseAction_->setText(paused ? tr("继续录制") : tr("暂停录制"));
    Refresh();
}

void RecordingFeedback::SetCountdown(int secondsLeft) {
    if (!IsRunning()) return;
    if (countdown_ > 0 && secondsLeft == 0) clock_.start();  // the recording begins now
    countdown_ = secondsLeft;
    Refresh();
}

qint64 RecordingFeedback::Elapsed() const {
    return clock_.elapsed() - pausedMs_ - (paused_ ? pauseClock_.elapsed() : 0);
}

QString RecordingFeedback::Title() const {
    if (countdown_ > 0) return tr("%1 秒后开始录制 - %2").arg(countdown_).arg(plainTitle_);
    const QString elapsed = FormatElapsed(Elapsed());
    if (paused_) return tr("%1 已暂停 - %2").arg(elapsed, plainTitle_);
    return tr("%1 录制中 - %2").arg(elapsed, plainTitle_);
}

QString RecordingFeedback::ToolTip() const {
    if (countdown_ > 0) return tr("%1 秒后开始录制\n按 F2 取消").arg(countdown_);
    const QString elapsed = FormatElapsed(Elapsed());
    if (paused_) {
        return tr("已暂停 %1, 已录 %2 帧\nShift+F2 继续, 单击此图标停止录制")
            .arg(elapsed)
            .arg(frames_);
    }
    const QString size =
        hooks_.bytes ? QString::fromStdString(", " + MegabytesText(hooks_.bytes())) : QString();
    return tr("录制中 %1, 已录 %2 帧%3\n单击此图标停止录制").arg(elapsed).arg(frames_).arg(size);
}

bool RecordingFeedback::TitleWouldBeRecorded() const {
    if (!mainWindow_ || !mainWindow_->isVisible() || mainWindow_->isMinimized()) return false;
    const CaptureRegion region = hooks_.region ? hooks_.region() : CaptureRegion{};
    const QRect recorded(region.left, region.top, region.Width(), region.Height());
    return mainWindow_->frameGeometry().intersects(recorded);
}

std::vector<platform::Rect> RecordingFeedback::RectanglesToHide() const {
    std::vector<platform::Rect> hidden;
    if (tray_ && tray_->isVisible() && tray_->geometry().isValid()) {
        hidden.push_back(ToRect(tray_->geometry()));
    }
    // The tray icon's tooltip is one of ours.
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->isVisible() && top->inherits("QTipLabel"))
            hidden.push_back(ToRect(top->geometry()));
    }
    return hidden;
}

void RecordingFeedback::Refresh() {
    if (!IsRunning()) return;
    if (mainWindow_) {
        // Nothing is grabbed during the countdown and a pause, and the resume waits for the
        // plain title to be back.
        const bool plain = TitleWouldBeRecorded() && countdown_ == 0 && !paused_;
        const QString title = plain ? plainTitle_ : Title();
        if (mainWindow_->windowTitle() != title) mainWindow_->setWindowTitle(title);
    }
    if (tray_) tray_->setToolTip(ToolTip());
    if (hooks_.hide) hooks_.hide(RectanglesToHide());
}

}  // namespace app
