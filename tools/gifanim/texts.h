// gifanim speaks the user's language: every message and help text is a pair of English and
// Chinese, and main() picks the language once (gif/message_language.h: --lang, else the
// locale). The library's failures are shown in its own texts of that language.
#pragma once

#include <string>

#include "gif/base/error_code.h"
#include "gif/base/library_error.h"

namespace gifanim {

// A text in both languages. A text without its Chinese yet ({"English"}) shows in English in
// both, so a new command can be added first and translated after.
struct Text {
    const char* english;
    const char* chinese = nullptr;

    constexpr Text(const char* englishText) : english(englishText) {}
    constexpr Text(const char* englishText, const char* chineseText)
        : english(englishText), chinese(chineseText) {}
};

void SetLanguage(gif::Language language);
gif::Language CurrentLanguage();

// `text` in the current language.
const char* Say(const Text& text);

// The library's last failure, and a failure it raised, in the current language.
template <typename LibraryObject>
std::string LibraryMessage(const LibraryObject& object) {
    return object.GetErrorText(CurrentLanguage());
}
inline std::string Message(const gif::LibraryError& error) {
    return gif::ErrorText(error.Code(), error.Detail(), CurrentLanguage());
}

// "gifanim COMMAND: message" and the hint to --help on standard error; returns kExitUsage.
int UsageError(const char* command, const std::string& message);
// "gifanim COMMAND: message" on standard error; returns kExitFailure.
int Failure(const char* command, const std::string& message);

// Exit statuses shared by the commands.
inline constexpr int kExitFailure = 1;  // the library reported a failure
inline constexpr int kExitUsage = 2;    // the command line is wrong

}  // namespace gifanim
