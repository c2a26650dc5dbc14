// The main window: every setting, the record button and the status line. It carries out what
// the recording control asks of the windows.
#pragma once

#include <QActionGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPointer>
#include <QPushButton>
#include <QSlider>
#include <QTimer>

#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "app/core/recording.h"
#include "app/core/remembered_settings.h"
#include "app/core/settings.h"
#include "app/ui/capture_mode_controller.h"
#include "app/ui/countdown_window.h"
#include "app/ui/cursor_overlay_window.h"
#include "app/ui/drop_receiver.h"
#include "app/ui/focus_keys.h"
#include "app/ui/key_watcher.h"
#include "app/ui/preview_window.h"
#include "app/ui/recording_feedback.h"
#include "app/ui/status_line.h"
#include "platform/desktop.h"

namespace app {

class MainWindow : public QMainWindow, public RecorderView {
    Q_OBJECT
  public:
    struct Services {
        platform::Desktop& desktop;  // the UI thread's: screen size and key state
        Grabber grabber;             // used on the capture worker's thread
        std::unique_ptr<Encoder> encoder;
        QString desktopDirectory;  // where "GIF动画" goes; empty for the current directory
        // Closing the window during a recording; ends the process at once by default.
        std::function<void()> endProcess;
        // Where recordings are kept while they run and recovered from at the start; empty for
        // none.
        std::filesystem::path journalFolder = {};
        // The settings the last run left (the defaults when none could be used, and the status
        // line says why), and where changes go; null remembers nothing.
        SettingsLoad remembered = {};
        RememberedSettingsStore* settingsStore = nullptr;
    };

    static constexpr int kWidth = 286;
    static constexpr int kHeight = 416;

    explicit MainWindow(Services services, QWidget* parent = nullptr);
    ~MainWindow() override;

    RecordingController& Recording() { return *controller_; }
    // The status line's reason for a recording that cannot start; empty for NoProblem.
    static QString CaptureProblemText(platform::CaptureProblem problem);
    // Asks the desktop whether a recording can see the screen; the reason when it cannot, also
    // written to stderr for whoever started gifrec from a terminal or a shortcut.
    std::string CheckCapture();
    SettingsStore& Settings() { return settings_; }
    KeyWatcher* Keys() const { return keyWatcher_; }
    PreviewWindow* Preview() const { return preview_; }
    RecordingFeedback* Feedback() const { return feedback_; }

    // Where windows may go on the primary screen: the screen less the desktop's panels.
    QRect AvailableArea() const;

    // The capture region held in the four hidden fields.
    CaptureRegion Region() const;
    void SetRegion(const CaptureRegion& region);

    // Makes a picture file the watermark: shows it in the picture box; the next recording stamps
    // it, placed by this size from now on.
    void SetWatermarkPicture(const QByteArray& picture, int width, int height);

