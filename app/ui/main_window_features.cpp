// The main window's capture-region controls, overlays, clipboard copy, drag-and-drop, menus and
// settings feedback.
#include <QMenuBar>
#include <QShowEvent>
#include <QStyle>
#include <QWindow>

#include <cstdio>

#include "app/core/status_texts.h"
#include "app/ui/clipboard_copy.h"
#include "app/ui/help_actions.h"
#include "app/ui/main_window.h"
#include "app/ui/ui_scale.h"
#include "app/ui/watermark_maker_window.h"

namespace app {

// The window system's word on whether the window is on the screen reaches the capture worker,
// which holds a full-screen recording's first grab until the minimised window has gone: its
// contents go first (no longer exposed), the window manager's frame with the iconic state.
void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    QWindow* window = windowHandle();
    if (!window || window->property("gifrecWatched").toBool()) return;
    window->setProperty("gifrecWatched", true);
    window->installEventFilter(this);
    connect(window, &QWindow::windowStateChanged, this,
            [this](Qt::WindowState) { NoteOnScreen(); });
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Expose && watched == windowHandle()) NoteOnScreen();
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::NoteOnScreen() {
    const QWindow* window = windowHandle();
    const bool onScreen =
        window && window->isExposed() && !(window->windowStates() & Qt::WindowMinimized);
    settings_.Update([onScreen](CaptureSettings& s) { s.mainWindowOnScreen = onScreen; });
}

void MainWindow::WireFeatures() {
    captureMode_ = new CaptureModeController(
        this, modeList_, modeButton_, desktop_,
        {[this] { return Region(); }, [this](const CaptureRegion& region) { SetRegion(region); }},
        {}, highlightTimer_);
    captureMode_->AddMonitorModes();
    captureMode_->SetWrittenScreenRegion(Region());
    connect(captureMode_, &CaptureModeController::regionFrameShownChanged, this,
            [this](bool shown) {
                if (controller_) controller_->SetRegionFrameShown(shown);
            });
    feedback_ = new RecordingFeedback(
        this, {[this] { return Region(); },
               [this](const std::vector<platform::Rect>& hidden) {
                   settings_.Update([&](CaptureSettings& s) { s.hidden = hidden; });
               },
               [this] {
                   const auto& maker = controller_->State().gifMaker;
                   return maker ? maker->BytesSoFar() : 0;
               }});
    connect(feedback_, &RecordingFeedback::stopRequested, this, [this] {
        if (controller_ && controller_->IsRecording()) controller_->ToggleRecording();
    });
    connect(feedback_, &RecordingFeedback::pauseRequested, this,
            [this] { controller_->TogglePause(); });
    connect(pauseButton_, &QPushButton::clicked, this, [this] { controller_->TogglePause(); });
    ShowPaused(false);
    dropReceiver_.Install(pictureBox_, [this](const QString& fileList) {
        OnFilesDropped(fileList,
                       {[this](const QString& text) { statusLine_->setText(text); },
                        [this](const QByteArray& picture, int width, int height) {
                            SetWatermarkPicture(picture, width, height);
                        }},
                       this);
    });
    BuildMenus();
}

void MainWindow::BuildMenus() {
    QMenu* tools = menuBar()->addMenu(tr("工具"));
    tools->addAction(tr("制作水印"), this, &MainWindow::OnMakeWatermarkItem);
    BuildTimingMenu(tools);  // the entries below keep their places counted from the end
    resaveAction_ = tools->addAction(tr("重新保存"), this, [this] { controller_->Resave(); });
    resaveAction_->setObjectName(QStringLiteral("重新保存"));
    resaveAction_->setEnabled(false);
    // Both apply from the next recording on: its frames are reduced and laid out as they come.
    tools->addSeparator();
    wholeFramesAction_ = tools->addAction(tr("保存完整帧"));
    exactColoursAction_ = tools->addAction(tr("精确颜色"));
    wholeFramesAction_->setObjectName(QStringLiteral("保存完整帧"));
    exactColoursAction_->setObjectName(QStringLiteral("精确颜色"));
    const gif::MakerOptions& options = controller_->State().makerOptions;
    for (QAction* action : {wholeFramesAction_, exactColoursAction_}) {
        action->setCheckable(true);
        action->setChecked(action == wholeFramesAction_ ? !options.optimise : options.exactColours);
        connect(action, &QAction::toggled, this, &MainWindow::ApplyEncodingChoices);
    }
    BindRemembered(wholeFramesAction_, &RememberedSettings::wholeFrames);
    BindRemembered(exactColoursAction_, &RememberedSettings::exactColours);
    BuildEncodingMenus(tools);
    tools->addSeparator();
    BuildLanguageMenu(tools);
    tools->addSeparator();
    tools->addAction(tr("恢复默认设置"), this, &MainWindow::RestoreDefaultSettings)
        ->setObjectName(QStringLiteral("恢复默认设置"));
    QMenu* help = menuBar()->addMenu(tr("帮助"));
    help->addAction(tr("使用教程"), this, [this] {
        if (OnTutorialItem().isEmpty()) statusLine_->setText(tr("无法写入使用教程文件"));
    });
    help->addAction(tr("关于"), this, [this] { OnAboutItem(this); });
}

