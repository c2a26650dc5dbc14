// GifReader speed: every frame of a 100-frame 1920x1080 screen-like GIF extracted as a BMP,
// beside giflib's DGifSlurp of the same file, and the load-time index.
//
//   cmake --build build --target gif_bench && build/bench/gif_bench --benchmark_filter=Reader
#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "gif/gif_reader.h"
#include "gif_bench_support.h"

namespace {

constexpr uint32_t kWidth = 1920, kHeight = 1080;
constexpr uint32_t kFrames = 100;
constexpr double kPixelBytes = double(kWidth) * kHeight * kFrames;  // one byte per pixel

[[noreturn]] void Die(const char* what, int error) {
    std::fprintf(stderr, "gif_reader bench: %s: %s\n", what, GifErrorString(error));
    std::abort();
}

// The screen-like picture in 3-3-2 colours: flat areas stay flat, text stays two-coloured.
std::vector<uint8_t> ScreenIndices(uint32_t variant) {
    const bitmap::Image24 image = gifbench::ScreenLike(kWidth, kHeight, variant);
    std::vector<uint8_t> indices(size_t{kWidth} * kHeight);
    for (uint32_t y = 0; y < kHeight; ++y) {
        const uint8_t* row = image.pixels.data() + image.Stride() * (kHeight - 1 - y);
        for (uint32_t x = 0; x < kWidth; ++x) {
            const uint8_t b = row[3 * x], g = row[3 * x + 1], r = row[3 * x + 2];
            indices[size_t{y} * kWidth + x] = uint8_t((r & 0xE0) | ((g >> 3) & 0x1C) | (b >> 6));
        }
    }
    return indices;
}

// Made with giflib's encoder, so the benchmark does not depend on the library's own writer.
const std::vector<uint8_t>& TestGif() {
    static const std::vector<uint8_t> gif = [] {
        std::vector<uint8_t> out;
        int error = 0;
        GifFileType* file = EGifOpen(
            &out,
            [](GifFileType* f, const GifByteType* data, int size) {
                auto* bytes = static_cast<std::vector<uint8_t>*>(f->UserData);
                bytes->insert(bytes->end(), data, data + size);
                return size;
            },
            &error);
        if (!file) Die("open", error);
        EGifSetGifVersion(file, true);
        GifColorType colours[256];
        for (int i = 0; i < 256; ++i)
            colours[i] =
                GifColorType{uint8_t(i & 0xE0), uint8_t((i & 0x1C) << 3), uint8_t((i & 3) << 6)};
        ColorMapObject* map = GifMakeMapObject(256, colours);
        if (EGifPutScreenDesc(file, kWidth, kHeight, 8, 0, map) != GIF_OK)
            Die("screen", file->Error);
        for (uint32_t k = 0; k < kFrames; ++k) {
            const uint8_t control[4] = {0x04, 10, 0, 0};
            if (EGifPutExtension(file, GRAPHICS_EXT_FUNC_CODE, 4, control) != GIF_OK)
                Die("control", file->Error);
            if (EGifPutImageDesc(file, 0, 0, kWidth, kHeight, false, nullptr) != GIF_OK)
                Die("image", file->Error);
            std::vector<uint8_t> indices = ScreenIndices(k);
            for (uint32_t y = 0; y < kHeight; ++y)
                if (EGifPutLine(file, indices.data() + size_t{y} * kWidth, kWidth) != GIF_OK)
                    Die("line", file->Error);
        }
        if (EGifCloseFile(file, &error) != GIF_OK) Die("close", error);
        GifFreeMapObject(map);
        return out;
    }();
    return gif;
}

void SlurpWithGiflib(const std::vector<uint8_t>& gif) {
    struct Reader {
        const std::vector<uint8_t>* bytes;
        size_t at = 0;
    } reader{&gif};
    int error = 0;
    GifFileType* file = DGifOpen(
        &reader,
        [](GifFileType* f, GifByteType* buffer, int size) {
            auto* r = static_cast<Reader*>(f->UserData);
            const size_t n = std::min(size_t(size), r->bytes->size() - r->at);
            std::memcpy(buffer, r->bytes->data() + r->at, n);
            r->at += n;
            return int(n);
        },
        &error);
    if (!file) Die("DGifOpen", error);
    if (DGifSlurp(file) != GIF_OK) Die("DGifSlurp", file->Error);
    benchmark::DoNotOptimize(file->SavedImages[file->ImageCount - 1].RasterBits[0]);
    DGifCloseFile(file, &error);
}

size_t ExtractAllFrames(gif::GifReader& reader) {
    size_t total = 0;
    for (uint32_t k = 1; k <= reader.FrameCount(); ++k) {
        const std::vector<uint8_t> bmp = reader.GetGifData(k);
        benchmark::DoNotOptimize(bmp.data());
        total += bmp.size();
    }
    return total;
}

gif::GifReader LoadedReader() {
    gif::GifReader reader;
    if (!reader.LoadGif(std::nullopt, std::span<const uint8_t>(TestGif())) ||
        reader.FrameCount() != kFrames)
        Die("LoadGif", 0);
    // Checked once before timing: the reader's frames are giflib's indices.
    const auto bmp = reader.GetGifData(1);
    const std::vector<uint8_t> expected = gifbench::GiflibFirstImage(TestGif());
    for (uint32_t y = 0; y < kHeight; ++y)
        if (std::memcmp(bmp.data() + 54 + 1024 + size_t{kHeight - 1 - y} * kWidth,
                        expected.data() + size_t{y} * kWidth, kWidth) != 0)
            Die("frame 1 differs from giflib's", 0);
    return reader;
}

void BM_ReaderFramesToBmp(benchmark::State& state) {
    gif::GifReader reader = LoadedReader();
    for (auto _ : state) ExtractAllFrames(reader);
    state.SetBytesProcessed(int64_t(state.iterations() * kPixelBytes));
    state.SetLabel("100 frames 1920x1080, GetGifData each; bytes = pixels");
}
BENCHMARK(BM_ReaderFramesToBmp)->Unit(benchmark::kMillisecond);

void BM_GiflibSlurp(benchmark::State& state) {
    const std::vector<uint8_t>& gif = TestGif();
    for (auto _ : state) SlurpWithGiflib(gif);
    state.SetBytesProcessed(int64_t(state.iterations() * kPixelBytes));
    state.SetLabel("the same file, DGifSlurp; bytes = pixels");
}
BENCHMARK(BM_GiflibSlurp)->Unit(benchmark::kMillisecond);

// Both in one run, alternating, with the ratio as a counter (above 1: the reader is faster).
void BM_ReaderVsGiflib(benchmark::State& state) {
    gif::GifReader reader = LoadedReader();
    const std::vector<uint8_t>& gif = TestGif();
    double readerSeconds = 0, giflibSeconds = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        ExtractAllFrames(reader);
        auto middle = std::chrono::steady_clock::now();
        SlurpWithGiflib(gif);
        auto end = std::chrono::steady_clock::now();
        readerSeconds += std::chrono::duration<double>(middle - start).count();
        giflibSeconds += std::chrono::duration<double>(end - middle).count();
    }
    const double n = double(state.iterations());
    state.counters["reader_MB/s"] = kPixelBytes * n / readerSeconds / 1e6;
    state.counters["giflib_MB/s"] = kPixelBytes * n / giflibSeconds / 1e6;
    state.counters["ratio"] = giflibSeconds / readerSeconds;
}
BENCHMARK(BM_ReaderVsGiflib)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ReaderLoad(benchmark::State& state) {
    const std::vector<uint8_t>& gif = TestGif();
    gif::GifReader reader;
    for (auto _ : state) {
        if (!reader.LoadGif(std::nullopt, std::span<const uint8_t>(gif))) Die("LoadGif", 0);
        benchmark::DoNotOptimize(reader.FrameCount());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(gif.size()));
    state.SetLabel("index 100 frames (copy included), bytes = file");
}
BENCHMARK(BM_ReaderLoad)->Unit(benchmark::kMicrosecond);

}  // namespace
