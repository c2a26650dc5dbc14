// The interface language: Chinese, the texts as written, or English through the translation
// compiled into the program. Also sets the language of the GIF library's errors.
#pragma once

#include <QString>

class QCoreApplication;

namespace app {

// `language` is "zh" or "en" (InterfaceLanguage of texts.h). Returns false when the English
// translation cannot be loaded; the texts then stay Chinese. Call once, before any window.
bool InstallInterfaceLanguage(QCoreApplication& application, const QString& language);

}  // namespace app
