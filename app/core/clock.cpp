#include "app/core/clock.h"

namespace app {
namespace {

class SteadyClock final : public Clock {
  public:
    Time Now() override { return std::chrono::steady_clock::now(); }
    void WaitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& wake, Time deadline,
                   const std::function<bool()>& done) override {
        wake.wait_until(lock, deadline, done);
    }
};

}  // namespace

Clock& SystemClock() {
    static SteadyClock clock;
    return clock;
}

}  // namespace app
