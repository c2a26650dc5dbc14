#include <QApplication>
#include <QLocale>
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
#include "app/core/texts.h"
#include "app/ui/display_guard.h"
#include "app/ui/interface_language.h"
#include "app/ui/main_window.h"
#include "app/ui/physical_pixels.h"
#include "app/ui/remote_toggle.h"
#include "app/ui/ui_scale.h"
#include "platform/loader.h"

int main(int argc, char** argv) {
    const app::CommandLine line = app::ParseCommandLine({argv + 1, argv + argc});
    switch (line.action) {
        case app::CommandLine::Action::Help:
            std::fputs(app::HelpText().c_str(), stdout);
            return 0;
        case app::CommandLine::Action::Version:
            std::fputs(app::VersionText().c_str(), stdout);
            return 0;
        case app::CommandLine::Action::Usage:
            std::fprintf(stderr, "gifrec: %s (gifrec --help lists the options)\n",
                         line.error.c_str());
            return app::kExitUsage;
        case app::CommandLine::Action::Toggle: {
            QCoreApplication application(argc, argv);
            return app::SendToggle();
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
    app::InstallInterfaceLanguage(*application,
                                  QString::fromStdString(app::InterfaceLanguage(
                                      line.language, QLocale::system().name().toStdString())));
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
                                  app::JournalFolder()});
    window.show();
    // `gifrec --toggle` and the desktop's shortcut both do what F2 does.
    const auto toggleRecording = [&window] { window.Recording().ToggleRecording(); };
    app::ToggleService toggle(toggleRecording);
    window.SetRemoteStopAvailable(toggle.Register());
    app::BindToggleShortcut(*desktop, toggleRecording);
    return application->exec();
}
