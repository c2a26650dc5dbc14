// The portal conversations against a fake xdg-desktop-portal on a private session bus: the
// window pick's source types and the GlobalShortcuts session. The fake answers from a thread of
// its own, since the screen-cast client blocks on its calls.
#include <fcntl.h>
#include <unistd.h>

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QFile>
#include <QMutex>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <filesystem>
#include <optional>

#include "platform/wayland/portal_support.h"
#include "platform/wayland/screencast_portal.h"
#include "platform/wayland/shortcut_portal.h"
#include "platform/wayland/wayland_desktop.h"

namespace {

struct IntPair {
    int first = 0;
    int second = 0;
};
struct StreamEntry {
    uint node = 0;
    QVariantMap properties;
};

QDBusArgument& operator<<(QDBusArgument& a, const IntPair& p) {
    a.beginStructure();
    a << p.first << p.second;
    a.endStructure();
    return a;
}
const QDBusArgument& operator>>(const QDBusArgument& a, IntPair& p) {
    a.beginStructure();
    a >> p.first >> p.second;
    a.endStructure();
    return a;
}
QDBusArgument& operator<<(QDBusArgument& a, const StreamEntry& s) {
    a.beginStructure();
    a << s.node << s.properties;
    a.endStructure();
    return a;
}
const QDBusArgument& operator>>(const QDBusArgument& a, StreamEntry& s) {
    a.beginStructure();
    a >> s.node >> s.properties;
    a.endStructure();
    return a;
}

}  // namespace

Q_DECLARE_METATYPE(IntPair)
Q_DECLARE_METATYPE(StreamEntry)

namespace platform::wayland {
namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kScreenCast = QStringLiteral("org.freedesktop.portal.ScreenCast");
const QString kShortcuts = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
constexpr int kWaitMs = 10000;
constexpr int kWindowNode = 42;
constexpr IntPair kWindowSize{640, 480};

QVariantMap MapOf(const QVariant& value) {
    if (value.canConvert<QDBusArgument>()) {
        QVariantMap map;
        value.value<QDBusArgument>() >> map;
        return map;
    }
    return value.toMap();
}

struct BoundShortcut {
    QString session;
    QString id;
    QVariantMap properties;
};

// Answers as xdg-desktop-portal does: each method replies with its Request's path, then the
// Request's Response follows.
class FakePortal : public QDBusVirtualObject {
  public:
    struct Offer {
        uint sourceTypes = kSourceMonitor;
        bool shortcuts = false;
    };

    explicit FakePortal(QDBusConnection bus) : bus_(bus) {}

    void Reset(Offer offer) {
        QMutexLocker lock(&mutex_);
        offer_ = offer;
        selections_.clear();
        shortcutSessions_.clear();
        bound_.clear();
        screenCastSessions_ = 0;
    }
    QList<QVariantMap> Selections() {
        QMutexLocker lock(&mutex_);
        return selections_;
    }
    int ScreenCastSessions() {
        QMutexLocker lock(&mutex_);
        return screenCastSessions_;
    }
    QStringList ShortcutSessions() {
        QMutexLocker lock(&mutex_);
        return shortcutSessions_;
    }
    QList<BoundShortcut> Bound() {
        QMutexLocker lock(&mutex_);
        return bound_;
    }

