#include <QApplication>
#include <QStandardPaths>

#include <memory>

#include "app/core/allocator_tuning.h"
#include "app/core/encoder.h"
#include "app/ui/main_window.h"
#include "app/ui/physical_pixels.h"
#include "platform/loader.h"

int main(int argc, char** argv) {
    platform::Init();
    app::KeepFrameBuffersInHeap();
    app::UsePhysicalPixels();
    QApplication application(argc, argv);

    std::unique_ptr<platform::Desktop> desktop = platform::OpenDesktop(platform::ChooseDesktop(
        platform::HintsFromEnvironment(QGuiApplication::platformName().toStdString())));
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
                                  {}});
    window.show();
    return application.exec();
}
