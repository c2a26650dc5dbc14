#include "app/core/frame_timing.h"

#include <gtest/gtest.h>

#include <numeric>
#include <random>

namespace app {
namespace {

using namespace std::chrono_literals;
using Timeline = FrameTimeline<int>;

// Pictures numbered from 0, grabbed at `times`, the recording ending at `end`.
std::vector<Timeline::Timed> Play(const std::vector<RecordingTime>& times, RecordingTime end,
                                  double speed = 1.0) {
    Timeline timeline;
    std::vector<Timeline::Timed> out;
    for (size_t i = 0; i < times.size(); ++i) timeline.Add(int(i), times[i], speed, out);
    timeline.CloseAt(end, speed, out);
    return out;
}

int Total(const std::vector<Timeline::Timed>& frames) {
    return std::accumulate(frames.begin(), frames.end(), 0,
                           [](int sum, const Timeline::Timed& f) { return sum + f.delay; });
}

std::vector<uint16_t> Delays(const std::vector<Timeline::Timed>& frames) {
    std::vector<uint16_t> delays;
    for (const auto& f : frames) delays.push_back(f.delay);
    return delays;
}

TEST(FrameTimelineTest, RoundingIsCarriedSoThePlayedLengthIsTheRecordedOne) {
    // 30 grabs a second: 3.33 hundredths each, written as 3s and 4s.
    std::vector<RecordingTime> times;
    for (int i = 0; i < 300; ++i) times.push_back(RecordingTime(i * 100000 / 3));
    const auto frames = Play(times, 10s);
    ASSERT_EQ(frames.size(), 300u);
    EXPECT_EQ(Total(frames), 1000);
    for (const auto& f : frames) EXPECT_TRUE(f.delay == 3 || f.delay == 4) << f.delay;
    EXPECT_EQ(Delays(frames)[0] + Delays(frames)[1] + Delays(frames)[2], 10);
}

TEST(FrameTimelineTest, FramesTooShortToShowAreMergedAndTheTotalKept) {
    struct Case {
        const char* name;
        std::vector<RecordingTime> times;
        RecordingTime end;
        std::vector<uint16_t> delays;
        std::vector<int> pictures;
    };
    const std::vector<Case> cases = {
        {"a burst", {0ms, 5ms, 10ms, 30ms, 35ms, 60ms}, 100ms, {3, 3, 4}, {0, 3, 5}},
        {"a last frame of one hundredth", {0ms, 100ms, 200ms}, 205ms, {10, 11}, {0, 1}},
        {"a lone frame", {0ms}, 5ms, {2}, {0}},
        {"nothing after the first", {0ms, 1ms, 2ms, 3ms}, 3ms, {2}, {0}},
        {"a first grab after the start", {300ms, 400ms}, 450ms, {40, 5}, {0, 1}},
    };
    for (const Case& c : cases) {
        const auto frames = Play(c.times, c.end);
        EXPECT_EQ(Delays(frames), c.delays) << c.name;
        std::vector<int> pictures;
        for (const auto& f : frames) pictures.push_back(f.picture);
        EXPECT_EQ(pictures, c.pictures) << c.name;
    }
}

TEST(FrameTimelineTest, NoDelayBelowTwoHundredthsWhateverTheJitter) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> gap(0, 40000);  // 0..40 ms
    for (double speed : {0.5, 1.0, 2.0}) {
        std::vector<RecordingTime> times;
        RecordingTime at{};
        for (int i = 0; i < 2000; ++i) times.push_back(at += RecordingTime(gap(random)));
        const RecordingTime end = at + 50ms;
        const auto frames = Play(times, end, speed);
        for (const auto& f : frames) ASSERT_GE(f.delay, kMinFrameDelay) << speed;
        const double played = std::chrono::duration<double, std::centi>(end).count();
        EXPECT_NEAR(Total(frames), played / speed, 1.0) << speed;
    }
}

TEST(FrameTimelineTest, TheSpeedSliderScalesRealTime) {
    const std::vector<std::pair<int, double>> positions = {{1, 0.5}, {2, 0.75}, {3, 1.0}, {4, 1.5},
                                                           {5, 2.0}, {0, 0.5},  {9, 2.0}};
    for (auto [position, factor] : positions) EXPECT_EQ(SpeedFactorFor(position), factor);

    std::vector<RecordingTime> times;
    for (int i = 0; i < 30; ++i) times.push_back(RecordingTime(i * 100ms));
    EXPECT_EQ(Total(Play(times, 3s, 2.0)), 150);
    EXPECT_EQ(Total(Play(times, 3s, 0.75)), 400);
    EXPECT_EQ(Delays(Play(times, 3s, 0.5))[0], 20);
}

TEST(FrameTimelineTest, APauseLeavesNoGap) {
    RecordingClock clock;
    const auto t0 = std::chrono::steady_clock::time_point{} + 1000s;
    Timeline timeline;
    std::vector<Timeline::Timed> out;
    clock.Start(t0);
    timeline.Add(0, clock.Elapsed(t0), 1.0, out);
    timeline.Add(1, clock.Elapsed(t0 + 100ms), 1.0, out);
    clock.Pause(t0 + 130ms);
    EXPECT_EQ(clock.Elapsed(t0 + 5s), 130ms);  // frozen while paused
    timeline.CloseAt(clock.Elapsed(t0 + 130ms), 1.0, out);
    ASSERT_EQ(Delays(out), (std::vector<uint16_t>{10, 3}));  // the paused frame keeps its own

    clock.Resume(t0 + 60s);
    timeline.Add(2, clock.Elapsed(t0 + 60s + 1ms), 1.0, out);
    timeline.Add(3, clock.Elapsed(t0 + 60s + 100ms), 1.0, out);
    timeline.CloseAt(clock.Elapsed(t0 + 60s + 200ms), 1.0, out);
    EXPECT_EQ(Delays(out), (std::vector<uint16_t>{10, 3, 10, 10}));
    EXPECT_EQ(Total(out), 33);
}

TEST(FrameRateMeterTest, CountsTheLastTwoSeconds) {
    FrameRateMeter meter;
    EXPECT_EQ(meter.Rate(), 0);
    for (int i = 0; i <= 50; ++i) meter.Add(RecordingTime(i * 200ms));        // 5 a second
    for (int i = 1; i <= 20; ++i) meter.Add(10s + RecordingTime(i * 100ms));  // then 10
    EXPECT_NEAR(meter.Rate(), 10.0, 0.6);
}

}  // namespace
}  // namespace app
