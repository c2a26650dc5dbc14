// Editing long recordings: trimming 10 s from both ends of a 60 s 1920 x 1080 recording of a busy
// desktop (time to save, in this process and as `gifanim trim` with its peak memory), the same
// trim of a 10-minute recording (memory stays flat), and opening the 10-minute recording as the
// editor does (index the first frame, composite it) against indexing it whole.
// The recordings are those of edit_bench_support.h.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "edit_bench_support.h"
#include "gif/gif_edit.h"
#include "gif/gif_maker.h"
#include "gif/gif_stream.h"

namespace {

namespace fs = std::filesystem;
using gifbench::kPeriod;
using gifbench::Recording;

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
