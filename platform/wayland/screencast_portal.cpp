#include "platform/wayland/screencast_portal.h"

#include <fcntl.h>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>
#include <QDBusVariant>
#include <QEventLoop>
#include <QTimer>

#include <optional>

#include "platform/wayland/request_waiter.h"

namespace platform::wayland {

namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kScreenCast = QStringLiteral("org.freedesktop.portal.ScreenCast");
constexpr int kCallTimeoutMs = 10000;
// Long enough for a person to read the desktop's question and answer it.
constexpr int kUserAnswerTimeoutMs = 300000;

QString NewToken() {
    return QString::fromStdString(NewHandleToken());
}

std::optional<uint32_t> ReadProperty(QDBusConnection& bus, const QString& name) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    call << kScreenCast << name;
    QDBusMessage reply = bus.call(call, QDBus::Block, kCallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return std::nullopt;
    const QVariant value = reply.arguments().first().value<QDBusVariant>().variant();
    bool ok = false;
    const uint32_t number = value.toUInt(&ok);
    return ok ? std::optional<uint32_t>(number) : std::nullopt;
}

struct Answer {
    CaptureProblem problem = CaptureProblem::PortalFailed;
    QVariantMap results;
};

// Calls a method that answers through a Request object and waits for that answer.
Answer CallWithRequest(QDBusConnection& bus, const QString& method, QVariantList arguments,
                       QVariantMap options, int timeoutMs) {
    const QString token = NewToken();
    options.insert(QStringLiteral("handle_token"), token);
    arguments.append(options);
    const QString requestPath =
        QString::fromStdString(RequestPath(bus.baseService().toStdString(), token.toStdString()));

    RequestWaiter waiter;
    bus.connect(kService, requestPath, QStringLiteral("org.freedesktop.portal.Request"),
                QStringLiteral("Response"), &waiter, SLOT(OnResponse(uint, QVariantMap)));
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kScreenCast, method);
    call.setArguments(arguments);
    QDBusMessage reply = bus.call(call, QDBus::Block, kCallTimeoutMs);
    Answer answer;
    if (reply.type() == QDBusMessage::ReplyMessage) {
        if (std::optional<RequestWaiter::Response> response = waiter.Wait(timeoutMs)) {
            answer.problem = ProblemOfResponse(response->code);
            answer.results = response->results;
        }
    }
    bus.disconnect(kService, requestPath, QStringLiteral("org.freedesktop.portal.Request"),
                   QStringLiteral("Response"), &waiter, SLOT(OnResponse(uint, QVariantMap)));
    return answer;
}

// An (ii) pair as the portal sends position and size.
std::pair<int32_t, int32_t> ReadPair(const QVariant& value) {
    int32_t first = 0, second = 0;
    if (value.canConvert<QDBusArgument>()) {
        const QDBusArgument argument = value.value<QDBusArgument>();
        argument.beginStructure();
        argument >> first >> second;
        argument.endStructure();
    }
    return {first, second};
}

std::vector<StreamInfo> ReadStreams(const QVariant& value) {
    std::vector<StreamInfo> streams;
    if (!value.canConvert<QDBusArgument>()) return streams;
    const QDBusArgument argument = value.value<QDBusArgument>();
    argument.beginArray();
    while (!argument.atEnd()) {
        uint node = 0;
        QVariantMap properties;
        argument.beginStructure();
        argument >> node >> properties;
        argument.endStructure();
        StreamInfo stream;
        stream.node = node;
        auto [x, y] = ReadPair(properties.value(QStringLiteral("position")));
        auto [width, height] = ReadPair(properties.value(QStringLiteral("size")));
        stream.position = {x, y};
        stream.size = {width, height};
        stream.sourceType = properties.value(QStringLiteral("source_type")).toUInt();
        streams.push_back(stream);
    }
    argument.endArray();
    return streams;
}

}  // namespace

PortalOffer ScreenCastPortal::Query(bool* bus) {
    QDBusConnection connection = QDBusConnection::sessionBus();
    if (bus) *bus = connection.isConnected();
    PortalOffer offer;
    if (!connection.isConnected()) return offer;
    std::optional<uint32_t> version = ReadProperty(connection, QStringLiteral("version"));
    if (!version) return offer;
    offer.reachable = true;
    offer.version = *version;
    offer.sourceTypes =
        ReadProperty(connection, QStringLiteral("AvailableSourceTypes")).value_or(0);
    offer.cursorModes =
        ReadProperty(connection, QStringLiteral("AvailableCursorModes")).value_or(0);
    return offer;
}

