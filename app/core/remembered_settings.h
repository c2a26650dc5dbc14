// What gifrec remembers from one run to the next: the capture mode and region, the sliders, the
// watermark and the tools-menu choices, with the defaults a first start has. Where the value is
// kept is a store's business; the windows get the value and a store to hand changes to.
#pragma once

#include <string>

#include "app/core/settings.h"

namespace app {

struct RememberedSettings {
    int captureMode = 0;  // 0 full screen, 1 window pick, 2 region
    // The region recorded in modes 1 and 2; full screen takes the screen as it is at the start.
    CaptureRegion region{};
    int frameIntervalPosition = 2;  // 1..20
    int playSpeedPosition = 3;      // 1..5
    int brightnessPosition = 10;    // 1..20
    int blackWhitePosition = 1;     // 1..10
    bool watermarkOn = false;
    // The picture box's picture as a 24-bit BMP file image and the size it is placed by; empty
    // for none (the built-in watermark).
    PictureBytes watermarkPicture;
    int watermarkWidth = 0;
    int watermarkHeight = 0;

    // The tools menu.
    bool wholeFrames = false;
    bool exactColours = false;
    std::string colours = "best";  // popularity, dither, exact or best
    int quality = 100;             // 1..100
    int outputScalePercent = 100;  // 100, 75 or 50
    int sizeLimitMegabytes = 0;    // 0 (no limit), 5, 10 or 25
    bool countdown = false;
    bool fixedDelays = false;
    std::string language;  // "zh", "en", or empty to follow the locale

    bool operator==(const RememberedSettings&) const = default;
};

// Region coordinates beyond this are no screen's.
inline constexpr int kMaxRememberedCoordinate = 1 << 16;

// What is wrong with a value, in English for the log; empty when every field is in range. A
// value with any fault is used for nothing, so a start never mixes remembered and default
// settings.
std::string RememberedSettingsProblem(const RememberedSettings& settings);

struct SettingsLoad {
    enum class Outcome {
        Loaded,      // the remembered settings
        Missing,     // nothing remembered yet: the defaults
        Unreadable,  // the defaults; `detail` says why
        Damaged,     // the defaults; `detail` says what is wrong
        Off,         // remembering is off: the defaults
    };
    Outcome outcome = Outcome::Off;
    RememberedSettings settings;
    std::string detail;
};

// Where the settings are kept. Load never throws and gives defaults unless everything it found
// is usable; Save writes one whole value and says whether it was kept.
class RememberedSettingsStore {
  public:
    virtual ~RememberedSettingsStore() = default;
    virtual SettingsLoad Load() = 0;
    virtual bool Save(const RememberedSettings& settings) = 0;
    // Why the last Save failed, in English for the log.
    virtual std::string SaveError() const { return {}; }
};

// Remembers nothing: every start has the defaults, and nothing is written.
class NoSettingsStore : public RememberedSettingsStore {
  public:
    SettingsLoad Load() override { return {}; }
    bool Save(const RememberedSettings&) override { return true; }
};

// The status line's word on a start's settings; empty for Loaded and Off.
std::string SettingsLoadStatus(SettingsLoad::Outcome outcome);

}  // namespace app
