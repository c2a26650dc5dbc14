#include "app/core/command_line.h"

#include <gtest/gtest.h>

namespace app {
namespace {

using Action = CommandLine::Action;

TEST(CommandLine, NothingRunsTheRecorderInTheLocalesLanguage) {
    const CommandLine line = ParseCommandLine({});
    EXPECT_EQ(line.action, Action::Run);
    EXPECT_EQ(line.language, "");
}

TEST(CommandLine, HelpWinsOverVersionWhereverItStands) {
    EXPECT_EQ(ParseCommandLine({"--help"}).action, Action::Help);
    EXPECT_EQ(ParseCommandLine({"-h"}).action, Action::Help);
    EXPECT_EQ(ParseCommandLine({"--version", "--help"}).action, Action::Help);
    EXPECT_EQ(ParseCommandLine({"--help", "--version"}).action, Action::Help);
    EXPECT_EQ(ParseCommandLine({"-v"}).action, Action::Version);
}

TEST(CommandLine, LanguageInEitherSpelling) {
    EXPECT_EQ(ParseCommandLine({"--lang", "en"}).language, "en");
    EXPECT_EQ(ParseCommandLine({"--lang=zh"}).language, "zh");
    EXPECT_EQ(ParseCommandLine({"--lang", "zh", "--lang", "en"}).language, "en");
    EXPECT_EQ(ParseCommandLine({"--lang", "en"}).action, Action::Run);
}

TEST(CommandLine, WrongLanguagesAndUnknownOptionsAreUsageErrors) {
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"--lang"}, {"--lang", "fr"}, {"--lang="}, {"--lang", "EN"}, {"--record"}}) {
        const CommandLine line = ParseCommandLine(args);
        EXPECT_EQ(line.action, Action::Usage) << args[0];
        EXPECT_FALSE(line.error.empty()) << args[0];
    }
    EXPECT_NE(ParseCommandLine({"--lang", "fr"}).error.find("fr"), std::string::npos);
}

TEST(CommandLine, QtsOwnSingleDashOptionsAreLeftAlone) {
    const CommandLine line = ParseCommandLine({"-platform", "offscreen", "--lang", "en"});
    EXPECT_EQ(line.action, Action::Run);
    EXPECT_EQ(line.language, "en");
}

TEST(CommandLine, ToggleAndPauseOnlyAlone) {
    EXPECT_EQ(ParseCommandLine({"--toggle"}).action, Action::Toggle);
    EXPECT_EQ(ParseCommandLine({"--pause"}).action, Action::Pause);
    // With anything else it would be unclear whether this start should record itself.
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--toggle", "--lang", "en"},
          {"--lang=zh", "--toggle"},
          {"--toggle", "--toggle"},
          {"--toggle", "--pause"}}) {
        const CommandLine line = ParseCommandLine(args);
        EXPECT_EQ(line.action, Action::Usage) << args.size();
        EXPECT_NE(line.error.find("--toggle"), std::string::npos);
    }
    const CommandLine paused = ParseCommandLine({"--pause", "--lang", "zh"});
    EXPECT_EQ(paused.action, Action::Usage);
    EXPECT_NE(paused.error.find("--pause"), std::string::npos);
}

TEST(CommandLine, NoSettingsWithAnyOtherRunOption) {
    EXPECT_FALSE(ParseCommandLine({}).noSettings);
    const CommandLine line = ParseCommandLine({"--lang", "en", "--no-settings"});
    EXPECT_EQ(line.action, Action::Run);
    EXPECT_TRUE(line.noSettings);
    EXPECT_EQ(line.language, "en");
    EXPECT_EQ(ParseCommandLine({"--no-settings", "--toggle"}).action, Action::Usage);
}

TEST(CommandLine, HelpNamesEveryOptionAndVersionTheNumber) {
    for (const char* language : {"en", "zh"}) {
        const std::string help = HelpText(language);
        for (const char* option : {"--lang", "--help", "--version", "--toggle", "--pause", "--no-settings"}) {
            EXPECT_NE(help.find(option), std::string::npos) << option << ' ' << language;
        }
    }
    EXPECT_EQ(HelpText("zh").rfind("用法: gifrec", 0), 0u);
    EXPECT_EQ(VersionText().rfind("gifrec ", 0), 0u);
    EXPECT_NE(VersionText().find('.'), std::string::npos);
}

}  // namespace
}  // namespace app
