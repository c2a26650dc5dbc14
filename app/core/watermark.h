// The watermark stamped on frames when the user has set none: a 116 x 116 24-bit BMP.
#pragma once

#include <cstdint>
#include <vector>

namespace app {

inline constexpr int32_t kBuiltinWatermarkSide = 116;

// The BMP file image (40422 bytes); black pixels are the transparent ones when stamped.
const std::vector<uint8_t>& BuiltinWatermark();

}  // namespace app
