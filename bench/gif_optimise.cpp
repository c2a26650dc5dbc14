// The optimised layout on 24 desktop frames of 1920 x 1080 (a wallpaper, a terminal whose text
// scrolls, a clock whose seconds change): file size and time of GifMaker with and without it,
// side by side with gifsicle -O3 re-encoding the whole-frame file (skipped when gifsicle is
// not installed), and the PSNR of the terminal's text with exact colours and with popularity.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "gif/gif_maker.h"
#include "gif/intake/colour_reduction.h"
#include "gif_bench_support.h"

namespace {

constexpr uint32_t kWidth = 1920, kHeight = 1080, kFrames = 24;
constexpr uint32_t kTermX = 500, kTermY = 200, kTermW = 900, kTermH = 600;

// Frame `i`: a textured wallpaper, a terminal scrolled by i lines, a clock at i / 4 seconds.
bitmap::Image24 Desktop(uint32_t i) {
    const bitmap::Image24 text = gifbench::ScreenLike(kTermW, kTermH, i * 6);
    bitmap::Image24 image;
    image.width = kWidth;
    image.height = kHeight;
    image.pixels.assign(image.Stride() * kHeight, 0);
    std::mt19937 random(7);
    for (uint32_t y = 0; y < kHeight; ++y)
        for (uint32_t x = 0; x < kWidth; ++x) {
            const uint8_t grain = uint8_t(random() % 6);
            gifbench::PutPixel(image, x, y, uint8_t(40 + x / 16 + grain), uint8_t(60 + y / 12),
                               uint8_t(120 + (x + y) / 40 + grain));
        }
    for (uint32_t y = 0; y < kTermH; ++y) {
        const uint8_t* row = text.pixels.data() + text.Stride() * (kTermH - 1 - y);
        for (uint32_t x = 0; x < kTermW; ++x)
            gifbench::PutPixel(image, kTermX + x, kTermY + y, row[3 * x + 2], row[3 * x + 1],
                               row[3 * x]);
    }
    // Clock: a seven-segment-like block per second digit.
    const uint32_t seconds = i / 4;
    for (uint32_t y = 0; y < 60; ++y)
        for (uint32_t x = 0; x < 120; ++x) {
            const bool lit = ((x / 12 + y / 12 + seconds) % 3) == 0;
            gifbench::PutPixel(image, 1700 + x, 20 + y, lit ? 250 : 20, lit ? 250 : 20, 30);
        }
    return image;
}

const std::vector<std::vector<uint8_t>>& Frames() {
    static const std::vector<std::vector<uint8_t>> frames = [] {
        std::vector<std::vector<uint8_t>> made;
        for (uint32_t i = 0; i < kFrames; ++i) made.push_back(gifbench::Bmp32(Desktop(i)));
        return made;
    }();
    return frames;
}

std::vector<uint8_t> Make(bool optimise, bool exact = false) {
    gif::GifMaker maker;
    maker.Create(gif::AnimationInfo{});
    maker.SetOptions({optimise, exact});
    gif::FrameInfo frame;
    frame.DelayTime = 10;
    for (const auto& bmp : Frames()) maker.AddFrame(frame, std::nullopt, bmp);
    gif::MemorySink sink;
    maker.SaveGif(sink);
    return sink.bytes;
}

void BM_MakeWhole(benchmark::State& state) {
    Frames();
    size_t bytes = 0;
    for (auto _ : state) bytes = Make(false).size();
    state.counters["file_bytes"] = double(bytes);
}
BENCHMARK(BM_MakeWhole)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_MakeOptimised(benchmark::State& state) {
    Frames();
    size_t bytes = 0;
    for (auto _ : state) bytes = Make(true).size();
    state.counters["file_bytes"] = double(bytes);
}
BENCHMARK(BM_MakeOptimised)->Unit(benchmark::kMillisecond)->Iterations(2);

double ChildCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// gifsicle -O3 of the whole-frame file; its CPU is the child's, reported as a counter.
void BM_GifsicleO3OfWholeFile(benchmark::State& state) {
    if (std::system("command -v gifsicle >/dev/null 2>&1") != 0) {
        state.SkipWithError("gifsicle is not installed");
        return;
    }
    const auto folder = std::filesystem::temp_directory_path();
    const std::string in = (folder / "gif_bench_whole.gif").string(),
                      out = (folder / "gif_bench_gifsicle.gif").string();
    const std::vector<uint8_t> whole = Make(false);
    std::ofstream(in, std::ios::binary)
        .write(reinterpret_cast<const char*>(whole.data()), std::streamsize(whole.size()));
    const std::string command = "gifsicle -O3 '" + in + "' -o '" + out + "'";
    const double before = ChildCpuSeconds();
    for (auto _ : state)
        if (std::system(command.c_str()) != 0) state.SkipWithError("gifsicle failed");
    state.counters["child_cpu_ms_per_run"] =
        (ChildCpuSeconds() - before) * 1000 / double(state.iterations());
    state.counters["file_bytes"] = double(std::filesystem::file_size(out));
}
BENCHMARK(BM_GifsicleO3OfWholeFile)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

// PSNR of the terminal area of frame 0 after each reduction.
double TextPsnr(bool exact) {
    const bitmap::Image24 picture = Desktop(0);
    gif::IndexedImage image;
    image.width = kWidth;
    image.height = kHeight;
    image.rows = gif::AllocateFrameRows(image.Stride() * kHeight);
    if (exact)
        gif::ReduceExact(gif::ViewOf(picture), image);
    else
        gif::ReducePopularity(picture, image);
    double squared = 0;
    for (uint32_t y = kTermY; y < kTermY + kTermH; ++y)
        for (uint32_t x = kTermX; x < kTermX + kTermW; ++x) {
            const uint8_t* source =
                picture.pixels.data() + picture.Stride() * (kHeight - 1 - y) + 3 * x;
            const uint8_t* entry = image.colourTable.data() + 4 * image.TopRow(y)[x];
            for (int c = 0; c < 3; ++c) squared += std::pow(double(source[c]) - entry[c], 2);
        }
    const double mse = squared / (3.0 * kTermW * kTermH);
    return mse == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse);
}

void BM_TextPsnr(benchmark::State& state) {
    double exact = 0, popularity = 0;
    for (auto _ : state) {
        exact = TextPsnr(true);
        popularity = TextPsnr(false);
    }
    state.counters["psnr_exact_db"] = exact;
    state.counters["psnr_popularity_db"] = popularity;
}
BENCHMARK(BM_TextPsnr)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
