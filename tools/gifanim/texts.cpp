#include "tools/gifanim/texts.h"

#include <iostream>

namespace gifanim {
namespace {

gif::Language language = gif::Language::English;

}  // namespace

void SetLanguage(gif::Language chosen) {
    language = chosen;
}

gif::Language CurrentLanguage() {
    return language;
}

const char* Say(const Text& text) {
    return language == gif::Language::Chinese && text.chinese ? text.chinese : text.english;
}

int UsageError(const char* command, const std::string& message) {
    std::cerr << "gifanim " << command << ": " << message << '\n'
              << Say({"(gifanim ", "（gifanim "}) << command
              << Say({" --help explains the options)", " --help 说明各个选项）"}) << '\n';
    return kExitUsage;
}

int Failure(const char* command, const std::string& message) {
    std::cerr << "gifanim " << command << ": " << message << '\n';
    return kExitFailure;
}

}  // namespace gifanim
