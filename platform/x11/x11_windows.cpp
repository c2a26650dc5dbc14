// Windows on the X tree: which window lies under a point, its top-level ancestor, its
// rectangle, and the XOR frame that marks it.
#include <X11/extensions/shape.h>

#include <bit>
#include <vector>

#include "platform/x11/x11_support.h"

namespace platform::x11 {

namespace {

constexpr int kMaxTreeDepth = 256;  // a loop in a broken tree ends here

struct Child {
    Window window = 0;
    Rect outer;  // in the parent's coordinates, border included
    int border = 0;
};

std::optional<Child> VisibleChild(Display* dpy, Window window) {
    XWindowAttributes a;
    if (!XGetWindowAttributes(dpy, window, &a)) return std::nullopt;
    // Input-only windows are never seen, unmapped ones (or those under an unmapped parent) not now.
    if (a.map_state != IsViewable || a.c_class != InputOutput) return std::nullopt;
    int outerWidth = a.width + 2 * a.border_width;
    int outerHeight = a.height + 2 * a.border_width;
    return Child{window, {a.x, a.y, a.x + outerWidth, a.y + outerHeight}, a.border_width};
}

bool InShape(Display* dpy, Window window, int kind, int x, int y) {
    int count = 0, ordering = 0;
    x11::XFreePtr<XRectangle> rects(XShapeGetRectangles(dpy, window, kind, &count, &ordering));
    for (int i = 0; i < count; ++i) {
        const XRectangle& r = rects.get()[i];
        if (x >= r.x && x < r.x + r.width && y >= r.y && y < r.y + r.height) return true;
    }
    return false;
}

// Whether the point (in the parent's coordinates) hits the window: inside its rectangle and,
// for shaped or click-through windows, inside both the drawn and the input shape.
bool Hits(Display* dpy, bool shape, const Child& child, Point p) {
    if (!child.outer.Contains(p)) return false;
    if (!shape) return true;
    int x = p.x - child.outer.left - child.border;
    int y = p.y - child.outer.top - child.border;
    return InShape(dpy, child.window, ShapeBounding, x, y) &&
           InShape(dpy, child.window, ShapeInput, x, y);
}

uint64_t Area(const Rect& r) {
    return uint64_t(r.Width()) * uint64_t(r.Height());
}

unsigned long ChannelBits(uint32_t value8, unsigned long mask) {
    if (!mask) return 0;
    int shift = std::countr_zero(mask);
    int bits = std::popcount(mask);
    unsigned long max = (1ul << bits) - 1;
    return ((value8 * max + 127) / 255) << shift;
}

// Whether the window has the state property that a window manager puts on the windows it
// manages (the program's own top-level windows inside its frames).
bool IsManagedClient(Display* dpy, Atom wmState, Window window) {
    Atom type = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    int status = XGetWindowProperty(dpy, window, wmState, 0, 0, False, AnyPropertyType, &type,
                                    &format, &items, &after, &data);
    x11::XFreePtr<unsigned char> owned(data);
    return status == Success && type != None;
}

bool SubtreeHasManagedClient(Display* dpy, Atom wmState, Window top) {
    std::vector<Window> pending{top};
    // A frame holds its client near the top; a deep or wide search would only be slow.
    for (int visited = 0; !pending.empty() && visited < 64; ++visited) {
        Window w = pending.back();
        pending.pop_back();
        if (IsManagedClient(dpy, wmState, w)) return true;
        Window rootReturn = 0, parentReturn = 0;
        Window* children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(dpy, w, &rootReturn, &parentReturn, &children, &count)) continue;
        x11::XFreePtr<Window> owned(children);
        pending.insert(pending.end(), children, children + count);
    }
    return false;
}

// Under a window manager, a point on a title bar or border finds a part of the manager's frame,
// not of the program. Like a title bar elsewhere, it stands for the whole window: the frame.
bool IsFrameDecoration(Display* dpy, const std::vector<Window>& path) {
    Atom wmState = XInternAtom(dpy, "WM_STATE", True);
    if (wmState == None || path.size() < 2) return false;  // no window manager has run
    for (Window w : path)
        if (IsManagedClient(dpy, wmState, w)) return false;
    return SubtreeHasManagedClient(dpy, wmState, path.front());
}

}  // namespace

