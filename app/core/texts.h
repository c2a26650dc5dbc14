// The texts the recording logic shows are written in Chinese, the program's source language.
// The windows install a translator (Qt's, for the interface language); without one the texts
// stay as written. Call sites name a context, as Qt's translate() does, so that the translation
// tools find them.
#pragma once

#include <cstdint>
#include <string>

#include "gif/base/error_code.h"

namespace app {

using Translator = std::string (*)(const char* context, const char* source);

void SetTranslator(Translator translator);  // nullptr: texts stay as written
std::string Translated(const char* context, const char* source);

// The language the GIF library's errors are shown in; Chinese (its own texts) until set.
void SetLibraryLanguage(gif::Language language);
gif::Language LibraryLanguage();

// A file size as "0.8 MB", "12.4 MB".
std::string MegabytesText(uint64_t bytes);

// "zh" or "en": the one given on the command line, else Chinese for a zh locale name
// ("zh_CN", "zh_TW.UTF-8", "zh") and English for any other ("en_US", "C", "").
std::string InterfaceLanguage(const std::string& commandLine, const std::string& localeName);

}  // namespace app
