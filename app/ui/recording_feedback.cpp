#include "app/ui/recording_feedback.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>

namespace app {
namespace {

// A red dot, as recorders show while they record.
QIcon RecordingIcon() {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::white, 2));
    painter.setBrush(QColor(220, 30, 30));
    painter.drawEllipse(QRectF(4, 4, 24, 24));
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
    if (mainWindow_) plainTitle_ = mainWindow_->windowTitle();
    clock_.start();
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        tray_ = std::make_unique<QSystemTrayIcon>(RecordingIcon());
        connect(tray_.get(), &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason reason) {
                    if (reason == QSystemTrayIcon::Trigger) emit stopRequested();
                });
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
    if (mainWindow_) mainWindow_->setWindowTitle(plainTitle_);
    if (hooks_.hide) hooks_.hide({});
}

void RecordingFeedback::SetFrameCount(uint32_t frames) {
    frames_ = frames;
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
    const QString elapsed = FormatElapsed(clock_.elapsed());
    if (mainWindow_) {
        const QString title =
            TitleWouldBeRecorded() ? plainTitle_ : tr("%1 录制中 - %2").arg(elapsed, plainTitle_);
        if (mainWindow_->windowTitle() != title) mainWindow_->setWindowTitle(title);
    }
    if (tray_) {
        tray_->setToolTip(
            tr("录制中 %1, 已录 %2 帧\n单击此图标停止录制").arg(elapsed).arg(frames_));
    }
    if (hooks_.hide) hooks_.hide(RectanglesToHide());
}

}  // namespace app
