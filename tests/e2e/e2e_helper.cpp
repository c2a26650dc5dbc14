// Helpers for the end-to-end scripts: a window whose content keeps changing, a polite close
// request as a window manager sends it, and an independent check of a recorded GIF with giflib.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <gif_lib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

// A 400 x 300 window at (600, 300) that changes colour and moves a bar every 100 ms.
int Draw(double seconds) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return 2;
    const int screen = DefaultScreen(display);
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.background_pixel = BlackPixel(display, screen);
    Window window =
        XCreateWindow(display, RootWindow(display, screen), 600, 300, 400, 300, 0, CopyFromParent,
                      InputOutput, CopyFromParent, CWOverrideRedirect | CWBackPixel, &attributes);
    XMapRaised(display, window);
    GC gc = XCreateGC(display, window, 0, nullptr);
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    for (unsigned step = 0; std::chrono::steady_clock::now() < end; ++step) {
        const unsigned long colours[] = {0xE02020, 0x20C040, 0x2040E0,
                                         0xE0C020, 0x20C0C0, 0xC020C0};
        XSetForeground(display, gc, colours[step % 6]);
        XFillRectangle(display, window, gc, 0, 0, 400, 300);
        XSetForeground(display, gc, 0xFFFFFF);
        XFillRectangle(display, window, gc, (step * 20) % 360, 0, 40, 300);
        XRaiseWindow(display, window);
        XFlush(display);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    XCloseDisplay(display);
    return 0;
}

// Asks a window to close, as the window manager's close button does.
int Close(unsigned long window) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return 2;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XCloseDisplay(display);
    return 0;
}

// Checks the recording: size, frame count, delays (every one `delay`, or with a negative
// `delay` at least 2 as in real time), endless loop, and that the sample point (inside the
// drawn window) changes colour across the frames.
int Check(const char* path, int width, int height, int minFrames, int delay, int sampleX,
          int sampleY) {
    int error = 0;
    GifFileType* gif = DGifOpenFileName(path, &error);
    if (!gif) {
        std::printf("cannot open %s: %s\n", path, GifErrorString(error));
        return 1;
    }
    if (DGifSlurp(gif) != GIF_OK) {
        std::printf("cannot decode: %s\n", GifErrorString(gif->Error));
        return 1;
    }
    bool ok = true;
    std::printf("screen %dx%d, %d frames\n", gif->SWidth, gif->SHeight, gif->ImageCount);
    if (gif->SWidth != width || gif->SHeight != height || gif->ImageCount < minFrames) ok = false;

    bool loops = false;
    std::vector<uint32_t> canvas(size_t(gif->SWidth) * gif->SHeight, 0);
    std::set<uint32_t> samples;
    for (int i = 0; i < gif->ImageCount; ++i) {
        const SavedImage& image = gif->SavedImages[i];
        for (int e = 0; e < image.ExtensionBlockCount; ++e) {
            const ExtensionBlock& block = image.ExtensionBlocks[e];
            if (block.Function == APPLICATION_EXT_FUNC_CODE && block.ByteCount == 11 &&
                std::memcmp(block.Bytes, "NETSCAPE2.0", 11) == 0 &&
                e + 1 < image.ExtensionBlockCount) {
                const ExtensionBlock& sub = image.ExtensionBlocks[e + 1];
                loops = sub.ByteCount >= 3 && sub.Bytes[1] == 0 && sub.Bytes[2] == 0;
            }
        }
        GraphicsControlBlock control{};
        const bool read = DGifSavedExtensionToGCB(gif, i, &control) == GIF_OK;
        if (!read || (delay < 0 ? control.DelayTime < 2 : control.DelayTime != delay)) {
            std::printf("frame %d: delay %d\n", i, control.DelayTime);
            ok = false;
        }
        const ColorMapObject* map =
            image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap;
        const GifImageDesc& d = image.ImageDesc;
        for (int y = 0; y < d.Height && map; ++y) {
            for (int x = 0; x < d.Width; ++x) {
                const int cx = d.Left + x, cy = d.Top + y;
                if (cx >= gif->SWidth || cy >= gif->SHeight) continue;
                const int index = image.RasterBits[size_t(y) * d.Width + x];
                if (control.TransparentColor == index) continue;
                if (index >= map->ColorCount) continue;
                const GifColorType c = map->Colors[index];
                canvas[size_t(cy) * gif->SWidth + cx] = c.Red << 16 | c.Green << 8 | c.Blue;
            }
        }
        if (sampleX < gif->SWidth && sampleY < gif->SHeight) {
            samples.insert(canvas[size_t(sampleY) * gif->SWidth + sampleX]);
        }
    }
    std::printf("endless loop %s, %zu colours at the sample point\n", loops ? "yes" : "no",
                samples.size());
    if (!loops || samples.size() < 3) ok = false;
    DGifCloseFile(gif, &error);
    return ok ? 0 : 1;
}

