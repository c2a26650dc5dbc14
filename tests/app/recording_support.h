// Shared by the recording controller's tests: a fixed clock and a bounded wait.
#pragma once

#include <chrono>
#include <ctime>
#include <thread>

namespace apptest {

// 7 December, 05:09:03: the file name 1207050903.
inline std::tm SevenDecember() {
    std::tm t{};
    t.tm_year = 124;
    t.tm_mon = 11;
    t.tm_mday = 7;
    t.tm_hour = 5;
    t.tm_min = 9;
    t.tm_sec = 3;
    return t;
}

// Waits until `done` holds; gives up after a generous bound so a fault fails instead of hanging.
template <class Done>
bool WaitFor(Done done) {
    for (int i = 0; i < 2000 && !done(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return done();
}

}  // namespace apptest
