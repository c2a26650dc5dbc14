#include "app/ui/interface_language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include "app/core/texts.h"

namespace app {
namespace {

std::string QtTranslated(const char* context, const char* source) {
    return QCoreApplication::translate(context, source).toStdString();
}

// Qt's own texts (standard dialog buttons) in the same language, where the system has them.
void InstallQtTexts(QCoreApplication& application, const QString& language) {
    auto* qt = new QTranslator(&application);
    if (qt->load(QStringLiteral("qtbase_") + (language == QStringLiteral("zh") ? "zh_CN" : "en"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(qt);
    } else {
        delete qt;
    }
}

}  // namespace

bool InstallInterfaceLanguage(QCoreApplication& application, const QString& language) {
    SetTranslator(QtTranslated);
    InstallQtTexts(application, language);
    if (language != QStringLiteral("en")) {
        SetLibraryLanguage(gif::Language::Chinese);
        return true;
    }
    auto* english = new QTranslator(&application);
    if (!english->load(QStringLiteral(":/i18n/gifrec_en.qm"))) {
        delete english;
        SetLibraryLanguage(gif::Language::Chinese);
        return false;
    }
    QCoreApplication::installTranslator(english);
    SetLibraryLanguage(gif::Language::English);
    return true;
}

}  // namespace app
