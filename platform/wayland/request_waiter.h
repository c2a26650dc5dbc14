// Receives the one Response signal of a portal Request and lets its caller wait for it while
// the event loop keeps running.
#pragma once

#include <QEventLoop>
#include <QObject>
#include <QVariantMap>

#include <cstdint>
#include <optional>

namespace platform::wayland {

class RequestWaiter : public QObject {
    Q_OBJECT
  public:
    struct Response {
        uint32_t code = 0;
        QVariantMap results;
    };

    // The response, or nothing when none came within `timeoutMs`.
    std::optional<Response> Wait(int timeoutMs);

  public slots:
    void OnResponse(uint code, const QVariantMap& results);

  private:
    std::optional<Response> response_;
    QEventLoop loop_;
};

}  // namespace platform::wayland
