// `gifrec --toggle`: one gifrec claims a name on the session bus, and a second start with
// --toggle asks it to toggle recording, so a desktop shortcut can start and stop a recording
// while gifrec has no focus. The second start never launches a recorder of its own.
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
    explicit ToggleService(std::function<void()> toggle, QObject* parent = nullptr);
    // Claims the name; false when there is no session bus or another gifrec has it.
    bool Register();

  public slots:
    Q_SCRIPTABLE void Toggle();

  private:
    std::function<void()> toggle_;
};

// Asks the desktop for a shortcut of its own that toggles as well, where it offers one (the
// GlobalShortcuts portal); silently nothing elsewhere.
void BindToggleShortcut(platform::Desktop& desktop, std::function<void()> toggle);

// Sends the toggle to the running gifrec. The process's exit code: 0 when one took it, 1 (with
// a message on stderr) when none runs or there is no session bus.
int SendToggle();

}  // namespace app
