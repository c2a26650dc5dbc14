#include "app/ui/display_guard.h"

#include <QList>
#include <QMessageLogContext>
#include <QString>

#include <cstdio>
#include <cstdlib>

namespace app {
namespace {

struct HeldMessage {
    QtMsgType type;
    QString text;
};

QList<HeldMessage>& Held() {
    static QList<HeldMessage> messages;
    return messages;
}

void HoldOrExit(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtFatalMsg) {
        std::fputs(NoDisplayMessage(), stderr);
        std::fputc('\n', stderr);
        std::_Exit(kExitNoDisplay);
    }
    Held().push_back({type, text});
}

}  // namespace

const char* NoDisplayMessage() {
    return "gifrec: cannot open a display (is DISPLAY or WAYLAND_DISPLAY set to a running "
           "session?)";
}

DisplayGuard::DisplayGuard() : previous_(qInstallMessageHandler(HoldOrExit)) {}

DisplayGuard::~DisplayGuard() {
    qInstallMessageHandler(previous_);
    const QList<HeldMessage> messages = std::move(Held());
    Held().clear();
    for (const HeldMessage& message : messages) {
        qt_message_output(message.type, QMessageLogContext(), message.text);
    }
}

}  // namespace app
