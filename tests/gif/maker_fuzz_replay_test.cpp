// The maker's fuzz seeds and the third-party pictures, replayed through the fuzz body.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "fuzz/maker_fuzz_body.h"

namespace {

TEST(MakerFuzzReplay, SeedsAndPicturesKeepTheInvariants) {
    int replayed = 0;
    for (const auto& folder : {std::filesystem::path(GIFREC_SOURCE_DIR) / "fuzz/seeds/maker",
                               std::filesystem::path(GIFREC_TESTDATA) / "pictures"}) {
        ASSERT_TRUE(std::filesystem::is_directory(folder)) << folder;
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            if (!entry.is_regular_file()) continue;
            std::ifstream in(entry.path(), std::ios::binary);
            std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                       std::istreambuf_iterator<char>());
            EXPECT_TRUE(gif::fuzzing::FuzzMaker(bytes.data(), bytes.size())) << entry.path();
            ++replayed;
        }
    }
    EXPECT_GE(replayed, 10);
}

}  // namespace
