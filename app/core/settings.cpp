#include "app/core/settings.h"

#include <charconv>
#include <cmath>

namespace app {

int32_t ParseRegionField(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    int32_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return 0;
    return value;
}

int32_t DelayFactorFor(int playSpeedPosition) {
    return static_cast<int32_t>(std::trunc(5.0 - playSpeedPosition));
}

}  // namespace app
