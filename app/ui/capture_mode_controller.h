// Steers the capture region from the main window's mode list and mode button: full screen, a
// picked window, or a rectangle dragged on a frozen picture of the screen, which then stays
// outlined by the region frame window.
#pragma once

#include <QAbstractButton>
#include <QComboBox>
#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <vector>

#include "app/core/settings.h"
#include "app/ui/region_frame_window.h"
#include "app/ui/window_picker.h"
#include "platform/desktop.h"

namespace app {

class CaptureModeController : public QObject {
    Q_OBJECT
  public:
    // The region lives in the main window (its four region fields); these reach it.
    struct RegionAccess {
        std::function<CaptureRegion()> read;
        std::function<void(const CaptureRegion&)> write;
    };
    // Opens the selection window modally and returns the region chosen there, if any.
    using RegionChooser = std::function<std::optional<CaptureRegion>()>;

    static constexpr int kWideList = 136;
    static constexpr int kNarrowList = 88;

    // `modeList` (index 0 full screen, 1 window pick, 2 region) and `modeButton` belong to
    // `mainWindow`, the window a pick never takes. The host calls OnCaptureModeChanged and
    // OnModeButtonClick from their signals; the button's press and release are watched here.
    // `highlightTimer` as for WindowPicker.
    CaptureModeController(QWidget* mainWindow, QComboBox* modeList, QAbstractButton* modeButton,
                          platform::Desktop& desktop, RegionAccess region,
                          RegionChooser chooser = {}, QTimer* highlightTimer = nullptr);
    ~CaptureModeController() override;

    // Where the desktop has several monitors, adds the modes "all monitors" and one for each
    // monitor by name to the mode list, after the three of its own.
    void AddMonitorModes();

    void OnCaptureModeChanged(int index);
    // Writes a screen mode's region again, unless it was changed since the mode wrote it: the
    // screen's size in grab pixels may be known only once grabs run (a scaled Wayland output).
    // The start of the program counts as the full-screen mode's write of `region`.
    void RefreshScreenRegion();
    void SetWrittenScreenRegion(const CaptureRegion& region) { writtenScreenRegion_ = region; }
    void OnModeButtonClick();

    // Whether the region frame window is open, and closing it (a recording's stop does).
    bool RegionFrameShown() const { return frame_ != nullptr; }
    void CloseRegionFrame();
    // Outlines the region the fields hold (a remembered one, at the start); the region mode's
    // pick does so itself.
    void OpenRegionFrame();
    RegionFrameWindow* RegionFrame() const { return frame_.get(); }
    WindowPicker& Picker() { return picker_; }

  signals:
    // The region frame window opened (true) or closed (false); the recording's stop relies on
    // knowing this.
    void regionFrameShownChanged(bool shown);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // The region of a screen mode (full screen, all monitors, one monitor).
    CaptureRegion ScreenModeRegion(int index);
    void WriteScreenRegion(int index);

    QPointer<QWidget> mainWindow_;
    QPointer<QComboBox> modeList_;
    QPointer<QAbstractButton> modeButton_;
    platform::Desktop& desktop_;
    RegionAccess region_;
    RegionChooser chooser_;
    WindowPicker picker_;
    std::unique_ptr<RegionFrameWindow> frame_;
    std::vector<platform::Monitor> monitors_;  // those of the monitor modes, in list order
    CaptureRegion writtenScreenRegion_{};      // the last region a screen mode wrote
};

}  // namespace app
