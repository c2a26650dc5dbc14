// gifrec's own command line. Options Qt takes itself (single dash: -platform, -display, ...)
// are left for the application object.
#pragma once

#include <string>
#include <vector>

namespace app {

struct CommandLine {
    enum class Action { Run, Help, Version, Usage, Toggle, Pause };
    Action action = Action::Run;
    std::string language;     // "zh", "en", or empty to follow the locale
    bool noSettings = false;  // start with the defaults and write no settings
    std::string error;        // what is wrong, for Action::Usage
};

CommandLine ParseCommandLine(const std::vector<std::string>& args);  // without argv[0]

// In "zh" or "en" (InterfaceLanguage of texts.h, from --lang and the locale).
std::string HelpText(const std::string& language = "en");
std::string VersionText();

// Exit status of a wrong command line.
inline constexpr int kExitUsage = 2;

}  // namespace app
