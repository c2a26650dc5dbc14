// The GlobalShortcuts portal: a session holding shortcuts of the whole desktop, asked for where
// the desktop offers the interface, whose Activated signal calls the shortcut's callback. Where the
// interface is missing nothing is asked and nothing is said. The conversation runs on the event
// loop; the session lasts as long as the object.
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QVariantMap>

#include <functional>
#include <vector>

class QDBusObjectPath;
class QDBusPendingCallWatcher;

namespace platform::wayland {

inline constexpr const char* kToggleShortcutId = "toggle-recording";
// The key that toggles recording while a gifrec window has the focus; the desktop may bind
// another, or ask the user.
inline constexpr const char* kToggleShortcutTrigger = "F2";

class ShortcutPortal : public QObject {
    Q_OBJECT
  public:
    enum class State { Asking, Bound, Unavailable, Failed };
    struct Shortcut {
        QString id;
        QString description;
        QString preferredTrigger;
        std::function<void()> activated;
    };

    ShortcutPortal(QDBusConnection bus, std::vector<Shortcut> shortcuts, QObject* parent = nullptr);
    ~ShortcutPortal() override;

    State CurrentState() const { return state_; }

  signals:
    // The conversation ended: bound, or not to be had.
    void settled();

  private slots:
    void OnVersion(QDBusPendingCallWatcher* watcher);
    void OnResponse(uint code, const QVariantMap& results);
    void OnActivated(const QDBusObjectPath& session, const QString& id, qulonglong timestamp,
                     const QVariantMap& options);

  private:
    enum class Step { None, CreateSession, BindShortcuts };
    void Call(Step step, const QString& method, QVariantList arguments, QVariantMap options);
    void StopWaiting();
    void Settle(State state);

    QDBusConnection bus_;
    std::vector<Shortcut> shortcuts_;
    State state_ = State::Asking;
    Step step_ = Step::None;
    QString requestPath_;
    QString sessionPath_;
};

}  // namespace platform::wayland
