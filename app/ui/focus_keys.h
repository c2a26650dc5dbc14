// The keys held down while a window of ours has the focus, seen through the application's key
// events: on Wayland that is all a program learns of the keyboard.
#pragma once

#include <QObject>

#include <set>

namespace app {

// The recorder's key code (key:: numbering) of a toolkit key; 0 for keys it has no code for.
int VirtualKeyOf(int qtKey);

class FocusKeys : public QObject {
  public:
    // Watches every window of the application from construction on.
    FocusKeys();
    ~FocusKeys() override;

    bool IsDown(int virtualKey) const { return down_.count(virtualKey) != 0; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    std::set<int> down_;
};

}  // namespace app
