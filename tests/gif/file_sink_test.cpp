// Saving through symbolic links: the file a link names is replaced whole, never truncated and
// rewritten in place, so that a save that fails part-way loses nothing.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "gif/base/library_error.h"
#include "gif/io/file_io.h"
#include "maker_support.h"

namespace gif::testing {
namespace {

namespace fs = std::filesystem;

std::string Contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Put(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

size_t EntriesIn(const fs::path& folder) {
    return size_t(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

bool Save(const std::string& path, const std::string& text) {
    FileSink sink;
    sink.Open(path);
    LibraryError error;
    if (!sink.Write({reinterpret_cast<const uint8_t*>(text.data()), text.size()}, error))
        return false;
    sink.Commit();
    return true;
}

TEST(FileSink, AnUnfinishedSaveThroughALinkLeavesTheLinkedFileWhole) {
    const fs::path folder = TemporaryFolder();
    fs::create_directories(folder / "real");
    const fs::path target = folder / "real" / "old.gif";
    Put(target, "the old animation");
    // A chain of two links, the first one relative.
    fs::create_symlink("real/old.gif", folder / "middle.gif");
    fs::create_symlink(folder / "middle.gif", folder / "link.gif");
    {
        FileSink sink;
        sink.Open((folder / "link.gif").string());
        LibraryError error;
        ASSERT_TRUE(sink.Write(std::vector<uint8_t>(10, 'y'), error));
        EXPECT_EQ(Contents(target), "the old animation");  // nothing written through yet
    }  // dropped without Commit, as after a failed write
    EXPECT_EQ(Contents(target), "the old animation");
    EXPECT_EQ(EntriesIn(folder / "real"), 1u);  // no stray temporary file

    ASSERT_TRUE(Save((folder / "link.gif").string(), "new"));
    EXPECT_EQ(Contents(target), "new");
    EXPECT_TRUE(fs::is_symlink(folder / "link.gif"));
    EXPECT_TRUE(fs::is_symlink(folder / "middle.gif"));
    EXPECT_EQ(EntriesIn(folder / "real"), 1u);
    EXPECT_EQ(EntriesIn(folder), 3u);
}

TEST(FileSink, TheReplacedFileKeepsItsPermissions) {
    const fs::path folder = TemporaryFolder();
    const fs::path target = folder / "shared.gif";
    Put(target, "old");
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    fs::create_symlink(target, folder / "link.gif");
    ASSERT_TRUE(Save((folder / "link.gif").string(), "new"));
    ASSERT_TRUE(Save(target.string(), "newer"));
    struct stat info {};
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(Contents(target), "newer");
}

TEST(FileSink, ADanglingLinkIsReplacedNotFollowed) {
    const fs::path folder = TemporaryFolder();
    fs::create_directories(folder / "elsewhere");
    fs::create_symlink(folder / "elsewhere" / "planted.gif", folder / "out.gif");
    ASSERT_TRUE(Save((folder / "out.gif").string(), "gif"));
    EXPECT_FALSE(fs::is_symlink(folder / "out.gif"));
    EXPECT_EQ(Contents(folder / "out.gif"), "gif");
    EXPECT_EQ(EntriesIn(folder / "elsewhere"), 0u);
}

TEST(FileSink, ALoopOfLinksAndALinkToAFolderFailWithTheGivenPath) {
    const fs::path folder = TemporaryFolder();
    fs::create_symlink(folder / "b.gif", folder / "a.gif");
    fs::create_symlink(folder / "a.gif", folder / "b.gif");
    fs::create_directories(folder / "dir");
    fs::create_symlink(folder / "dir", folder / "dir.gif");
    for (const char* name : {"a.gif", "dir.gif"}) {
        const std::string path = (folder / name).string();
        try {
            Save(path, "gif");
            ADD_FAILURE() << name << " was written";
        } catch (const LibraryError& error) {
            EXPECT_EQ(error.Code(), ErrorCode::CreateFailed) << error.what();
            EXPECT_EQ(error.Detail().rfind(path + ": ", 0), 0u) << error.what();
        }
    }
    EXPECT_TRUE(fs::is_symlink(folder / "a.gif"));
    EXPECT_TRUE(fs::is_empty(folder / "dir"));
}

}  // namespace
}  // namespace gif::testing
