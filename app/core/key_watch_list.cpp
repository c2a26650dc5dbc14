#include "app/core/key_watch_list.h"

namespace app {
namespace {
// Virtual key codes of the modifier keys.
constexpr int kKeyShift = 16;
constexpr int kKeyCtrl = 17;
constexpr int kKeyAlt = 18;
}  // namespace

void KeyWatchList::Watch(int intervalMs, std::initializer_list<int> keyCodes) {
    for (int keyCode : keyCodes) entries_.push_back(Entry{keyCode, intervalMs, std::nullopt});
}

void KeyWatchList::Watch(int intervalMs, std::initializer_list<int> keyCodes, uint64_t nowMs,
                         const KeyIsDown& isDown) {
    for (int keyCode : keyCodes) {
        std::optional<uint64_t> lastReport;
        if (isDown && isDown(keyCode)) lastReport = nowMs;
        entries_.push_back(Entry{keyCode, intervalMs, lastReport});
    }
}

std::optional<WatchedKeyReport> KeyWatchList::Tick(uint64_t nowMs, const KeyIsDown& isDown) {
    for (Entry& entry : entries_) {
        const bool due =
            !entry.lastReport || nowMs - *entry.lastReport >= uint64_t(entry.intervalMs);
        if (!due || !isDown(entry.keyCode)) continue;
        entry.lastReport = nowMs;
        WatchedKeyReport report{entry.keyCode, 0};
        if (isDown(kKeyCtrl)) report.modifiers |= kModifierCtrl;
        if (isDown(kKeyShift)) report.modifiers |= kModifierShift;
        if (isDown(kKeyAlt)) report.modifiers |= kModifierAlt;
        return report;
    }
    return std::nullopt;
}

}  // namespace app
