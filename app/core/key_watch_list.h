// The watched-key list of the main window's key-watching control: entries of (key, minimum
// interval, time of the last report), checked on every tick.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <vector>

namespace app {

inline constexpr int kKeyRecordToggle = 113;  // F2

// Modifier bits reported with a key.
inline constexpr int kModifierCtrl = 1;
inline constexpr int kModifierShift = 2;
inline constexpr int kModifierAlt = 4;

struct WatchedKeyReport {
    int keyCode = 0;
    int modifiers = 0;
};

class KeyWatchList {
  public:
    using KeyIsDown = std::function<bool(int keyCode)>;

    // Adds one entry per key, each with this interval and no report yet.
    void Watch(int intervalMs, std::initializer_list<int> keyCodes);
    // The same, but a key that is down already counts as reported at `nowMs`: the press that
    // ended a recording is not taken for a new one when the list is filled again.
    void Watch(int intervalMs, std::initializer_list<int> keyCodes, uint64_t nowMs,
               const KeyIsDown& isDown);
    void Clear() { entries_.clear(); }
    bool IsEmpty() const { return entries_.empty(); }

    // One tick at `nowMs`: reports the first key in list order that is down and whose interval
    // has elapsed since its last report, and only that one.
    std::optional<WatchedKeyReport> Tick(uint64_t nowMs, const KeyIsDown& isDown);

  private:
    struct Entry {
        int keyCode;
        int intervalMs;
        std::optional<uint64_t> lastReport;
    };
    std::vector<Entry> entries_;
};

}  // namespace app