    void SendActivated(const QString& session, const QString& id) {
        QDBusMessage signal =
            QDBusMessage::createSignal(kPath, kShortcuts, QStringLiteral("Activated"));
        signal << QVariant::fromValue(QDBusObjectPath(session)) << id << qulonglong(1)
               << QVariantMap{};
        bus_.send(signal);
    }

    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection&) override {
        QMutexLocker lock(&mutex_);
        const QString member = message.member();
        const QVariantList args = message.arguments();
        if (message.interface() == QStringLiteral("org.freedesktop.DBus.Properties")) {
            return Property(message, args.value(0).toString(), args.value(1).toString());
        }
        if (message.interface() == QStringLiteral("org.freedesktop.portal.Session")) {
            bus_.send(message.createReply());
            return true;
        }
        const bool screenCast = message.interface() == kScreenCast;
        if (!screenCast && !(message.interface() == kShortcuts && offer_.shortcuts)) return false;
        const QVariantMap options = MapOf(args.value(args.size() - 1));
        const QString token = options.value(QStringLiteral("handle_token")).toString();
        QVariantMap results;
        if (member == QStringLiteral("CreateSession")) {
            const QString session =
                kPath + QStringLiteral("/session/") + message.service().mid(1).replace('.', '_') +
                '/' + options.value(QStringLiteral("session_handle_token")).toString();
            results.insert(QStringLiteral("session_handle"), session);
            if (screenCast)
                ++screenCastSessions_;
            else
                shortcutSessions_.append(session);
        } else if (member == QStringLiteral("SelectSources")) {
            selections_.append(options);
        } else if (member == QStringLiteral("Start")) {
            StreamEntry stream{uint(kWindowNode),
                               {{QStringLiteral("size"), QVariant::fromValue(kWindowSize)},
                                {QStringLiteral("source_type"), uint(kSourceWindow)}}};
            results.insert(QStringLiteral("streams"),
                           QVariant::fromValue(QList<StreamEntry>{stream}));
            results.insert(QStringLiteral("restore_token"), QStringLiteral("token-from-start"));
        } else if (member == QStringLiteral("OpenPipeWireRemote")) {
            int ends[2];
            if (::pipe2(ends, O_CLOEXEC) != 0) return false;
            bus_.send(message.createReply(QVariant::fromValue(QDBusUnixFileDescriptor(ends[0]))));
            ::close(ends[0]);
            ::close(ends[1]);
            return true;
        } else if (member == QStringLiteral("BindShortcuts")) {
            const QString session = args.value(0).value<QDBusObjectPath>().path();
            const QDBusArgument list = args.value(1).value<QDBusArgument>();
            list.beginArray();
            while (!list.atEnd()) {
                BoundShortcut shortcut{session, {}, {}};
                list.beginStructure();
                list >> shortcut.id >> shortcut.properties;
                list.endStructure();
                bound_.append(shortcut);
            }
            list.endArray();
        } else {
            return false;
        }
        const QString request = QString::fromStdString(
            RequestPath(message.service().toStdString(), token.toStdString()));
        bus_.send(message.createReply(QVariant::fromValue(QDBusObjectPath(request))));
        QDBusMessage response = QDBusMessage::createSignal(
            request, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
        response << uint(0) << results;
        bus_.send(response);
        return true;
    }

  private:
    bool Property(const QDBusMessage& message, const QString& interface, const QString& name) {
        std::optional<uint> value;
        if (interface == kScreenCast) {
            if (name == QStringLiteral("version")) value = 4;
            if (name == QStringLiteral("AvailableSourceTypes")) value = offer_.sourceTypes;
            if (name == QStringLiteral("AvailableCursorModes")) value = uint(kCursorEmbedded);
        } else if (interface == kShortcuts && offer_.shortcuts &&
                   name == QStringLiteral("version")) {
            value = 1;
        }
        if (value)
            bus_.send(message.createReply(QVariant::fromValue(QDBusVariant(*value))));
        else
            bus_.send(message.createErrorReply(
                QStringLiteral("org.freedesktop.DBus.Error.UnknownInterface"),
                QStringLiteral("no such interface")));
        return true;
    }

    QDBusConnection bus_;
    QMutex mutex_;
    Offer offer_;
    QList<QVariantMap> selections_;
    int screenCastSessions_ = 0;
    QStringList shortcutSessions_;
    QList<BoundShortcut> bound_;
};

// Sees the Activated signals the fake sends, after the client under test has seen each.
class Listener : public QObject {
    Q_OBJECT
  signals:
    void heard(const QString& id);

