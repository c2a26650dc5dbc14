// The screen grab of one 1920 x 1080 frame, as the capture worker does it for every frame,
// through shared memory and through the plain fallback, against a bare XShmGetImage of the
// same screen (the floor: what the server needs to hand over the pixels).
// Needs $DISPLAY, e.g. Xvfb :71 -screen 0 1920x1080x24.
#include <benchmark/benchmark.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <unistd.h>

#include "platform/x11/x11_desktop.h"  // after Xlib: see desktop.h

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

// Held open for the whole run: an X server resets, refusing connections for a moment, when
// its last client leaves, which would happen between two benchmarks.
Display* KeepServerUp() {
    static Display* keeper = [] {
        platform::x11::Init();
        Display* d = nullptr;
        for (int attempt = 0; attempt < 50 && !d; ++attempt) {
            if (attempt) usleep(50000);
            d = XOpenDisplay(nullptr);
        }
        return d;
    }();
    return keeper;
}

std::unique_ptr<platform::x11::X11Desktop> OpenFor(benchmark::State& state,
                                                   platform::x11::GrabMethod method) {
    KeepServerUp();
    auto desktop = platform::x11::X11Desktop::Open();
    if (!desktop) {
        state.SkipWithError("no X display");
        return nullptr;
    }
    desktop->ForceGrabMethod(method);
    if (desktop->ActiveGrabMethod() != method) state.SkipWithError("grab method not available");
    return desktop;
}

void GrabIntoReusedBuffer(benchmark::State& state, platform::x11::GrabMethod method) {
    auto desktop = OpenFor(state, method);
    if (!desktop) return;
    std::vector<uint8_t> bmp;
    for (auto _ : state) {
        if (!desktop->GrabInto(0, 0, kWidth, kHeight, bmp)) {
            state.SkipWithError("grab failed");
            break;
        }
        benchmark::DoNotOptimize(bmp.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kWidth * kHeight * 4);
}

// A new buffer every frame, as FrameGrabber's by-value result gives.
void GrabNewBuffer(benchmark::State& state, platform::x11::GrabMethod method) {
    auto desktop = OpenFor(state, method);
    if (!desktop) return;
    for (auto _ : state) {
        std::vector<uint8_t> bmp = desktop->FrameGrabber(0, 0, kWidth, kHeight);
        if (bmp.empty()) {
            state.SkipWithError("grab failed");
            break;
        }
        benchmark::DoNotOptimize(bmp.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kWidth * kHeight * 4);
}

void BM_Grab1080p_SharedMemory(benchmark::State& state) {
    GrabIntoReusedBuffer(state, platform::x11::GrabMethod::SharedMemory);
}
void BM_Grab1080p_Plain(benchmark::State& state) {
    GrabIntoReusedBuffer(state, platform::x11::GrabMethod::Plain);
}
void BM_Grab1080p_SharedMemory_NewBuffer(benchmark::State& state) {
    GrabNewBuffer(state, platform::x11::GrabMethod::SharedMemory);
}
void BM_Grab1080p_Plain_NewBuffer(benchmark::State& state) {
    GrabNewBuffer(state, platform::x11::GrabMethod::Plain);
}

void BM_RawXShmGetImage1080p(benchmark::State& state) {
    KeepServerUp();
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy || !XShmQueryExtension(dpy)) {
        state.SkipWithError("no X display with MIT-SHM");
        if (dpy) XCloseDisplay(dpy);
        return;
    }
    int screen = DefaultScreen(dpy);
    XShmSegmentInfo segment{};
    XImage* image = XShmCreateImage(dpy, DefaultVisual(dpy, screen), DefaultDepth(dpy, screen),
                                    ZPixmap, nullptr, &segment, kWidth, kHeight);
    segment.shmid = shmget(IPC_PRIVATE, size_t(image->bytes_per_line) * kHeight, IPC_CREAT | 0600);
    segment.shmaddr = image->data = static_cast<char*>(shmat(segment.shmid, nullptr, 0));
    segment.readOnly = False;
    XShmAttach(dpy, &segment);
    XSync(dpy, False);
    shmctl(segment.shmid, IPC_RMID, nullptr);
    for (auto _ : state) {
        XShmGetImage(dpy, DefaultRootWindow(dpy), image, 0, 0, AllPlanes);
        benchmark::DoNotOptimize(image->data);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kWidth * kHeight * 4);
    XShmDetach(dpy, &segment);
    image->data = nullptr;
    XDestroyImage(image);
    shmdt(segment.shmaddr);
    XCloseDisplay(dpy);
}

}  // namespace

BENCHMARK(BM_RawXShmGetImage1080p)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Grab1080p_SharedMemory)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Grab1080p_Plain)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Grab1080p_SharedMemory_NewBuffer)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Grab1080p_Plain_NewBuffer)->Unit(benchmark::kMillisecond);
