// The decoder's and the DIB object's fuzz bodies over their seeds, their regressions and the
// third-party pictures.
#include <gtest/gtest.h>

#include <string>

#include "common/fuzz_inputs.h"
#include "fuzz/decode_fuzz_body.h"
#include "fuzz/dib_fuzz_body.h"

namespace bitmap {
namespace {

using testsupport::FilesIn;
using testsupport::FuzzInputs;
using testsupport::ReadInput;

TEST(FuzzReplay, DecodeKeepsItsInvariants) {
    auto inputs = FuzzInputs("decode");
    EXPECT_GE(inputs.size(), 8u);
    for (auto& picture : FilesIn(std::string(GIFREC_TESTDATA) + "/pictures"))
        inputs.push_back(picture);
    for (const auto& path : inputs) {
        const auto bytes = ReadInput(path);
        EXPECT_TRUE(fuzzing::FuzzDecode(bytes.data(), bytes.size())) << path;
    }
}

TEST(FuzzReplay, DibKeepsItsInvariants) {
    const auto inputs = FuzzInputs("dib");
    EXPECT_GE(inputs.size(), 9u);
    for (const auto& path : inputs) {
        const auto bytes = ReadInput(path);
        EXPECT_TRUE(fuzzing::FuzzDib(bytes.data(), bytes.size())) << path;
    }
}

// Every prefix of every seed, so that each early end of a header is met.
TEST(FuzzReplay, EveryPrefixOfTheSeeds) {
    for (const std::string target : {"decode", "dib"}) {
        const auto seeds = FilesIn(std::string(GIFREC_SOURCE_DIR) + "/fuzz/seeds/" + target);
        ASSERT_GE(seeds.size(), 6u) << target;
        for (const auto& path : seeds) {
            const auto bytes = ReadInput(path);
            for (size_t length = 0; length <= std::min<size_t>(bytes.size(), 600); ++length) {
                // A copy of exactly `length` bytes, so that the sanitizers see any overread.
                const std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + ptrdiff_t(length));
                const bool kept = target == "decode" ? fuzzing::FuzzDecode(cut.data(), length)
                                                     : fuzzing::FuzzDib(cut.data(), length);
                ASSERT_TRUE(kept) << path << " cut at " << length;
            }
        }
    }
}

}  // namespace
}  // namespace bitmap
