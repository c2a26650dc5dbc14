#include "app/core/frame_rate_check.h"

namespace app {

std::optional<double> RateShortfall(int intervalMs, uint32_t frames,
                                    std::chrono::milliseconds elapsed) {
    if (intervalMs <= 0 || elapsed < kRateSettleTime) return std::nullopt;
    const double reached = frames * 1000.0 / double(elapsed.count());
    const double asked = 1000.0 / intervalMs;
    if (reached >= 0.8 * asked) return std::nullopt;
    return reached;
}

}  // namespace app
