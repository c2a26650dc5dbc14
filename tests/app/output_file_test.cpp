// The recorder's output folder and file: links are never followed, and a folder that cannot be
// made is reported for what it is.
#include "app/core/output_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <fstream>

#include "app/core/recording.h"
#include "bmp_builder.h"
#include "fakes.h"
#include "recording_support.h"

namespace app {
namespace {

namespace fs = std::filesystem;

class OutputFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        root = fs::temp_directory_path() /
               ("gifrec_output_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        fs::create_directories(root / "desktop");
    }
    void TearDown() override {
        controller.reset();
        fs::permissions(root / "desktop", fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(root);
    }

    // A controller saving under `desktop` through the stand-in encoder; one recording of a
    // frame or more, stopped.
    void RecordOnce(const fs::path& desktop) {
        settings.Update([](CaptureSettings& s) {
            s.region = {0, 0, 8, 6};
            s.frameIntervalPosition = 1;
        });
        auto fake = std::make_unique<apptest::FakeEncoder>(log);
        encoder = fake.get();
        controller = std::make_unique<RecordingController>(RecordingController::Dependencies{
            view, settings, std::move(fake),
            [](int32_t, int32_t, int32_t w, int32_t h, std::vector<uint8_t>& frame) {
                frame = apptest::SolidBmp(w, h, 32, apptest::Px{10, 20, 30});
            },
            desktop, apptest::SevenDecember});
        controller->ToggleRecording();
        ASSERT_TRUE(apptest::WaitFor([&] { return encoder->frames >= 1; }));
        controller->ToggleRecording();
    }

    fs::path Folder() const { return root / "desktop" / "GIF动画"; }

    fs::path root;
    apptest::EventLog log;
    apptest::FakeView view{log};
    SettingsStore settings;
    apptest::FakeEncoder* encoder = nullptr;
    std::unique_ptr<RecordingController> controller;
};

TEST_F(OutputFileTest, ALinkOfTheChosenNameIsTakenAndNeverFollowed) {
    fs::create_directories(Folder());
    // One leading nowhere, one to another GIF: both names are taken, both targets untouched.
    fs::create_symlink(root / "elsewhere.gif", Folder() / "1207050903.gif");
    std::ofstream(root / "other.gif") << "other";
    fs::create_symlink(root / "other.gif", Folder() / "1207050903_2.gif");
    EXPECT_EQ(UniqueFileBaseName(Folder(), "1207050903"), "1207050903_3");

    RecordOnce(root / "desktop");
    EXPECT_EQ(controller->State().fileBaseName, "1207050903_3");
    ASSERT_EQ(encoder->savedPaths.size(), 1u);
    EXPECT_EQ(encoder->savedPaths[0], (Folder() / "1207050903_3.gif").string());
    EXPECT_FALSE(fs::exists(root / "elsewhere.gif"));
    EXPECT_TRUE(fs::is_symlink(Folder() / "1207050903.gif"));
    std::ifstream other(root / "other.gif");
    std::string text;
    other >> text;
    EXPECT_EQ(text, "other");
    // The name is ours from the moment it is chosen: a plain file, not a link.
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(Folder() / "1207050903_3.gif")));
}

TEST_F(OutputFileTest, AFailedSaveLeavesNoEmptyFileBehind) {
    std::string name;
    fs::create_directories(Folder());
    ASSERT_EQ(ReserveOutputFile(Folder(), "0101000000", name), "");
    EXPECT_EQ(name, "0101000000");
    ASSERT_EQ(ReserveOutputFile(Folder(), "0101000000", name), "");
    EXPECT_EQ(name, "0101000000_2");

    view.mode = 2;
    settings.Update([](CaptureSettings& s) { s.region = {0, 0, 8, 6}; });
    auto fake = std::make_unique<apptest::FakeEncoder>(log);
    fake->failSave = true;
    encoder = fake.get();
    controller = std::make_unique<RecordingController>(RecordingController::Dependencies{
        view, settings, std::move(fake),
        [](int32_t, int32_t, int32_t w, int32_t h, std::vector<uint8_t>& frame) {
            frame = apptest::SolidBmp(w, h, 32, apptest::Px{1, 2, 3});
        },
        root / "desktop", apptest::SevenDecember});
    controller->ToggleRecording();
    ASSERT_TRUE(apptest::WaitFor([&] { return encoder->frames >= 1; }));
    controller->ToggleRecording();
    EXPECT_TRUE(controller->HasUnsavedRecording());
    EXPECT_FALSE(fs::exists(Folder() / "1207050903.gif"));
    // A file that is not empty is never taken away.
    std::ofstream(Folder() / "kept.gif") << "GIF89a";
    DropEmptyOutputFile(Folder() / "kept.gif");
    EXPECT_TRUE(fs::exists(Folder() / "kept.gif"));
}

