// The time the capture worker keeps its schedule by; tests give it a clock they move by hand.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace app {

class Clock {
  public:
    using Time = std::chrono::steady_clock::time_point;

    virtual ~Clock() = default;
    virtual Time Now() = 0;
    // Waits on `wake`, whose mutex `lock` holds, until `deadline` or until `done` says so.
    virtual void WaitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& wake,
                           Time deadline, const std::function<bool()>& done) = 0;
};

// The steady clock of the system.
Clock& SystemClock();

}  // namespace app