QActionGroup* MainWindow::AddChoices(QMenu* menu, const QList<QPair<QString, int>>& choices,
                                     int checked) {
    auto* group = new QActionGroup(menu);
    for (const auto& [text, value] : choices) {
        QAction* action = menu->addAction(text);
        action->setCheckable(true);
        action->setData(value);
        action->setChecked(value == checked);
        group->addAction(action);
        // Toggled also when remembered settings tick it, not only on a click.
        connect(action, &QAction::toggled, this, &MainWindow::ApplyEncodingChoices);
    }
    return group;
}

void MainWindow::BuildEncodingMenus(QMenu* tools) {
    // Quality 100 loses nothing beyond the palette; below, photos and gradients give way first.
    QMenu* quality = tools->addMenu(tr("画质"));
    quality->setObjectName(QStringLiteral("画质"));
    qualityChoices_ = AddChoices(quality,
                                 {{tr("100 (无损)"), 100},
                                  {QStringLiteral("90"), 90},
                                  {QStringLiteral("70"), 70},
                                  {QStringLiteral("50"), 50}},
                                 100);
    QMenu* size = tools->addMenu(tr("输出尺寸"));
    size->setObjectName(QStringLiteral("输出尺寸"));
    scaleChoices_ = AddChoices(size, {{"100%", 100}, {"75%", 75}, {"50%", 50}}, 100);
    QMenu* limit = tools->addMenu(tr("大小上限"));
    limit->setObjectName(QStringLiteral("大小上限"));
    limitChoices_ =
        AddChoices(limit, {{tr("不限"), 0}, {"5 MB", 5}, {"10 MB", 10}, {"25 MB", 25}}, 0);
    BindRemembered(qualityChoices_, &RememberedSettings::quality);
    BindRemembered(scaleChoices_, &RememberedSettings::outputScalePercent);
    BindRemembered(limitChoices_, &RememberedSettings::sizeLimitMegabytes);
    ApplyEncodingChoices();
}

void MainWindow::ApplyEncodingChoices() {
    const auto checked = [](QActionGroup* group, int fallback) {
        return group && group->checkedAction() ? group->checkedAction()->data().toInt() : fallback;
    };
    const bool whole = wholeFramesAction_->isChecked();
    const bool exact = exactColoursAction_->isChecked();
    gif::MakerOptions options;
    options.optimise = !whole;
    options.exactColours = exact;
    options.screenColours = !whole && !exact;  // the recorder's own colours unless asked otherwise
    options.quality = checked(qualityChoices_, 100);
    options.scalePercent = uint32_t(checked(scaleChoices_, 100));
    controller_->SetMakerOptions(options);
    // Decimal megabytes, as the sites that take 10 MB count them.
    controller_->SetSizeLimit(uint64_t(checked(limitChoices_, 0)) * 1000 * 1000);
}

void MainWindow::BuildTimingMenu(QMenu* tools) {
    tools->addSeparator();
    fixedDelaysAction_ = tools->addAction(tr("固定帧延时"));
    fixedDelaysAction_->setObjectName(QStringLiteral("固定帧延时"));
    fixedDelaysAction_->setCheckable(true);
    fixedDelaysAction_->setChecked(controller_->FixedDelays());
    connect(fixedDelaysAction_, &QAction::toggled, this, [this](bool fixed) {
        controller_->SetFixedDelays(fixed);
        OnPlaySpeedChanged(playSpeed_->value());
    });
    BindRemembered(fixedDelaysAction_, &RememberedSettings::fixedDelays);
    countdownAction_ = tools->addAction(tr("开始前倒计时 3 秒"));
    countdownAction_->setObjectName(QStringLiteral("倒计时"));
    countdownAction_->setCheckable(true);
    countdownAction_->setChecked(controller_->Countdown());
    connect(countdownAction_, &QAction::toggled, this,
            [this](bool on) { controller_->SetCountdown(on); });
    BindRemembered(countdownAction_, &RememberedSettings::countdown);
    tools->addSeparator();
}

void MainWindow::ShowRecordingControls(bool recording) {
    if (recording == pauseButton_->isVisible()) return;
    if (recording) {
        idleListWidth_ = modeList_->width();
        idleModeButton_ = modeButton_->isVisible();
        modeButton_->hide();
        modeList_->setFixedWidth(Px(CaptureModeController::kNarrowList));
        pauseButton_->show();
    } else {
        pauseButton_->hide();
        modeList_->setFixedWidth(idleListWidth_);
        modeButton_->setVisible(idleModeButton_);
    }
    modeList_->setEnabled(!recording);
}

void MainWindow::RunAfter(int milliseconds, std::function<void()> task) {
    QTimer::singleShot(milliseconds, this, std::move(task));
}

void MainWindow::ShowPaused(bool paused) {
    pauseButton_->setIcon(
        style()->standardIcon(paused ? QStyle::SP_MediaPlay : QStyle::SP_MediaPause));
    pauseButton_->setToolTip(paused ? tr("继续录制（Shift+F2）") : tr("暂停录制（Shift+F2）"));
    if (feedback_) feedback_->SetPaused(paused);
}

