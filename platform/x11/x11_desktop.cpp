#include <X11/extensions/Xrandr.h>
#include <X11/extensions/shape.h>

#include <algorithm>

#include "platform/x11/x11_support.h"

namespace platform::x11 {

X11Desktop::X11Desktop(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
X11Desktop::~X11Desktop() = default;

std::unique_ptr<X11Desktop> X11Desktop::Open(const char* displayName) {
    Init();
    x11::DisplayPtr display(XOpenDisplay(displayName));
    if (!display) return nullptr;
    x11::RegisterConnection(display.get());

    auto impl = std::make_unique<Impl>();
    Display* dpy = display.get();
    impl->displayName = DisplayString(dpy);
    impl->screen = DefaultScreen(dpy);
    impl->root = RootWindowOfScreen(ScreenOfDisplay(dpy, impl->screen));
    impl->shmAvailable = XShmQueryExtension(dpy);
    int shapeEvent = 0, shapeError = 0;
    impl->shapeAvailable = XShapeQueryExtension(dpy, &shapeEvent, &shapeError);
    impl->display = std::move(display);
    // Resizes of the screen then arrive as events, read without a round trip.
    XSelectInput(dpy, impl->root, StructureNotifyMask);
    if (!impl->ReadRootSize()) return nullptr;
    return std::unique_ptr<X11Desktop>(new X11Desktop(std::move(impl)));
}

bool X11Desktop::Impl::ReadRootSize() {
    x11::ErrorTrap trap(Dpy());
    Window rootReturn;
    int x, y;
    unsigned width, height, border, depth;
    if (!XGetGeometry(Dpy(), root, &rootReturn, &x, &y, &width, &height, &border, &depth))
        return false;
    rootWidth = int(width);
    rootHeight = int(height);
    return true;
}

void X11Desktop::Impl::TakeRootResizes() {
    XEvent event;
    while (XCheckWindowEvent(Dpy(), root, StructureNotifyMask, &event)) {
        if (event.type == ConfigureNotify) {
            rootWidth = event.xconfigure.width;
            rootHeight = event.xconfigure.height;
        }
    }
}

void X11Desktop::ForceGrabMethod(GrabMethod method) {
    impl_->shmForcedOff = method == GrabMethod::Plain;
    if (impl_->shmForcedOff) impl_->shmImage.reset();
}

GrabMethod X11Desktop::ActiveGrabMethod() const {
    return impl_->shmAvailable && !impl_->shmForcedOff ? GrabMethod::SharedMemory
                                                       : GrabMethod::Plain;
}

std::unique_ptr<Desktop> X11Desktop::OpenAnother() {
    auto other = Open(impl_->displayName.c_str());
    if (other && impl_->shmForcedOff) other->ForceGrabMethod(GrabMethod::Plain);
    return other;
}

std::vector<Monitor> X11Desktop::Monitors() {
    Display* dpy = impl_->Dpy();
    impl_->TakeRootResizes();
    const std::vector<Monitor> whole{{"", {0, 0, impl_->rootWidth, impl_->rootHeight}, true}};

    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    if (!XRRQueryExtension(dpy, &eventBase, &errorBase) || !XRRQueryVersion(dpy, &major, &minor) ||
        major * 100 + minor < 105)
        return whole;
    x11::ErrorTrap trap(dpy);
    int count = 0;
    std::unique_ptr<XRRMonitorInfo, decltype(&XRRFreeMonitors)> found(
        XRRGetMonitors(dpy, impl_->root, True, &count), &XRRFreeMonitors);
    std::vector<Monitor> monitors;
    for (int i = 0; found && i < count; ++i) {
        const XRRMonitorInfo& info = found.get()[i];
        if (info.width <= 0 || info.height <= 0) continue;
        XFreePtr<char> name(info.name ? XGetAtomName(dpy, info.name) : nullptr);
        monitors.push_back({name ? std::string(name.get()) : std::string(),
                            {info.x, info.y, info.x + info.width, info.y + info.height},
                            info.primary != 0});
    }
    return monitors.empty() ? whole : monitors;
}

Rect X11Desktop::PrimaryScreen() {
    const std::vector<Monitor> monitors = Monitors();
    for (const Monitor& monitor : monitors) {
        if (monitor.primary) return monitor.rect;
    }
    return monitors.front().rect;
}

std::optional<Point> X11Desktop::PointerPosition() {
    Display* dpy = impl_->Dpy();
    Window rootReturn = 0, child = 0;
    int rootX = 0, rootY = 0, winX = 0, winY = 0;
    unsigned mask = 0;
    if (!XQueryPointer(dpy, impl_->root, &rootReturn, &child, &rootX, &rootY, &winX, &winY, &mask))
        return std::nullopt;
    return Point{rootX, rootY};
}

CaptureProblem X11Desktop::PrepareCapture() {
    int opcode = 0, event = 0, error = 0;
    if (!XQueryExtension(impl_->Dpy(), "XWAYLAND", &opcode, &event, &error))
        return CaptureProblem::NoProblem;
    const Rect screen = PrimaryScreen();
    std::vector<uint8_t> bmp;
    if (!GrabInto(screen.left, screen.top, screen.Width(), screen.Height(), bmp))
        return CaptureProblem::BlackScreen;
    const bool black = std::all_of(bmp.begin() + 54, bmp.end(), [](uint8_t b) { return b == 0; });
    return black ? CaptureProblem::BlackScreen : CaptureProblem::NoProblem;
}

}  // namespace platform::x11
