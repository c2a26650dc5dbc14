#include "app/ui/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScreen>

#include <cstdlib>

#include "app/ui/preview_window.h"
#include "app/ui/steering_caption.h"
#include "app/ui/ui_scale.h"

namespace app {
namespace {

// The settings rows are 24 pixels apart; the caption label draws one line of its text per row.
class RowCaptions : public QLabel {
  public:
    using QLabel::QLabel;

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QStringList lines = text().split('\n');
        for (int row = 0; row < lines.size(); ++row) {
            painter.drawText(QRect(0, Px(row * 24 - 2), width(), Px(20)),
                             Qt::AlignLeft | Qt::AlignVCenter, lines[row]);
        }
    }
};

// The primary screen less the desktop's panels, where Qt knows them for this screen.
QRect AvailableAreaOf(platform::Desktop& desktop) {
    const QScreen* primary = QGuiApplication::primaryScreen();
    // Where our windows are not placed in the screen's pixels, they count Qt's.
    if (!desktop.CanPlaceOverlays() && primary) return primary->availableGeometry();
    const platform::Rect screen = desktop.PrimaryScreen();
    const QRect whole(screen.left, screen.top, screen.Width(), screen.Height());
    if (primary && primary->geometry() == whole) return primary->availableGeometry() & whole;
    return whole;
}

QString FromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

MainWindow::MainWindow(Services services, QWidget* parent)
    : QMainWindow(parent),
      desktop_(services.desktop),
      endProcess_(services.endProcess ? std::move(services.endProcess) : [] { std::_Exit(0); }) {
    BuildControls();
    controller_ = std::make_unique<RecordingController>(
        RecordingController::Dependencies{*this,
                                          settings_,
                                          std::move(services.encoder),
                                          std::move(services.grabber),
                                          services.desktopDirectory.toStdString(),
                                          {},
                                          services.journalFolder,
                                          [this] { return CheckCapture(); }});
    ApplyDefaults();
    ConnectSettings();
    WireFeatures();
    StartRememberingSettings(services.remembered, services.settingsStore);
    // Once the window is up, so that the status line can tell what was recovered.
    QTimer::singleShot(0, this, [this] { controller_->RecoverLeftovers(); });
}

MainWindow::~MainWindow() {
    if (settingsSavePending_) SaveSettingsNow();
    if (background_.joinable()) background_.join();
    controller_.reset();
}

void MainWindow::BuildControls() {
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(tr("GIF 录屏"));
    setGeometry(QRect(QPoint(50, 50), Px(kWidth, kHeight)));
    setFixedSize(Px(kWidth, kHeight));

    auto* central = new QWidget(this);
    setCentralWidget(central);
    group_ = new QGroupBox(tr("录制设置"), central);
    group_->setObjectName(QStringLiteral("zxd"));
    group_->setGeometry(Px(8, 0, 264, 360));

    captions_ = new RowCaptions(group_);
    captions_->setObjectName(QStringLiteral("as"));
    captions_->setGeometry(Px(8, 18, 64, 326));
    captions_->setText(tr("录制范围\n帧间隔\n播放速度\n亮度\n黑白\n水印"));

    BuildModeRow();
    BuildSliders();
    BuildPictureBox();
    BuildStatusLine();
    BuildHiddenControls();
}

void MainWindow::BuildModeRow() {
    modeList_ = new QComboBox(group_);
    modeList_->setObjectName(QStringLiteral("组合框1"));
    modeList_->setGeometry(Px(72, 16, 136, 20));

    modeButton_ = new QPushButton(group_);
    modeButton_->setObjectName(QStringLiteral("按钮2"));
    modeButton_->setGeometry(Px(168, 16, 40, 20));
    modeButton_->hide();

    recordButton_ = new QPushButton(group_);
    recordButton_->setObjectName(QStringLiteral("按钮1"));
    recordButton_->setGeometry(Px(216, 16, 40, 20));

    // In the mode button's place while a recording runs; the mode cannot change meanwhile.
    pauseButton_ = new QPushButton(group_);
    pauseButton_->setObjectName(QStringLiteral("暂停按钮"));
    pauseButton_->setGeometry(Px(168, 16, 40, 20));
    pauseButton_->hide();
}

QSlider* MainWindow::AddSlider(const char* name, int top, int minimum, int maximum, int start) {
    auto* slider = new QSlider(Qt::Horizontal, group_);
    slider->setObjectName(QString::fromUtf8(name));
    slider->setGeometry(Px(66, top, 194, 20));
    slider->setRange(minimum, maximum);
    slider->setValue(start);
    slider->setPageStep(1);
    return slider;
}

void MainWindow::BuildSliders() {
    frameInterval_ = AddSlider("帧数", 40, 1, 20, 2);
    playSpeed_ = AddSlider("播放速度", 64, 1, 5, 3);
    brightness_ = AddSlider("亮度", 88, 1, 20, 10);
    blackWhite_ = AddSlider("黑白", 112, 1, 10, 1);
}

void MainWindow::BuildPictureBox() {
    pictureBox_ = new QLabel(group_);
    pictureBox_->setObjectName(QStringLiteral("图片框1"));
    pictureBox_->setGeometry(Px(72, 136, 184, 184));
    pictureBox_->setFrameShape(QFrame::StyledPanel);
    pictureBox_->setAlignment(Qt::AlignCenter);
    pictureBox_->setAcceptDrops(true);

    watermarkSwitch_ = new QCheckBox(pictureBox_);
    watermarkSwitch_->setObjectName(QStringLiteral("水印开关"));
    watermarkSwitch_->setGeometry(Px(167, 166, 12, 12));

    // The clipboard copy needs no view of its own here; the control keeps its place.
    htmlView_ = new QWidget(pictureBox_);
    htmlView_->setObjectName(QStringLiteral("浏览1"));
    htmlView_->setGeometry(Px(14, 14, 16, 16));
    htmlView_->hide();
}

void MainWindow::BuildStatusLine() {
    statusLine_ = new StatusLine(group_);
    statusLine_->setObjectName(QStringLiteral("动态框"));
    statusLine_->setGeometry(Px(72, 328, 184, 20));
}

void MainWindow::BuildHiddenControls() {
    for (int i = 0; i < 4; ++i) {
        auto* field = new QLineEdit(group_);
        field->setObjectName(QStringLiteral("编辑框%1").arg(i + 1));
        field->setGeometry(Px(500, 136, 40, 20));  // outside the visible area
        field->setFocusPolicy(Qt::NoFocus);        // so Tab cannot lead typing into them
        regionFields_[i] = field;
    }
    // Where the desktop keeps other programs' keys to itself (Wayland), F2 counts while a window
    // of ours has the focus.
    keyWatcher_ = new KeyWatcher(
        [this](int key) { return desktop_.IsKeyDown(key) || focusKeys_.IsDown(key); }, group_);
    keyWatcher_->setObjectName(QStringLiteral("动画框1"));
    keyWatcher_->setGeometry(Px(272, -8, 16, 16));

    previewKeys_ = new KeyWatcher([this](int key) { return desktop_.IsKeyDown(key); }, group_);
    previewKeys_->hide();

    highlightTimer_ = new QTimer(this);
    highlightTimer_->setObjectName(QStringLiteral("画圈"));
}

void MainWindow::ApplyDefaults() {
    statusLine_->setText(tr("按 F2 开始或停止录制"));
    SetSteeringCaption(recordButton_, QString::fromUtf8(kCaptionIdle));
    recordButton_->setToolTip(tr("开始或停止录制（F2）"));
    modeList_->addItems({tr("全屏"),
                         desktop_.CanPickWindows() ? tr("选择窗口") : tr("选择窗口(不可用)"),
                         tr("选择区域")});
    modeList_->setCurrentIndex(0);
    const platform::Rect screen = desktop_.PrimaryScreen();
    SetRegion({screen.left, screen.top, screen.right, screen.bottom});
    keyWatcher_->Watch(500, {kKeyRecordToggle});
    const CaptureRegion region = Region();
    settings_.Update([&](CaptureSettings& s) {
        s.region = region;
        s.frameIntervalPosition = frameInterval_->value();
        s.brightnessPosition = brightness_->value();
        s.blackWhitePosition = blackWhite_->value();
        s.watermarkOn = watermarkSwitch_->isChecked();
        s.delayFactor = DelayFactorFor(playSpeed_->value());
    });
}

void MainWindow::ConnectSettings() {
    connect(recordButton_, &QPushButton::clicked, this, [this] { controller_->ToggleRecording(); });
    connect(keyWatcher_, &KeyWatcher::watchedKey, this, &MainWindow::OnWatchedKey);
    connect(previewKeys_, &KeyWatcher::watchedKey, this,
            [this] { statusLine_->setText(tr("请先双击预览窗口将其关闭, 再按 F2")); });
    for (QLineEdit* field : regionFields_) {
        connect(field, &QLineEdit::textChanged, this, [this] {
            const CaptureRegion region = Region();
            settings_.Update([&](CaptureSettings& s) { s.region = region; });
        });
    }
    connect(frameInterval_, &QSlider::valueChanged, this, [this](int position) {
        settings_.Update([&](CaptureSettings& s) { s.frameIntervalPosition = position; });
        OnFrameIntervalChanged(position);
    });
    connect(playSpeed_, &QSlider::valueChanged, this, [this](int position) {
        controller_->SetPlaySpeedPosition(position);
        OnPlaySpeedChanged(position);
    });
    connect(brightness_, &QSlider::valueChanged, this, [this](int position) {
        settings_.Update([&](CaptureSettings& s) { s.brightnessPosition = position; });
        OnBrightnessChanged(position);
    });
    connect(blackWhite_, &QSlider::valueChanged, this, [this](int position) {
        settings_.Update([&](CaptureSettings& s) { s.blackWhitePosition = position; });
        OnBlackWhiteChanged(position);
    });
    connect(watermarkSwitch_, &QCheckBox::toggled, this, [this](bool checked) {
        settings_.Update([&](CaptureSettings& s) { s.watermarkOn = checked; });
    });
    connect(watermarkSwitch_, &QCheckBox::clicked, this, &MainWindow::OnWatermarkSwitchClicked);
    connect(modeList_, &QComboBox::currentIndexChanged, this, &MainWindow::OnCaptureModeChanged);
    connect(modeButton_, &QPushButton::clicked, this, &MainWindow::OnModeButtonClick);
    connect(highlightTimer_, &QTimer::timeout, this, &MainWindow::OnHighlightTick);
}

CaptureRegion MainWindow::Region() const {
    auto field = [&](int i) { return ParseRegionField(regionFields_[i]->text().toStdString()); };
    return {field(0), field(1), field(2), field(3)};
}

void MainWindow::SetRegion(const CaptureRegion& region) {
    const int32_t values[] = {region.left, region.top, region.right, region.bottom};
    for (int i = 0; i < 4; ++i) regionFields_[i]->setText(QString::number(values[i]));
}

void MainWindow::SetWatermarkPicture(const QByteArray& picture, int width, int height) {
    QPixmap pixmap;
    pixmap.loadFromData(picture);
    pictureBox_->setPixmap(pixmap);
    auto bytes = std::make_shared<const PictureBytes>(picture.begin(), picture.end());
    settings_.Update([&](CaptureSettings& s) {
        s.watermarkPicture = std::move(bytes);
        s.watermarkWidth = width;
        s.watermarkHeight = height;
    });
    SettingsChanged();
}

std::string MainWindow::RecordButtonCaption() const {
    return SteeringCaption(recordButton_).toStdString();
}

void MainWindow::SetRecordButtonCaption(const std::string& caption) {
    SetSteeringCaption(recordButton_, FromUtf8(caption));
    // The caption tells whether a recording runs; the feedback follows it.
    ShowRecordingControls(caption == kCaptionRecording);
    if (!feedback_) return;
    if (caption == kCaptionRecording) {
        feedback_->Start();
    } else {
        feedback_->Stop();
    }
}

int MainWindow::CaptureMode() const {
    return modeList_->currentIndex();
}

int MainWindow::PlaySpeedPosition() const {
    return playSpeed_->value();
}

void MainWindow::SetStatusText(const std::string& text) {
    statusLine_->setText(FromUtf8(text));
}

void MainWindow::StopWatchingKeys() {
    keyWatcher_->Clear();
}

void MainWindow::WatchRecordKeys() {
    keyWatcher_->Clear();
    keyWatcher_->Watch(500, {4, 81, kKeyRecordToggle});
}

void MainWindow::ProcessPendingEvents() {
    QCoreApplication::processEvents();
}

void MainWindow::ShowPreview(const std::string& path) {
    if (preview_) {
        // Replaced by the new one, which gives the keys back when it closes.
        preview_->disconnect(this);
        preview_->close();
    }
    preview_ = new PreviewWindow(this);
    connect(preview_, &PreviewWindow::closed, this, &MainWindow::OnPreviewClosed);
    preview_->SetMakerOptions(controller_->State().makerOptions);
    preview_->Open(FromUtf8(path), AvailableArea());
    preview_->show();
    NoteRateAfterSave();
    // F2 does not record while the preview is open; a press is told why.
    previewKeys_->Clear();
    previewKeys_->Watch(500, {kKeyRecordToggle});
}

QRect MainWindow::AvailableArea() const {
    return AvailableAreaOf(desktop_);
}

void MainWindow::PostFrameCount(uint64_t recording, uint32_t frameNumber, double framesPerSecond) {
    QMetaObject::invokeMethod(
        this,
        [this, recording, frameNumber, framesPerSecond] {
            controller_->OnFrameCaptured(recording, frameNumber, framesPerSecond);
            if (controller_->IsRecording()) NoteFrameCount(frameNumber);
            if (controller_->IsRecording()) feedback_->SetFrameCount(frameNumber);
        },
        Qt::QueuedConnection);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (controller_ && controller_->IsSaving()) {
        // A save is never cut off: the window closes when it has ended.
        event->ignore();
        closeAfterSave_ = true;
        return;
    }
    event->accept();
    if (controller_ && controller_->IsRecording()) {
        // A running recording is abandoned at once: no file is written, none is left to recover.
        controller_->AbandonRecording();
        endProcess_();
        return;
    }
    // An ordinary quit, so that Qt hands the clipboard's GIF over before the process ends.
    QCoreApplication::quit();
}

void MainWindow::OnWatchedKey(int keyCode, int modifiers) {
    controller_->OnWatchedKey(keyCode, modifiers);
}

void MainWindow::OnPreviewClosed() {
    previewKeys_->Clear();
    WatchRecordKeys();
}

}  // namespace app
