// Prints what a recorded GIF shows, for the Wayland end-to-end tests: its size and frame count,
// then per frame the colour most of the composed picture has and the share of black pixels, and
// the colours of the last composed picture at the points asked for.
//   gif_frames FILE [X,Y ...]
// prints "size W H frames N", then "frame I RED GREEN BLUE BLACK%" lines, then for each point
// "pixel X Y RED GREEN BLUE" ("pixel X Y outside" when the point is off the picture).
#include <gif_lib.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <vector>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: gif_frames FILE [X,Y ...]\n");
        return 2;
    }
    int error = 0;
    GifFileType* gif = DGifOpenFileName(argv[1], &error);
    if (!gif || DGifSlurp(gif) != GIF_OK) {
        std::fprintf(stderr, "gif_frames: cannot read %s\n", argv[1]);
        return 1;
    }
    const int width = gif->SWidth, height = gif->SHeight;
    std::printf("size %d %d frames %d\n", width, height, gif->ImageCount);
    std::vector<uint32_t> canvas(size_t(width) * size_t(height), 0);
    for (int i = 0; i < gif->ImageCount; ++i) {
        const SavedImage& image = gif->SavedImages[i];
        GraphicsControlBlock control{};
        control.TransparentColor = NO_TRANSPARENT_COLOR;
        DGifSavedExtensionToGCB(gif, i, &control);
        const ColorMapObject* map =
            image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap;
        const GifImageDesc& d = image.ImageDesc;
        for (int y = 0; map && y < d.Height; ++y) {
            for (int x = 0; x < d.Width; ++x) {
                const int index = image.RasterBits[size_t(y) * size_t(d.Width) + size_t(x)];
                const int cx = d.Left + x, cy = d.Top + y;
                if (index == control.TransparentColor || index >= map->ColorCount) continue;
                if (cx < 0 || cy < 0 || cx >= width || cy >= height) continue;
                const GifColorType c = map->Colors[index];
                canvas[size_t(cy) * size_t(width) + size_t(cx)] =
                    uint32_t(c.Red) << 16 | uint32_t(c.Green) << 8 | c.Blue;
            }
        }
        std::map<uint32_t, size_t> counts;
        size_t black = 0;
        for (uint32_t pixel : canvas) {
            ++counts[pixel];
            if (pixel == 0) ++black;
        }
        uint32_t most = 0;
        size_t mostCount = 0;
        for (auto [colour, count] : counts) {
            if (count > mostCount) most = colour, mostCount = count;
        }
        std::printf("frame %d %u %u %u %zu\n", i, most >> 16, most >> 8 & 0xFF, most & 0xFF,
                    canvas.empty() ? 0 : black * 100 / canvas.size());
    }
    for (int i = 2; i < argc; ++i) {
        int x = -1, y = -1;
        if (std::sscanf(argv[i], "%d,%d", &x, &y) != 2 || x < 0 || y < 0 || x >= width ||
            y >= height) {
            std::printf("pixel %s outside\n", argv[i]);
            continue;
        }
        const uint32_t c = canvas[size_t(y) * size_t(width) + size_t(x)];
        std::printf("pixel %d %d %u %u %u\n", x, y, c >> 16, c >> 8 & 0xFF, c & 0xFF);
    }
    DGifCloseFile(gif, &error);
    return 0;
}
