// The end of a recording: the save in the background with its progress, the record toggle
// ignored meanwhile, a failed save kept for 重新保存, a recording that stops by itself when a frame
// cannot be added, and the journal that a crash leaves for the next start.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "app/core/recording.h"
#include "app/core/recording_journal.h"
#include "bmp_builder.h"
#include "fakes.h"
#include "gif/gif_maker.h"
#include "gif_lib.h"
#include "recording_support.h"

namespace app {
namespace {

using apptest::EventLog;
using apptest::FakeEncoder;
using apptest::FakeView;
using namespace std::chrono_literals;

using apptest::SevenDecember;
using apptest::WaitFor;

size_t Count(const std::vector<std::string>& events, const std::string& event) {
    return size_t(std::count(events.begin(), events.end(), event));
}

std::vector<std::filesystem::path> Files(const std::filesystem::path& folder,
                                         const std::string& suffix) {
    std::vector<std::filesystem::path> found;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ignored))
        if (entry.path().string().ends_with(suffix)) found.push_back(entry.path());
    return found;
}

int GiflibFrames(const std::filesystem::path& path) {
    int error = 0;
    GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
    if (!gif) return -1;
    const int frames = DGifSlurp(gif) == GIF_OK ? gif->ImageCount : -1;
    DGifCloseFile(gif, &error);
    return frames;
}