ScreenCastPortal::Started ScreenCastPortal::Start(uint32_t sourceType,
                                                  const std::string& tokenPath) {
    Started started;
    bool busUp = false;
    const PortalOffer offer = Query(&busUp);
    if (!busUp) {
        started.problem = CaptureProblem::NoSessionBus;
        return started;
    }
    if (!offer.reachable || !(offer.sourceTypes & sourceType)) {
        started.problem = CaptureProblem::NoPortal;
        return started;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();

    Answer created =
        CallWithRequest(bus, QStringLiteral("CreateSession"), {},
                        {{QStringLiteral("session_handle_token"), NewToken()}}, kCallTimeoutMs);
    const QString sessionPath = created.results.value(QStringLiteral("session_handle")).toString();
    if (created.problem != CaptureProblem::NoProblem || sessionPath.isEmpty()) {
        started.problem = created.problem == CaptureProblem::NoProblem
                              ? CaptureProblem::PortalFailed
                              : created.problem;
        return started;
    }
    // From here the session is closed again on every way out.
    std::unique_ptr<ScreenCastPortal> session(new ScreenCastPortal(sessionPath.toStdString()));
    const QVariant sessionHandle = QVariant::fromValue(QDBusObjectPath(sessionPath));

    const SourceSelection selection = ChooseSelection(sourceType, offer.version, offer.cursorModes);
    QVariantMap select{{QStringLiteral("types"), uint(selection.types)},
                       {QStringLiteral("multiple"), false}};
    if (selection.cursorMode)
        select.insert(QStringLiteral("cursor_mode"), uint(selection.cursorMode));
    if (selection.persist) {
        select.insert(QStringLiteral("persist_mode"), uint(kPersistUntilRevoked));
        if (std::optional<std::string> token = ReadRestoreToken(tokenPath))
            select.insert(QStringLiteral("restore_token"), QString::fromStdString(*token));
    }
    Answer selected = CallWithRequest(bus, QStringLiteral("SelectSources"), {sessionHandle}, select,
                                      kCallTimeoutMs);
    if (selected.problem != CaptureProblem::NoProblem) {
        started.problem = selected.problem;
        return started;
    }

    Answer running = CallWithRequest(bus, QStringLiteral("Start"), {sessionHandle, QString()}, {},
                                     kUserAnswerTimeoutMs);
    if (running.problem != CaptureProblem::NoProblem) {
        started.problem = running.problem;
        return started;
    }
    const QString newToken = running.results.value(QStringLiteral("restore_token")).toString();
    if (selection.persist && !newToken.isEmpty())
        WriteRestoreToken(tokenPath, newToken.toStdString());
    std::optional<StreamInfo> stream = ChooseStream(ReadStreams(running.results.value("streams")));
    if (!stream) {
        started.problem = CaptureProblem::PortalFailed;
        return started;
    }

    QDBusMessage open = QDBusMessage::createMethodCall(kService, kPath, kScreenCast,
                                                       QStringLiteral("OpenPipeWireRemote"));
    open << sessionHandle << QVariantMap{};
    QDBusMessage reply = bus.call(open, QDBus::Block, kCallTimeoutMs);
    const QDBusUnixFileDescriptor fd =
        reply.arguments().isEmpty() ? QDBusUnixFileDescriptor()
                                    : reply.arguments().first().value<QDBusUnixFileDescriptor>();
    if (reply.type() != QDBusMessage::ReplyMessage || !fd.isValid()) {
        started.problem = CaptureProblem::NoPipeWire;
        return started;
    }
    started.pipeWireFd = ::fcntl(fd.fileDescriptor(), F_DUPFD_CLOEXEC, 3);
    if (started.pipeWireFd < 0) {
        started.problem = CaptureProblem::NoPipeWire;
        return started;
    }
    started.stream = *stream;
    started.session = std::move(session);
    return started;
}

ScreenCastPortal::~ScreenCastPortal() {
    QDBusMessage close = QDBusMessage::createMethodCall(
        kService, QString::fromStdString(sessionPath_),
        QStringLiteral("org.freedesktop.portal.Session"), QStringLiteral("Close"));
    QDBusConnection::sessionBus().call(close, QDBus::NoBlock);
}

}  // namespace platform::wayland
