#include "app/ui/capture_mode_controller.h"

#include <QMouseEvent>

#include "app/core/recording.h"
#include "app/ui/region_selection_window.h"
#include "app/ui/steering_caption.h"
#include "app/ui/ui_scale.h"

namespace app {

namespace {
const QString kPickCaption = QStringLiteral("采集");
const QString kRegionCaption = QStringLiteral("区域");
}  // namespace

CaptureModeController::CaptureModeController(QWidget* mainWindow, QComboBox* modeList,
                                             QAbstractButton* modeButton,
                                             platform::Desktop& desktop, RegionAccess region,
                                             RegionChooser chooser, QTimer* highlightTimer)
    : QObject(mainWindow),
      mainWindow_(mainWindow),
      modeList_(modeList),
      modeButton_(modeButton),
      desktop_(desktop),
      region_(std::move(region)),
      chooser_(std::move(chooser)),
      picker_(
          desktop,
          [this] {
              return mainWindow_ ? static_cast<platform::WindowId>(mainWindow_->winId())
                                 : platform::kNoWindow;
          },
          [this](const CaptureRegion& picked) {
              if (region_.write) region_.write(picked);
          },
          this, highlightTimer) {
    if (!chooser_) chooser_ = [this] { return SelectRegion(mainWindow_, &desktop_); };
    // Press and release are taken before the button sees them: the release counts wherever
    // the pointer is, while the button's own signals only report releases over it.
    modeButton_->installEventFilter(this);
}

CaptureModeController::~CaptureModeController() {
    // Silently: whoever listens may be half torn down by now.
    if (frame_) frame_->close();
}

void CaptureModeController::AddMonitorModes() {
    std::vector<platform::Monitor> monitors = desktop_.Monitors();
    if (monitors.size() < 2) return;
    modeList_->addItem(tr("所有显示器"));
    monitors_.push_back({"", platform::BoundingRect(monitors), false});
    for (size_t i = 0; i < monitors.size(); ++i) {
        const QString name = monitors[i].name.empty() ? QString::number(i + 1)
                                                      : QString::fromStdString(monitors[i].name);
        modeList_->addItem(tr("显示器 %1").arg(name));
        monitors_.push_back(monitors[i]);
    }
}

CaptureRegion CaptureModeController::ScreenModeRegion(int index) {
    // Full screen is the primary monitor, wherever it lies among the others.
    platform::Rect screen = desktop_.PrimaryScreen();
    if (index >= kFirstMonitorMode && size_t(index - kFirstMonitorMode) < monitors_.size())
        screen = monitors_[size_t(index - kFirstMonitorMode)].rect;
    return CaptureRegion{screen.left, screen.top, screen.right, screen.bottom};
}

void CaptureModeController::RefreshScreenRegion() {
    const int index = modeList_->currentIndex();
    if (!IsScreenMode(index) || !region_.read || !region_.write) return;
    // Only the region the mode wrote, not one set since by other means.
    if (!(region_.read() == writtenScreenRegion_)) return;
    WriteScreenRegion(index);
}

void CaptureModeController::WriteScreenRegion(int index) {
    writtenScreenRegion_ = ScreenModeRegion(index);
    if (region_.write) region_.write(writtenScreenRegion_);
}

void CaptureModeController::OnCaptureModeChanged(int index) {
    picker_.Cancel();
    if (index != kRegionMode) CloseRegionFrame();
    // First: the screen's size below is the monitor's only while grabs show the monitor.
    desktop_.UseWindowSource(index == 1 && desktop_.CanPickWindows());
    if (IsScreenMode(index)) {
        WriteScreenRegion(index);
        modeList_->setFixedWidth(Px(kWideList));
        modeButton_->hide();
        return;
    }
    modeList_->setFixedWidth(Px(kNarrowList));
    modeButton_->show();
    if (index == 1 && !desktop_.CanPickWindows()) {
        // The desktop shows us no other window; the mode list says so, and the mode does nothing.
        modeButton_->hide();
        modeList_->setToolTip(tr("此桌面不让程序看到其他窗口, 无法选择窗口"));
        return;
    }
    modeList_->setToolTip(QString());
    if (index == 1) {
        SetSteeringCaption(modeButton_, kPickCaption);
        modeButton_->setToolTip(desktop_.HasWindowChooser()
                                    ? tr("点击此按钮, 在桌面给出的窗口列表中选择要录制的窗口")
                                    : tr("按住此按钮, 把鼠标移到要录制的窗口上再松开"));
    } else if (index == 2) {
        SetSteeringCaption(modeButton_, kRegionCaption);
        modeButton_->setToolTip(tr("点击后在冻结的屏幕上拖出要录制的矩形, 右键取上一次的区域"));
    }
}

bool CaptureModeController::eventFilter(QObject* watched, QEvent* event) {
    // Where the desktop's chooser picks, the click does; there is nothing under the pointer to
    // highlight.
    if (watched == modeButton_ && !desktop_.HasWindowChooser()) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        // A press soon after the last one arrives as a double-click; it is a press all the same.
        const bool press = event->type() == QEvent::MouseButtonPress ||
                           event->type() == QEvent::MouseButtonDblClick;
        if (press && mouse->button() == Qt::LeftButton) {
            picker_.OnModeButtonDown(SteeringCaption(modeButton_));
        } else if (event->type() == QEvent::MouseButtonRelease &&
                   mouse->button() == Qt::LeftButton) {
            picker_.OnModeButtonUp(SteeringCaption(modeButton_));
        }
    }
    return QObject::eventFilter(watched, event);
}

void CaptureModeController::OnModeButtonClick() {
    if (!modeButton_) return;
    if (SteeringCaption(modeButton_) == kPickCaption) {
        if (!desktop_.HasWindowChooser() || !desktop_.CanPickWindows()) return;
        // The recording is the chosen window's stream as a whole.
        std::optional<platform::Size> size = desktop_.ChooseWindow();
        if (size && region_.write) region_.write(CaptureRegion{0, 0, size->width, size->height});
        return;
    }
    if (SteeringCaption(modeButton_) != kRegionCaption) return;
    CloseRegionFrame();
    std::optional<CaptureRegion> chosen = chooser_();
    if (chosen && region_.write) region_.write(*chosen);
    OpenRegionFrame();
}

void CaptureModeController::OpenRegionFrame() {
    // Where our windows cannot be placed (Wayland) the frame would sit anywhere, and inside the
    // recording: it is left out.
    if (!desktop_.CanPlaceOverlays()) return;
    CaptureRegion region = region_.read ? region_.read() : CaptureRegion{};
    frame_ = std::make_unique<RegionFrameWindow>(region);
    frame_->show();
    emit regionFrameShownChanged(true);
}

void CaptureModeController::CloseRegionFrame() {
    if (!frame_) return;
    frame_->close();
    frame_.reset();
    emit regionFrameShownChanged(false);
}

}  // namespace app
