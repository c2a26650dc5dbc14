// gifanim trim, cut and speed: frames counted as gifanim info counts them, wrong ranges and
// factors refused with exit 2, the output written in place, and a failed write leaving the
// target as it was.
#include <gtest/gtest.h>

#include "giflib_timeline_support.h"
#include "giflib_writer_support.h"
#include "maker_support.h"
#include "tool_run_support.h"

namespace gif::testing {
namespace {

#ifdef GIFANIM_PATH

// Six frames of 8 x 8, each a different flat colour, delays 10, 20, ... 60.
std::vector<uint8_t> SixFrames() {
    GiflibGifSpec layout;
    layout.width = layout.height = 8;
    layout.globalPalette = RampPalette(8);
    for (int i = 0; i < 6; ++i) {
        GiflibImageSpec image;
        image.extensions = {Control(0x04, 10 * (i + 1), 0)};
        image.width = image.height = 8;
        image.indices.assign(64, uint8_t(i + 1));
        layout.images.push_back(image);
    }
    return WriteWithGiflib(layout);
}

class GifanimEdit : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = TemporaryFolder();
        in_ = folder_ + "/in.gif";
        WriteFileBytes(in_, SixFrames());
        frames_ = FramesWithGiflib(ReadFileBytes(in_));
    }

    ToolRun Run(const std::vector<std::string>& args, const std::string& prefix = "") {
        return RunTool(GIFANIM_PATH, args, folder_, prefix);
    }

    // The timeline of the original frames `picks` (from 0) with their own delays.
    Timeline Frames(const std::vector<size_t>& picks) {
        std::vector<std::pair<size_t, uint32_t>> timed;
        for (size_t i : picks) timed.push_back({i, frames_.moments[i].duration});
        return PickFrames(frames_, timed);
    }

    std::string folder_, in_;
    Timeline frames_;
};

TEST_F(GifanimEdit, CountsFramesFromOneAndWritesInPlace) {
    const struct {
        std::vector<std::string> args;
        std::vector<size_t> kept;
    } cases[] = {
        {{"trim", "--from", "2", "--to", "4"}, {1, 2, 3}},
        {{"trim", "--from", "6"}, {5}},
        {{"trim", "--to", "1"}, {0}},
        {{"cut", "--from", "1", "--to", "2"}, {2, 3, 4, 5}},
        {{"cut", "--from", "6"}, {0, 1, 2, 3, 4}},
        {{"cut", "--from", "3", "--to", "4"}, {0, 1, 4, 5}},
    };
    for (const auto& c : cases) {
        const std::string out = folder_ + "/out.gif";
        std::vector<std::string> args = c.args;
        args.insert(args.begin() + 1, in_);
        args.insert(args.end(), {"-o", out});
        const ToolRun run = Run(args);
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(TimelineDifference(Frames(c.kept), PlayWithGiflib(ReadFileBytes(out))), "")
            << c.args[0] << ' ' << c.args[2];
    }
    // -o IN itself: the file is read while its replacement is written.
    const ToolRun run = Run({"speed", in_, "2", "-o", in_});
    ASSERT_EQ(run.status, 0) << run.err;
    std::vector<std::pair<size_t, uint32_t>> halved;
    for (size_t i = 0; i < 6; ++i) halved.push_back({i, 5 * uint32_t(i + 1)});
    EXPECT_EQ(TimelineDifference(PickFrames(frames_, halved), PlayWithGiflib(ReadFileBytes(in_))),
              "");
}

TEST_F(GifanimEdit, WrongRangesAndFactorsExitTwoWithAReason) {
    const struct {
        std::vector<std::string> args;
        const char* says;
    } cases[] = {
        {{"trim", "IN", "--from", "3", "--to", "7", "-o", "OUT"}, "the file has 6 frames"},
        {{"trim", "IN", "--from", "0", "-o", "OUT"}, "frame number from 1"},
        {{"trim", "IN", "--from", "4", "--to", "2", "-o", "OUT"}, "comes after"},
        {{"trim", "IN", "--from", "x", "-o", "OUT"}, "not \"x\""},
        {{"cut", "IN", "--from", "1", "--to", "6", "-o", "OUT"}, "leave no frame"},
        {{"cut", "IN", "-o", "OUT"}, "--from N"},
        {{"speed", "IN", "0", "-o", "OUT"}, "from 0.01 to 100"},
        {{"speed", "IN", "fast", "-o", "OUT"}, "not \"fast\""},
        {{"speed", "IN", "2"}, "no output file"},
        {{"trim", "IN", "--bogus", "-o", "OUT"}, "unknown option --bogus"},
    };
    const std::vector<uint8_t> original = ReadFileBytes(in_);
    for (const auto& c : cases) {
        std::vector<std::string> args = c.args;
        for (std::string& arg : args)
            if (arg == "IN" || arg == "OUT") arg = in_;
        const ToolRun run = Run(args);
        EXPECT_EQ(run.status, 2) << c.says;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
        EXPECT_EQ(ReadFileBytes(in_), original) << c.says;
    }
    const ToolRun missing = Run({"trim", folder_ + "/none.gif", "-o", folder_ + "/o.gif"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("none.gif"), std::string::npos) << missing.err;
}

TEST_F(GifanimEdit, AFailedWriteLeavesTheTargetIntact) {
    // A large input, and a file size limit that stops the write half way.
    GifMaker maker;
    ASSERT_TRUE(maker.Create({}));
    for (uint32_t seed = 1; seed <= 4; ++seed)
        ASSERT_TRUE(maker.AddFrame({}, std::nullopt, Bmp32(Noise(200, 200, seed))));
    const std::string big = folder_ + "/big.gif", target = folder_ + "/target.gif";
    WriteFileBytes(big, SaveToMemory(maker));
    WriteFileBytes(target, {'k', 'e', 'e', 'p'});
    const ToolRun run = Run({"speed", big, "2", "-o", target}, "ulimit -f 20; trap '' XFSZ; ");
    EXPECT_EQ(run.status, 1);
    EXPECT_FALSE(run.err.empty());
    EXPECT_EQ(ReadFileBytes(target), std::vector<uint8_t>({'k', 'e', 'e', 'p'}));
}

#endif

}  // namespace
}  // namespace gif::testing
