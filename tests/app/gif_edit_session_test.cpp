// The preview's editing without a window: marks and their undo, and the save that trashes the
// original (as the freedesktop trash wants it), keeps it beside where there is no trash, and
// leaves it in place when the edit cannot be written.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <sys/stat.h>
#include <unistd.h>

#include "app/core/gif_edit_session.h"
#include "app/core/trash.h"
#include "gif/giflib_timeline_support.h"
#include "gif/maker_support.h"
#include "gif/tool_run_support.h"

namespace app {
namespace {

namespace fs = std::filesystem;
using gif::testing::ReadFileBytes;

// Ten frames of 16 x 16, frame i a flat grey of 20 i, delays 10 + i.
std::vector<uint8_t> TenFrames() {
    gif::GifMaker maker;
    maker.SetOptions({true, true});
    EXPECT_TRUE(maker.Create({}));
    for (int i = 0; i < 10; ++i) {
        const uint8_t grey = uint8_t(20 * i);
        gif::FrameInfo info;
        info.DelayTime = uint16_t(10 + i);
        const auto picture = gif::testing::MakeImage(16, 16, [&](uint32_t, uint32_t) {
            return gif::testing::Rgb{grey, grey, grey};
        });
        EXPECT_TRUE(maker.AddFrame(info, std::nullopt, gif::testing::Bmp32(picture)));
    }
    return gif::testing::SaveToMemory(maker);
}

class EditSessionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = gif::testing::TemporaryFolder();
        path_ = folder_ + "/rec.gif";
        original_ = TenFrames();
        gif::testing::WriteFileBytes(path_, original_);
        setenv("XDG_DATA_HOME", (folder_ + "/data").c_str(), 1);
        std::string error;
        ASSERT_TRUE(session_.Open(path_, error)) << error;
        while (!session_.IndexMore(4)) {
        }
    }
    void TearDown() override { unsetenv("XDG_DATA_HOME"); }

    std::string folder_, path_;
    std::vector<uint8_t> original_;
    GifEditSession session_;
};

TEST_F(EditSessionTest, MarksMakeThePlanAndUndoTakesThemBack) {
    ASSERT_EQ(session_.FrameCount(), 10u);
    EXPECT_FALSE(session_.Edited());
    EXPECT_TRUE(session_.SetStart(2));
    EXPECT_TRUE(session_.SetEnd(8));
    EXPECT_TRUE(session_.Delete(6, 4));  // dragged right to left
    EXPECT_TRUE(session_.SetSpeed(2.0));
    const gif::EditPlan plan = session_.Plan();
    ASSERT_EQ(plan.kept.size(), 2u);
    EXPECT_EQ(plan.kept[0].first, 2u);
    EXPECT_EQ(plan.kept[0].last, 3u);
    EXPECT_EQ(plan.kept[1].first, 7u);
    EXPECT_EQ(plan.kept[1].last, 8u);
    EXPECT_EQ(plan.speed, 2.0);
    EXPECT_EQ(session_.NextKept(3), 7u);
    EXPECT_EQ(session_.PreviousKept(7), 3u);
    // Kept time at double speed: (12 + 13 + 17 + 18) / 2.
    EXPECT_EQ(session_.KeptTime(), 30u);
    // Deleting everything that is left is refused and leaves nothing to undo for it.
    EXPECT_FALSE(session_.Delete(0, 9));
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(session_.Undo());
    EXPECT_FALSE(session_.Undo());
    EXPECT_FALSE(session_.Edited());
    // Picture of frame 5, and of frame 1 again (played from the start).
    EXPECT_EQ(session_.Picture(5)[0], 0x646464u);
    EXPECT_EQ(session_.Picture(1)[0], 0x141414u);
}

