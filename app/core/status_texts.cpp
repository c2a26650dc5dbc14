#include "app/core/status_texts.h"

#include <cstdio>

namespace app {

namespace {

constexpr const char* kIntervalPrefix = "采集间隔: ";
constexpr const char* kIntervalLongest = "采集间隔: 100";
constexpr const char* kSpeedPrefix = "帧延时: ";
constexpr const char* kBrightnessPrefix = "亮度: ";
constexpr const char* kBlackWhiteOff = "黑白: 关";
constexpr const char* kBlackWhitePrefix = "黑白阈值: ";
constexpr const char* kWatermarkPrefix = "水印: ";

}  // namespace

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
    if (position >= 20) return std::string(kIntervalLongest) + "m/hz";
    return kIntervalPrefix + FrameIntervalDigits(position) + "m/hz";
}

std::string PlaySpeedStatus(int delayFactor) {
    return kSpeedPrefix + FormatStatusNumber(delayFactor * 10.0) + "ms/hz";
}

std::string BrightnessStatus(int position) {
    return kBrightnessPrefix + FormatStatusNumber(position * 10.0 - 100.0);
}

std::string BlackWhiteStatus(int position) {
    if (position == 1) return kBlackWhiteOff;
    return kBlackWhitePrefix + FormatStatusNumber(position);
}

std::string WatermarkSwitchStatus(bool checked) {
    return std::string(kWatermarkPrefix) + (checked ? "真" : "假");
}

}  // namespace app
