// gifanim info, frame, palette and patch: what they print and write, and how they fail.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "gif/gif_reader.h"
#include "giflib_writer_support.h"
#include "tool_run_support.h"

namespace gif {
namespace {

#ifdef GIFANIM_PATH

using Bytes = std::vector<uint8_t>;

using testing::ReadFileBytes;

class Gifanim : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/gifanim-reader-XXXXXX";
        folder_ = mkdtemp(pattern);
        const Bytes table = testing::RampPalette(4);
        const Bytes pixels{0, 1, 2, 3, 3, 2};
        gif_ = testing::RawGif()
                   .Screen(3, 2, 0x81, 1)
                   .Bytes(table)
                   .Looping(2)
                   .Control(0x09, 40)
                   .Comment("line one\nline \"two\"")
                   .Image(0, 0, 3, 2, 0, {}, 2, testing::EncodeLzw(pixels, 2))
                   .Control(0x00, 7)
                   .Image(1, 0, 2, 1, 0x81, table, 2, testing::EncodeLzw(Bytes{3, 3}, 2))
                   .Comment("anim")
                   .Trailer()
                   .bytes;
        input_ = folder_ + "/in.gif";
        std::ofstream(input_, std::ios::binary)
            .write(reinterpret_cast<const char*>(gif_.data()), long(gif_.size()));
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    int Run(const std::vector<std::string>& args) {
        const testing::ToolRun run = testing::RunTool(GIFANIM_PATH, args, folder_);
        out_ = run.out;
        err_ = run.err;
        return run.status;
    }

    // Positions where `path` differs from the input.
    std::vector<size_t> ChangedBytes(const std::string& path) const {
        const Bytes after = ReadFileBytes(path);
        EXPECT_EQ(after.size(), gif_.size());
        std::vector<size_t> changed;
        for (size_t i = 0; i < std::min(after.size(), gif_.size()); ++i)
            if (after[i] != gif_[i]) changed.push_back(i);
        return changed;
    }

