// The main window's key-watching control: polls the desktop's key state every 5 ms and reports
// watched keys, so F2 works while the window is minimised or another program has the focus.
#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <initializer_list>

#include "app/core/key_watch_list.h"

namespace app {

class KeyWatcher : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kTickMs = 5;

    explicit KeyWatcher(KeyWatchList::KeyIsDown isDown, QWidget* parent = nullptr);

    // Adds the keys with this minimum interval between two reports of one key.
    void Watch(int intervalMs, std::initializer_list<int> keyCodes);
    void Clear();
    bool IsWatching() const { return !list_.IsEmpty(); }

    // One poll; the timer calls it.
    void Tick();

  signals:
    void watchedKey(int keyCode, int modifiers);

  private:
    KeyWatchList list_;
    KeyWatchList::KeyIsDown isDown_;
    QTimer timer_;
    QElapsedTimer clock_;
};

}  // namespace app