  public slots:
    void OnActivated(const QDBusObjectPath&, const QString& id) { emit heard(id); }
};

class PortalBusTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() {
        QVERIFY(config_.isValid());
        QFile config(config_.filePath(QStringLiteral("bus.conf")));
        QVERIFY(config.open(QIODevice::WriteOnly));
        // No service activation: nothing but the fake can answer.
        config.write(
            "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\" "
            "\"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
            "<busconfig><type>session</type><listen>unix:dir=" +
            QFile::encodeName(config_.path()) +
            "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
            "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
            "<allow own=\"*\"/></policy></busconfig>\n");
        config.close();
        daemon_.start(QStringLiteral("dbus-daemon"),
                      {QStringLiteral("--nofork"), QStringLiteral("--print-address"),
                       QStringLiteral("--config-file=") + config.fileName()});
        QVERIFY(daemon_.waitForStarted(kWaitMs));
        QByteArray address;
        while (!address.contains('\n') && daemon_.waitForReadyRead(kWaitMs))
            address += daemon_.readAllStandardOutput();
        address = address.trimmed();
        QVERIFY(!address.isEmpty());
        // The clients under test use the session bus; this is it from here on.
        qputenv("DBUS_SESSION_BUS_ADDRESS", address);

        qDBusRegisterMetaType<IntPair>();
        qDBusRegisterMetaType<StreamEntry>();
        qDBusRegisterMetaType<QList<StreamEntry>>();
        QDBusConnection portalBus =
            QDBusConnection::connectToBus(QString::fromLatin1(address), QStringLiteral("fake"));
        QVERIFY(portalBus.isConnected());
        portal_ = new FakePortal(portalBus);
        QVERIFY(portalBus.registerVirtualObject(kPath, portal_, QDBusConnection::SubPath));
        portalThread_.start();
        portal_->moveToThread(&portalThread_);
        QVERIFY(portalBus.registerService(kService));
        QVERIFY(QDBusConnection::sessionBus().isConnected());
    }

    void cleanupTestCase() {
        QDBusConnection::disconnectFromBus(QStringLiteral("fake"));
        portalThread_.quit();
        portalThread_.wait();
        delete portal_;
        daemon_.kill();
        daemon_.waitForFinished();
    }

    void windowPickAsksForWindowsOnlyWhereOffered() {
        portal_->Reset({kSourceMonitor | kSourceWindow, false});
        QVERIFY(WaylandDesktop({1920, 1080}).CanPickWindows());

        QTemporaryDir state;
        const std::string tokenPath = (state.path() + QStringLiteral("/token")).toStdString();
        ScreenCastPortal::Started window = ScreenCastPortal::Start(kSourceWindow, tokenPath);
        QCOMPARE(window.problem, CaptureProblem::NoProblem);
        QVERIFY(window.pipeWireFd >= 0);
        ::close(window.pipeWireFd);
        QCOMPARE(window.stream.node, uint32_t(kWindowNode));
        QCOMPARE(window.stream.size, (Size{kWindowSize.first, kWindowSize.second}));
        QCOMPARE(portal_->Selections().size(), 1);
        const QVariantMap windowOptions = portal_->Selections().first();
        QCOMPARE(windowOptions.value(QStringLiteral("types")).toUInt(), kSourceWindow);
        // A window is picked afresh each time: no permission is remembered for it.
        QVERIFY(!windowOptions.contains(QStringLiteral("persist_mode")));
        QVERIFY(!windowOptions.contains(QStringLiteral("restore_token")));
        QVERIFY(!std::filesystem::exists(tokenPath));

        // The monitor keeps its remembered permission.
        ScreenCastPortal::Started monitor = ScreenCastPortal::Start(kSourceMonitor, tokenPath);
        QCOMPARE(monitor.problem, CaptureProblem::NoProblem);
        ::close(monitor.pipeWireFd);
        QCOMPARE(portal_->Selections().size(), 2);
        const QVariantMap monitorOptions = portal_->Selections().last();
        QCOMPARE(monitorOptions.value(QStringLiteral("types")).toUInt(), kSourceMonitor);
        QCOMPARE(monitorOptions.value(QStringLiteral("persist_mode")).toUInt(),
                 kPersistUntilRevoked);
        QCOMPARE(ReadRestoreToken(tokenPath).value_or(""), std::string("token-from-start"));

        portal_->Reset({kSourceMonitor, false});
        WaylandDesktop monitorsOnly({1920, 1080});
        QVERIFY(!monitorsOnly.CanPickWindows());
        QVERIFY(!monitorsOnly.ChooseWindow());
        QCOMPARE(ScreenCastPortal::Start(kSourceWindow, tokenPath).problem,
                 CaptureProblem::NoPortal);
        QCOMPARE(portal_->ScreenCastSessions(), 0);
    }

