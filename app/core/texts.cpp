#include "app/core/texts.h"

#include <cstdio>

#include <atomic>

#include "gif/base/message_language.h"

namespace app {
namespace {

// Read on the capture worker's thread too.
std::atomic<Translator> current{nullptr};
std::atomic<gif::Language> libraryLanguage{gif::Language::Chinese};

}  // namespace

void SetTranslator(Translator translator) {
    current.store(translator);
}

std::string Translated(const char* context, const char* source) {
    const Translator translator = current.load();
    return translator ? translator(context, source) : std::string(source);
}

void SetLibraryLanguage(gif::Language language) {
    libraryLanguage.store(language);
}

gif::Language LibraryLanguage() {
    return libraryLanguage.load();
}

std::string MegabytesText(uint64_t bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f MB", double(bytes) / 1e6);
    return text;
}

std::string InterfaceLanguage(const std::string& commandLine, const std::string& localeName) {
    if (!commandLine.empty()) return commandLine;
    return gif::LanguageOfLocaleName(localeName) == gif::Language::Chinese ? "zh" : "en";
}

}  // namespace app
