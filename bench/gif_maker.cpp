// GifMaker speed: frame intake (decode + colour reduction), the LZW encoder beside giflib's,
// and saving a long recording.
//
//   cmake --build build --target gif_bench && build/bench/gif_bench --benchmark_filter=Maker
#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <chrono>
#include <cstring>
#include <string>

#include "gif/gif_maker.h"
#include "gif/intake/colour_reduction.h"
#include "gif/lzw/lzw_encoder.h"
#include "gif_bench_support.h"

namespace {

constexpr uint32_t kWidth = 1920, kHeight = 1080;
constexpr size_t kPixels = size_t{kWidth} * kHeight;

void BM_MakerAddFrame(benchmark::State& state) {
    const bool dither = state.range(0) != 0;
    const std::vector<uint8_t> bmp = gifbench::Bmp32(gifbench::ScreenLike(kWidth, kHeight));
    gif::GifMaker maker;
    maker.Create({});
    gif::FrameInfo info;
    info.Dither = dither;
    for (auto _ : state) {
        if (!maker.AddFrame(info, std::nullopt, bmp)) {
            state.SkipWithError(maker.GetError().c_str());
            break;
        }
        state.PauseTiming();
        maker.Reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bmp.size()));
    state.SetLabel(dither ? "1920x1080 32-bit BMP, dither" : "1920x1080 32-bit BMP, popularity");
}
BENCHMARK(BM_MakerAddFrame)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The colour reduction alone, without decoding.
void BM_MakerReduce(benchmark::State& state) {
    const bool dither = state.range(0) != 0;
    const bitmap::Image24 picture = gifbench::ScreenLike(kWidth, kHeight);
    gif::IndexedImage image;
    image.width = uint16_t(kWidth);
    image.height = uint16_t(kHeight);
    image.rows = gif::AllocateFrameRows(image.Stride() * kHeight);
    for (auto _ : state) {
        if (dither)
            gif::ReduceOrderedDither(picture, image);
        else
            gif::ReducePopularity(picture, image);
        benchmark::DoNotOptimize(image.rows.get());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(kPixels));
    state.SetLabel(dither ? "1920x1080 24-bit, dither" : "1920x1080 24-bit, popularity");
}
BENCHMARK(BM_MakerReduce)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The picture decoder alone.
void BM_MakerDecodeBmp32(benchmark::State& state) {
    const std::vector<uint8_t> bmp = gifbench::Bmp32(gifbench::ScreenLike(kWidth, kHeight));
    for (auto _ : state) {
        bitmap::Image24 picture;
        bitmap::DecodePicture(bmp, picture);
        benchmark::DoNotOptimize(picture.pixels.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bmp.size()));
}
BENCHMARK(BM_MakerDecodeBmp32)->Unit(benchmark::kMillisecond);

// Indices of a 1080p frame: the screen-like picture as the maker reduces it, or noise.
std::vector<uint8_t> FrameIndices(bool noise) {
    if (noise) return gifbench::NoiseIndices(kPixels);
    gif::GifMaker maker;
    maker.Create({});
    maker.AddFrame({}, std::nullopt, gifbench::Bmp32(gifbench::ScreenLike(kWidth, kHeight)));
    const gif::StoredFrame frame = maker.DecodeFrame(0);
    const gif::IndexedImage& image = frame.image;
    std::vector<uint8_t> indices(kPixels);
    for (uint32_t y = 0; y < kHeight; ++y)
        std::memcpy(indices.data() + size_t(y) * kWidth, image.TopRow(y), kWidth);
    return indices;
}

std::vector<const uint8_t*> Rows(const std::vector<uint8_t>& indices) {
    std::vector<const uint8_t*> rows;
    for (uint32_t y = 0; y < kHeight; ++y) rows.push_back(indices.data() + size_t(y) * kWidth);
    return rows;
}

// A one-image GIF around our image data, for giflib to check.
std::vector<uint8_t> WrapImageData(const std::vector<uint8_t>& imageData) {
    std::vector<uint8_t> gif = {'G',
                                'I',
                                'F',
                                '8',
                                '9',
                                'a',
                                uint8_t(kWidth),
                                uint8_t(kWidth >> 8),
                                uint8_t(kHeight),
                                uint8_t(kHeight >> 8),
                                0xF7,
                                0,
                                0};
    for (int i = 0; i < 256; ++i) gif.insert(gif.end(), {uint8_t(i), uint8_t(i), uint8_t(i)});
    gif.insert(gif.end(), {0x2C, 0, 0, 0, 0, uint8_t(kWidth), uint8_t(kWidth >> 8),
                           uint8_t(kHeight), uint8_t(kHeight >> 8), 0x07});
    gif.insert(gif.end(), imageData.begin(), imageData.end());
    gif.push_back(0x3B);
    return gif;
}

struct GiflibOutput {
    std::vector<uint8_t> bytes;
};

int WriteToMemory(GifFileType* file, const GifByteType* data, int size) {
    auto* out = static_cast<GiflibOutput*>(file->UserData);
    out->bytes.insert(out->bytes.end(), data, data + size);
    return size;
}

