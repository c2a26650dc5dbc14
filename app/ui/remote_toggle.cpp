#include "app/ui/remote_toggle.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QTimer>

#include <cstdio>

namespace app {

namespace {
const QString kPath = QStringLiteral("/org/gifrec/Recorder");
}

ToggleService::ToggleService(std::function<void()> toggle, QObject* parent)
    : QObject(parent), toggle_(std::move(toggle)) {}

bool ToggleService::Register() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return false;
    if (!bus.registerService(QString::fromLatin1(kToggleServiceName))) return false;
    return bus.registerObject(kPath, this, QDBusConnection::ExportScriptableSlots);
}

void ToggleService::Toggle() {
    // Answered first; the toggle itself may wait for the user (a permission question).
    QTimer::singleShot(0, this, [this] {
        if (toggle_) toggle_();
    });
}

void BindToggleShortcut(platform::Desktop& desktop, std::function<void()> toggle) {
    desktop.BindToggleShortcut(ToggleService::tr("开始或停止录制 GIF").toStdString(),
                               std::move(toggle));
}

int SendToggle() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        std::fprintf(stderr, "gifrec --toggle: no D-Bus session bus\n");
        return 1;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QString::fromLatin1(kToggleServiceName), kPath, QString::fromLatin1(kToggleServiceName),
        QStringLiteral("Toggle"));
    call.setAutoStartService(false);
    const QDBusMessage reply = bus.call(call, QDBus::Block, 5000);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        std::fprintf(stderr, "gifrec --toggle: no gifrec is running (%s)\n",
                     reply.errorMessage().toLocal8Bit().constData());
        return 1;
    }
    return 0;
}

}  // namespace app
