// The long recordings the edit benchmarks work on, made once into the temporary folder: 61
// pictures at 10 per second whose last equals the first (a terminal scrolling, a clock, a
// window moving across a 1920 x 1080 desktop), saved in the optimised layout; their frames
// 1..60 repeat to give 60 s or 10 minutes that play seamlessly.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "gif/gif_maker.h"
#include "gif/gif_stream.h"
#include "gif_bench_support.h"

namespace gifbench {

inline constexpr uint32_t kWidth = 1920, kHeight = 1080, kPeriod = 60;

inline bitmap::Image24 BusyDesktop(uint32_t i) {
    i %= kPeriod;
    bitmap::Image24 image = ScreenLike(kWidth, kHeight, 0);
    const bitmap::Image24 terminal = ScreenLike(900, 600, i * 6);
    for (uint32_t y = 0; y < 600; ++y) {
        const uint8_t* row = terminal.pixels.data() + terminal.Stride() * (599 - y);
        for (uint32_t x = 0; x < 900; ++x)
            PutPixel(image, 500 + x, 200 + y, row[3 * x + 2], row[3 * x + 1], row[3 * x]);
    }
    const uint32_t left = 28 * i;  // a window dragged across in a period
    for (uint32_t y = 820; y < 1000; ++y)
        for (uint32_t x = left; x < left + 240; ++x)
            PutPixel(image, x, y, uint8_t(200 - (y - 820) / 2), 90, uint8_t(x % 256));
    for (uint32_t y = 0; y < 60; ++y)
        for (uint32_t x = 0; x < 120; ++x) {
            const bool lit = ((x / 12 + y / 12 + i / 10) % 3) == 0;
            PutPixel(image, 1700 + x, 20 + y, lit ? 250 : 20, lit ? 250 : 20, 30);
        }
    return image;
}

inline std::vector<uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The looped recording of `repeats` periods (6 s each), made once.
inline std::string Recording(uint32_t repeats) {
    const std::string base =
        (std::filesystem::temp_directory_path() / "gif_bench_busy_base.gif").string();
    if (!std::filesystem::exists(base)) {
        gif::GifMaker maker;
        maker.SetOptions({true, true});
        maker.Create({});
        gif::FrameInfo frame;
        frame.DelayTime = 10;
        for (uint32_t i = 0; i <= kPeriod; ++i)
            maker.AddFrame(frame, std::nullopt, Bmp32(BusyDesktop(i)));
        maker.SaveGif(base);
    }
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("gif_bench_busy_" + std::to_string(repeats) + ".gif"))
                                 .string();
    if (std::filesystem::exists(path)) return path;
    gif::GifStream stream;
    stream.Open(base);
    if (stream.IndexAll() != kPeriod + 1) std::abort();
    const std::vector<uint8_t> bytes = ReadAll(base);
    const size_t loopStart = stream.Frame(1).blocksStart, loopEnd = stream.Frame(kPeriod).end;
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(loopStart));
    for (uint32_t r = 0; r < repeats; ++r)
        out.write(reinterpret_cast<const char*>(bytes.data() + loopStart),
                  std::streamsize(loopEnd - loopStart));
    out.put(0x3B);
    return path;
}

}  // namespace gifbench
