#include "app/core/texts.h"

#include <gtest/gtest.h>

#include "app/core/status_texts.h"

namespace app {
namespace {

TEST(InterfaceLanguage, ChineseLocalesGetChineseEveryOtherEnglish) {
    for (const char* locale : {"zh_CN", "zh_TW.UTF-8", "zh", "zh_HK@stroke", "ZH_cn", "zh-Hans"})
        EXPECT_EQ(InterfaceLanguage("", locale), "zh") << locale;
    for (const char* locale : {"en_US", "en_GB.UTF-8", "C", "POSIX", "", "de_DE", "z", "zu_ZA"})
        EXPECT_EQ(InterfaceLanguage("", locale), "en") << locale;
}

TEST(InterfaceLanguage, TheCommandLineOverridesTheLocale) {
    EXPECT_EQ(InterfaceLanguage("en", "zh_CN"), "en");
    EXPECT_EQ(InterfaceLanguage("zh", "en_US"), "zh");
}

std::string Shouting(const char* context, const char* source) {
    return std::string(context) + "|" + source;
}

TEST(Translated, TextsStayAsWrittenUntilATranslatorIsSet) {
    SetTranslator(nullptr);
    EXPECT_EQ(Translated("StatusTexts", "亮度: "), "亮度: ");
    EXPECT_EQ(BrightnessStatus(10), "亮度: 0");
    SetTranslator(Shouting);
    // Only the fixed words are translated; the numbers and units the status line adds stay.
    EXPECT_EQ(BrightnessStatus(1), "StatusTexts|亮度: -90");
    EXPECT_EQ(FrameIntervalStatus(20), "StatusTexts|采集间隔: 100m/hz");
    EXPECT_EQ(WatermarkSwitchStatus(false), "StatusTexts|水印: StatusTexts|假");
    SetTranslator(nullptr);
    EXPECT_EQ(WatermarkSwitchStatus(true), "水印: 真");
}

}  // namespace
}  // namespace app
