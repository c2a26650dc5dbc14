// Whether a recording keeps the frame rate its interval asks for: a large screen (4K) may take
// longer to grab and encode than the interval allows, which the user is told rather than left
// to find out from a jerky GIF.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>

namespace app {

// Before this much of a recording has passed, too few frames were counted to tell.
inline constexpr std::chrono::milliseconds kRateSettleTime{2000};

// The frames a second reached, when `frames` counted over `elapsed` fall short of 80% of the rate
// `intervalMs` sets; nothing while the recording keeps up, is too young to tell, or has no
// interval to keep.
std::optional<double> RateShortfall(int intervalMs, uint32_t frames,
                                    std::chrono::milliseconds elapsed);

}  // namespace app
