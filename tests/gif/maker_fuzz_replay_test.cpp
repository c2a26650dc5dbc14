// The maker's fuzz seeds and regressions and the third-party pictures, replayed through the
// fuzz body.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "common/fuzz_inputs.h"
#include "fuzz/maker_fuzz_body.h"

namespace {

TEST(MakerFuzzReplay, SeedsRegressionsAndPicturesKeepTheInvariants) {
    auto inputs = testsupport::FuzzInputs("maker");
    EXPECT_GE(inputs.size(), 16u);
    const auto pictures = testsupport::FilesIn(std::filesystem::path(GIFREC_TESTDATA) / "pictures");
    ASSERT_FALSE(pictures.empty());
    inputs.insert(inputs.end(), pictures.begin(), pictures.end());
    for (const auto& path : inputs) {
        const std::vector<uint8_t> bytes = testsupport::ReadInput(path);
        EXPECT_TRUE(gif::fuzzing::FuzzMaker(bytes.data(), bytes.size())) << path;
    }
}

}  // namespace
