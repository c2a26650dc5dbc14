#include "app/ui/remote_toggle.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QTimer>

#include <cstdio>

namespace app {

namespace {
const QString kPath = QStringLiteral("/org/gifrec/Recorder");
}

ToggleService::ToggleService(std::function<void()> toggle, std::function<void()> pause,
                             QObject* parent)
    : QObject(parent), toggle_(std::move(toggle)), pause_(std::move(pause)) {}

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

void ToggleService::Pause() {
    QTimer::singleShot(0, this, [this] {
        if (pause_) pause_();
    });
}

void BindRecordingShortcuts(platform::Desktop& desktop, std::function<void()> toggle,
                            std::function<void()> pause) {
    desktop.BindShortcuts(
        {{"toggle-recording", ToggleService::tr("开始或停止录制 GIF").toStdString(), "F2",
          std::move(toggle)},
         {"pause-recording", ToggleService::tr("暂停或继续录制 GIF").toStdString(), "SHIFT+F2",
          std::move(pause)}});
}

int SendToggle(const char* method) {
    const QByteArray option = "gifrec --" + QByteArray(method).toLower();
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        std::fprintf(stderr, "%s: no D-Bus session bus\n", option.constData());
        return 1;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QString::fromLatin1(kToggleServiceName), kPath, QString::fromLatin1(kToggleServiceName),
        QString::fromLatin1(method));
    call.setAutoStartService(false);
    const QDBusMessage reply = bus.call(call, QDBus::Block, 5000);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        std::fprintf(stderr, "%s: no gifrec is running (%s)\n", option.constData(),
                     reply.errorMessage().toLocal8Bit().constData());
        return 1;
    }
    return 0;
}

}  // namespace app