    // RecorderView
    std::string RecordButtonCaption() const override;
    void SetRecordButtonCaption(const std::string& caption) override;
    int CaptureMode() const override;
    int PlaySpeedPosition() const override;
    // Where minimising fails (a tiling desktop, an X11 window manager that ignores it), the
    // window is hidden for the recording if it can be stopped unseen; otherwise it stays and the
    // status line says how to stop (main_window_recording.cpp).
    void MinimiseMainWindow() override;
    void RestoreMainWindow() override;
    bool MinimisingKeepsWindowShown() const override;
    // Whether `gifrec --toggle` (or the desktop's shortcut bound to the same toggle) reaches this
    // window, so that a recording can be stopped while it is hidden.
    void SetRemoteStopAvailable(bool available) { remoteStop_ = available; }
    bool HiddenForRecording() const { return hiddenForRecording_; }
    void SetStatusText(const std::string& text) override;
    void StopWatchingKeys() override;
    void WatchRecordKeys() override;
    void OpenCursorOverlay() override;
    void CloseCursorOverlay() override;
    void CloseRegionFrame() override;
    void ProcessPendingEvents() override;
    void CopyGifToClipboard(const std::string& path) override;
    void ShowPreview(const std::string& path) override;
    void PostFrameCount(uint64_t recording, uint32_t frameNumber, double framesPerSecond) override;
    void RunAfter(int milliseconds, std::function<void()> task) override;
    void ShowPaused(bool paused) override;
    void ShowCountdown(int secondsLeft) override;
    void PostToUiThread(std::function<void()> task) override;
    void RunInBackground(std::function<void()> job, std::function<void()> done) override;
    void ShowSaveProgress(int percent) override;
    void ShowSaveFailed(const std::string& error) override;
    void ShowStoppedAndSaved(const std::string& reason, const std::string& fileName) override;
    void ShowRecovered(const std::vector<std::string>& fileNames,
                       const std::vector<std::string>& failures) override;
    void SetResaveAvailable(bool available) override;
    QAction* ResaveAction() const { return resaveAction_; }
    QAction* WholeFramesAction() const { return wholeFramesAction_; }
    QAction* ExactColoursAction() const { return exactColoursAction_; }
    // Checked: the fixed delays of the play-speed slider instead of real time.
    QAction* FixedDelaysAction() const { return fixedDelaysAction_; }
    QAction* CountdownAction() const { return countdownAction_; }
    QPushButton* PauseButton() const { return pauseButton_; }
    CountdownWindow* Countdown() const { return countdown_.get(); }

    // The settings as the controls hold them now, and putting a whole value into them.
    RememberedSettings CurrentSettings() const;
    void ApplySettings(const RememberedSettings& settings);
    // "恢复默认设置": the defaults into every control, and into the store.
    void RestoreDefaultSettings();
    // Hands the current settings to the store when they differ from what it holds; changes
    // made in one pass of the event loop are written once, at its end.
    void SaveSettingsNow();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void NoteOnScreen();
    void BuildControls();
    void BuildModeRow();
    void BuildSliders();
    void BuildPictureBox();
    void BuildStatusLine();
    void BuildHiddenControls();
    QSlider* AddSlider(const char* name, int top, int minimum, int maximum, int start);
    void ApplyDefaults();
    void ConnectSettings();

    // Feedback on the settings; filled in by the settings-feedback feature.
    void OnFrameIntervalChanged(int position);
    void OnPlaySpeedChanged(int position);
    void OnBrightnessChanged(int position);
    void OnBlackWhiteChanged(int position);
    void OnWatermarkSwitchClicked(bool checked);
    // The capture-mode list and mode button; filled in by the capture-region feature.
    void OnCaptureModeChanged(int index);
    void OnModeButtonClick();
    void OnHighlightTick();

    // Region controls, overlays, drops, menus (main_window_features.cpp).
    void WireFeatures();
    void BuildMenus();
    void BuildTimingMenu(QMenu* tools);
    // The pause button instead of the mode button while recording (main_window_features.cpp).
    void ShowRecordingControls(bool recording);
    void OnMakeWatermarkItem();
    void BuildLanguageMenu(QMenu* tools);

    // Remembered settings (main_window_remembered.cpp). A checkable action, or a group of
    // exclusive actions each holding its value as data(), is set from a field now and at every
    // ApplySettings, and each change of it is written to that field and saved.
    void BuildEncodingMenus(QMenu* tools);
    QActionGroup* AddChoices(QMenu* menu, const QList<QPair<QString, int>>& choices, int checked);
    // The colour, quality, size and limit choices into the recorder's settings.
    void ApplyEncodingChoices();
    void BindRemembered(QAction* action, bool RememberedSettings::*field);
    void BindRemembered(QActionGroup* choices, int RememberedSettings::*field);
    void BindRemembered(QActionGroup* choices, std::string RememberedSettings::*field);
    void BindChoices(QActionGroup* choices, std::function<QVariant(const RememberedSettings&)> read,
                     std::function<void(RememberedSettings&, const QVariant&)> write);
    void ClearWatermarkPicture();
    void SettingsChanged();
    void StartRememberingSettings(const SettingsLoad& remembered, RememberedSettingsStore* store);

