// The language of messages for the user, chosen as every program of the project chooses it:
// a choice on the command line ("zh" or "en") wins; otherwise the locale that governs
// messages, LC_ALL, then LC_MESSAGES, then LANG (the first one set and not empty). A locale
// name of Chinese ("zh", "zh_CN.UTF-8", "zh-TW", "zh@...") gives Chinese, any other English.
#pragma once

#include <string>
#include <string_view>

#include "gif/base/error_code.h"

namespace gif {

Language LanguageOfLocaleName(std::string_view localeName);

// The locale name the environment gives for messages; empty when none is set.
std::string MessageLocaleName();

// `choice` is "zh", "en" or empty (follow the locale).
Language MessageLanguage(std::string_view choice);

}  // namespace gif