// Prints the number of images giflib reads from the file; fails when it cannot read it.
int Frames(const char* path) {
    int error = 0;
    GifFileType* gif = DGifOpenFileName(path, &error);
    if (!gif) {
        std::fprintf(stderr, "cannot open %s: %s\n", path, GifErrorString(error));
        return 1;
    }
    const bool read = DGifSlurp(gif) == GIF_OK;
    if (read)
        std::printf("%d\n", gif->ImageCount);
    else
        std::fprintf(stderr, "cannot decode %s: %s\n", path, GifErrorString(gif->Error));
    DGifCloseFile(gif, &error);
    return read ? 0 : 1;
}

// Prints the number of frames, the sum of their delays and the shortest and longest delay, in
// hundredths of a second.
int Delays(const char* path) {
    int error = 0;
    GifFileType* gif = DGifOpenFileName(path, &error);
    if (!gif) {
        std::fprintf(stderr, "cannot open %s: %s\n", path, GifErrorString(error));
        return 1;
    }
    const bool read = DGifSlurp(gif) == GIF_OK;
    long total = 0;
    int shortest = 65535, longest = 0;
    for (int i = 0; read && i < gif->ImageCount; ++i) {
        GraphicsControlBlock control{};
        control.DelayTime = 0;
        DGifSavedExtensionToGCB(gif, i, &control);
        total += control.DelayTime;
        shortest = std::min(shortest, control.DelayTime);
        longest = std::max(longest, control.DelayTime);
    }
    if (read)
        std::printf("%d %ld %d %d\n", gif->ImageCount, total, shortest, longest);
    else
        std::fprintf(stderr, "cannot decode %s: %s\n", path, GifErrorString(gif->Error));
    DGifCloseFile(gif, &error);
    return read ? 0 : 1;
}

// Prints the number of whole frames in a recording's journal: after an 8-byte file header,
// each frame is a 32-bit little-endian length, that many bytes and a 4-byte checksum.
int JournalFrames(const char* path) {
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return 1;
    std::fseek(file, 0, SEEK_END);
    const long size = std::ftell(file);
    long at = 8, frames = 0;
    unsigned char length[4];
    while (std::fseek(file, at, SEEK_SET) == 0 && std::fread(length, 1, 4, file) == 4) {
        const long next =
            at + 4 +
            long(length[0] | length[1] << 8 | length[2] << 16 | uint32_t(length[3]) << 24) + 4;
        if (next > size) break;
        ++frames;
        at = next;
    }
    std::fclose(file);
    std::printf("%ld\n", frames);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "draw" && argc == 3) return Draw(std::atof(argv[2]));
    if (command == "close" && argc == 3) return Close(std::strtoul(argv[2], nullptr, 0));
    if (command == "frames" && argc == 3) return Frames(argv[2]);
    if (command == "delays" && argc == 3) return Delays(argv[2]);
    if (command == "journal-frames" && argc == 3) return JournalFrames(argv[2]);
    if (command == "check" && argc == 9) {
        return Check(argv[2], std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]),
                     std::atoi(argv[6]), std::atoi(argv[7]), std::atoi(argv[8]));
    }
    std::fprintf(stderr,
                 "usage: e2e_helper draw SECONDS | close WINDOW | frames GIF | delays GIF |\n"
                 "       journal-frames FILE |\n"
                 "       check GIF WIDTH HEIGHT MIN_FRAMES DELAY SAMPLE_X SAMPLE_Y\n");
    return 2;
}