WindowId X11Desktop::WindowAt(Point p) {
    Display* dpy = impl_->Dpy();
    x11::ErrorTrap trap(dpy);  // windows may vanish while we walk

    Window parent = impl_->root;
    Point inParent = p;  // the root's origin is the screen's
    Child found;
    Window foundParent = 0;
    std::vector<Window> path;  // from the top level down to `found`
    x11::XFreePtr<Window> siblings;
    int foundIndex = -1;
    for (int depth = 0; depth < kMaxTreeDepth; ++depth) {
        Window rootReturn = 0, parentReturn = 0;
        Window* children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(dpy, parent, &rootReturn, &parentReturn, &children, &count)) break;
        x11::XFreePtr<Window> owned(children);
        int hit = -1;
        std::optional<Child> hitChild;
        // The list runs bottom to top; the first hit from the top is the visible one.
        for (int i = int(count) - 1; i >= 0; --i) {
            std::optional<Child> child = VisibleChild(dpy, children[i]);
            if (child && Hits(dpy, impl_->shapeAvailable, *child, inParent)) {
                hit = i;
                hitChild = child;
                break;
            }
        }
        if (hit < 0) break;
        found = *hitChild;
        path.push_back(found.window);
        foundParent = parent;
        foundIndex = hit;
        siblings = std::move(owned);
        inParent = {inParent.x - found.outer.left - found.border,
                    inParent.y - found.outer.top - found.border};
        parent = found.window;
    }
    if (found.window == 0) return kNoWindow;
    if (foundParent == impl_->root) return found.window;
    if (IsFrameDecoration(dpy, path)) return path.front();

    // A smaller window lower in the stack that also holds the point is the likelier target,
    // e.g. a control that a group frame or a panel was laid over.
    Point inFoundParent = {inParent.x + found.outer.left + found.border,
                           inParent.y + found.outer.top + found.border};
    Window choice = found.window;
    uint64_t bestArea = Area(found.outer);
    for (int i = foundIndex - 1; i >= 0; --i) {
        std::optional<Child> sibling = VisibleChild(dpy, siblings.get()[i]);
        if (!sibling || !Hits(dpy, impl_->shapeAvailable, *sibling, inFoundParent)) continue;
        uint64_t area = Area(sibling->outer);
        if (area < bestArea) {
            choice = sibling->window;
            bestArea = area;
        }
    }
    return choice;
}

WindowId X11Desktop::RootWindow(WindowId window) {
    if (window == kNoWindow) return kNoWindow;
    Display* dpy = impl_->Dpy();
    x11::ErrorTrap trap(dpy);
    Window current = Window(window);
    for (int depth = 0; depth < kMaxTreeDepth; ++depth) {
        if (current == impl_->root) return kNoWindow;
        Window rootReturn = 0, parent = 0;
        Window* children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(dpy, current, &rootReturn, &parent, &children, &count)) return kNoWindow;
        x11::XFreePtr<Window> owned(children);
        if (parent == impl_->root) return current;
        if (parent == 0) return kNoWindow;
        current = parent;
    }
    return kNoWindow;
}

std::optional<Rect> X11Desktop::WindowBounds(WindowId window) {
    if (window == kNoWindow) return std::nullopt;
    Display* dpy = impl_->Dpy();
    x11::ErrorTrap trap(dpy);
    XWindowAttributes a;
    if (!XGetWindowAttributes(dpy, Window(window), &a)) return std::nullopt;
    int x = 0, y = 0;
    Window child = 0;
    if (!XTranslateCoordinates(dpy, Window(window), impl_->root, 0, 0, &x, &y, &child))
        return std::nullopt;
    int b = a.border_width;
    return Rect{x - b, y - b, x + a.width + b, y + a.height + b};
}

void X11Desktop::XorFrame(const Rect& rect, uint32_t colour) {
    if (rect.Width() <= 0 || rect.Height() <= 0) return;
    Display* dpy = impl_->Dpy();
    Visual* visual = DefaultVisual(dpy, impl_->screen);
    XGCValues values{};
    // GXequiv is NOT(source XOR destination): twice over the same pixels gives them back.
    values.function = GXequiv;
    values.foreground = ChannelBits(colour & 0xFF, visual->red_mask) |
                        ChannelBits((colour >> 8) & 0xFF, visual->green_mask) |
                        ChannelBits((colour >> 16) & 0xFF, visual->blue_mask);
    values.line_width = 4;
    values.subwindow_mode = IncludeInferiors;  // over the windows, not under them
    values.graphics_exposures = False;
    x11::ErrorTrap trap(dpy);
    x11::GcPtr gc(
        XCreateGC(dpy, impl_->root,
                  GCFunction | GCForeground | GCLineWidth | GCSubwindowMode | GCGraphicsExposures,
                  &values),
        x11::GcDeleter{dpy});
    if (!gc) return;
    XDrawRectangle(dpy, impl_->root, gc.get(), rect.left, rect.top, unsigned(rect.Width() - 1),
                   unsigned(rect.Height() - 1));
    trap.Sync();  // on the screen before the caller waits
}

}  // namespace platform::x11
