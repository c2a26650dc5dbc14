// The DIB object's fuzz body, shared by the libFuzzer target and the test that replays the seeds
// and regressions: load arbitrary bytes as a BMP, read and write pixels at the corners, the
// centre and just outside, save, and load the result again.
#pragma once

#include <cstddef>
#include <cstdint>

#include "bitmap/dib.h"

namespace bitmap::fuzzing {

// Returns false when an invariant breaks: a loaded bitmap without a positive size, a save that
// fails, or a saved file that does not load back with the same size.
inline bool FuzzDib(const uint8_t* data, size_t size) {
    Dib dib;
    if (!dib.LoadData({data, size})) return dib.GetWidth() == -1;
    const int32_t width = dib.GetWidth(), height = dib.GetHeight();
    if (width <= 0 || height <= 0) return false;
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
    if (saved.empty()) return false;
    Dib again;
    return again.LoadData(saved) && again.GetWidth() == width && again.GetHeight() == height;
}

}  // namespace bitmap::fuzzing