// A whole one-image GIF written by giflib, one EGifPutLine per row.
bool GiflibEncode(const std::vector<uint8_t>& indices, GiflibOutput& out) {
    out.bytes.clear();
    int error = 0;
    GifFileType* file = EGifOpen(&out, WriteToMemory, &error);
    if (!file) return false;
    static GifColorType colours[256];
    ColorMapObject* map = GifMakeMapObject(256, colours);
    bool ok = EGifPutScreenDesc(file, kWidth, kHeight, 8, 0, map) == GIF_OK &&
              EGifPutImageDesc(file, 0, 0, kWidth, kHeight, false, nullptr) == GIF_OK;
    for (uint32_t y = 0; ok && y < kHeight; ++y)
        ok = EGifPutLine(file, const_cast<GifPixelType*>(indices.data() + size_t(y) * kWidth),
                         kWidth) == GIF_OK;
    GifFreeMapObject(map);
    ok = EGifCloseFile(file, &error) == GIF_OK && ok;
    return ok;
}

void BM_MakerLzwOurs(benchmark::State& state) {
    const bool noise = state.range(0) != 0;
    const std::vector<uint8_t> indices = FrameIndices(noise);
    const auto rows = Rows(indices);
    gif::LzwEncoder encoder;
    std::vector<uint8_t> out;
    out.reserve(kPixels * 2);
    encoder.Encode(rows, kWidth, out);
    if (gifbench::GiflibFirstImage(WrapImageData(out)) != indices) {
        state.SkipWithError("giflib does not decode our data to the same indices");
        return;
    }
    // giflib on the same indices, timed here so that the ratio comes from the same run.
    GiflibOutput giflibOut;
    if (!GiflibEncode(indices, giflibOut) ||
        gifbench::GiflibFirstImage(giflibOut.bytes) != indices) {
        state.SkipWithError("giflib round trip failed");
        return;
    }
    double giflibSeconds = 1e9;
    for (int i = 0; i < 5; ++i) {
        auto start = std::chrono::steady_clock::now();
        GiflibEncode(indices, giflibOut);
        giflibSeconds = std::min(
            giflibSeconds,
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }

    for (auto _ : state) {
        out.clear();
        encoder.Encode(rows, kWidth, out);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kPixels));
    state.counters["out_KB"] = double(out.size()) / 1024;
    state.counters["giflib_ms"] = giflibSeconds * 1e3;
    state.counters["giflib_KB"] = double(giflibOut.bytes.size()) / 1024;
    // giflib's time per frame over ours: > 1 means ours is faster.
    state.counters["speedup"] =
        benchmark::Counter(giflibSeconds * double(state.iterations()), benchmark::Counter::kIsRate);
    state.SetLabel(noise ? "1080p noise" : "1080p screen-like");
}
BENCHMARK(BM_MakerLzwOurs)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_MakerLzwGiflib(benchmark::State& state) {
    const bool noise = state.range(0) != 0;
    const std::vector<uint8_t> indices = FrameIndices(noise);
    GiflibOutput out;
    out.bytes.reserve(kPixels * 2);
    if (!GiflibEncode(indices, out) || gifbench::GiflibFirstImage(out.bytes) != indices) {
        state.SkipWithError("giflib round trip failed");
        return;
    }
    for (auto _ : state) {
        GiflibEncode(indices, out);
        benchmark::DoNotOptimize(out.bytes.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kPixels));
    state.SetLabel(noise ? "1080p noise" : "1080p screen-like");
}
BENCHMARK(BM_MakerLzwGiflib)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_MakerSaveGif100Frames(benchmark::State& state) {
    constexpr int kFrames = 100;
    gif::GifMaker maker;
    maker.Create({});
    gif::FrameInfo info;
    info.DelayTime = 10;
    for (int i = 0; i < kFrames; ++i) {
        if (!maker.AddFrame(info, std::nullopt,
                            gifbench::Bmp32(gifbench::ScreenLike(kWidth, kHeight, uint32_t(i))))) {
            state.SkipWithError(maker.GetError().c_str());
            return;
        }
    }
    {
        gif::MemorySink check;
        maker.SaveGif(check);
        std::vector<uint8_t> indices = gifbench::GiflibFirstImage(check.bytes);
        const gif::StoredFrame frame = maker.DecodeFrame(0);
        const gif::IndexedImage& first = frame.image;
        bool same = indices.size() == kPixels;
        for (uint32_t y = 0; same && y < kHeight; ++y)
            same = std::memcmp(indices.data() + size_t(y) * kWidth, first.TopRow(y), kWidth) == 0;
        if (!same) {
            state.SkipWithError("giflib does not decode the saved GIF to the stored indices");
            return;
        }
    }
    size_t fileBytes = 0;
    for (auto _ : state) {
        gif::MemorySink sink;
        state.PauseTiming();
        sink.bytes.reserve(64 << 20);
        state.ResumeTiming();
        if (!maker.SaveGif(sink)) {
            state.SkipWithError(maker.GetError().c_str());
            break;
        }
        fileBytes = sink.bytes.size();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kPixels) * kFrames);
    state.counters["file_MB"] = double(fileBytes) / (1 << 20);
    state.SetLabel("100 stored 1920x1080 screen-like frames to memory");
}
BENCHMARK(BM_MakerSaveGif100Frames)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

}  // namespace

