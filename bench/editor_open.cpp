// Opening a 10-minute 1920 x 1080 recording in the preview's editor: from creating the window to
// its first frame on the screen (shown, exposed and painted), as a user sees it after a stop.
// Needs an X display.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QWindow>

#include "app/ui/preview_window.h"
#include "edit_bench_support.h"

namespace {

QApplication& Application() {
    static int argc = 1;
    static char name[] = "editor_bench";
    static char* argv[] = {name, nullptr};
    static QApplication application(argc, argv);
    return application;
}

void BM_EditorFirstFrameOnScreen10min(benchmark::State& state) {
    Application();
    const QString path = QString::fromStdString(gifbench::Recording(100));
    for (auto _ : state) {
        auto* preview = new app::PreviewWindow;
        preview->Open(path, QRect(0, 0, 1920, 1040));
        preview->show();
        QElapsedTimer waited;
        waited.start();
        while (!(preview->windowHandle() && preview->windowHandle()->isExposed()) &&
               waited.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        preview->repaint();
        state.PauseTiming();
        delete preview;
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_EditorFirstFrameOnScreen10min)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