// Where our windows can be placed (X11) large digits count; elsewhere a window would be
// recorded, so the title and the tray's tooltip count instead.
void MainWindow::ShowCountdown(int secondsLeft) {
    if (feedback_) feedback_->SetCountdown(secondsLeft);
    pauseButton_->setEnabled(secondsLeft <= 0);  // nothing to pause before the first grab
    if (secondsLeft > 0) {
        statusLine_->setText(tr("%1 秒后开始录制, 按 F2 取消").arg(secondsLeft));
    }
    if (!desktop_.CanPlaceOverlays()) return;
    if (secondsLeft <= 0) {
        if (countdown_) countdown_->hide();
        return;
    }
    if (!countdown_) countdown_ = std::make_unique<CountdownWindow>();
    const CaptureRegion region = Region();
    countdown_->ShowSeconds(secondsLeft,
                            QRect(region.left, region.top, region.Width(), region.Height()));
}

void MainWindow::OnMakeWatermarkItem() {
    auto* maker = new WatermarkMakerWindow(this);
    connect(maker, &WatermarkMakerWindow::watermarkGenerated, this,
            &MainWindow::SetWatermarkPicture);
    maker->show();
}

QString MainWindow::CaptureProblemText(platform::CaptureProblem problem) {
    using platform::CaptureProblem;
    switch (problem) {
        case CaptureProblem::NoProblem:
            return {};
        case CaptureProblem::NoSessionBus:
            return tr("无法录制: 没有 D-Bus 会话, 找不到屏幕录制门户");
        case CaptureProblem::NoPortal:
            return tr("无法录制: 桌面没有提供屏幕录制门户");
        case CaptureProblem::Refused:
            return tr("无法录制: 屏幕录制未获允许");
        case CaptureProblem::PortalFailed:
            return tr("无法录制: 屏幕录制门户出错");
        case CaptureProblem::NoPipeWire:
            return tr("无法录制: 连接不上 PipeWire 视频流");
        case CaptureProblem::NoFrames:
            return tr("无法录制: 视频流没有送来画面");
        case CaptureProblem::BlackScreen:
            return tr("无法录制: Xwayland 下截屏全黑, 请以 Wayland 方式运行");
        case CaptureProblem::Busy:
            return tr("正在等待屏幕录制的授权");
        case CaptureProblem::NoWindowChosen:
            return tr("无法录制: 请先点击“采集”, 在桌面给出的列表中选择要录制的窗口");
    }
    return {};
}

std::string MainWindow::CheckCapture() {
    const QString problem = CaptureProblemText(desktop_.PrepareCapture());
    if (problem.isEmpty() && captureMode_) captureMode_->RefreshScreenRegion();
    if (!problem.isEmpty()) std::fprintf(stderr, "gifrec: %s\n", problem.toLocal8Bit().constData());
    return problem.toStdString();
}

void MainWindow::OpenCursorOverlay() {
    // Where our windows cannot be placed, the portal draws the pointer into the frames.
    if (!desktop_.CanPlaceOverlays()) return;
    cursorOverlay_ = std::make_unique<CursorOverlayWindow>([this]() -> std::optional<QPoint> {
        std::optional<platform::Point> at = desktop_.PointerPosition();
        if (!at) return std::nullopt;
        return QPoint(at->x, at->y);
    });
    cursorOverlay_->show();
}

void MainWindow::CloseCursorOverlay() {
    if (cursorOverlay_) cursorOverlay_->close();
    cursorOverlay_.reset();
}

void MainWindow::CloseRegionFrame() {
    if (captureMode_) captureMode_->CloseRegionFrame();
}

void MainWindow::CopyGifToClipboard(const std::string& path) {
    app::CopyGifToClipboard(QString::fromStdString(path));
}

void MainWindow::OnFrameIntervalChanged(int position) {
    statusLine_->setText(QString::fromStdString(FrameIntervalStatus(position)));
}

void MainWindow::OnPlaySpeedChanged(int position) {
    const std::string text = controller_->FixedDelays() ? PlaySpeedStatus(DelayFactorFor(position))
                                                        : SpeedFactorStatus(position);
    statusLine_->setText(QString::fromStdString(text));
}

void MainWindow::OnBrightnessChanged(int position) {
    statusLine_->setText(QString::fromStdString(BrightnessStatus(position)));
}

void MainWindow::OnBlackWhiteChanged(int position) {
    statusLine_->setText(QString::fromStdString(BlackWhiteStatus(position)));
}

void MainWindow::OnWatermarkSwitchClicked(bool checked) {
    statusLine_->setText(QString::fromStdString(WatermarkSwitchStatus(checked)));
}

void MainWindow::OnCaptureModeChanged(int index) {
    if (captureMode_) captureMode_->OnCaptureModeChanged(index);
}

void MainWindow::OnModeButtonClick() {
    if (captureMode_) captureMode_->OnModeButtonClick();
}

void MainWindow::OnHighlightTick() {
    if (captureMode_) captureMode_->Picker().OnHighlightTick();
}

}  // namespace app
