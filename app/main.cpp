#include <QApplication>
#include <QScreen>
#include <QStandardPaths>

#include <cstdio>
#include <memory>
#include <optional>
#include <string_view>

#include "app/core/allocator_tuning.h"
#include "app/core/command_line.h"
#include "app/core/encoder.h"
#include "app/core/recording_journal.h"
#include "app/core/remembered_settings.h"
#include "app/core/texts.h"
#include "app/ui/display_guard.h"
#include "app/ui/ini_settings_store.h"
#include "app/ui/interface_language.h"
#include "app/ui/main_window.h"
#include "app/ui/physical_pixels.h"
#include "app/ui/remote_toggle.h"
#include "app/ui/ui_scale.h"
#include "gif/base/message_language.h"
#include "platform/loader.h"

int main(int argc, char** argv) {
    const app::CommandLine line = app::ParseCommandLine({argv + 1, argv + argc});
    switch (line.action) {
        case app::CommandLine::Action::Help:
            std::fputs(
                app::HelpText(app::InterfaceLanguage(line.language, gif::MessageLocaleName()))
                    .c_str(),
                stdout);
            return 0;
        case app::CommandLine::Action::Version:
            std::fputs(app::VersionText().c_str(), stdout);
            return 0;
        case app::CommandLine::Action::Usage:
            std::fprintf(stderr, "gifrec: %s (gifrec --help lists the options)\n",
                         line.error.c_str());
            return app::kExitUsage;
        case app::CommandLine::Action::Toggle:
        case app::CommandLine::Action::Pause: {
            QCoreApplication application(argc, argv);
            return app::SendToggle(line.action == app::CommandLine::Action::Pause ? "Pause"
                                                                                  : "Toggle");
        }
        case app::CommandLine::Action::Run:
            break;
    }

    platform::Init();
    app::KeepFrameBuffersInHeap();
    // Qt's platform plugin is not chosen yet: the variable that would choose it stands in.
    if (platform::ChooseDesktop(platform::HintsFromEnvironment(
            qEnvironmentVariable("QT_QPA_PLATFORM").toStdString())) ==
        platform::DesktopKind::Wayland) {
        app::UseCompositorScaling();
    } else {
        app::UsePhysicalPixels();
    }
    std::optional<QApplication> application;
    {
        app::DisplayGuard guard;
        application.emplace(argc, argv);
    }
    app::ApplyUserScaleFactor(*application);
    std::unique_ptr<app::RememberedSettingsStore> settingsStore;
    if (line.noSettings) {
        settingsStore = std::make_unique<app::NoSettingsStore>();
    } else {
        settingsStore =
            std::make_unique<app::IniSettingsStore>(app::IniSettingsStore::DefaultFolder());
    }
    const app::SettingsLoad remembered = settingsStore->Load();
    if (!remembered.detail.empty()) {
        std::fprintf(stderr, "gifrec: settings: %s; starting with the defaults\n",
                     remembered.detail.c_str());
    }
    // --lang, else the language chosen in the tools menu, else the locale's by the rule the
    // help and gifanim follow: LC_ALL, LC_MESSAGES, then LANG.
    app::InstallInterfaceLanguage(
        *application, QString::fromStdString(app::InterfaceLanguage(
                          line.language.empty() ? remembered.settings.language : line.language,
                          gif::MessageLocaleName())));
    QGuiApplication::setApplicationName(QStringLiteral("gifrec"));
    QGuiApplication::setApplicationVersion(QStringLiteral(GIFREC_VERSION));
    // The desktop matches the running program to its desktop file and icon by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral(GIFREC_APP_ID));

    const QSize screen = QGuiApplication::primaryScreen()
                             ? QGuiApplication::primaryScreen()->geometry().size()
                             : QSize(1920, 1080);
    std::unique_ptr<platform::Desktop> desktop = platform::OpenDesktop(
        platform::ChooseDesktop(
            platform::HintsFromEnvironment(QGuiApplication::platformName().toStdString())),
        {screen.width(), screen.height()});
    // The capture worker grabs through a connection of its own.
    std::shared_ptr<platform::Desktop> workerDesktop = desktop->OpenAnother();
    app::Grabber grabber = [workerDesktop](int32_t left, int32_t top, int32_t width, int32_t height,
                                           std::vector<uint8_t>& frame) {
        if (!workerDesktop || !workerDesktop->GrabInto(left, top, width, height, frame)) {
            frame.clear();
        }
    };

    app::MainWindow window(
        app::MainWindow::Services{*desktop,
                                  std::move(grabber),
                                  app::MakeGifMakerEncoder(),
                                  QStandardPaths::writableLocation(QStandardPaths::DesktopLocation),
                                  {},
                                  app::JournalFolder(),
                                  remembered,
                                  settingsStore.get()});
    window.show();
    // `gifrec --toggle` and the desktop's shortcut both do what F2 does; --pause and the second
    // shortcut what Shift+F2 does.
    const auto toggleRecording = [&window] { window.Recording().ToggleRecording(); };
    const auto togglePause = [&window] { window.Recording().TogglePause(); };
    app::ToggleService toggle(toggleRecording, togglePause);
    window.SetRemoteStopAvailable(toggle.Register());
    app::BindRecordingShortcuts(*desktop, toggleRecording, togglePause);
    return application->exec();
}
