#include "app/core/capture_worker.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "app/core/watermark.h"
#include "bmp_builder.h"
#include "fakes.h"

namespace app {
namespace {

using namespace std::chrono_literals;

struct Grab {
    int32_t left, top, width, height;
};

class CaptureWorkerTest : public ::testing::Test {
  protected:
    CaptureWorker& MakeWorker() {
        worker = std::make_unique<CaptureWorker>(
            encoder, frameInfo, settings,
            [this](int32_t l, int32_t t, int32_t w, int32_t h, std::vector<uint8_t>& frame) {
                {
                    std::lock_guard lock(mutex);
                    grabs.push_back({l, t, w, h});
                }
                if (w > 0 && h > 0) frame = apptest::SolidBmp(w, h, 32, apptest::Px{50, 60, 70});
            },
            [this](uint32_t n, double) { reported = n; });
        // These cases are the fixed-delay loop's; real time has tests of its own.
        worker->SetFixedDelays(true);
        return *worker;
    }

    apptest::EventLog log;
    apptest::FakeEncoder encoder{log};
    gif::FrameInfo frameInfo;
    SettingsStore settings;
    std::mutex mutex;
    std::vector<Grab> grabs;
    std::atomic<uint32_t> reported{0};
    std::unique_ptr<CaptureWorker> worker;
};

bool WaitFor(const std::function<bool()>& done) {
    for (int i = 0; i < 2000 && !done(); ++i) std::this_thread::sleep_for(5ms);
    return done();
}

TEST_F(CaptureWorkerTest, GrabsTheRegionReadEveryFrameAndCountsFrames) {
    settings.Update([](CaptureSettings& s) {
        s.region = {10, 20, 30, 25};
        s.frameIntervalPosition = 0;
        s.delayFactor = 4;
    });
    MakeWorker().Start();
    ASSERT_TRUE(WaitFor([&] { return reported >= 3; }));
    settings.Update([](CaptureSettings& s) { s.region = {0, 0, 4, 4}; });
    const int before = encoder.frames;
    ASSERT_TRUE(WaitFor([&] { return encoder.frames >= before + 3; }));
    worker->Stop();
    std::lock_guard lock(mutex);
    EXPECT_EQ(grabs.front().left, 10);
    EXPECT_EQ(grabs.front().top, 20);
    EXPECT_EQ(grabs.front().width, 20);
    EXPECT_EQ(grabs.front().height, 5);
    EXPECT_EQ(grabs.back().width, 4);
    EXPECT_EQ(frameInfo.DelayTime, 40);
}

TEST_F(CaptureWorkerTest, HiddenRectanglesArePaintedOverBeforeTheFrameIsAdded) {
    // The grab's left half is dark, its right half light: the hidden part in the light half
    // takes the dark colour of its left neighbour. Pixels are in frame coordinates.
    worker = std::make_unique<CaptureWorker>(
        encoder, frameInfo, settings,
        [](int32_t, int32_t, int32_t w, int32_t h, std::vector<uint8_t>& frame) {
            frame = apptest::MakeBmp(w, h, 32, [w](int x, int) {
                return x < w / 2 ? apptest::Px{10, 10, 10} : apptest::Px{240, 240, 240};
            });
        },
        nullptr);
    worker->SetFixedDelays(true);
    settings.Update([](CaptureSettings& s) {
        s.region = {100, 100, 140, 120};
        s.frameIntervalPosition = 0;
        s.hidden = {{120, 104, 130, 110}};
    });
    worker->Start();
    ASSERT_TRUE(WaitFor([&] { return encoder.frames >= 2; }));
    worker->Stop();
    const std::vector<uint8_t> frame = encoder.LastPicture();
    EXPECT_EQ(apptest::PixelOf(frame, 25, 5), (apptest::Px{10, 10, 10}));
    EXPECT_EQ(apptest::PixelOf(frame, 29, 9), (apptest::Px{10, 10, 10}));
    EXPECT_EQ(apptest::PixelOf(frame, 30, 5), (apptest::Px{240, 240, 240}));
    EXPECT_EQ(apptest::PixelOf(frame, 25, 3), (apptest::Px{240, 240, 240}));
}

TEST_F(CaptureWorkerTest, AnEmptyRegionLosesEveryFrameButKeepsCounting) {
    settings.Update([](CaptureSettings& s) {
        s.region = {100, 100, 100, 50};
        s.frameIntervalPosition = 0;
    });
    MakeWorker().Start();
    ASSERT_TRUE(WaitFor([&] { return reported >= 3; }));
    worker->Stop();
    EXPECT_EQ(encoder.frames, 0);
    EXPECT_GE(encoder.Delays().size(), 3u);
}

TEST_F(CaptureWorkerTest, AScreenOutOfReachForTwoSecondsEndsTheRecordingWithTheReason) {
    settings.Update([](CaptureSettings& s) {
        s.region = {0, 0, 8, 8};
        s.frameIntervalPosition = 0;
    });
    std::atomic<int> grabbed{0};
    worker = std::make_unique<CaptureWorker>(
        encoder, frameInfo, settings,
        [&](int32_t, int32_t, int32_t w, int32_t h, std::vector<uint8_t>& frame) {
            // Two frames, then the desktop ends the screen cast.
            if (++grabbed <= 2) frame = apptest::SolidBmp(w, h, 32, apptest::Px{1, 2, 3});
        },
        [](uint32_t, double) {});
    worker->SetFixedDelays(true);
    std::mutex reasonMutex;
    std::string reason;
    worker->SetFailureReport([&](const std::string& text) {
        std::lock_guard lock(reasonMutex);
        reason = text;
    });
    const auto start = std::chrono::steady_clock::now();
    worker->Start();
    ASSERT_TRUE(WaitFor([&] {
        std::lock_guard lock(reasonMutex);
        return !reason.empty();
    }));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 2s);
    const int grabs = grabbed;
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(grabbed, grabs);  // the worker has ended
    EXPECT_EQ(encoder.frames, 2);
    std::lock_guard lock(reasonMutex);
    EXPECT_NE(reason.find("屏幕已无法录制"), std::string::npos) << reason;
}

TEST_F(CaptureWorkerTest, WithoutAPictureTheBuiltInWatermarkIsUsedAtItsOwnSize) {
    settings.Update([](CaptureSettings& s) {
        s.region = {0, 0, 8, 8};
        s.watermarkOn = true;
        s.watermarkWidth = 196;
        s.watermarkHeight = 33;
    });
    MakeWorker().Start();
    ASSERT_TRUE(WaitFor([&] { return encoder.frames >= 1; }));
    worker->Stop();
    const CaptureSettings after = settings.Snapshot();
    EXPECT_EQ(after.watermarkWidth, kBuiltinWatermarkSide);
    EXPECT_EQ(after.watermarkHeight, kBuiltinWatermarkSide);

    // A picture of the picture box keeps the sizes it was given.
    settings.Update([](CaptureSettings& s) {
        s.watermarkPicture = std::make_shared<PictureBytes>(apptest::SolidBmp(3, 3, 24, {1, 2, 3}));
        s.watermarkWidth = 3;
        s.watermarkHeight = 3;
    });
    MakeWorker().Start();
    ASSERT_TRUE(WaitFor([&] { return encoder.frames >= 2; }));
    worker->Stop();
    EXPECT_EQ(settings.Snapshot().watermarkWidth, 3);
}

TEST_F(CaptureWorkerTest, StopEndsTheSleepAtOnce) {
    // An interval far beyond the slider's range: only a stop that wakes the sleep returns.
    settings.Update([](CaptureSettings& s) {
        s.region = {0, 0, 4, 4};
        s.frameIntervalPosition = 1000000;
    });
    MakeWorker().Start();
    ASSERT_TRUE(WaitFor([&] { return encoder.frames >= 1; }));
    worker->Stop();
    EXPECT_EQ(encoder.frames, 1);
    EXPECT_EQ(reported, 0u);
}

TEST_F(CaptureWorkerTest, AnAddFrameThatHasBegunCompletesBeforeStopReturns) {
    settings.Update([](CaptureSettings& s) {
        s.region = {0, 0, 4, 4};
        s.frameIntervalPosition = 0;
    });
    std::atomic<bool> entered{false};
    std::atomic<bool> finished{false};
    encoder.onAddFrame = [&] {
        if (entered.exchange(true)) return;
        std::this_thread::sleep_for(100ms);
        finished = true;
    };
    MakeWorker().Start();
    ASSERT_TRUE(WaitFor([&] { return entered.load(); }));
    worker->Stop();
    EXPECT_TRUE(finished);
    EXPECT_EQ(encoder.frames, 1);
}

// A full-screen recording must not show gifrec's own window on its way off the screen.
TEST_F(CaptureWorkerTest, FirstGrabWaitsForTheGateThenGrabsEveryFrame) {
    settings.Update([](CaptureSettings& s) {
        s.region = {0, 0, 4, 4};
        s.frameIntervalPosition = 0;
    });
    std::atomic<bool> open{false};
    std::atomic<int> asked{0};
    CaptureWorker& w = MakeWorker();
    w.SetFirstGrabGate(
        [&] {
            ++asked;
            return open.load();
        },
        60s);
    w.Start();
    ASSERT_TRUE(WaitFor([&] { return asked >= 3; }));
    {
        std::lock_guard lock(mutex);
        EXPECT_TRUE(grabs.empty()) << "grabbed before the window had gone";
    }
    open = true;
    ASSERT_TRUE(WaitFor([&] { return reported >= 3; }));
    const int askedOnce = asked;
    ASSERT_TRUE(WaitFor([&] { return reported >= 6; }));
    EXPECT_EQ(asked, askedOnce) << "the gate holds only the first grab";
}

TEST_F(CaptureWorkerTest, AGateThatNeverOpensDelaysTheFirstGrabOnlyForItsLimit) {
    settings.Update([](CaptureSettings& s) {
        s.region = {0, 0, 4, 4};
        s.frameIntervalPosition = 0;
    });
    CaptureWorker& w = MakeWorker();
    w.SetFirstGrabGate([] { return false; }, 50ms);
    w.Start();
    EXPECT_TRUE(WaitFor([&] { return reported >= 2; }));
}

TEST_F(CaptureWorkerTest, AStopWhileWaitingAtTheGateGrabsNothing) {
    settings.Update([](CaptureSettings& s) { s.region = {0, 0, 4, 4}; });
    std::atomic<int> asked{0};
    CaptureWorker& w = MakeWorker();
    w.SetFirstGrabGate(
        [&] {
            ++asked;
            return false;
        },
        3600s);
    w.Start();
    ASSERT_TRUE(WaitFor([&] { return asked >= 1; }));
    w.Stop();
    std::lock_guard lock(mutex);
    EXPECT_TRUE(grabs.empty());
    EXPECT_EQ(encoder.frames, 0);
}

}  // namespace
}  // namespace app