TEST_F(OutputFileTest, AFolderThatCannotBeMadeIsReportedForWhatItIs) {
    // "GIF动画" is a file.
    std::ofstream(Folder()) << "not a folder";
    std::string error = PrepareOutputFolder(root / "desktop", Folder());
    EXPECT_NE(error.find(Folder().string()), std::string::npos) << error;
    EXPECT_NE(error.find("文件已存在"), std::string::npos) << error;
    fs::remove(Folder());

    // The desktop is a file.
    const fs::path fileDesktop = root / "desktop.txt";
    std::ofstream(fileDesktop) << "x";
    error = PrepareOutputFolder(fileDesktop, fileDesktop / "GIF动画");
    EXPECT_NE(error.find(fileDesktop.string() + " 不是文件夹"), std::string::npos) << error;

    // A desktop we may not write in (the system's administrator may write anywhere).
    if (::geteuid() != 0) {
        fs::permissions(root / "desktop", fs::perms::owner_read | fs::perms::owner_exec);
        error = PrepareOutputFolder(root / "desktop", Folder());
        EXPECT_NE(error.find(std::strerror(EACCES)), std::string::npos) << error;
        fs::permissions(root / "desktop", fs::perms::owner_all);
    }
    EXPECT_EQ(PrepareOutputFolder(root / "desktop", Folder()), "");
    EXPECT_TRUE(fs::is_directory(Folder()));
    EXPECT_EQ(PrepareOutputFolder(root / "desktop", Folder()), "");  // there already
}

TEST_F(OutputFileTest, TheStopTellsTheRealCauseAndKeepsTheRecording) {
    std::ofstream(Folder()) << "not a folder";
    RecordOnce(root / "desktop");
    EXPECT_TRUE(encoder->savedPaths.empty());
    EXPECT_NE(view.status.find("无法创建文件夹 " + Folder().string()), std::string::npos)
        << view.status;
    EXPECT_TRUE(controller->HasUnsavedRecording());
    EXPECT_EQ(view.caption, kCaptionIdle);

    // Once the way is clear, a resave succeeds.
    fs::remove(Folder());
    controller->Resave();
    ASSERT_EQ(encoder->savedPaths.size(), 1u);
    EXPECT_EQ(encoder->savedPaths[0], (Folder() / "1207050903.gif").string());
}

TEST_F(OutputFileTest, ADesktopAtTheRootIsRefused) {
    // HOME unset gives "//Desktop"; nothing may be made at the top of the file system.
    for (const char* desktop : {"//Desktop", "/Desktop", "/", "/Desktop/", "/./Desktop"}) {
        const std::string error = PrepareOutputFolder(desktop, fs::path(desktop) / "GIF动画");
        EXPECT_NE(error.find("HOME"), std::string::npos) << desktop;
    }
    EXPECT_EQ(PrepareOutputFolder(root / "desktop", Folder()), "");
    // The current folder, when no desktop is known, stays allowed.
    const fs::path saved = fs::current_path();
    fs::current_path(root);
    EXPECT_EQ(PrepareOutputFolder("", "GIF动画"), "");
    fs::current_path(saved);

    RecordOnce("//Desktop");
    EXPECT_TRUE(encoder->savedPaths.empty());
    EXPECT_NE(view.status.find("HOME"), std::string::npos) << view.status;
    EXPECT_TRUE(controller->HasUnsavedRecording());
    EXPECT_FALSE(fs::exists("/Desktop/GIF动画"));
}

}  // namespace
}  // namespace app
