// Checks a dropped file before it becomes the watermark picture of the main window.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace app {

enum class WatermarkVerdict { UnsupportedType, TooLarge, Unusable, Accepted };

struct WatermarkIntake {
    WatermarkVerdict verdict = WatermarkVerdict::Unusable;
    int width = 0;
    int height = 0;
    std::vector<uint8_t> picture;  // the accepted picture as a 24-bit BMP file image
};

// A trial stamp of `mark` onto the built-in watermark: true when the mark can be stamped.
using WatermarkTrial = std::function<bool(const std::vector<uint8_t>& mark)>;

// Sides from this size up are refused.
inline constexpr int kMaxWatermarkSide = 200;
// Files above this size are not read; a picture under 200 × 200 never needs as much.
inline constexpr uint64_t kMaxWatermarkFileBytes = uint64_t{64} << 20;

// `path` is the dropped-file list (paths joined by CR LF); only a single path can load. The type
// test looks at the list's last three bytes, case-sensitively: "bmp", "jpg", "png" or "gif".
WatermarkIntake LoadWatermarkFromFile(std::string_view path, const WatermarkTrial& trial);

// The status-line message for each verdict.
std::string WatermarkIntakeMessage(WatermarkVerdict verdict);

}  // namespace app
