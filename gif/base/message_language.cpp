#include "gif/base/message_language.h"

#include <cstdlib>

namespace gif {

Language LanguageOfLocaleName(std::string_view name) {
    const bool chinese =
        name.size() >= 2 && (name[0] == 'z' || name[0] == 'Z') &&
        (name[1] == 'h' || name[1] == 'H') &&
        (name.size() == 2 || name[2] == '_' || name[2] == '-' || name[2] == '.' || name[2] == '@');
    return chinese ? Language::Chinese : Language::English;
}

std::string MessageLocaleName() {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && *value) return value;
    }
    return {};
}

Language MessageLanguage(std::string_view choice) {
    if (choice == "zh") return Language::Chinese;
    if (choice == "en") return Language::English;
    return LanguageOfLocaleName(MessageLocaleName());
}

}  // namespace gif
