// Qt ends the process with an abort when its platform plugin finds no display. While the
// application object is being made, this guard turns that into one line on standard error and
// exit status 1, and holds back Qt's other start-up messages until the start has succeeded.
#pragma once

#include <QtGlobal>

namespace app {

inline constexpr int kExitNoDisplay = 1;

class DisplayGuard {
  public:
    DisplayGuard();
    ~DisplayGuard();  // passes the held-back messages on
    DisplayGuard(const DisplayGuard&) = delete;
    DisplayGuard& operator=(const DisplayGuard&) = delete;

  private:
    QtMessageHandler previous_;
};

// The line printed when no display can be opened.
const char* NoDisplayMessage();

}  // namespace app