namespace {

// Discards what is written, counting it.
class CountingSink final : public gif::ByteSink {
  public:
    bool Write(std::span<const uint8_t> bytes, gif::LibraryError&) override {
        size += bytes.size();
        return true;
    }
    size_t size = 0;
};

// A changing screen: a few screen-like pictures with a block drawn into them frame by frame.
std::vector<uint8_t>& ChangingScreen(std::vector<std::vector<uint8_t>>& screens, int frame) {
    std::vector<uint8_t>& bmp = screens[size_t(frame / 25) % screens.size()];
    const uint32_t left = uint32_t(frame * 37) % (kWidth - 64);
    const uint32_t top = uint32_t(frame * 53) % (kHeight - 24);
    for (uint32_t y = top; y < top + 24; ++y)
        std::memset(bmp.data() + 54 + 4 * (size_t(y) * kWidth + left), frame * 7, 4 * 64);
    return bmp;
}

// SaveGif of a long recording whose frames lie in a file store: headers and copies only.
// Output bytes per second, to a sink that discards them.
void BM_MakerSaveGif1000FramesFromFileStore(benchmark::State& state) {
    constexpr int kFrames = 1000;
    std::vector<std::vector<uint8_t>> screens;
    for (uint32_t seed = 0; seed < 4; ++seed)
        screens.push_back(gifbench::Bmp32(gifbench::ScreenLike(kWidth, kHeight, seed)));
    gif::GifMaker maker;
    maker.Create({});
    maker.SetFrameStore(gif::FileFrameStore::CreateUnnamed({}));
    gif::FrameInfo info;
    info.DelayTime = 10;
    for (int i = 0; i < kFrames; ++i) {
        if (!maker.AddFrame(info, std::nullopt, ChangingScreen(screens, i))) {
            state.SkipWithError(maker.GetError().c_str());
            return;
        }
    }
    size_t fileBytes = 0;
    for (auto _ : state) {
        CountingSink sink;
        if (!maker.SaveGif(sink)) {
            state.SkipWithError(maker.GetError().c_str());
            break;
        }
        fileBytes = sink.size;
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(fileBytes));
    state.counters["file_MB"] = double(fileBytes) / (1 << 20);
    state.SetLabel("1000 stored 1920x1080 screen-like frames, file store, output discarded");
}
BENCHMARK(BM_MakerSaveGif1000FramesFromFileStore)->Unit(benchmark::kMillisecond)->UseRealTime();

// AddFrame as a recording calls it, frame after frame into the default store (memory up to its
// budget, then a file), never reset: intake, encoding and storing together.
void BM_MakerAddFrameRecording(benchmark::State& state) {
    std::vector<std::vector<uint8_t>> screens;
    for (uint32_t seed = 0; seed < 4; ++seed)
        screens.push_back(gifbench::Bmp32(gifbench::ScreenLike(kWidth, kHeight, seed)));
    gif::GifMaker maker;
    maker.Create({});
    gif::FrameInfo info;
    int frame = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const std::vector<uint8_t>& bmp = ChangingScreen(screens, frame++);
        state.ResumeTiming();
        if (!maker.AddFrame(info, std::nullopt, bmp)) {
            state.SkipWithError(maker.GetError().c_str());
            break;
        }
    }
    state.SetLabel("1920x1080 32-bit BMP, changing screen-like content");
}
BENCHMARK(BM_MakerAddFrameRecording)->Unit(benchmark::kMillisecond);

// Screen colours, as the recorder adds its pictures: a page scrolling a few rows a picture,
// given as pixels (no decoding). Per picture: what changed, its palette, the optimised frame.
void BM_MakerScreenColoursScrolling(benchmark::State& state) {
    constexpr uint32_t kPictures = 8;
    std::vector<bitmap::Image24> pictures;
    for (uint32_t i = 0; i < kPictures; ++i)
        pictures.push_back(gifbench::ScreenLike(kWidth, kHeight, i));
    gif::GifMaker maker;
    maker.Create({});
    gif::MakerOptions options;
    options.screenColours = true;
    options.quality = int(state.range(0));
    maker.SetOptions(options);
    gif::FrameInfo info;
    info.DelayTime = 10;
    uint32_t picture = 0;
    for (auto _ : state) {
        if (!maker.AddPicture(info, gif::ViewOf(pictures[picture++ % kPictures]))) {
            state.SkipWithError(maker.GetError().c_str());
            break;
        }
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(kPixels));
    state.SetLabel("1920x1080 scrolling screen-like pictures, quality " +
                   std::to_string(state.range(0)));
}
BENCHMARK(BM_MakerScreenColoursScrolling)->Arg(100)->Arg(70)->Unit(benchmark::kMillisecond);

}  // namespace
