#include "app/core/remembered_settings.h"

#include <initializer_list>

#include "app/core/texts.h"
#include "app/core/watermark_intake.h"
#include "bitmap/picture_codec.h"

namespace app {
namespace {

std::string OutOfRange(const char* name, int value) {
    return std::string(name) + " " + std::to_string(value) + " is out of range";
}

bool InRange(int value, int low, int high) {
    return value >= low && value <= high;
}

bool OneOf(int value, std::initializer_list<int> allowed) {
    for (int a : allowed) {
        if (value == a) return true;
    }
    return false;
}

std::string RegionProblem(const RememberedSettings& s) {
    const CaptureRegion& r = s.region;
    for (int32_t c : {r.left, r.top, r.right, r.bottom}) {
        if (!InRange(c, -kMaxRememberedCoordinate, kMaxRememberedCoordinate)) {
            return OutOfRange("region coordinate", c);
        }
    }
    // Full screen takes the screen's size at the start; the other modes record this rectangle.
    if (s.captureMode != 0 && (r.right <= r.left || r.bottom <= r.top)) return "empty region";
    return {};
}

std::string WatermarkProblem(const RememberedSettings& s) {
    if (s.watermarkPicture.empty()) {
        return s.watermarkWidth == 0 && s.watermarkHeight == 0 ? ""
                                                               : "watermark size without picture";
    }
    const bitmap::DecodeLimits limits{kMaxWatermarkSide - 1, bitmap::kMaxImageBytes};
    bitmap::Image24 image;
    if (bitmap::DecodePicture(s.watermarkPicture, image, limits) != bitmap::DecodeStatus::Ok) {
        return "watermark picture does not decode";
    }
    if (static_cast<int>(image.width) != s.watermarkWidth ||
        static_cast<int>(image.height) != s.watermarkHeight) {
        return "watermark size differs from its picture";
    }
    return {};
}

}  // namespace

std::string RememberedSettingsProblem(const RememberedSettings& s) {
    if (!InRange(s.captureMode, 0, 2)) return OutOfRange("capture mode", s.captureMode);
    if (std::string problem = RegionProblem(s); !problem.empty()) return problem;
    const struct {
        const char* name;
        int value, low, high;
    } sliders[] = {{"frame interval", s.frameIntervalPosition, 1, 20},
                   {"play speed", s.playSpeedPosition, 1, 5},
                   {"brightness", s.brightnessPosition, 1, 20},
                   {"black-and-white", s.blackWhitePosition, 1, 10},
                   {"quality", s.quality, 1, 100}};
    for (const auto& slider : sliders) {
        if (!InRange(slider.value, slider.low, slider.high)) {
            return OutOfRange(slider.name, slider.value);
        }
    }
    if (std::string problem = WatermarkProblem(s); !problem.empty()) return problem;
    if (s.colours != "popularity" && s.colours != "dither" && s.colours != "exact" &&
        s.colours != "best") {
        return "unknown colours " + s.colours;
    }
    if (!OneOf(s.outputScalePercent, {100, 75, 50})) {
        return OutOfRange("output size", s.outputScalePercent);
    }
    if (!OneOf(s.sizeLimitMegabytes, {0, 5, 10, 25})) {
        return OutOfRange("size limit", s.sizeLimitMegabytes);
    }
    if (!s.language.empty() && s.language != "zh" && s.language != "en") {
        return "unknown language " + s.language;
    }
    return {};
}

std::string SettingsLoadStatus(SettingsLoad::Outcome outcome) {
    using Outcome = SettingsLoad::Outcome;
    switch (outcome) {
        case Outcome::Missing:
            return Translated("RememberedSettings", "默认设置, F2 开始或停止录制");
        case Outcome::Unreadable:
            return Translated("RememberedSettings", "设置文件无法读取, 用默认设置");
        case Outcome::Damaged:
            return Translated("RememberedSettings", "设置文件已损坏, 用默认设置");
        case Outcome::Loaded:
        case Outcome::Off:
            break;
    }
    return {};
}

}  // namespace app
