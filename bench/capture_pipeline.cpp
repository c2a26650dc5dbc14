// The recorder's capture path for one 1920 x 1080 frame: the effects, AddFrame, the saving of
// the GIF, the whole worker loop at the shortest interval over 10 s, and, when ffmpeg is
// installed, ffmpeg's x11grab writing a GIF of the same screen for the same time.
// Needs $DISPLAY, e.g. Xvfb :72 -screen 0 1920x1080x24. A desktop-like test picture (flat
// panels, a gradient, text-like specks) is shown full-screen so that every grab has content.
// During the 10 s recordings, gifrec's and ffmpeg's alike, a text area and a clock change on it
// as on a working desktop, so the optimised layout is measured on the changes it exists for.
#include <benchmark/benchmark.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <malloc.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <thread>

#include "app/core/allocator_tuning.h"
#include "app/core/capture_worker.h"
#include "app/core/effects.h"
#include "app/core/encoder.h"
#include "app/core/watermark.h"
#include "gif/gif_maker.h"
#include "platform/x11/x11_desktop.h"  // after Xlib: see desktop.h

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

uint32_t PixelAt(int x, int y) {
    if (y < 40) return 0x2D5A8C;                                       // title bar
    if (x < 300) return (y / 28) % 2 ? 0xF0F0F0 : 0xE4E8EE;            // side list
    if (y > 900) return uint32_t((x * 255) / kWidth) << 8 | 0x400000;  // gradient strip
    const bool speck = ((x * 7 + y * 13) % 97) < 3 && (y % 24) < 14;   // "text"
    if (speck) return 0x202020;
    return (x / 400 + y / 300) % 2 ? 0xFFFFFF : 0xFAF6E8;
}

// The test picture as a frame in the grabber's format.
std::vector<uint8_t> TestFrame() {
    std::vector<uint8_t> bmp;
    platform::StartBmp32(kWidth, kHeight, bmp);
    for (int y = 0; y < kHeight; ++y) {
        uint8_t* row = bmp.data() + 54 + size_t(kHeight - 1 - y) * kWidth * 4;
        for (int x = 0; x < kWidth; ++x) {
            const uint32_t c = PixelAt(x, y);
            row[4 * x] = c & 0xFF;
            row[4 * x + 1] = (c >> 8) & 0xFF;
            row[4 * x + 2] = (c >> 16) & 0xFF;
        }
    }
    return bmp;
}

Window testWindow = 0;

// Shows the test picture in a full-screen window for the whole run; also keeps the server up.
Display* ShowTestPicture() {
    static Display* display = [] {
        platform::x11::Init();
        Display* d = nullptr;
        for (int attempt = 0; attempt < 50 && !d; ++attempt) {
            if (attempt) usleep(50000);
            d = XOpenDisplay(nullptr);
        }
        if (!d) return d;
        const int screen = XDefaultScreen(d);
        XSetWindowAttributes attributes{};
        attributes.override_redirect = True;
        Window window =
            XCreateWindow(d, XRootWindow(d, screen), 0, 0, kWidth, kHeight, 0, CopyFromParent,
                          InputOutput, CopyFromParent, CWOverrideRedirect, &attributes);
        XMapRaised(d, window);
        XSync(d, False);
        testWindow = window;
        XImage* image = XGetImage(d, window, 0, 0, kWidth, kHeight, AllPlanes, ZPixmap);
        if (image) {
            for (int y = 0; y < kHeight; ++y) {
                for (int x = 0; x < kWidth; ++x) XPutPixel(image, x, y, PixelAt(x, y));
            }
            XPutImage(d, window, XDefaultGC(d, screen), image, 0, 0, 0, 0, kWidth, kHeight);
            XDestroyImage(image);
        }
        XSync(d, False);
        return d;
    }();
    return display;
}

const std::vector<uint8_t>& Frame() {
    static const std::vector<uint8_t> frame = [] {
        app::KeepFrameBuffersInHeap();  // as gifrec does at start-up
        return TestFrame();
    }();
    return frame;
}

