// The main window's remembered settings: put into the controls at the start and by
// "恢复默认设置", and handed to the store when one of them changes.
#include <QMenu>
#include <QTimer>

#include <cstdio>

#include "app/ui/main_window.h"

namespace app {

void MainWindow::StartRememberingSettings(const SettingsLoad& remembered,
                                          RememberedSettingsStore* store) {
    const QString startText = statusLine_->text();
    ApplySettings(remembered.settings);
    // The sliders' feedback is for the user's own moves; the start says what it started from.
    const std::string status = SettingsLoadStatus(remembered.outcome);
    statusLine_->setText(status.empty() ? startText : QString::fromStdString(status));

    settingsStore_ = store;
    if (remembered.outcome == SettingsLoad::Outcome::Loaded) saved_ = remembered.settings;
    for (QLineEdit* field : regionFields_) {
        connect(field, &QLineEdit::textChanged, this, &MainWindow::SettingsChanged);
    }
    for (QSlider* slider : {frameInterval_, playSpeed_, brightness_, blackWhite_}) {
        connect(slider, &QSlider::valueChanged, this, &MainWindow::SettingsChanged);
    }
    connect(modeList_, &QComboBox::currentIndexChanged, this, &MainWindow::SettingsChanged);
    connect(watermarkSwitch_, &QCheckBox::toggled, this, &MainWindow::SettingsChanged);
    // A first start leaves the defaults, so that the next one has nothing to report.
    if (remembered.outcome == SettingsLoad::Outcome::Missing) SaveSettingsNow();
}

RememberedSettings MainWindow::CurrentSettings() const {
    RememberedSettings s = remembered_;
    s.captureMode = modeList_->currentIndex();
    s.region = Region();
    s.frameIntervalPosition = frameInterval_->value();
    s.playSpeedPosition = playSpeed_->value();
    s.brightnessPosition = brightness_->value();
    s.blackWhitePosition = blackWhite_->value();
    s.watermarkOn = watermarkSwitch_->isChecked();
    // Without a picture the worker places the built-in one by its size; that is not remembered.
    const CaptureSettings capture = settings_.Snapshot();
    const bool picture = capture.watermarkPicture && !capture.watermarkPicture->empty();
    s.watermarkPicture = picture ? *capture.watermarkPicture : PictureBytes{};
    s.watermarkWidth = picture ? capture.watermarkWidth : 0;
    s.watermarkHeight = picture ? capture.watermarkHeight : 0;
    return s;
}

void MainWindow::ApplySettings(const RememberedSettings& s) {
    remembered_ = s;
    modeList_->setCurrentIndex(s.captureMode);
    if (s.captureMode == 0) {
        const platform::Size screen = desktop_.ScreenSize();
        SetRegion({0, 0, screen.width, screen.height});
    } else {
        SetRegion(s.region);
    }
    if (s.captureMode == 2 && captureMode_) {
        captureMode_->CloseRegionFrame();
        captureMode_->OpenRegionFrame();
    }
    frameInterval_->setValue(s.frameIntervalPosition);
    playSpeed_->setValue(s.playSpeedPosition);
    brightness_->setValue(s.brightnessPosition);
    blackWhite_->setValue(s.blackWhitePosition);
    watermarkSwitch_->setChecked(s.watermarkOn);
    if (s.watermarkPicture.empty()) {
        ClearWatermarkPicture();
    } else {
        SetWatermarkPicture(QByteArray(reinterpret_cast<const char*>(s.watermarkPicture.data()),
                                       static_cast<qsizetype>(s.watermarkPicture.size())),
                            s.watermarkWidth, s.watermarkHeight);
    }
    for (const auto& bind : rememberedBindings_) bind(s);
}

void MainWindow::RestoreDefaultSettings() {
    // The region and the encoder's choices hold for a whole recording.
    if (controller_->IsRecording() || controller_->IsSaving()) {
        statusLine_->setText(tr("录制或保存时不能恢复默认设置"));
        return;
    }
    ApplySettings(RememberedSettings{});
    statusLine_->setText(tr("已恢复默认设置"));
    SaveSettingsNow();
}

void MainWindow::ClearWatermarkPicture() {
    pictureBox_->clear();
    settings_.Update([](CaptureSettings& s) {
        s.watermarkPicture.reset();
        s.watermarkWidth = 0;
        s.watermarkHeight = 0;
    });
    SettingsChanged();
}

void MainWindow::SettingsChanged() {
    if (!settingsStore_ || settingsSavePending_) return;
    settingsSavePending_ = true;
    QTimer::singleShot(0, this, &MainWindow::SaveSettingsNow);
}

void MainWindow::SaveSettingsNow() {
    settingsSavePending_ = false;
    if (!settingsStore_) return;
    const RememberedSettings now = CurrentSettings();
    if (saved_ && *saved_ == now) return;
    if (const std::string problem = RememberedSettingsProblem(now); !problem.empty()) {
        std::fprintf(stderr, "gifrec: settings not saved: %s\n", problem.c_str());
        return;
    }
    if (!settingsStore_->Save(now)) {
        if (!settingsSaveFailed_) {
            std::fprintf(stderr, "gifrec: %s\n", settingsStore_->SaveError().c_str());
            statusLine_->setText(tr("无法保存设置"));
        }
        settingsSaveFailed_ = true;  // told once, until a save succeeds again
        return;
    }
    saved_ = now;
    settingsSaveFailed_ = false;
}

void MainWindow::BindRemembered(QAction* action, bool RememberedSettings::*field) {
    action->setCheckable(true);
    auto apply = [action, field](const RememberedSettings& s) { action->setChecked(s.*field); };
    apply(remembered_);
    rememberedBindings_.push_back(apply);
    connect(action, &QAction::toggled, this, [this, field](bool on) {
        remembered_.*field = on;
        SettingsChanged();
    });
}

void MainWindow::BindChoices(QActionGroup* choices,
                             std::function<QVariant(const RememberedSettings&)> read,
                             std::function<void(RememberedSettings&, const QVariant&)> write) {
    choices->setExclusive(true);
    auto apply = [choices, read](const RememberedSettings& s) {
        const QVariant value = read(s);
        for (QAction* action : choices->actions()) {
            if (action->data() == value) action->setChecked(true);
        }
    };
    apply(remembered_);
    rememberedBindings_.push_back(apply);
    for (QAction* action : choices->actions()) {
        action->setCheckable(true);
        connect(action, &QAction::toggled, this, [this, action, write](bool on) {
            if (!on) return;
            write(remembered_, action->data());
            SettingsChanged();
        });
    }
}

void MainWindow::BindRemembered(QActionGroup* choices, int RememberedSettings::*field) {
    BindChoices(
        choices, [field](const RememberedSettings& s) { return QVariant(s.*field); },
        [field](RememberedSettings& s, const QVariant& value) { s.*field = value.toInt(); });
}

void MainWindow::BindRemembered(QActionGroup* choices, std::string RememberedSettings::*field) {
    BindChoices(
        choices,
        [field](const RememberedSettings& s) { return QVariant(QString::fromStdString(s.*field)); },
        [field](RememberedSettings& s, const QVariant& value) {
            s.*field = value.toString().toStdString();
        });
}

void MainWindow::BuildLanguageMenu(QMenu* tools) {
    QMenu* menu = tools->addMenu(tr("界面语言"));
    auto* choices = new QActionGroup(menu);
    // Each language by its own name, so that it can be found in a language one cannot read.
    const std::pair<QString, const char*> entries[] = {
        {tr("跟随系统"), ""}, {QStringLiteral("中文"), "zh"}, {QStringLiteral("English"), "en"}};
    for (const auto& [text, code] : entries) {
        QAction* action = menu->addAction(text);
        action->setObjectName(QStringLiteral("language-") + QString::fromLatin1(code));
        action->setData(QString::fromLatin1(code));
        choices->addAction(action);
    }
    BindRemembered(choices, &RememberedSettings::language);
    connect(choices, &QActionGroup::triggered, this,
            [this] { statusLine_->setText(tr("界面语言将在下次启动时生效")); });
}

}  // namespace app
