// Loads arbitrary bytes as a BMP, then reads and writes pixels at the corners and the centre and
// saves the result, which must load again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "bitmap/dib.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    bitmap::Dib dib;
    if (!dib.LoadData({data, size})) return 0;
    const int32_t width = dib.GetWidth(), height = dib.GetHeight();
    if (width <= 0 || height <= 0) abort();
    const int32_t points[][2] = {{0, 0},
                                 {width - 1, 0},
                                 {0, height - 1},
                                 {width / 2, height / 2},
                                 {width - 1, height - 1},
                                 {width, 0},
                                 {-1, height}};
    for (const auto& point : points) {
        const int32_t colour = dib.GetPixel(point[0], point[1]);
        dib.SetPixel(point[0], point[1], colour ^ 0x00A5A5A5);
        dib.SetPixel(point[0], point[1], int32_t(size * 2654435761u));
    }
    const auto saved = dib.GetData();
    if (saved.empty()) abort();
    bitmap::Dib again;
    if (!again.LoadData(saved) || again.GetWidth() != width || again.GetHeight() != height) abort();
    return 0;
}