    void shortcutIsBoundAndOnlyItsActivationToggles() {
        portal_->Reset({kSourceMonitor, true});
        int toggles = 0;
        int pauses = 0;
        ShortcutPortal shortcut(
            QDBusConnection::sessionBus(),
            {{QString::fromLatin1(kToggleShortcutId), QStringLiteral("开始或停止录制"),
              QStringLiteral("F2"), [&toggles] { ++toggles; }},
             {QStringLiteral("pause-recording"), QStringLiteral("暂停或继续录制"),
              QStringLiteral("SHIFT+F2"), [&pauses] { ++pauses; }}});
        QSignalSpy settled(&shortcut, &ShortcutPortal::settled);
        QVERIFY(settled.wait(kWaitMs));
        QCOMPARE(shortcut.CurrentState(), ShortcutPortal::State::Bound);

        QCOMPARE(portal_->ShortcutSessions().size(), 1);
        const QString session = portal_->ShortcutSessions().first();
        const QList<BoundShortcut> bound = portal_->Bound();
        QCOMPARE(bound.size(), 2);
        QCOMPARE(bound.last().id, QStringLiteral("pause-recording"));
        QCOMPARE(bound.last().properties.value(QStringLiteral("preferred_trigger")).toString(),
                 QStringLiteral("SHIFT+F2"));
        QCOMPARE(bound.first().session, session);
        QCOMPARE(bound.first().id, QString::fromLatin1(kToggleShortcutId));
        QCOMPARE(bound.first().properties.value(QStringLiteral("description")).toString(),
                 QStringLiteral("开始或停止录制"));
        QCOMPARE(bound.first().properties.value(QStringLiteral("preferred_trigger")).toString(),
                 QStringLiteral("F2"));

        Listener listener;
        QVERIFY(QDBusConnection::sessionBus().connect(kService, kPath, kShortcuts,
                                                      QStringLiteral("Activated"), &listener,
                                                      SLOT(OnActivated(QDBusObjectPath, QString))));
        QSignalSpy heard(&listener, &Listener::heard);
        portal_->SendActivated(session, QStringLiteral("another-shortcut"));
        portal_->SendActivated(kPath + QStringLiteral("/session/other/x"),
                               QString::fromLatin1(kToggleShortcutId));
        portal_->SendActivated(session, QString::fromLatin1(kToggleShortcutId));
        portal_->SendActivated(session, QStringLiteral("pause-recording"));
        portal_->SendActivated(session, QStringLiteral("end-of-test"));
        QTRY_COMPARE_WITH_TIMEOUT(heard.size(), 5, kWaitMs);
        // Every toggle the client queued for the signals before the last has been queued by now.
        QCoreApplication::sendPostedEvents();
        QCOMPARE(toggles, 1);
        QCOMPARE(pauses, 1);
    }

    void portalWithoutShortcutsBindsNothing() {
        portal_->Reset({kSourceMonitor, false});
        ShortcutPortal shortcut(QDBusConnection::sessionBus(),
                                {{QString::fromLatin1(kToggleShortcutId), QStringLiteral("x"),
                                  QStringLiteral("F2"), [] {}}});
        QSignalSpy settled(&shortcut, &ShortcutPortal::settled);
        QVERIFY(settled.wait(kWaitMs));
        QCOMPARE(shortcut.CurrentState(), ShortcutPortal::State::Unavailable);
        QVERIFY(portal_->ShortcutSessions().isEmpty());
        QVERIFY(portal_->Bound().isEmpty());
    }

  private:
    QTemporaryDir config_;
    QProcess daemon_;
    QThread portalThread_;
    FakePortal* portal_ = nullptr;
};

}  // namespace
}  // namespace platform::wayland

QTEST_GUILESS_MAIN(platform::wayland::PortalBusTest)
#include "wayland_portal_bustest.moc"