void BM_Effects_Brightness(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(app::AdjustBrightness(Frame(), 30));
}
void BM_Effects_BlackWhite(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(app::ThresholdToBlackWhite(Frame(), 100, 0));
}
void BM_Effects_Watermark(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(app::StampWatermark(app::NormaliseToBmp24(Frame()),
                                                     app::BuiltinWatermark(), kWidth - 116,
                                                     kHeight - 116, 0));
    }
}
// What the worker does per frame with brightness, black-and-white and the watermark on.
void BM_Effects_AllOn(benchmark::State& state) {
    const app::FrameEffects effects{15, 5, true, 116, 116};
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            app::ApplyFrameEffects(Frame(), effects, app::BuiltinWatermark(), kWidth, kHeight));
    }
}

// One AddFrame of `nextFrame()` per iteration. The maker starts over every `restartEvery` frames,
// outside the timing, so the stored frames stay bounded; `trim` then hands them back to the system.
template <class NextFrame>
void AddFrames(benchmark::State& state, int restartEvery, bool trim, NextFrame&& nextFrame) {
    gif::GifMaker maker;
    maker.Create(gif::AnimationInfo{});
    const gif::FrameInfo info;
    int stored = 0;
    for (auto _ : state) {
        if (++stored % restartEvery == 0) {
            state.PauseTiming();
            maker.Create(gif::AnimationInfo{});
            if (trim) malloc_trim(0);
            state.ResumeTiming();
        }
        maker.AddFrame(info, std::nullopt, std::span<const uint8_t>(nextFrame()));
    }
}

void BM_AddFrame(benchmark::State& state) {
    AddFrames(state, 20, false, Frame);
}

// AddFrame as a recording calls it: every stored frame is memory the process has not used yet
// (BM_AddFrame reuses the memory of the frames it drops every 20 frames).
void BM_AddFrame_NewMemory(benchmark::State& state) {
    Frame();
    AddFrames(state, 50, true, Frame);
}

// Grab + AddFrame: the capture path with the effects off.
void BM_CapturePath_EffectsOff(benchmark::State& state) {
    Frame();
    ShowTestPicture();
    auto desktop = platform::x11::X11Desktop::Open();
    if (!desktop) return state.SkipWithError("no X display");
    std::vector<uint8_t> frame;
    AddFrames(state, 20, false, [&]() -> const std::vector<uint8_t>& {
        desktop->GrabInto(0, 0, kWidth, kHeight, frame);
        return frame;
    });
}

// SaveGif's share of a recorded frame: 20 stored frames written to memory. The time column is
// for the whole file of 20 frames; ms_per_frame is the share of one frame.
void BM_SaveGif_PerFrame(benchmark::State& state) {
    gif::GifMaker maker;
    maker.Create(gif::AnimationInfo{});
    gif::FrameInfo info;
    info.DelayTime = 20;
    for (int i = 0; i < 20; ++i)
        maker.AddFrame(info, std::nullopt, std::span<const uint8_t>(Frame()));
    size_t bytes = 0;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        gif::MemorySink sink;
        maker.SaveGif(sink);
        bytes = sink.bytes.size();
    }
    state.SetItemsProcessed(state.iterations() * 20);
    state.counters["bytes_per_frame"] = double(bytes) / 20;
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    state.counters["ms_per_frame"] = ms / double(state.iterations() * 20);
}

double CpuSeconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Changes the test picture every 70 ms while it lives, from a thread on its own connection: a
// terminal-like text area whose lines scroll up, and a clock of lit digits in the title bar. Put
// back the test picture when stopped, so every run starts from the same screen.
class ScreenChanges {
  public:
    ScreenChanges() : thread_([this] { Run(); }) {}
    ~ScreenChanges() { Stop(); }
    // Returns the thread's own CPU from start to end, which a figure for the process as a
    // whole must leave out.
    double Stop() {
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
        }
        wake_.notify_all();
        if (thread_.joinable()) thread_.join();
        return cpuSeconds_;
    }

  private:
    static constexpr int kTextLeft = 420, kTextTop = 260, kTextWidth = 640, kTextHeight = 240;
    static constexpr int kClockLeft = 1700, kClockTop = 8, kClockWidth = 150, kClockHeight = 24;

    void Run() {
        Display* d = XOpenDisplay(nullptr);
        if (d && testWindow) {
            GC gc = XCreateGC(d, testWindow, 0, nullptr);
            std::unique_lock lock(mutex_);
            for (int tick = 0; !stop_; ++tick) {
                lock.unlock();
                Draw(d, gc, tick);
                lock.lock();
                wake_.wait_for(lock, std::chrono::milliseconds(70), [this] { return stop_; });
            }
            lock.unlock();
            PutBack(d, gc, kTextLeft, kTextTop, kTextWidth, kTextHeight);
            PutBack(d, gc, kClockLeft, kClockTop, kClockWidth, kClockHeight);
            XFreeGC(d, gc);
        }
        if (d) XCloseDisplay(d);
        rusage usage{};
        getrusage(RUSAGE_THREAD, &usage);
        cpuSeconds_ = usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
                      (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    }

    static void Fill(Display* d, GC gc, int x, int y, int w, int h, uint32_t rgb) {
        XSetForeground(d, gc, rgb);
        XFillRectangle(d, testWindow, gc, x, y, unsigned(w), unsigned(h));
    }

    static void Draw(Display* d, GC gc, int tick) {
        constexpr int kLine = 16;
        Fill(d, gc, kTextLeft, kTextTop, kTextWidth, kTextHeight, 0x1E1E1E);
        // One new line every other tick, as output arrives.
        const int first = tick / 2;
        for (int row = 0; row < kTextHeight / kLine; ++row) {
            const int line = first + row;
            const int length = 20 + (line * 37) % 70;
            for (int glyph = 0; glyph < length; ++glyph) {
                if ((line * 131 + glyph * 29) % 11 < 3) continue;  // spaces
                Fill(d, gc, kTextLeft + 4 + 7 * glyph, kTextTop + 3 + row * kLine, 5, 10,
                     line % 5 == 0 ? 0x6AC46A : 0xD8D8D8);
            }
        }
        Fill(d, gc, kClockLeft, kClockTop, kClockWidth, kClockHeight, 0x2D5A8C);
        const int tenths = tick * 7 / 10;
        for (int digit = 0; digit < 6; ++digit) {
            int value = tenths;
            for (int i = 0; i < digit; ++i) value /= 10;
            for (int segment = 0; segment < 4; ++segment)
                if ((value % 10 + segment) % 3 != 0)
                    Fill(d, gc, kClockLeft + 130 - 22 * digit + (segment % 2) * 8,
                         kClockTop + 4 + (segment / 2) * 8, 6, 7, 0xFFFFFF);
        }
        XSync(d, False);
    }

    static void PutBack(Display* d, GC gc, int left, int top, int width, int height) {
        XImage* image = XGetImage(d, testWindow, left, top, unsigned(width), unsigned(height),
                                  AllPlanes, ZPixmap);
        if (!image) return;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) XPutPixel(image, x, y, PixelAt(left + x, top + y));
        XPutImage(d, testWindow, gc, image, 0, 0, left, top, unsigned(width), unsigned(height));
        XDestroyImage(image);
        XSync(d, False);
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    bool stop_ = false;
    double cpuSeconds_ = 0;  // written by the thread, read after the join
    std::thread thread_;     // last: starts once the rest is ready
};

