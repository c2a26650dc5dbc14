#include "platform/wayland/shortcut_portal.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <QTimer>

#include "platform/wayland/portal_support.h"

namespace {

// One entry of BindShortcuts' a(sa{sv}).
struct PortalShortcut {
    QString id;
    QVariantMap properties;
};

QDBusArgument& operator<<(QDBusArgument& argument, const PortalShortcut& shortcut) {
    argument.beginStructure();
    argument << shortcut.id << shortcut.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, PortalShortcut& shortcut) {
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.properties;
    argument.endStructure();
    return argument;
}

}  // namespace

Q_DECLARE_METATYPE(PortalShortcut)

namespace platform::wayland {

namespace {
const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString kRequest = QStringLiteral("org.freedesktop.portal.Request");
constexpr int kCallTimeoutMs = 10000;

// The portal documents session_handle as a string; an object path is taken as well.
QString PathOf(const QVariant& value) {
    if (value.metaType() == QMetaType::fromType<QDBusObjectPath>())
        return value.value<QDBusObjectPath>().path();
    return value.toString();
}
}  // namespace

ShortcutPortal::ShortcutPortal(QDBusConnection bus, std::vector<Shortcut> shortcuts,
                               QObject* parent)
    : QObject(parent), bus_(bus), shortcuts_(std::move(shortcuts)) {
    qDBusRegisterMetaType<PortalShortcut>();
    qDBusRegisterMetaType<QList<PortalShortcut>>();
    if (!bus_.isConnected()) {
        // Settled only once the caller can have connected to the signal.
        QTimer::singleShot(0, this, [this] { Settle(State::Unavailable); });
        return;
    }
    // The interface's version property is there exactly when the portal offers the interface.
    QDBusMessage get = QDBusMessage::createMethodCall(
        kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << kInterface << QStringLiteral("version");
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(get, kCallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, &ShortcutPortal::OnVersion);
}

ShortcutPortal::~ShortcutPortal() {
    StopWaiting();
    if (sessionPath_.isEmpty()) return;
    bus_.disconnect(kService, kPath, kInterface, QStringLiteral("Activated"), this,
                    SLOT(OnActivated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
    bus_.call(QDBusMessage::createMethodCall(kService, sessionPath_,
                                             QStringLiteral("org.freedesktop.portal.Session"),
                                             QStringLiteral("Close")),
              QDBus::NoBlock);
}

void ShortcutPortal::OnVersion(QDBusPendingCallWatcher* watcher) {
    watcher->deleteLater();
    if (watcher->isError()) {
        Settle(State::Unavailable);
        return;
    }
    Call(Step::CreateSession, QStringLiteral("CreateSession"), {},
         {{QStringLiteral("session_handle_token"), QString::fromStdString(NewHandleToken())}});
}

void ShortcutPortal::Call(Step step, const QString& method, QVariantList arguments,
                          QVariantMap options) {
    const QString token = QString::fromStdString(NewHandleToken());
    options.insert(QStringLiteral("handle_token"), token);
    arguments.append(options);
    // Listening before the call, so that an answer coming right after it is not missed.
    step_ = step;
    requestPath_ =
        QString::fromStdString(RequestPath(bus_.baseService().toStdString(), token.toStdString()));
    bus_.connect(kService, requestPath_, kRequest, QStringLiteral("Response"), this,
                 SLOT(OnResponse(uint, QVariantMap)));
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
    call.setArguments(arguments);
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call, kCallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, step](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                if (finished->isError() && step_ == step) Settle(State::Failed);
            });
}

void ShortcutPortal::StopWaiting() {
    if (requestPath_.isEmpty()) return;
    bus_.disconnect(kService, requestPath_, kRequest, QStringLiteral("Response"), this,
                    SLOT(OnResponse(uint, QVariantMap)));
    requestPath_.clear();
}

void ShortcutPortal::OnResponse(uint code, const QVariantMap& results) {
    const Step step = step_;
    StopWaiting();
    step_ = Step::None;
    if (code != 0) {
        Settle(State::Failed);
        return;
    }
    if (step == Step::CreateSession) {
        sessionPath_ = PathOf(results.value(QStringLiteral("session_handle")));
        if (sessionPath_.isEmpty()) {
            Settle(State::Failed);
            return;
        }
        QList<PortalShortcut> shortcuts;
        for (const Shortcut& s : shortcuts_) {
            shortcuts.append({s.id,
                              {{QStringLiteral("description"), s.description},
                               {QStringLiteral("preferred_trigger"), s.preferredTrigger}}});
        }
        Call(Step::BindShortcuts, QStringLiteral("BindShortcuts"),
             {QVariant::fromValue(QDBusObjectPath(sessionPath_)), QVariant::fromValue(shortcuts),
              QString()},
             {});
    } else if (step == Step::BindShortcuts) {
        bus_.connect(kService, kPath, kInterface, QStringLiteral("Activated"), this,
                     SLOT(OnActivated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
        Settle(State::Bound);
    }
}

void ShortcutPortal::OnActivated(const QDBusObjectPath& session, const QString& id,
                                 qulonglong /*timestamp*/, const QVariantMap& /*options*/) {
    if (session.path() != sessionPath_) return;
    for (const Shortcut& s : shortcuts_) {
        if (s.id != id || !s.activated) continue;
        // Out of the signal's delivery: the toggle may wait for the user (a permission question).
        QTimer::singleShot(0, this, [activated = s.activated] { activated(); });
    }
}

void ShortcutPortal::Settle(State state) {
    StopWaiting();
    step_ = Step::None;
    state_ = state;
    emit settled();
}

}  // namespace platform::wayland
