// Inputs that once broke a fuzz target, and the reader's seed files, replayed through the
// fuzz target's own body under the ordinary test run (and under the sanitizers).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/reader_fuzz_body.h"

namespace {

std::vector<std::filesystem::path> FilesIn(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> files;
    if (!std::filesystem::is_directory(folder)) return files;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.is_regular_file() && entry.path().filename() != "README.md")
            files.push_back(entry.path());
    return files;
}

void Replay(const std::filesystem::path& folder, size_t atLeast) {
    const auto files = FilesIn(folder);
    EXPECT_GE(files.size(), atLeast) << folder;
    for (const auto& path : files) {
        SCOPED_TRACE(path.string());
        std::ifstream file(path, std::ios::binary);
        const std::vector<uint8_t> bytes(std::istreambuf_iterator<char>(file), {});
        gif::fuzzing::FuzzReader(bytes.data(), bytes.size());
    }
}

TEST(FuzzRegressions, ReaderRegressions) {
    Replay(std::filesystem::path(GIFREC_SOURCE_DIR) / "tests/gif/regressions", 1);
}

TEST(FuzzRegressions, ReaderSeeds) {
    Replay(std::filesystem::path(GIFREC_SOURCE_DIR) / "fuzz/seeds/reader", 5);
}

TEST(FuzzRegressions, ThirdPartyPictures) {
    Replay(std::filesystem::path(GIFREC_TESTDATA) / "pictures", 0);
}

// Short inputs of every length, so each early end of the header and first blocks is met.
TEST(FuzzRegressions, EveryPrefixOfASeed) {
    const auto seeds = FilesIn(std::filesystem::path(GIFREC_SOURCE_DIR) / "fuzz/seeds/reader");
    ASSERT_FALSE(seeds.empty());
    std::ifstream file(seeds.front(), std::ios::binary);
    const std::vector<uint8_t> bytes(std::istreambuf_iterator<char>(file), {});
    for (size_t length = 0; length <= std::min<size_t>(bytes.size(), 2000); ++length)
        gif::fuzzing::FuzzReader(bytes.data(), length);
}

}  // namespace
