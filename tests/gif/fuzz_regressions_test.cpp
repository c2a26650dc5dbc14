// Inputs that once broke a fuzz target, and the reader's seed files, replayed through the
// fuzz target's own body under the ordinary test run (and under the sanitizers).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/fuzz_inputs.h"
#include "fuzz/edit_fuzz_body.h"
#include "fuzz/reader_fuzz_body.h"

namespace {

using testsupport::FilesIn;
using testsupport::FuzzInputs;

void Replay(const std::vector<std::filesystem::path>& files, size_t atLeast) {
    EXPECT_GE(files.size(), atLeast);
    for (const auto& path : files) {
        SCOPED_TRACE(path.string());
        const std::vector<uint8_t> bytes = testsupport::ReadInput(path);
        gif::fuzzing::FuzzReader(bytes.data(), bytes.size());
    }
}

TEST(FuzzRegressions, ReaderSeedsAndRegressions) {
    Replay(FuzzInputs("reader"), 9);
}

TEST(FuzzRegressions, ThirdPartyPictures) {
    Replay(FilesIn(std::filesystem::path(GIFREC_TESTDATA) / "pictures"), 0);
}

// Short inputs of every length, so each early end of the header and first blocks is met.
TEST(FuzzRegressions, EveryPrefixOfASeed) {
    const auto seeds = FilesIn(std::filesystem::path(GIFREC_SOURCE_DIR) / "fuzz/seeds/reader");
    ASSERT_FALSE(seeds.empty());
    const std::vector<uint8_t> bytes = testsupport::ReadInput(seeds.front());
    for (size_t length = 0; length <= std::min<size_t>(bytes.size(), 2000); ++length)
        gif::fuzzing::FuzzReader(bytes.data(), length);
}

// The reader's inputs and every prefix of its first seed through the streaming edits.
TEST(FuzzRegressions, EditsOfReaderInputs) {
    for (const auto& path : FuzzInputs("reader")) {
        SCOPED_TRACE(path.string());
        const std::vector<uint8_t> bytes = testsupport::ReadInput(path);
        gif::fuzzing::FuzzEdit(bytes.data(), bytes.size());
        for (size_t length = 0; length <= std::min<size_t>(bytes.size(), 600); ++length)
            gif::fuzzing::FuzzEdit(bytes.data(), length);
    }
    for (const auto& path : FilesIn(std::filesystem::path(GIFREC_TESTDATA) / "pictures")) {
        const std::vector<uint8_t> bytes = testsupport::ReadInput(path);
        gif::fuzzing::FuzzEdit(bytes.data(), bytes.size());
    }
    for (const auto& path : FuzzInputs("edit")) {
        SCOPED_TRACE(path.string());
        const std::vector<uint8_t> bytes = testsupport::ReadInput(path);
        gif::fuzzing::FuzzEdit(bytes.data(), bytes.size());
    }
}

}  // namespace
