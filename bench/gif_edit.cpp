// Editing long recordings: trimming 10 s from both ends of a 60 s 1920 x 1080 recording of a busy
// desktop (time to save, in this process and as `gifanim trim` with its peak memory), the same
// trim of a 10-minute recording (memory stays flat), and opening the 10-minute recording as the
// editor does (index the first frame, composite it) against indexing it whole.
//
// The recordings are made once into the temporary folder: 61 pictures at 10 per second whose
// last equals the first (a terminal scrolling, a clock, a window moving across), saved in the
// optimised layout; their frames 1..60 repeat to give 60 s or 10 minutes that play seamlessly.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "gif/gif_edit.h"
#include "gif/gif_maker.h"
#include "gif/gif_stream.h"
#include "gif_bench_support.h"

namespace {

namespace fs = std::filesystem;
constexpr uint32_t kWidth = 1920, kHeight = 1080, kPeriod = 60;

bitmap::Image24 BusyDesktop(uint32_t i) {
    i %= kPeriod;
    bitmap::Image24 image = gifbench::ScreenLike(kWidth, kHeight, 0);
    const bitmap::Image24 terminal = gifbench::ScreenLike(900, 600, i * 6);
    for (uint32_t y = 0; y < 600; ++y) {
        const uint8_t* row = terminal.pixels.data() + terminal.Stride() * (599 - y);
        for (uint32_t x = 0; x < 900; ++x)
            gifbench::PutPixel(image, 500 + x, 200 + y, row[3 * x + 2], row[3 * x + 1], row[3 * x]);
    }
    const uint32_t left = 30 * i;  // a window dragged across and back in a period
    for (uint32_t y = 820; y < 1000; ++y)
        for (uint32_t x = left; x < left + 240; ++x)
            gifbench::PutPixel(image, x, y, uint8_t(200 - (y - 820) / 2), 90, uint8_t(x % 256));
    for (uint32_t y = 0; y < 60; ++y)
        for (uint32_t x = 0; x < 120; ++x) {
            const bool lit = ((x / 12 + y / 12 + i / 10) % 3) == 0;
            gifbench::PutPixel(image, 1700 + x, 20 + y, lit ? 250 : 20, lit ? 250 : 20, 30);
        }
    return image;
}

std::vector<uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The looped recording of `repeats` periods (6 s each), made once.
std::string Recording(uint32_t repeats) {
    const std::string base = (fs::temp_directory_path() / "gif_bench_busy_base.gif").string();
    if (!fs::exists(base)) {
        gif::GifMaker maker;
        maker.SetOptions({true, true});
        maker.Create({});
        gif::FrameInfo frame;
        frame.DelayTime = 10;
        for (uint32_t i = 0; i <= kPeriod; ++i)
            maker.AddFrame(frame, std::nullopt, gifbench::Bmp32(BusyDesktop(i)));
        maker.SaveGif(base);
    }
    const std::string path =
        (fs::temp_directory_path() / ("gif_bench_busy_" + std::to_string(repeats) + ".gif"))
            .string();
    if (fs::exists(path)) return path;
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

// Trims 10 s (100 frames) from both ends in this process.
void Trim(benchmark::State& state, uint32_t repeats) {
    const std::string in = Recording(repeats);
    const std::string out = (fs::temp_directory_path() / "gif_bench_trimmed.gif").string();
    const uint32_t frames = repeats * kPeriod + 1;
    for (auto _ : state) {
        gif::LibraryError error;
        if (!gif::EditGifFile(in, out, *gif::TrimPlan(frames, 100, frames - 101), {}, error))
            state.SkipWithError(error.what());
    }
    const double minutes = double(frames) / 600.0;
    state.counters["gif_minutes"] = minutes;
    state.counters["in_MB"] = double(fs::file_size(in)) / 1e6;
    state.counters["out_MB"] = double(fs::file_size(out)) / 1e6;
    state.counters["s_per_gif_minute"] =
        benchmark::Counter(double(state.iterations()) * minutes,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
void BM_TrimBothEnds60s(benchmark::State& state) {
    Trim(state, 10);
}
BENCHMARK(BM_TrimBothEnds60s)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
void BM_TrimBothEnds10min(benchmark::State& state) {
    Trim(state, 100);
}
BENCHMARK(BM_TrimBothEnds10min)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

#ifdef GIFANIM_PATH
// The same trim as its own process, for its peak memory: a 60 s and a 10-minute recording.
void GifanimTrim(benchmark::State& state, uint32_t repeats) {
    const std::string in = Recording(repeats);
    const std::string out = (fs::temp_directory_path() / "gif_bench_trimmed_cli.gif").string();
    const uint32_t frames = repeats * kPeriod + 1;
    const std::string command = std::string(GIFANIM_PATH) + " trim '" + in + "' --from 101 --to " +
                                std::to_string(frames - 100) + " -o '" + out + "'";
    long peak = 0;
    for (auto _ : state) {
        const pid_t child = fork();
        if (child == 0) {
            execl("/bin/sh", "sh", "-c", command.c_str(), nullptr);
            _exit(127);
        }
        int status = 0;
        rusage usage{};
        wait4(child, &status, 0, &usage);
        if (status != 0) state.SkipWithError("gifanim trim failed");
        peak = std::max(peak, usage.ru_maxrss);
    }
    state.counters["peak_rss_MB"] = double(peak) / 1024.0;
    state.counters["in_MB"] = double(fs::file_size(in)) / 1e6;
}
void BM_GifanimTrim60s(benchmark::State& state) {
    GifanimTrim(state, 10);
}
BENCHMARK(BM_GifanimTrim60s)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
void BM_GifanimTrim10min(benchmark::State& state) {
    GifanimTrim(state, 100);
}
BENCHMARK(BM_GifanimTrim10min)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
#endif

// What the editor does before its first frame shows: open, index one frame, composite it.
void BM_EditorFirstFrame10min(benchmark::State& state) {
    const std::string in = Recording(100);
    for (auto _ : state) {
        gif::GifStream stream;
        stream.Open(in);
        stream.IndexUpTo(1);
        gif::StreamPlayer player(stream);
        player.Seek(0);
        benchmark::DoNotOptimize(player.Screen().data());
    }
}
BENCHMARK(BM_EditorFirstFrame10min)->Unit(benchmark::kMillisecond)->UseRealTime();

// Until every frame is known (the editor indexes in slices meanwhile; saving waits for it).
void BM_EditorIndexAll10min(benchmark::State& state) {
    const std::string in = Recording(100);
    uint32_t frames = 0;
    for (auto _ : state) {
        gif::GifStream stream;
        stream.Open(in);
        frames = stream.IndexAll();
    }
    state.counters["frames"] = frames;
}
BENCHMARK(BM_EditorIndexAll10min)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
