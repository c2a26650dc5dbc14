// The screen grab: the part of the rectangle that lies on the screen is read into an XImage
// (through a shared-memory segment kept between frames of one size, or a plain GetImage), then
// the BMP rows are written from it in one pass, bottom row first.
#include <bit>
#include <cstring>

#include "platform/x11/x11_support.h"

namespace platform::x11 {

namespace {

struct Channel {
    int shift = 0;
    int bits = 0;
    unsigned long mask = 0;

    explicit Channel(unsigned long m) : mask(m) {
        if (m) {
            shift = std::countr_zero(m);
            bits = std::popcount(m);
        }
    }
    uint8_t Scale(unsigned long pixel) const {
        if (bits == 0) return 0;
        unsigned long v = (pixel & mask) >> shift;
        if (bits >= 8) return uint8_t(v >> (bits - 8));
        unsigned long max = (1ul << bits) - 1;
        return uint8_t((v * 255 + max / 2) / max);
    }
};

// The common case (24-bit colour in 32-bit pixels, least significant byte first) is already a
// 32-bit BMP row apart from the pad byte, which a BMP keeps 0.
bool IsBgrx(const XImage& image) {
    return image.bits_per_pixel == 32 && image.byte_order == LSBFirst &&
           image.red_mask == 0xFF0000 && image.green_mask == 0xFF00 && image.blue_mask == 0xFF;
}

void CopyBgrxRow(const uint8_t* src, uint8_t* dst, int count) {
    if constexpr (std::endian::native == std::endian::little) {
        for (int i = 0; i < count; ++i) {
            uint32_t v;
            std::memcpy(&v, src + 4 * i, 4);
            v &= 0x00FFFFFFu;
            std::memcpy(dst + 4 * i, &v, 4);
        }
    } else {
        for (int i = 0; i < count; ++i) {
            dst[4 * i] = src[4 * i];
            dst[4 * i + 1] = src[4 * i + 1];
            dst[4 * i + 2] = src[4 * i + 2];
            dst[4 * i + 3] = 0;
        }
    }
}

// Any other true-colour layout (16-bit 5-6-5, 30-bit, 24-bit packed) is converted pixel by pixel;
// the BMP stays 32-bit so the rest of the program needs to read one layout only.
void ConvertRow(XImage& image, int y, uint8_t* dst, int count) {
    Channel red(image.red_mask), green(image.green_mask), blue(image.blue_mask);
    for (int x = 0; x < count; ++x) {
        unsigned long pixel = XGetPixel(&image, x, y);
        dst[4 * x] = blue.Scale(pixel);
        dst[4 * x + 1] = green.Scale(pixel);
        dst[4 * x + 2] = red.Scale(pixel);
        dst[4 * x + 3] = 0;
    }
}

}  // namespace

bool X11Desktop::GrabInto(int32_t left, int32_t top, int32_t width, int32_t height,
                          std::vector<uint8_t>& bmp) {
    Impl& impl = *impl_;
    Display* dpy = impl.Dpy();
    Visual* visual = DefaultVisual(dpy, impl.screen);
    // Palette screens would need a colour table; they are not supported.
    if (visual->c_class != TrueColor && visual->c_class != DirectColor) {
        bmp.clear();
        return false;
    }
    if (!StartBmp32(width, height, bmp)) return false;

    // The root can be resized at any time; the size is also read again when a grab fails.
    impl.TakeRootResizes();
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (attempt == 1 && !impl.ReadRootSize()) break;
        if (GrabOnce(left, top, width, height, bmp)) return true;
    }
    bmp.clear();
    return false;
}

bool X11Desktop::GrabOnce(int32_t left, int32_t top, int32_t width, int32_t height,
                          std::vector<uint8_t>& bmp) {
    Impl& impl = *impl_;
    Display* dpy = impl.Dpy();
    Visual* visual = DefaultVisual(dpy, impl.screen);
    const int64_t rootWidth = impl.rootWidth, rootHeight = impl.rootHeight;
    // The part of the rectangle on the screen; the rest stays black.
    int64_t x0 = std::max<int64_t>(left, 0);
    int64_t y0 = std::max<int64_t>(top, 0);
    int64_t x1 = std::min<int64_t>(int64_t(left) + width, rootWidth);
    int64_t y1 = std::min<int64_t>(int64_t(top) + height, rootHeight);
    int visibleWidth = x1 > x0 ? int(x1 - x0) : 0;
    int visibleHeight = y1 > y0 ? int(y1 - y0) : 0;

    XImage* image = nullptr;
    x11::ImagePtr plainImage;
    if (visibleWidth > 0 && visibleHeight > 0) {
        if (ActiveGrabMethod() == GrabMethod::SharedMemory) {
            if (!impl.shmImage || impl.shmImage->Width() != visibleWidth ||
                impl.shmImage->Height() != visibleHeight) {
                impl.shmImage.reset();
                impl.shmImage = x11::ShmImage::Create(dpy, visual, DefaultDepth(dpy, impl.screen),
                                                      visibleWidth, visibleHeight);
                // A server that cannot reach our memory (a remote one) will not learn to.
                if (!impl.shmImage) impl.shmAvailable = false;
            }
            if (impl.shmImage) {
                x11::ErrorTrap trap(dpy);
                if (XShmGetImage(dpy, impl.root, impl.shmImage->Image(), int(x0), int(y0),
                                 AllPlanes) &&
                    !trap.Failed())
                    image = impl.shmImage->Image();
            }
        }
        if (!image) {
            x11::ErrorTrap trap(dpy);
            plainImage.reset(XGetImage(dpy, impl.root, int(x0), int(y0), unsigned(visibleWidth),
                                       unsigned(visibleHeight), AllPlanes, ZPixmap));
            if (trap.Failed()) plainImage.reset();
            image = plainImage.get();
        }
        if (!image || image->width < visibleWidth || image->height < visibleHeight) return false;
    }

    const size_t stride = size_t(width) * 4;
    const size_t blackLeft = size_t(x0 - left) * 4;
    const size_t copied = size_t(visibleWidth) * 4;
    const bool bgrx = image && IsBgrx(*image);
    uint8_t* rows = bmp.data() + 54;
    for (int32_t r = 0; r < height; ++r) {
        uint8_t* dst = rows + size_t(r) * stride;
        int64_t y = int64_t(top) + (height - 1 - r);  // the first stored row is the bottom one
        if (!image || y < y0 || y >= y1) {
            std::memset(dst, 0, stride);
            continue;
        }
        int sourceY = int(y - y0);
        std::memset(dst, 0, blackLeft);
        if (bgrx) {
            const uint8_t* src = reinterpret_cast<const uint8_t*>(image->data) +
                                 size_t(sourceY) * image->bytes_per_line;
            CopyBgrxRow(src, dst + blackLeft, visibleWidth);
        } else {
            ConvertRow(*image, sourceY, dst + blackLeft, visibleWidth);
        }
        std::memset(dst + blackLeft + copied, 0, stride - blackLeft - copied);
    }
    return true;
}

}  // namespace platform::x11
