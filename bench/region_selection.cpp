// From the region button to the frozen picture on the screen: the grab of every monitor, the
// picture made of it, and the selection window shown over them and painted, closed again after
// each run. Needs an X server in DISPLAY; bench/region_selection.sh gives it one with two
// monitors. Counters: the covered area's megapixels.
#include <QApplication>
#include <QElapsedTimer>
#include <QWindow>

#include <benchmark/benchmark.h>

#include <memory>

#include "app/ui/physical_pixels.h"
#include "app/ui/region_selection_window.h"
#include "platform/loader.h"

namespace {

platform::Desktop* SharedDesktop() {
    static std::unique_ptr<platform::Desktop> desktop =
        platform::OpenDesktop(platform::DesktopKind::X11);
    return desktop.get();
}

// Until the window is on the screen and has painted, or a second has gone.
bool WaitShown(QWidget& window) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 1000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        if (window.windowHandle() && window.windowHandle()->isExposed()) {
            window.repaint();  // the frozen picture drawn, not just queued
            return true;
        }
    }
    return false;
}

void BM_ModeButtonToFrozenPicture(benchmark::State& state) {
    platform::Desktop* desktop = SharedDesktop();
    app::SelectionState selection;
    QRect area;
    for (auto _ : state) {
        app::FrozenScreen frozen = app::FreezeScreen(desktop);
        area = frozen.area;
        app::RegionSelectionWindow window(frozen.picture, selection, nullptr, frozen.area);
        window.SetMonitors(frozen.monitors);
        window.show();
        if (!WaitShown(window)) state.SkipWithError("the selection window did not show");
        QGuiApplication::sync();
        state.PauseTiming();
        window.close();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["megapixels"] = double(area.width()) * area.height() / 1e6;
    state.counters["monitors"] = double(desktop->Monitors().size());
}
BENCHMARK(BM_ModeButtonToFrozenPicture)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_FreezeScreenOnly(benchmark::State& state) {
    platform::Desktop* desktop = SharedDesktop();
    for (auto _ : state) benchmark::DoNotOptimize(app::FreezeScreen(desktop));
}
BENCHMARK(BM_FreezeScreenOnly)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace

int main(int argc, char** argv) {
    platform::Init();
    app::UsePhysicalPixels();
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
