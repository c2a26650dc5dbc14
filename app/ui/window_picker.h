// Picking a window to record: while the mode button is held, the window under the pointer is
// flashed every 350 ms; releasing the button over a window of another program takes that
// window's rectangle as the capture region. Any release, and a change of mode, ends the
// highlighting; a release over the main window picks nothing.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

#include "app/core/settings.h"
#include "platform/desktop.h"

namespace app {

class WindowPicker : public QObject {
    Q_OBJECT
  public:
    static constexpr int kHighlightMs = 350;
    static constexpr uint32_t kHighlightColour = 0x0000FF;  // red, as red + green*256 + blue*65536

    using MainWindowId = std::function<platform::WindowId()>;
    using RegionWriter = std::function<void(const CaptureRegion&)>;

    // `highlightTimer` is the host's timer (the main window's `画圈`), which then calls
    // OnHighlightTick itself; without one the picker keeps and serves its own.
    WindowPicker(platform::Desktop& desktop, MainWindowId mainWindow, RegionWriter writeRegion,
                 QObject* parent = nullptr, QTimer* highlightTimer = nullptr);

    // The mode button's caption decides: only "采集" picks.
    void OnModeButtonDown(const QString& caption);
    void OnModeButtonUp(const QString& caption);
    void OnHighlightTick();
    // Ends a pick in progress without choosing (the capture mode changed).
    void Cancel();

    // 0 while idle, 350 while a pick is in progress (the highlight timer `画圈`).
    int HighlightInterval() const { return highlight_->isActive() ? highlight_->interval() : 0; }

  private:
    bool OverMainWindow(platform::WindowId window);

    platform::Desktop& desktop_;
    MainWindowId mainWindow_;
    RegionWriter writeRegion_;
    QTimer* highlight_;
};

}  // namespace app
