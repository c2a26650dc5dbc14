#include "app/ui/key_watcher.h"

namespace app {

KeyWatcher::KeyWatcher(KeyWatchList::KeyIsDown isDown, QWidget* parent)
    : QWidget(parent), isDown_(std::move(isDown)) {
    clock_.start();
    // A precise timer: a key tapped for a few ticks must not fall between two polls.
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(kTickMs);
    connect(&timer_, &QTimer::timeout, this, &KeyWatcher::Tick);
    timer_.start();
}

void KeyWatcher::Watch(int intervalMs, std::initializer_list<int> keyCodes) {
    list_.Watch(intervalMs, keyCodes, static_cast<uint64_t>(clock_.elapsed()), isDown_);
}

void KeyWatcher::Clear() {
    list_.Clear();
}

void KeyWatcher::Tick() {
    if (list_.IsEmpty() || !isDown_) return;
    const auto report = list_.Tick(static_cast<uint64_t>(clock_.elapsed()), isDown_);
    if (report) emit watchedKey(report->keyCode, report->modifiers);
}

}  // namespace app