TEST_F(EditSessionTest, SaveTrashesTheOriginalAndWritesTheKeptFrames) {
    ASSERT_TRUE(session_.SetStart(3));
    ASSERT_TRUE(session_.SetEnd(5));
    const EditSaveResult saved = SaveEditedGif(path_, session_.Plan(), {}, {});
    ASSERT_EQ(saved.outcome, EditSaveResult::Outcome::Saved) << saved.detail;
    EXPECT_TRUE(saved.trashed);
    // The original, byte for byte, in the trash, with its info.
    const std::string trash = folder_ + "/data/Trash";
    EXPECT_EQ(ReadFileBytes(trash + "/files/rec.gif"), original_);
    std::ifstream info(trash + "/info/rec.gif.trashinfo");
    std::string text((std::istreambuf_iterator<char>(info)), {});
    EXPECT_EQ(text.rfind("[Trash Info]\nPath=" + path_ + "\nDeletionDate=", 0), 0u) << text;
    // The edit in its place shows frames 3 to 5 with their delays.
    const auto frames = gif::testing::FramesWithGiflib(original_);
    const auto expected = gif::testing::PickFrames(frames, {{3, 13}, {4, 14}, {5, 15}});
    EXPECT_EQ(gif::testing::TimelineDifference(expected,
                                               gif::testing::PlayWithGiflib(ReadFileBytes(path_))),
              "");
    // A second save of the same name finds a free name in the trash.
    gif::testing::WriteFileBytes(path_, original_);
    EXPECT_TRUE(SaveEditedGif(path_, session_.Plan(), {}, {}).trashed);
    EXPECT_TRUE(fs::exists(trash + "/files/rec.2.gif"));
    EXPECT_TRUE(fs::exists(trash + "/info/rec.2.gif.trashinfo"));
}

// A file on another file system than the home trash goes to the trash at the top of its own.
TEST(Trash, AnotherFileSystemUsesItsTopDirectoryTrash) {
    const fs::path shm = "/dev/shm", trash = shm / (".Trash-" + std::to_string(getuid()));
    struct stat tmp {
    }, other{};
    if (stat("/tmp", &tmp) != 0 || stat(shm.c_str(), &other) != 0 || tmp.st_dev == other.st_dev ||
        access(shm.c_str(), W_OK) != 0 || fs::exists(trash))
        GTEST_SKIP() << "no separate writable /dev/shm without a trash";
    const std::string folder = gif::testing::TemporaryFolder();
    setenv("XDG_DATA_HOME", (folder + "/data").c_str(), 1);
    const fs::path file = shm / "gif_edit_trash_test.gif";
    gif::testing::WriteFileBytes(file.string(), {1, 2, 3});
    const TrashResult result = MoveToTrash(file);
    EXPECT_TRUE(result.moved) << result.error;
    EXPECT_EQ(result.trashedAs, trash / "files" / file.filename());
    EXPECT_TRUE(fs::exists(trash / "info" / "gif_edit_trash_test.gif.trashinfo"));
    EXPECT_FALSE(fs::exists(file));
    EXPECT_TRUE(RestoreFromTrash(result, file));
    EXPECT_EQ(ReadFileBytes(file.string()), std::vector<uint8_t>({1, 2, 3}));
    std::error_code ignored;
    fs::remove(file, ignored);
    fs::remove_all(trash, ignored);
    unsetenv("XDG_DATA_HOME");
}

TEST_F(EditSessionTest, WithoutATrashTheOriginalIsKeptBeside) {
    // A data folder that is a file: no trash can be made there.
    gif::testing::WriteFileBytes(folder_ + "/data", {1});
    ASSERT_TRUE(session_.SetStart(1));
    const EditSaveResult saved = SaveEditedGif(path_, session_.Plan(), {}, {});
    ASSERT_EQ(saved.outcome, EditSaveResult::Outcome::Saved) << saved.detail;
    EXPECT_FALSE(saved.trashed);
    EXPECT_EQ(saved.keptBeside, fs::path(folder_ + "/rec-原始.gif"));
    EXPECT_EQ(ReadFileBytes(folder_ + "/rec-原始.gif"), original_);
}

TEST_F(EditSessionTest, AFailedWriteLeavesTheOriginalInPlace) {
    const EditSaveResult saved = SaveEditedGif(path_, {{{3, 12}}, 1.0}, {}, {});
    EXPECT_EQ(saved.outcome, EditSaveResult::Outcome::WriteFailed);
    EXPECT_FALSE(saved.detail.empty());
    EXPECT_EQ(ReadFileBytes(path_), original_);
    EXPECT_FALSE(fs::exists(folder_ + "/data/Trash/files/rec.gif"));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 1);
}

}  // namespace
}  // namespace app
