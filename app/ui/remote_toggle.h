// `gifrec --toggle` and `gifrec --pause`: one gifrec claims a name on the session bus, and a
// second start with --toggle or --pause asks it to toggle recording or the pause, so a desktop
// shortcut can steer a recording while gifrec has no focus. The second start never launches a
// recorder of its own.
#pragma once

#include <QObject>

#include <functional>

#include "platform/desktop.h"

namespace app {

inline constexpr const char* kToggleServiceName = "org.gifrec.Recorder";

class ToggleService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.gifrec.Recorder")
  public:
    ToggleService(std::function<void()> toggle, std::function<void()> pause,
                  QObject* parent = nullptr);
    // Claims the name; false when there is no session bus or another gifrec has it.
    bool Register();

  public slots:
    Q_SCRIPTABLE void Toggle();
    Q_SCRIPTABLE void Pause();

  private:
    std::function<void()> toggle_;
    std::function<void()> pause_;
};

// Asks the desktop for shortcuts of its own that toggle the recording (F2) and the pause
// (Shift+F2) as well, where it offers them (the GlobalShortcuts portal); silently nothing
// elsewhere.
void BindRecordingShortcuts(platform::Desktop& desktop, std::function<void()> toggle,
                            std::function<void()> pause);

// Sends "Toggle" or "Pause" to the running gifrec. The process's exit code: 0 when one took it,
// 1 (with a message on stderr) when none runs or there is no session bus.
int SendToggle(const char* method = "Toggle");

}  // namespace app
