#include "app/core/status_texts.h"

#include <cstdio>

#include "app/core/frame_timing.h"
#include "app/core/texts.h"

namespace app {

std::string FormatStatusNumber(double value) {
    char text[40];
    std::snprintf(text, sizeof text, "%.13g", value);
    return text;
}

std::string FrameIntervalDigits(int position) {
    std::string digits;
    for (char c : FormatStatusNumber(position / 2.0)) {
        if (c != '.') digits += c;
    }
    if (digits.size() != 2) digits += '0';
    return digits;
}

std::string FrameIntervalStatus(int position) {
    if (position >= 20) return Translated("StatusTexts", "采集间隔: 100") + "m/hz";
    return Translated("StatusTexts", "采集间隔: ") + FrameIntervalDigits(position) + "m/hz";
}

std::string PlaySpeedStatus(int delayFactor) {
    return Translated("StatusTexts", "帧延时: ") + FormatStatusNumber(delayFactor * 10.0) + "ms/hz";
}

std::string SpeedFactorStatus(int position) {
    return Translated("StatusTexts", "播放速度: ") + FormatStatusNumber(SpeedFactorFor(position)) +
           "x";
}

std::string BrightnessStatus(int position) {
    return Translated("StatusTexts", "亮度: ") + FormatStatusNumber(position * 10.0 - 100.0);
}

std::string BlackWhiteStatus(int position) {
    if (position == 1) return Translated("StatusTexts", "黑白: 关");
    return Translated("StatusTexts", "黑白阈值: ") + FormatStatusNumber(position);
}

std::string WatermarkSwitchStatus(bool checked) {
    return Translated("StatusTexts", "水印: ") +
           (checked ? Translated("StatusTexts", "真") : Translated("StatusTexts", "假"));
}

}  // namespace app