// The real worker at interval position 1 (50 ms) for 10 s, then SaveGif: frames per second
// reached, and CPU per recorded frame for capture and save together. The argument chooses the
// file layout: 0 whole frames, 1 optimised (the recorder's default).
void BM_Recording10s_Interval50ms(benchmark::State& state) {
    Frame();
    ShowTestPicture();
    auto desktop = platform::x11::X11Desktop::Open();
    if (!desktop) return state.SkipWithError("no X display");
    const bool optimise = state.range(0) != 0;
    state.SetLabel(optimise ? "optimised" : "whole");
    for (auto _ : state) {
        auto encoder = app::MakeGifMakerEncoder();
        // As the recorder does: the options apply to the animation the next Create makes.
        encoder->SetOptions(gif::MakerOptions{.optimise = optimise, .exactColours = false});
        encoder->Create(gif::AnimationInfo{});
        gif::FrameInfo info;
        app::SettingsStore settings;
        settings.Update([](app::CaptureSettings& s) {
            s.region = {0, 0, kWidth, kHeight};
            s.frameIntervalPosition = 1;
            s.delayFactor = 2;
        });
        std::atomic<uint32_t> frames{0};
        app::CaptureWorker worker(
            *encoder, info, settings,
            [&](int32_t l, int32_t t, int32_t w, int32_t h, std::vector<uint8_t>& f) {
                desktop->GrabInto(l, t, w, h, f);
            },
            [&](uint32_t n, double) { frames = n; });
        const double cpuBefore = CpuSeconds(RUSAGE_SELF);
        auto changes = std::make_unique<ScreenChanges>();
        const auto start = std::chrono::steady_clock::now();
        worker.Start();
        std::this_thread::sleep_for(std::chrono::seconds(10));
        worker.Stop();
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const double changesCpu = changes->Stop();
        const auto path = std::filesystem::temp_directory_path() / "gifrec_bench.gif";
        encoder->SaveGif(path.string());
        const double cpu = CpuSeconds(RUSAGE_SELF) - cpuBefore - changesCpu;
        state.counters["fps"] = frames / seconds;
        state.counters["frames"] = frames.load();
        state.counters["cpu_ms_per_frame"] = 1000 * cpu / std::max<uint32_t>(frames, 1);
        state.counters["file_MB"] = std::filesystem::file_size(path) / 1e6;
        std::filesystem::remove(path);
    }
}

// ffmpeg's x11grab writing a GIF of the same changing screen for 10 s at 20 frames a second.
void BM_Ffmpeg_X11grab_Gif10s(benchmark::State& state) {
    ShowTestPicture();
    if (std::system("command -v ffmpeg >/dev/null 2>&1") != 0) {
        return state.SkipWithError("ffmpeg not installed: comparison skipped");
    }
    const char* display = std::getenv("DISPLAY");
    const auto path = std::filesystem::temp_directory_path() / "gifrec_bench_ffmpeg.gif";
    for (auto _ : state) {
        const double cpuBefore = CpuSeconds(RUSAGE_CHILDREN);
        const std::string command =
            "ffmpeg -loglevel error -y -f x11grab -framerate 20 -video_size 1920x1080 -t 10 -i " +
            std::string(display ? display : ":0") + " " + path.string();
        ScreenChanges changes;
        const int status = std::system(command.c_str());
        changes.Stop();
        if (status != 0) return state.SkipWithError("ffmpeg failed");
        const double cpu = CpuSeconds(RUSAGE_CHILDREN) - cpuBefore;
        state.counters["frames"] = 200;
        state.counters["cpu_ms_per_frame"] = 1000 * cpu / 200;
        state.counters["file_MB"] = std::filesystem::file_size(path) / 1e6;
        std::filesystem::remove(path);
    }
}

}  // namespace

BENCHMARK(BM_Effects_Brightness)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Effects_BlackWhite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Effects_Watermark)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Effects_AllOn)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AddFrame)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AddFrame_NewMemory)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CapturePath_EffectsOff)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveGif_PerFrame)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Recording10s_Interval50ms)
    ->ArgName("optimised")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kSecond)
    ->Iterations(1);
BENCHMARK(BM_Ffmpeg_X11grab_Gif10s)->Unit(benchmark::kSecond)->Iterations(1);