class RecordingSaveTest : public ::testing::Test {
  protected:
    void SetUp() override {
        root = std::filesystem::temp_directory_path() /
               ("gifrec_save_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(root);
        std::filesystem::create_directories(root / "desktop");
        settings.Update([](CaptureSettings& s) {
            s.region = {0, 0, 8, 6};
            s.frameIntervalPosition = 0;
        });
    }
    void TearDown() override {
        controller.reset();
        std::filesystem::remove_all(root);
    }

    void Make(std::unique_ptr<Encoder> encoder, bool journal) {
        controller = std::make_unique<RecordingController>(RecordingController::Dependencies{
            view, settings, std::move(encoder),
            [](int32_t, int32_t, int32_t width, int32_t height, std::vector<uint8_t>& frame) {
                std::this_thread::sleep_for(2ms);
                frame = apptest::SolidBmp(width, height, 32, apptest::Px{10, 20, 30});
            },
            root / "desktop", SevenDecember, journal ? Journals() : std::filesystem::path()});
    }
    FakeEncoder& MakeFake() {
        auto fake = std::make_unique<FakeEncoder>(log);
        FakeEncoder& encoder = *fake;
        Make(std::move(fake), false);
        return encoder;
    }
    std::filesystem::path Journals() const { return root / "state" / "gifrec"; }
    std::filesystem::path Output() const { return root / "desktop" / "GIF动画"; }

    EventLog log;
    FakeView view{log};
    SettingsStore settings;
    std::filesystem::path root;
    std::unique_ptr<RecordingController> controller;
};

TEST_F(RecordingSaveTest, TheStopReturnsAtOnceAndTheToggleWaitsForTheSave) {
    FakeEncoder& encoder = MakeFake();
    view.deferBackground = true;
    controller->ToggleRecording();
    ASSERT_TRUE(WaitFor([&] { return encoder.frames >= 2; }));
    controller->ToggleRecording();
    EXPECT_TRUE(controller->IsSaving());
    EXPECT_EQ(view.caption, "停止");  // until the save has ended

    // F2 and the button do nothing now: no second stop, no new recording.
    log.Reset();
    controller->OnWatchedKey(113, 0);
    controller->ToggleRecording();
    EXPECT_TRUE(log.Events().empty());

    ASSERT_TRUE(view.FinishBackground());
    const std::string path = (Output() / "1207050903.gif").string();
    EXPECT_EQ(log.Events(),
              (std::vector<std::string>{"SaveGif", "Copy " + path, "Status", "Preview " + path}));
    EXPECT_EQ(view.caption, "录制");
    EXPECT_FALSE(controller->IsSaving());
    controller->ToggleRecording();
    EXPECT_EQ(view.caption, "停止");
}

TEST_F(RecordingSaveTest, OnlyASaveLongerThanAMomentShowsItsProgress) {
    FakeEncoder& encoder = MakeFake();
    view.deferBackground = true;
    controller->ToggleRecording();
    ASSERT_TRUE(WaitFor([&] { return encoder.frames >= 1; }));
    controller->ToggleRecording();
    view.RunPosted();  // frame counts of the worker
    const std::string before = view.status;
    // Progress from the saving thread, at once and again past the quiet moment.
    const auto report = [&](size_t written) {
        std::thread([&] { encoder.progress(written, 4); }).join();
    };
    report(1);
    report(1);  // the same percentage is posted once
    EXPECT_EQ(view.RunPosted(), 1u);
    EXPECT_EQ(view.status, before);  // a short save stays quiet
    std::this_thread::sleep_for(350ms);
    report(3);
    EXPECT_EQ(view.RunPosted(), 1u);
    EXPECT_EQ(view.status, "saving 75");
    ASSERT_TRUE(view.FinishBackground());
    EXPECT_EQ(view.status, "已保存 1207050903.gif");
    // Progress that arrives after the end changes nothing.
    encoder.progress(4, 4);
    view.RunPosted();
    EXPECT_EQ(view.status, "已保存 1207050903.gif");
}

TEST_F(RecordingSaveTest, AFailedSaveKeepsTheRecordingForResave) {
    FakeEncoder& encoder = MakeFake();
    EXPECT_FALSE(controller->HasUnsavedRecording());
    controller->Resave();  // nothing to save yet
    EXPECT_TRUE(encoder.savedPaths.empty());

    controller->ToggleRecording();
    ASSERT_TRUE(WaitFor([&] { return encoder.frames >= 1; }));
    encoder.failSave = true;
    controller->ToggleRecording();
    EXPECT_EQ(view.status, "disk full");
    EXPECT_TRUE(view.resaveAvailable);
    EXPECT_TRUE(controller->HasUnsavedRecording());
    EXPECT_EQ(log.Events().back(), "WatchRecordKeys");

    encoder.failSave = false;
    log.Reset();
    controller->Resave();
    const std::string path = (Output() / "1207050903.gif").string();
    EXPECT_EQ(log.Events(), (std::vector<std::string>{"StopWatchingKeys", "SaveGif", "Copy " + path,
                                                      "Status", "Preview " + path}));
    EXPECT_FALSE(view.resaveAvailable);
    EXPECT_FALSE(controller->HasUnsavedRecording());
    ASSERT_EQ(encoder.savedPaths.size(), 2u);
    EXPECT_EQ(encoder.savedPaths[1], path);
}

TEST_F(RecordingSaveTest, AFrameThatCannotBeAddedStopsTheRecordingAndSavesTheRest) {
    FakeEncoder& encoder = MakeFake();
    encoder.failAddFrom = 3;
    controller->ToggleRecording();
    ASSERT_TRUE(WaitFor([&] {
        view.RunPosted();
        return view.caption == "录制";
    }));
    EXPECT_EQ(encoder.frames, 3);
    EXPECT_EQ(encoder.savedPaths.size(), 1u);
    EXPECT_EQ(view.status, "disk full / 1207050903.gif");
    EXPECT_FALSE(controller->State().workerThread);
    const auto events = log.Events();
    EXPECT_EQ(Count(events, "StoppedAndSaved"), 1u);
    EXPECT_EQ(Count(events, "Restore"), 1u);

    // Without a single frame there is nothing to save or keep: the reason is the status.
    encoder.failAddFrom = 0;
    controller->ToggleRecording();
    ASSERT_TRUE(WaitFor([&] {
        view.RunPosted();
        return view.caption == "录制";
    }));
    EXPECT_EQ(view.status, "no frames");  // the stand-in's reason for this case
    EXPECT_FALSE(controller->HasUnsavedRecording());
    EXPECT_FALSE(view.resaveAvailable);
}

TEST_F(RecordingSaveTest, TheJournalHoldsTheFramesAndGoesOnceSaved) {
    Make(MakeGifMakerEncoder(), true);
    controller->ToggleRecording();
    ASSERT_TRUE(WaitFor([&] { return view.lastFrame >= 3; }));
    const auto journals = Files(Journals(), ".frames");
    ASSERT_EQ(journals.size(), 1u);
    // Every frame reached the file as it was added.
    EXPECT_GE(gif::FileFrameStore::Open(journals[0].string())->Count(), 3u);
    controller->ToggleRecording();
    EXPECT_EQ(view.caption, "录制");
    EXPECT_TRUE(std::filesystem::exists(Output() / "1207050903.gif"));
    EXPECT_TRUE(Files(Journals(), ".frames").empty());
}

TEST_F(RecordingSaveTest, AnUnsavedRecordingSurvivesTheNextOneAndIsRecoveredAtTheStart) {
    Make(MakeGifMakerEncoder(), true);
    // Whole frames, so that the file has one frame per journal record.
    controller->SetMakerOptions({.optimise = false, .exactColours = false});
    // The output folder cannot be made: a file stands in its place.
    std::ofstream(Output()) << "in the way";
    controller->ToggleRecording();
    ASSERT_TRUE(WaitFor([&] { return view.lastFrame >= 3; }));
    controller->ToggleRecording();
    ASSERT_TRUE(controller->HasUnsavedRecording());
    EXPECT_TRUE(view.resaveAvailable);
    const auto kept = Files(Journals(), ".frames");
    ASSERT_EQ(kept.size(), 1u);
    const size_t frames = gif::FileFrameStore::Open(kept[0].string())->Count();
    EXPECT_GE(frames, 3u);

    // The next recording leaves it alone and has a journal of its own.
    controller->ToggleRecording();
    EXPECT_FALSE(view.resaveAvailable);
    ASSERT_TRUE(WaitFor([&] { return Files(Journals(), ".frames").size() == 2; }));
    EXPECT_EQ(gif::FileFrameStore::Open(kept[0].string())->Count(), frames);
    controller->AbandonRecording();  // as the window closing mid-recording does
    EXPECT_EQ(Files(Journals(), ".frames"), kept);
    controller.reset();

    // The next start saves it, named after its last frame's time.
    std::filesystem::remove(Output());
    Make(MakeGifMakerEncoder(), true);
    controller->RecoverLeftovers();
    EXPECT_FALSE(controller->IsSaving());
    ASSERT_EQ(view.recovered.size(), 1u)
        << (view.recoveryFailures.empty() ? std::string() : view.recoveryFailures[0]);
    EXPECT_TRUE(view.recoveryFailures.empty());
    const auto gifs = Files(Output(), ".gif");
    ASSERT_EQ(gifs.size(), 1u);
    EXPECT_EQ(gifs[0].filename().string(), view.recovered[0]);
    EXPECT_EQ(GiflibFrames(gifs[0]), int(frames));
    EXPECT_TRUE(Files(Journals(), ".frames").empty());
}

// A journal of `frames` frames of 8 x 6 pixels, as a recording leaves it.
std::filesystem::path MakeJournal(const std::filesystem::path& folder, int frames) {
    std::filesystem::path path;
    gif::GifMaker maker;
    maker.Create({});
    maker.SetFrameStore(CreateJournal(folder, path));
    for (int i = 0; i < frames; ++i)
        EXPECT_TRUE(maker.AddFrame(
            {}, std::nullopt, apptest::SolidBmp(8, 6, 32, apptest::Px{uint8_t(i * 40), 0, 0})));
    return path;
}

TEST_F(RecordingSaveTest, RecoveryNamesByTheLastFrameAndLeavesHeldJournalsAlone) {
    const std::filesystem::path journals = Journals();
    const auto older = MakeJournal(journals, 2);
    const auto empty = MakeJournal(journals, 0);
    std::ofstream(journals / "stray.frames") << "not a journal";
    // One that a running gifrec records into: locked.
    std::filesystem::path heldPath;
    std::unique_ptr<gif::FileFrameStore> held = CreateJournal(journals, heldPath);

    const auto lastFrame = std::chrono::sys_seconds(std::chrono::seconds(1700000000));
    std::filesystem::last_write_time(older, std::chrono::file_clock::from_sys(lastFrame));
    std::vector<std::time_t> asked;
    const RecoveryReport report =
        RecoverJournals(journals, Output(), gif::AnimationInfo{}, [&](std::time_t time) {
            asked.push_back(time);
            return SevenDecember();
        });
    EXPECT_EQ(asked, std::vector<std::time_t>{1700000000});
    EXPECT_EQ(report.savedNames, std::vector<std::string>{"1207050903.gif"});
    ASSERT_EQ(report.failures.size(), 1u);
    EXPECT_NE(report.failures[0].find("stray.frames"), std::string::npos) << report.failures[0];
    EXPECT_EQ(GiflibFrames(Output() / "1207050903.gif"), 2);
    EXPECT_FALSE(std::filesystem::exists(older));
    EXPECT_FALSE(std::filesystem::exists(empty));
    EXPECT_TRUE(std::filesystem::exists(heldPath));
    EXPECT_TRUE(std::filesystem::exists(journals / "stray.frames"));

    // A second recovery names its GIF beside the first instead of over it, and a link of the
    // next name, even one leading nowhere, counts as taken and is never followed.
    held.reset();
    MakeJournal(journals, 1);
    const std::filesystem::path elsewhere = Output().parent_path() / "elsewhere.gif";
    std::filesystem::create_symlink(elsewhere, Output() / "1207050903_2.gif");
    const RecoveryReport again = RecoverJournals(journals, Output(), gif::AnimationInfo{},
                                                 [](std::time_t) { return SevenDecember(); });
    EXPECT_EQ(again.savedNames.size(), 1u);  // the one just made; the other had no frame
    EXPECT_EQ(again.savedNames[0], "1207050903_3.gif");
    EXPECT_EQ(GiflibFrames(Output() / "1207050903.gif"), 2);
    EXPECT_EQ(GiflibFrames(Output() / "1207050903_3.gif"), 1);
    EXPECT_FALSE(std::filesystem::exists(elsewhere));
}

}  // namespace
}  // namespace app
