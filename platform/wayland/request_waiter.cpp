#include "platform/wayland/request_waiter.h"

#include <QTimer>

namespace platform::wayland {

std::optional<RequestWaiter::Response> RequestWaiter::Wait(int timeoutMs) {
    if (!response_) {
        QTimer::singleShot(timeoutMs, &loop_, &QEventLoop::quit);
        loop_.exec();
    }
    return response_;
}

void RequestWaiter::OnResponse(uint code, const QVariantMap& results) {
    if (response_) return;
    response_ = Response{code, results};
    loop_.quit();
}

}  // namespace platform::wayland
