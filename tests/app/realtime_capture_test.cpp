// The real-time capture on a clock the test moves: the schedule, the merging when the encoder
// falls behind, and pauses.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "app/core/capture_worker.h"
#include "bmp_builder.h"
#include "fakes.h"
#include "recording_support.h"

namespace app {
namespace {

using namespace std::chrono_literals;

class FakeClock final : public Clock {
  public:
    Time Now() override {
        std::lock_guard lock(mutex_);
        return now_;
    }
    void WaitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& wake, Time deadline,
                   const std::function<bool()>& done) override {
        {
            std::lock_guard guard(mutex_);
            waiters_.push_back({&wake, lock.mutex(), deadline});
        }
        wake.wait(lock, [&] { return done() || Now() >= deadline; });
        std::lock_guard guard(mutex_);
        std::erase_if(waiters_, [&](const Waiter& w) { return w.wake == &wake; });
    }
    void Advance(std::chrono::milliseconds step) {
        std::vector<Waiter> waiters;
        {
            std::lock_guard lock(mutex_);
            now_ += step;
            waiters = waiters_;
        }
        for (const Waiter& w : waiters) {
            { std::lock_guard lock(*w.mutex); }
            w.wake->notify_all();
        }
    }
    // True once a thread waits for a time still to come.
    bool WaitParked() {
        return apptest::WaitFor([this] {
            std::lock_guard lock(mutex_);
            return std::any_of(waiters_.begin(), waiters_.end(),
                               [this](const Waiter& w) { return w.deadline > now_; });
        });
    }
    std::chrono::milliseconds Since(Time start) {
        return std::chrono::duration_cast<std::chrono::milliseconds>(Now() - start);
    }

  private:
    struct Waiter {
        std::condition_variable* wake;
        std::mutex* mutex;
        Time deadline;
    };
    std::mutex mutex_;
    Time now_ = Time{} + 1000s;
    std::vector<Waiter> waiters_;
};

class RealTimeCaptureTest : public ::testing::Test {
  protected:
    void SetUp() override {
        settings.Update([](CaptureSettings& s) {
            s.region = {0, 0, 8, 8};
            s.frameIntervalPosition = 2;  // 100 ms
        });
        start = clock.Now();
        worker = std::make_unique<CaptureWorker>(
            encoder, frameInfo, settings,
            [this](int32_t, int32_t, int32_t w, int32_t h, std::vector<uint8_t>& frame) {
                std::lock_guard lock(mutex);
                grabs.push_back(clock.Since(start));
                frame = apptest::SolidBmp(w, h, 32, apptest::Px{uint8_t(grabs.size()), 0, 0});
            },
            [this](uint32_t n, double) { reported = n; }, clock);
    }
    // Moves the clock on by `steps` intervals, each after the worker has settled.
    void RunIntervals(int steps) {
        for (int i = 0; i < steps; ++i) {
            ASSERT_TRUE(clock.WaitParked());
            clock.Advance(100ms);
        }
        ASSERT_TRUE(clock.WaitParked());
    }
    int TotalDelay() {
        const auto delays = encoder.Delays();
        return std::accumulate(delays.begin(), delays.end(), 0);
    }

    FakeClock clock;
    Clock::Time start;
    apptest::EventLog log;
    apptest::FakeEncoder encoder{log};
    gif::FrameInfo frameInfo;
    SettingsStore settings;
    std::mutex mutex;
    std::vector<std::chrono::milliseconds> grabs;
    std::atomic<uint32_t> reported{0};
    std::unique_ptr<CaptureWorker> worker;
};

TEST_F(RealTimeCaptureTest, ASlowEncoderGetsMergedFramesWhileGrabsKeepTheirSchedule) {
    std::mutex gateMutex;
    std::condition_variable gate;
    bool open = false;
    encoder.onAddFrame = [&] {
        std::unique_lock lock(gateMutex);
        gate.wait(lock, [&] { return open; });
    };
    worker->Start();
    RunIntervals(30);
    {
        std::lock_guard lock(mutex);
        ASSERT_EQ(grabs.size(), 31u);
        for (size_t i = 0; i < grabs.size(); ++i) EXPECT_EQ(grabs[i], i * 100ms) << i;
    }
    EXPECT_GT(worker->PicturesMerged(), 20u);
    EXPECT_LE(worker->PictureBuffersMade(), kPictureQueueCapacity + 5);  // not one per grab

    {
        std::lock_guard lock(gateMutex);
        open = true;
    }
    gate.notify_all();
    clock.Advance(50ms);
    worker->Stop();
    const auto delays = encoder.Delays();
    EXPECT_LT(delays.size(), 10u);
    EXPECT_EQ(TotalDelay(), 305);  // from the first grab to the stop
    for (uint16_t delay : delays) EXPECT_GE(delay, kMinFrameDelay);
}

TEST_F(RealTimeCaptureTest, PausedTimeIsLeftOutAndWhatCameBeforeIsAddedAtThePause) {
    worker->Start();
    RunIntervals(5);
    clock.Advance(30ms);
    worker->SetPaused(true);
    // Everything grabbed before the pause reaches the encoder (and so the journal).
    ASSERT_TRUE(apptest::WaitFor([&] { return encoder.frames == 6; }));
    EXPECT_EQ(TotalDelay(), 53);
    clock.Advance(10s);
    worker->SetPaused(false);
    RunIntervals(3);
    clock.Advance(20ms);
    worker->Stop();
    std::lock_guard lock(mutex);
    ASSERT_EQ(grabs.size(), 10u);
    EXPECT_EQ(grabs[6], 10530ms);  // the first grab after the pause comes at once
    EXPECT_EQ(TotalDelay(), 53 + 32);
    EXPECT_EQ(encoder.frames, 10);
    EXPECT_EQ(reported, 10u);
}

TEST_F(RealTimeCaptureTest, ThePlaySpeedScalesTheTimeUpToTheStop) {
    settings.Update([](CaptureSettings& s) { s.speedFactor = 2.0; });
    worker->Start();
    RunIntervals(3);
    clock.Advance(50ms);
    worker->Stop();
    EXPECT_EQ(encoder.Delays(), (std::vector<uint16_t>{5, 5, 5, 3}));  // 350 ms played in 180
}

TEST_F(RealTimeCaptureTest, AGrabThatEndsAfterTheStopIsNotRecorded) {
    std::atomic<int> grabbed{0};
    worker = std::make_unique<CaptureWorker>(
        encoder, frameInfo, settings,
        [&](int32_t, int32_t, int32_t w, int32_t h, std::vector<uint8_t>& frame) {
            // The third grab sees the stop key's window coming back.
            if (++grabbed == 3) worker->MarkStop();
            frame = apptest::SolidBmp(w, h, 32, apptest::Px{1, 2, 3});
        },
        nullptr, clock);
    worker->Start();
    ASSERT_TRUE(clock.WaitParked());
    clock.Advance(100ms);
    ASSERT_TRUE(clock.WaitParked());
    clock.Advance(100ms);
    ASSERT_TRUE(apptest::WaitFor([&] { return grabbed == 3; }));
    worker->Stop();
    EXPECT_EQ(encoder.frames, 2);
    EXPECT_EQ(TotalDelay(), 20);
}

}  // namespace
}  // namespace app
