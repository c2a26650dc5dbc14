#include "app/core/recording.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "bmp_builder.h"
#include "fakes.h"
#include "recording_support.h"

namespace app {
namespace {

using apptest::EventLog;
using apptest::FakeEncoder;
using apptest::FakeView;
using namespace std::chrono_literals;

using apptest::SevenDecember;
using apptest::WaitFor;

class RecordingTest : public ::testing::Test {
  protected:
    void SetUp() override {
        desktop = std::filesystem::temp_directory_path() /
                  ("gifrec_recording_" + std::to_string(::getpid()) + "_" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(desktop);
        std::filesystem::create_directories(desktop);
        settings.Update([](CaptureSettings& s) {
            s.region = {0, 0, 8, 6};
            s.frameIntervalPosition = 1;
        });
        auto fake = std::make_unique<FakeEncoder>(log);
        encoder = fake.get();
        controller = std::make_unique<RecordingController>(RecordingController::Dependencies{
            view,
            settings,
            std::move(fake),
            [this](int32_t, int32_t, int32_t width, int32_t height, std::vector<uint8_t>& frame) {
                if (grabDelay.count()) std::this_thread::sleep_for(grabDelay);
                frame = apptest::SolidBmp(width, height, 32, apptest::Px{10, 20, 30});
            },
            desktop,
            SevenDecember,
            {},
            [this] {
                ++captureChecks;
                if (reentrantToggle) controller->ToggleRecording();  // a press while it waits
                return captureProblem;
            }});
    }
    void TearDown() override {
        controller.reset();
        std::filesystem::remove_all(desktop);
    }

    std::filesystem::path Folder() const { return desktop / "GIF动画"; }

    EventLog log;
    FakeView view{log};
    SettingsStore settings;
    FakeEncoder* encoder = nullptr;
    std::chrono::milliseconds grabDelay{0};
    std::string captureProblem;  // what the capture check answers
    int captureChecks = 0;
    bool reentrantToggle = false;
    std::filesystem::path desktop;
    std::unique_ptr<RecordingController> controller;
};

TEST(FileNameTest, MonthDayAndTimeWithLeadingZeros) {
    EXPECT_EQ(FormatTimeStamp(SevenDecember()), "1207050903");
    std::tm newYear{};
    newYear.tm_mon = 0;
    newYear.tm_mday = 1;
    EXPECT_EQ(FormatTimeStamp(newYear), "0101000000");
}

TEST_F(RecordingTest, StartsAndStopsInTheBindingOrder) {
    view.mode = 0;
    controller->ToggleRecording();
    EXPECT_EQ(view.caption, "停止");
    EXPECT_EQ(log.Events(), (std::vector<std::string>{"Minimise", "Reset", "Clear", "Create(loop)",
                                                      "OpenOverlay"}));
    ASSERT_TRUE(WaitFor([&] { return encoder->frames >= 2; }));

    log.Reset();
    controller->SetRegionFrameShown(true);
    controller->ToggleRecording();
    const std::string path = (Folder() / "1207050903.gif").string();
    EXPECT_EQ(log.Events(),
              (std::vector<std::string>{"Restore", "StopWatchingKeys", "CloseRegionFrame",
                                        "CloseOverlay", "ProcessEvents", "SaveGif", "Copy " + path,
                                        "Status", "Preview " + path}));
    EXPECT_EQ(view.caption, "录制");
    EXPECT_EQ(controller->State().fileBaseName, "1207050903");
    EXPECT_FALSE(controller->State().regionFrameShown);
    EXPECT_FALSE(controller->State().workerThread);
    EXPECT_TRUE(std::filesystem::is_directory(Folder()));
    EXPECT_NE(view.status.find("1207050903"), std::string::npos);
}

TEST_F(RecordingTest, RecordingsAreOptimisedUnlessWholeFramesAreAskedFor) {
    controller->ToggleRecording();
    EXPECT_TRUE(encoder->options.optimise);
    EXPECT_FALSE(encoder->options.exactColours);
    // A change during a recording is for the next one.
    controller->SetMakerOptions({.optimise = false, .exactColours = true});
    EXPECT_TRUE(encoder->options.optimise);
    controller->ToggleRecording();
    controller->ToggleRecording();
    EXPECT_FALSE(encoder->options.optimise);
    EXPECT_TRUE(encoder->options.exactColours);
    controller->ToggleRecording();
}

TEST_F(RecordingTest, OtherModesLeaveTheWindowAloneAndUnknownCaptionsCountAsIdle) {
    view.mode = 2;
    view.caption = "开始";
    controller->ToggleRecording();
    EXPECT_EQ(view.caption, "停止");
    const auto events = log.Events();
    EXPECT_EQ(std::count(events.begin(), events.end(), "Minimise"), 0);
    controller->ToggleRecording();
    EXPECT_EQ(log.Events()[4], "Restore");
}

TEST_F(RecordingTest, AStopNeverOverwritesAnEarlierRecording) {
    std::filesystem::create_directories(Folder());
    std::ofstream(Folder() / "1207050903.gif") << "earlier";
    std::ofstream(Folder() / "1207050903_2.gif") << "earlier";
    controller->ToggleRecording();
    ASSERT_TRUE(WaitFor([&] { return encoder->frames >= 1; }));
    controller->ToggleRecording();
    EXPECT_EQ(controller->State().fileBaseName, "1207050903_3");
    ASSERT_EQ(encoder->savedPaths.size(), 1u);
    EXPECT_EQ(encoder->savedPaths[0], (Folder() / "1207050903_3.gif").string());
    EXPECT_EQ(controller->OutputPath(), Folder() / "1207050903_3.gif");
}

TEST_F(RecordingTest, WithFixedDelaysPlaySpeedGivesTheFrameDelay) {
    controller->SetFixedDelays(true);
    for (auto [speed, delay] : {std::pair{1, 40}, std::pair{5, 0}, std::pair{3, 20}}) {
        view.playSpeed = speed;
        controller->ToggleRecording();
        EXPECT_EQ(settings.Snapshot().delayFactor, delay / 10);
        ASSERT_TRUE(WaitFor([&] { return encoder->Delays().size() >= 2; }));
        controller->ToggleRecording();
        for (uint16_t d : encoder->Delays()) EXPECT_EQ(d, delay) << "speed " << speed;
        encoder->ForgetDelays();
    }
}

TEST_F(RecordingTest, AStopBeforeTheFirstFrameReportsTheFailureAndWatchesF2Again) {
    grabDelay = 100ms;
    controller->ToggleRecording();
    log.Reset();
    controller->ToggleRecording();
    EXPECT_EQ(encoder->frames, 0);
    const auto events = log.Events();
    EXPECT_EQ(events.back(), "WatchRecordKeys");
    for (const auto& e : events) {
        EXPECT_EQ(e.rfind("Copy", 0), std::string::npos);
        EXPECT_EQ(e.rfind("Preview", 0), std::string::npos);
    }
    EXPECT_EQ(view.status, "no frames");
    EXPECT_EQ(view.caption, "录制");
}

TEST_F(RecordingTest, AFailedSaveShowsTheErrorInsteadOfTheCompletionMessage) {
    controller->ToggleRecording();
    ASSERT_TRUE(WaitFor([&] { return encoder->frames >= 1; }));
    encoder->failSave = true;
    controller->ToggleRecording();
    EXPECT_EQ(view.status, "disk full");
    EXPECT_EQ(log.Events().back(), "WatchRecordKeys");
}

TEST_F(RecordingTest, ASecondStopWhileOneRunsIsDropped) {
    controller->ToggleRecording();
    ASSERT_TRUE(WaitFor([&] { return encoder->frames >= 1; }));
    view.onProcessEvents = [&] { controller->ToggleRecording(); };
    controller->ToggleRecording();
    const auto events = log.Events();
    EXPECT_EQ(std::count(events.begin(), events.end(), "SaveGif"), 1);
    EXPECT_EQ(view.caption, "录制");
    EXPECT_FALSE(controller->State().workerThread);
}

TEST_F(RecordingTest, OnlyF2TogglesAndFrameCountsOfAnEndedRecordingAreIgnored) {
    controller->SetFixedDelays(true);
    controller->OnWatchedKey(81, 0);
    controller->OnWatchedKey(4, 1);
    EXPECT_EQ(view.caption, "录制");
    controller->OnWatchedKey(113, 1);
    EXPECT_EQ(view.caption, "停止");
    ASSERT_TRUE(WaitFor([&] { return view.lastFrame >= 3; }));
    const uint64_t recording = view.lastRecording;
    controller->OnFrameCaptured(recording, 3);
    EXPECT_EQ(view.status.substr(view.status.size() - 3), "3hz");
    controller->OnWatchedKey(113, 0);
    const std::string finished = view.status;
    controller->OnFrameCaptured(recording, 4);
    EXPECT_EQ(view.status, finished);
}

}  // namespace
}  // namespace app

namespace app {
namespace {

TEST_F(RecordingTest, ARecordingThatCouldNotSeeTheScreenDoesNotStart) {
    captureProblem = "no screen";
    view.mode = 0;
    controller->ToggleRecording();
    EXPECT_EQ(captureChecks, 1);
    EXPECT_EQ(view.caption, "录制");
    EXPECT_EQ(view.status, "no screen");
    EXPECT_FALSE(controller->State().workerThread);
    EXPECT_EQ(encoder->frames, 0);
    // Nothing was minimised, created or opened, and a second press asks again.
    EXPECT_EQ(log.Events(), (std::vector<std::string>{"Status"}));
    controller->ToggleRecording();
    EXPECT_EQ(captureChecks, 2);
    EXPECT_FALSE(std::filesystem::exists(Folder()));

    captureProblem.clear();
    controller->ToggleRecording();
    EXPECT_EQ(view.caption, "停止");
    ASSERT_TRUE(WaitFor([&] { return encoder->frames >= 1; }));
    // The stop checks nothing: it only saves what was recorded.
    controller->ToggleRecording();
    EXPECT_EQ(captureChecks, 3);
    EXPECT_EQ(view.caption, "录制");
}

TEST_F(RecordingTest, APressWhileTheCaptureCheckWaitsIsDropped) {
    reentrantToggle = true;
    view.mode = 2;
    controller->ToggleRecording();
    EXPECT_EQ(captureChecks, 1);
    EXPECT_EQ(view.caption, "停止");
    reentrantToggle = false;
    controller->ToggleRecording();
    EXPECT_NE(view.caption, "停止");
}

}  // namespace
}  // namespace app

namespace app {
namespace {

TEST_F(RecordingTest, ShiftF2PausesARunningRecordingAndTheStopEndsThePause) {
    controller->TogglePause();  // idle: nothing to pause
    EXPECT_FALSE(controller->IsPaused());
    controller->ToggleRecording();
    ASSERT_TRUE(WaitFor([&] { return encoder->frames >= 1; }));
    controller->OnWatchedKey(kKeyRecordToggle, kModifierShift);
    EXPECT_TRUE(controller->IsPaused());
    EXPECT_EQ(view.caption, "停止");
    EXPECT_TRUE(controller->State().workerThread->Paused());
    EXPECT_EQ(view.status, "已暂停, 按 Shift+F2 继续");
    controller->OnFrameCaptured(view.lastRecording, 99);  // added at the pause: no news
    EXPECT_EQ(view.status, "已暂停, 按 Shift+F2 继续");
    controller->OnWatchedKey(kKeyRecordToggle, kModifierShift);
    EXPECT_FALSE(controller->IsPaused());
    // Grabs go on once the paused title has had time to go.
    EXPECT_TRUE(controller->State().workerThread->Paused());
    EXPECT_EQ(view.RunNextTimer(), kResumeSettleMs);
    EXPECT_FALSE(controller->State().workerThread->Paused());
    controller->TogglePause();
    log.Reset();
    controller->OnWatchedKey(kKeyRecordToggle, 0);  // a stop while paused
    EXPECT_FALSE(controller->IsPaused());
    const auto events = log.Events();
    const auto resumed = std::find(events.begin(), events.end(), "Resumed");
    ASSERT_NE(resumed, events.end());
    EXPECT_LT(resumed, std::find(events.begin(), events.end(), "Restore"));
    EXPECT_EQ(std::count(events.begin(), events.end(), "SaveGif"), 1);
}

TEST_F(RecordingTest, TheCountdownComesBeforeTheFirstGrabAndF2CancelsIt) {
    controller->SetCountdown(true);
    view.mode = 2;
    controller->ToggleRecording();
    EXPECT_TRUE(controller->IsCountingDown());
    EXPECT_EQ(view.caption, "停止");
    EXPECT_EQ(view.RunNextTimer(), 1000);
    EXPECT_EQ(view.RunNextTimer(), 1000);
    EXPECT_FALSE(controller->State().workerThread);
    // The digits leave the screen before the first grab.
    EXPECT_EQ(view.RunNextTimer(), 1000 - kCountdownClearMs);
    EXPECT_FALSE(controller->State().workerThread);
    EXPECT_EQ(view.RunNextTimer(), kCountdownClearMs);
    EXPECT_TRUE(controller->State().workerThread);
    auto events = log.Events();
    const std::vector<std::string> counted(events.begin(), events.begin() + 4);
    EXPECT_EQ(counted, (std::vector<std::string>{"Countdown 3", "Countdown 2", "Countdown 1",
                                                 "Countdown 0"}));
    controller->ToggleRecording();
    EXPECT_EQ(encoder->savedPaths.size(), 1u);

    // Cancelled in full-screen mode: the window comes back and nothing is recorded.
    view.FinishBackground();
    log.Reset();
    view.mode = 0;
    controller->ToggleRecording();
    EXPECT_EQ(view.RunNextTimer(), 1000);
    controller->OnWatchedKey(kKeyRecordToggle, 0);
    EXPECT_FALSE(controller->IsCountingDown());
    EXPECT_EQ(view.caption, "录制");
    while (view.RunNextTimer() >= 0) {
    }
    EXPECT_FALSE(controller->State().workerThread);
    events = log.Events();
    EXPECT_EQ(events.front(), "Minimise");
    EXPECT_EQ(events.back(), "Status");
    EXPECT_NE(std::find(events.begin(), events.end(), "Restore"), events.end());
    EXPECT_EQ(encoder->savedPaths.size(), 1u);
}

}  // namespace
}  // namespace app
