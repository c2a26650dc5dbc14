#include "platform/desktop.h"

#include "bitmap/bmp_format.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <thread>

namespace platform {

bool StartBmp32(int32_t width, int32_t height, std::vector<uint8_t>& bmp) {
    if (width <= 0 || height <= 0 || width > kMaxGrabSide || height > kMaxGrabSide) {
        bmp.clear();
        return false;
    }
    uint64_t pixelBytes = uint64_t(width) * 4 * uint64_t(height);
    if (pixelBytes > kMaxGrabBytes) {
        bmp.clear();
        return false;
    }
    try {
        bmp.resize(bitmap::kBmpHeadersBytes + size_t(pixelBytes));
    } catch (const std::bad_alloc&) {
        bmp.clear();
        bmp.shrink_to_fit();
        return false;
    }
    // The image-size field stays 0, as uncompressed rows allow.
    bitmap::WriteBmpFileHeader(bmp.data(), uint32_t(bitmap::kBmpHeadersBytes + pixelBytes),
                               bitmap::kBmpHeadersBytes);
    bitmap::WriteBmpInfoHeader(bmp.data() + bitmap::kBmpFileHeaderBytes,
                               {uint32_t(width), uint32_t(height), 32, 0, 0});
    return true;
}

Rect BoundingRect(const std::vector<Monitor>& monitors) {
    if (monitors.empty()) return {};
    Rect all = monitors.front().rect;
    for (const Monitor& monitor : monitors) {
        all.left = std::min(all.left, monitor.rect.left);
        all.top = std::min(all.top, monitor.rect.top);
        all.right = std::max(all.right, monitor.rect.right);
        all.bottom = std::max(all.bottom, monitor.rect.bottom);
    }
    return all;
}

Size Desktop::ScreenSize() {
    Rect r = PrimaryScreen();
    return {r.Width(), r.Height()};
}

std::vector<uint8_t> Desktop::FrameGrabber(int32_t left, int32_t top, int32_t width,
                                           int32_t height) {
    std::vector<uint8_t> bmp;
    GrabInto(left, top, width, height, bmp);
    return bmp;
}

WindowId Desktop::WindowUnderCursor() {
    std::optional<Point> p = PointerPosition();
    return p ? WindowAt(*p) : kNoWindow;
}

void Desktop::FlashWindowFrame(WindowId window, uint32_t colour,
                               std::chrono::milliseconds duration) {
    if (window == kNoWindow) return;
    std::optional<Rect> bounds = WindowBounds(window);
    if (!bounds) return;
    Rect r = *bounds;
    r.left = std::max(r.left, 0);
    r.top = std::max(r.top, 0);
    XorFrame(r, colour);
    std::this_thread::sleep_for(duration);
    XorFrame(r, colour);
}

void NullDesktop::SetKeyDown(int virtualKey, bool down) {
    if (down)
        keysDown_.insert(virtualKey);
    else
        keysDown_.erase(virtualKey);
}

std::unique_ptr<Desktop> NullDesktop::OpenAnother() {
    return std::make_unique<NullDesktop>(*this);
}

bool NullDesktop::GrabInto(int32_t, int32_t, int32_t width, int32_t height,
                           std::vector<uint8_t>& bmp) {
    if (!StartBmp32(width, height, bmp)) return false;
    std::fill(bmp.begin() + 54, bmp.end(), uint8_t{0});
    return true;
}

}  // namespace platform
