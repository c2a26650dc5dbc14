// Checks a GIF recorded from a region: its size, that no frame holds the red of the region's
// outline, and optionally that the pointer's arrow shows at a point of the last frame.
// usage: record_region_check GIF WIDTH HEIGHT MIN_FRAMES [ARROW_X ARROW_Y]
#include <gif_lib.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

struct Rgb {
    int r = 0, g = 0, b = 0;
};

bool IsOutlineRed(Rgb c) {
    return c.r > 200 && c.g < 60 && c.b < 60;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5 && argc != 7) {
        std::fprintf(stderr, "usage: record_region_check GIF WIDTH HEIGHT MIN_FRAMES [X Y]\n");
        return 2;
    }
    int error = 0;
    GifFileType* gif = DGifOpenFileName(argv[1], &error);
    if (!gif || DGifSlurp(gif) != GIF_OK) {
        std::printf("cannot read %s\n", argv[1]);
        return 1;
    }
    const int width = std::atoi(argv[2]), height = std::atoi(argv[3]);
    bool ok =
        gif->SWidth == width && gif->SHeight == height && gif->ImageCount >= std::atoi(argv[4]);
    std::printf("screen %dx%d, %d frames\n", gif->SWidth, gif->SHeight, gif->ImageCount);

    std::vector<Rgb> canvas(size_t(gif->SWidth) * gif->SHeight);
    long redPixels = 0;
    for (int i = 0; i < gif->ImageCount; ++i) {
        const SavedImage& image = gif->SavedImages[i];
        const ColorMapObject* map =
            image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap;
        GraphicsControlBlock control{};
        DGifSavedExtensionToGCB(gif, i, &control);
        const GifImageDesc& d = image.ImageDesc;
        for (int y = 0; y < d.Height && map; ++y) {
            for (int x = 0; x < d.Width; ++x) {
                const int cx = d.Left + x, cy = d.Top + y;
                const int index = image.RasterBits[size_t(y) * d.Width + x];
                if (cx >= gif->SWidth || cy >= gif->SHeight || index == control.TransparentColor ||
                    index >= map->ColorCount) {
                    continue;
                }
                const GifColorType c = map->Colors[index];
                canvas[size_t(cy) * gif->SWidth + cx] = {c.Red, c.Green, c.Blue};
            }
        }
        for (const Rgb& c : canvas) redPixels += IsOutlineRed(c);
    }
    std::printf("%ld outline-red pixels over all frames\n", redPixels);
    if (redPixels != 0) ok = false;

    if (argc == 7 && ok) {
        // The arrow's tip (its black outline) at the point, its white body below-right of it.
        const int x = std::atoi(argv[5]), y = std::atoi(argv[6]);
        auto at = [&](int px, int py) { return canvas[size_t(py) * gif->SWidth + px]; };
        const Rgb tip = at(x, y), body = at(x + 2, y + 6);
        std::printf("at the pointer %d,%d,%d; body %d,%d,%d\n", tip.r, tip.g, tip.b, body.r, body.g,
                    body.b);
        const bool dark = tip.r < 80 && tip.g < 80 && tip.b < 80;
        const bool bright = body.r > 180 && body.g > 180 && body.b > 180;
        if (!dark || !bright) ok = false;
    }
    DGifCloseFile(gif, &error);
    return ok ? 0 : 1;
}
