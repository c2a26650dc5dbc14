// Status-line texts of the main window's settings sliders and the watermark switch.
#pragma once

#include <string>

namespace app {

// position / 2 with the dot removed, padded with "0" when it is not two characters long.
std::string FrameIntervalDigits(int position);

std::string FrameIntervalStatus(int position);
// `delayFactor` is DelayFactorFor(position) of settings.h.
std::string PlaySpeedStatus(int delayFactor);
// In real time: the factor the play-speed position scales real time by.
std::string SpeedFactorStatus(int position);
std::string BrightnessStatus(int position);
std::string BlackWhiteStatus(int position);
std::string WatermarkSwitchStatus(bool checked);

// A number as the status line writes it: up to 13 significant digits, whole numbers without a
// fraction.
std::string FormatStatusNumber(double value);

}  // namespace app