    std::string folder_, input_, out_, err_;
    Bytes gif_;
};

TEST_F(Gifanim, InfoAsLinesAndAsJson) {
    ASSERT_EQ(Run({"info", input_}), 0) << err_;
    EXPECT_NE(out_.find("Width: 3\nDepth: 2\nLOOP: true\nLoopCount: 2\nBgColorIndex: 1\n"
                        "exposition: anim\nFrameCount: 2\nColorNum: 4\nInterlace: false\n"
                        "frame 1\nDelayTime: 40\n"),
              std::string::npos)
        << out_;
    EXPECT_NE(out_.find("exposition: line one\\x0Aline \"two\"\n"), std::string::npos) << out_;
    EXPECT_NE(out_.find("frame 2\nDelayTime: 7\nLeft: 1\n"), std::string::npos) << out_;

    ASSERT_EQ(Run({"info", "--json", input_}), 0) << err_;
    EXPECT_EQ(out_.rfind("{\"animation\": {\"Width\": 3, ", 0), 0u) << out_;
    EXPECT_NE(out_.find("\"exposition\": \"line one\\u000aline \\\"two\\\"\""), std::string::npos)
        << out_;
    EXPECT_NE(out_.find("\"frames\": [{\"DelayTime\": 40, "), std::string::npos) << out_;
    EXPECT_NE(out_.find("{\"DelayTime\": 7, \"Left\": 1, "), std::string::npos) << out_;

    EXPECT_EQ(Run({"info", folder_ + "/missing.gif"}), 1);
    EXPECT_NE(err_.find("missing.gif"), std::string::npos) << err_;
    EXPECT_EQ(Run({"info"}), 2);
}

TEST_F(Gifanim, FrameWritesTheBmpOrTheGif) {
    GifReader reader;
    ASSERT_TRUE(reader.LoadGif(input_, std::nullopt));
    ASSERT_EQ(Run({"frame", input_, "2", "-o", folder_ + "/f2.bmp"}), 0) << err_;
    EXPECT_EQ(ReadFileBytes(folder_ + "/f2.bmp"), reader.GetGifData(2));
    ASSERT_EQ(Run({"frame", input_, "0", "-o", folder_ + "/whole.gif"}), 0) << err_;
    EXPECT_EQ(ReadFileBytes(folder_ + "/whole.gif"), gif_);

    EXPECT_EQ(Run({"frame", input_, "3", "-o", folder_ + "/f3.bmp"}), 1);
    EXPECT_NE(err_.find("The frame number is out of range"), std::string::npos) << err_;
    EXPECT_FALSE(std::filesystem::exists(folder_ + "/f3.bmp"));
    EXPECT_EQ(Run({"frame", input_, "-1", "-o", folder_ + "/x.bmp"}), 2);
}

TEST_F(Gifanim, PaletteReadsAndSets) {
    ASSERT_EQ(Run({"palette", input_, "0", "2"}), 0) << err_;
    EXPECT_EQ(out_, "#020406\n");
    ASSERT_EQ(Run({"palette", input_, "2", "3", "--set", "#A1B2C3", "-o", folder_ + "/p.gif"}), 0)
        << err_;
    const auto changed = ChangedBytes(folder_ + "/p.gif");
    ASSERT_EQ(changed.size(), 3u);
    ASSERT_EQ(Run({"palette", folder_ + "/p.gif", "2", "3"}), 0) << err_;
    EXPECT_EQ(out_, "#A1B2C3\n");

    EXPECT_EQ(Run({"palette", input_, "1", "0"}), 1);
    EXPECT_NE(err_.find("The frame has no local colour table"), std::string::npos) << err_;
    EXPECT_EQ(Run({"palette", input_, "0", "4"}), 1);
    EXPECT_NE(err_.find("The colour table entry is out of range"), std::string::npos) << err_;
    EXPECT_EQ(Run({"palette", input_, "0", "1", "--set", "red", "-o", folder_ + "/q.gif"}), 2);
    EXPECT_EQ(Run({"palette", input_, "0", "1", "--set", "#000000"}), 2);
    EXPECT_EQ(Run({"palette", input_, "0", "256"}), 2);
}

TEST_F(Gifanim, PatchChangesOnlyWhatIsNamed) {
    const std::string out = folder_ + "/patched.gif";
    ASSERT_EQ(Run({"patch", input_, "-o", out, "--frame", "1", "--delay", "300", "--top", "1"}), 0)
        << err_;
    GifReader reader;
    ASSERT_TRUE(reader.LoadGif(out, std::nullopt));
    FrameInfo frame = reader.GetFrameInfo(1);
    EXPECT_EQ(frame.DelayTime, 300);
    EXPECT_EQ(frame.Top, 1);
    EXPECT_EQ(frame.DisposalMethod, 2);  // kept
    EXPECT_TRUE(frame.Transparency);     // kept
    EXPECT_EQ(ChangedBytes(out).size(), 3u);

    ASSERT_EQ(Run({"patch", input_, "-o", out, "--width", "640", "--loop-count", "0", "--bg-index",
                   "3", "--frame", "2", "--transparent", "1", "--disposal", "3"}),
              0)
        << err_;
    ASSERT_TRUE(reader.LoadGif(out, std::nullopt));
    const AnimationInfo info = reader.GetGifInfo();
    EXPECT_EQ(info.Width, 640);
    EXPECT_EQ(info.Depth, 2);
    EXPECT_EQ(info.LoopCount, 0);
    EXPECT_EQ(info.BgColorIndex, 3);
    frame = reader.GetFrameInfo(2);
    EXPECT_TRUE(frame.Transparency);
    EXPECT_EQ(frame.DisposalMethod, 3);
    EXPECT_EQ(frame.DelayTime, 7);

    EXPECT_EQ(Run({"patch", input_, "-o", out, "--delay", "5"}), 2);  // which frame?
    EXPECT_EQ(Run({"patch", input_, "-o", out, "--frame", "9", "--delay", "5"}), 1);
    EXPECT_NE(err_.find("The frame number is out of range"), std::string::npos) << err_;
    EXPECT_EQ(Run({"patch", input_, "-o", folder_ + "/no/such/folder.gif", "--width", "1"}), 1);
    EXPECT_NE(err_.find("folder.gif"), std::string::npos) << err_;
}

#endif

}  // namespace
}  // namespace gif