    bool CanBeStoppedUnseen() const;
    void HideForRecording();
    void StayInSight();
    // After the count: the note of a window that stayed, or that the rate is not kept.
    void NoteFrameCount(uint32_t frames);
    void NoteRateAfterSave();

    void OnWatchedKey(int keyCode, int modifiers);
    void OnPreviewClosed();
    void OnBackgroundDone(const std::function<void()>& done);

    platform::Desktop& desktop_;
    std::function<void()> endProcess_;
    SettingsStore settings_;

    QGroupBox* group_ = nullptr;           // zxd
    QLabel* captions_ = nullptr;           // as
    QComboBox* modeList_ = nullptr;        // 组合框1
    QPushButton* modeButton_ = nullptr;    // 按钮2
    QPushButton* recordButton_ = nullptr;  // 按钮1
    QPushButton* pauseButton_ = nullptr;
    QSlider* frameInterval_ = nullptr;          // 帧数
    QSlider* playSpeed_ = nullptr;              // 播放速度
    QSlider* brightness_ = nullptr;             // 亮度
    QSlider* blackWhite_ = nullptr;             // 黑白
    QLabel* pictureBox_ = nullptr;              // 图片框1
    QCheckBox* watermarkSwitch_ = nullptr;      // 水印开关
    QWidget* htmlView_ = nullptr;               // 浏览1
    StatusLine* statusLine_ = nullptr;          // 动态框
    std::array<QLineEdit*, 4> regionFields_{};  // 编辑框1..4
    KeyWatcher* keyWatcher_ = nullptr;          // 动画框1
    KeyWatcher* previewKeys_ = nullptr;         // F2 while the preview is open: says why not
    QTimer* highlightTimer_ = nullptr;          // 画圈
    QPointer<PreviewWindow> preview_;
    CaptureModeController* captureMode_ = nullptr;
    RecordingFeedback* feedback_ = nullptr;
    std::unique_ptr<CursorOverlayWindow> cursorOverlay_;
    FocusKeys focusKeys_;
    DropReceiver dropReceiver_;
    QAction* resaveAction_ = nullptr;
    QAction* wholeFramesAction_ = nullptr;  // checked: every frame whole (the plain layout)
    QAction* exactColoursAction_ = nullptr;
    QAction* fixedDelaysAction_ = nullptr;
    QAction* countdownAction_ = nullptr;
    QActionGroup* qualityChoices_ = nullptr;
    QActionGroup* scaleChoices_ = nullptr;
    QActionGroup* limitChoices_ = nullptr;
    std::unique_ptr<CountdownWindow> countdown_;
    int idleListWidth_ = 0;  // the mode row as it was before the recording
    bool idleModeButton_ = false;
    std::thread background_;  // the save; joined before the controller goes
    bool closeAfterSave_ = false;
    bool remoteStop_ = false;
    bool hiddenForRecording_ = false;
    QString stayNote_;              // the status line's note while the window stays in a recording
    QElapsedTimer recordingClock_;  // from the first frame counted
    QString rateShortfall_;         // the rate the recording fell short at, if it did

    RememberedSettingsStore* settingsStore_ = nullptr;
    RememberedSettings remembered_;            // also the choices no control shows yet
    std::optional<RememberedSettings> saved_;  // what the store holds, when known
    std::vector<std::function<void(const RememberedSettings&)>> rememberedBindings_;
    bool settingsSavePending_ = false;
    bool settingsSaveFailed_ = false;  // said once on the status line

    // Last, so that it (and a running worker) is gone before the widgets.
    std::unique_ptr<RecordingController> controller_;
};

}  // namespace app
