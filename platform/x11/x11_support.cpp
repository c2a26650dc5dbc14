#include "platform/x11/x11_support.h"

#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <mutex>

namespace platform::x11 {

namespace {

thread_local ErrorTrap* innermostTrap = nullptr;

// The handler that was installed before ours, for errors on connections that are not ours.
std::atomic<XErrorHandler> previousHandler{nullptr};

std::mutex connectionsMutex;
std::vector<Display*>& Connections() {
    static std::vector<Display*> connections;
    return connections;
}

bool IsOurConnection(Display* display) {
    std::lock_guard lock(connectionsMutex);
    auto& all = Connections();
    return std::find(all.begin(), all.end(), display) != all.end();
}

}  // namespace

// Runs on the thread that reads the failed request's answer, which with one connection per
// thread is the thread that made the request, so the thread's own traps are the right ones.
int HandleXError(Display* display, XErrorEvent* event) {
    for (ErrorTrap* trap = innermostTrap; trap; trap = trap->outer_) {
        if (trap->display_ == display) {
            if (trap->errorCode_ == 0)
                trap->errorCode_ = event->error_code ? event->error_code : -1;
            return 0;
        }
    }
    if (IsOurConnection(display)) {
        char text[160] = {};
        XGetErrorText(display, event->error_code, text, sizeof text);
        std::fprintf(stderr, "gifrec: X error ignored: %s (request %d.%d)\n", text,
                     event->request_code, event->minor_code);
        return 0;
    }
    XErrorHandler previous = previousHandler.load();
    return previous ? previous(display, event) : 0;
}

void InstallErrorHandler() {
    XErrorHandler previous = XSetErrorHandler(HandleXError);
    if (previous != HandleXError) previousHandler.store(previous);
}

void RegisterConnection(Display* display) {
    std::lock_guard lock(connectionsMutex);
    Connections().push_back(display);
}

void UnregisterConnection(Display* display) {
    std::lock_guard lock(connectionsMutex);
    auto& all = Connections();
    all.erase(std::remove(all.begin(), all.end(), display), all.end());
}

void DisplayCloser::operator()(Display* display) const {
    if (!display) return;
    UnregisterConnection(display);
    XCloseDisplay(display);
}

ErrorTrap::ErrorTrap(Display* display) : display_(display), outer_(innermostTrap) {
    InstallErrorHandler();
    innermostTrap = this;
}

ErrorTrap::~ErrorTrap() {
    // Errors of requests still in flight belong to this trap, not to whoever comes next; when
    // the last request was answered (a round trip), nothing can be in flight.
    if (NextRequest(display_) - 1 != LastKnownRequestProcessed(display_)) XSync(display_, False);
    innermostTrap = outer_;
}

bool ErrorTrap::Sync() {
    XSync(display_, False);
    return errorCode_ == 0;
}

std::unique_ptr<ShmImage> ShmImage::Create(Display* display, Visual* visual, int depth, int width,
                                           int height) {
    std::unique_ptr<ShmImage> shm(new ShmImage(display));
    shm->segment_.shmid = -1;
    shm->image_ =
        XShmCreateImage(display, visual, depth, ZPixmap, nullptr, &shm->segment_, width, height);
    if (!shm->image_) return nullptr;
    size_t bytes = size_t(shm->image_->bytes_per_line) * size_t(height);
    shm->segment_.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (shm->segment_.shmid < 0) return nullptr;
    void* address = shmat(shm->segment_.shmid, nullptr, 0);
    if (address == reinterpret_cast<void*>(-1)) return nullptr;
    shm->segment_.shmaddr = static_cast<char*>(address);
    shm->image_->data = shm->segment_.shmaddr;
    shm->segment_.readOnly = False;

    ErrorTrap trap(display);
    Status status = XShmAttach(display, &shm->segment_);
    bool ok = trap.Sync() && status;
    shm->attached_ = ok;
    // Marked for removal now, so the segment disappears with the last detach even if we crash.
    shmctl(shm->segment_.shmid, IPC_RMID, nullptr);
    shm->segment_.shmid = -1;
    if (!ok) return nullptr;
    return shm;
}

ShmImage::~ShmImage() {
    if (attached_) {
        ErrorTrap trap(display_);
        XShmDetach(display_, &segment_);
    }
    if (image_) {
        image_->data = nullptr;  // the segment is not XDestroyImage's to free
        XDestroyImage(image_);
    }
    if (segment_.shmaddr) shmdt(segment_.shmaddr);
    if (segment_.shmid >= 0) shmctl(segment_.shmid, IPC_RMID, nullptr);
}

void Init() {
    static std::once_flag once;
    std::call_once(once, [] {
        XInitThreads();
        x11::InstallErrorHandler();
    });
}

}  // namespace platform::x11
