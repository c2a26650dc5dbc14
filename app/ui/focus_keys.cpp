#include "app/ui/focus_keys.h"

#include <QCoreApplication>
#include <QKeyEvent>

#include "platform/desktop.h"

namespace app {

int VirtualKeyOf(int qtKey) {
    namespace key = platform::key;
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F12) return key::kF1 + (qtKey - Qt::Key_F1);
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return '0' + (qtKey - Qt::Key_0);
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return 'A' + (qtKey - Qt::Key_A);
    switch (qtKey) {
        case Qt::Key_Backspace:
            return key::kBackspace;
        case Qt::Key_Tab:
            return key::kTab;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return key::kReturn;
        case Qt::Key_Shift:
            return key::kShift;
        case Qt::Key_Control:
            return key::kControl;
        case Qt::Key_Alt:
            return key::kAlt;
        case Qt::Key_Pause:
            return key::kPause;
        case Qt::Key_Escape:
            return key::kEscape;
        case Qt::Key_Space:
            return key::kSpace;
        default:
            return 0;
    }
}

FocusKeys::FocusKeys() {
    if (QCoreApplication::instance()) QCoreApplication::instance()->installEventFilter(this);
}

FocusKeys::~FocusKeys() {
    if (QCoreApplication::instance()) QCoreApplication::instance()->removeEventFilter(this);
}

bool FocusKeys::eventFilter(QObject* watched, QEvent* event) {
    // Each key event passes the filter once per object it is sent to; the window's copy counts.
    if (!watched->isWindowType()) return false;
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        const auto* press = static_cast<QKeyEvent*>(event);
        const int code = VirtualKeyOf(press->key());
        if (code != 0 && !press->isAutoRepeat()) {
            if (event->type() == QEvent::KeyPress)
                down_.insert(code);
            else
                down_.erase(code);
        }
    } else if (event->type() == QEvent::FocusOut || event->type() == QEvent::Hide) {
        // Keys released in another program's window never reach us.
        down_.clear();
    }
    return false;
}

}  // namespace app
