// gifanim optimize on other programs' GIFs: every picture and its time stay the same, and a
// file that would grow is written back unchanged.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "giflib_support.h"
#include "giflib_timeline_support.h"
#include "giflib_writer_support.h"
#include "maker_support.h"
#include "tool_run_support.h"

namespace gif::testing {
namespace {

#ifdef GIFANIM_PATH

class GifanimOptimize : public ::testing::Test {
  protected:
    void SetUp() override { folder_ = TemporaryFolder(); }

    // Optimises `in` and checks the promise; returns the output's size.
    size_t ExpectSamePictures(const std::string& in) {
        const std::string out = folder_ + "/out.gif";
        const ToolRun run = RunTool(GIFANIM_PATH, {"optimize", in, "-o", out}, folder_);
        EXPECT_EQ(run.status, 0) << run.err;
        const std::vector<uint8_t> before = ReadFileBytes(in), after = ReadFileBytes(out);
        EXPECT_EQ(TimelineDifference(PlayWithGiflib(before), PlayWithGiflib(after)), "") << in;
        EXPECT_LE(after.size(), before.size()) << in;
        return after.size();
    }

    // ImageMagick's convert with `args`, making `name` in the folder; false when it is missing.
    bool Convert(const std::vector<std::string>& args, const std::string& name) {
        if (std::system("command -v convert >/dev/null 2>&1") != 0) return false;
        std::vector<std::string> all = args;
        all.push_back(folder_ + "/" + name);
        const ToolRun run = RunTool("convert", all, folder_);
        EXPECT_EQ(run.status, 0) << run.err;
        return run.status == 0;
    }

    std::string folder_;
};

const std::string kPictures = std::string(GIFREC_TESTDATA) + "/pictures/";

TEST_F(GifanimOptimize, ThirdPartyGifsShowTheSame) {
    for (const char* name : {"gif-interlaced.gif", "gif-transparent.gif"}) {
        ASSERT_TRUE(std::filesystem::exists(kPictures + name)) << name;
        ExpectSamePictures(kPictures + name);
    }
}

TEST_F(GifanimOptimize, ImageMagickAnimationsShowTheSameAndShrink) {
    const std::string rgb = kPictures + "png-rgb.png", alpha = kPictures + "png-rgba.png",
                      jpeg = kPictures + "jpg-baseline.jpg", gray = kPictures + "jpg-gray.jpg";
    if (!Convert({"-delay", "20", rgb, rgb, jpeg, rgb, "-loop", "0"}, "plain.gif"))
        GTEST_SKIP() << "ImageMagick's convert is not installed (scripts/deps.sh test)";
    // Frames placed off the corner, a transparent one, and each disposal.
    ASSERT_TRUE(Convert({"-delay", "7", rgb, "(", alpha, "-page", "+5+3", ")", "(", gray, "-page",
                         "+0+0", ")", "-dispose", "previous", "-loop", "2"},
                        "previous.gif"));
    ASSERT_TRUE(Convert({"-delay", "9", "-dispose", "background", rgb, "-dispose", "none", "(",
                         alpha, "-page", "+2+2", ")", jpeg},
                        "background.gif"));
    // ImageMagick's own optimisation: rectangles, transparency, a still frame.
    ASSERT_TRUE(Convert({"-delay", "5", rgb, rgb, jpeg, "-layers", "Optimize"}, "layers.gif"));
    for (const char* name : {"plain.gif", "previous.gif", "background.gif", "layers.gif"})
        ExpectSamePictures(folder_ + "/" + name);
    // The repeated first picture is no frame of its own, once no note of ImageMagick's stands
    // before it.
    const std::string out = folder_ + "/out.gif";
    EXPECT_EQ(
        RunTool(GIFANIM_PATH, {"optimize", folder_ + "/plain.gif", "-o", out, "--strip"}, folder_)
            .status,
        0);
    EXPECT_EQ(DecodeWithGiflib(ReadFileBytes(out)).frames.size(), 3u);
}

TEST_F(GifanimOptimize, AFileThatWouldGrowIsWrittenUnchanged) {
    // One bare 2 x 1 image: the optimised layout adds a control extension.
    const std::vector<uint8_t> tiny =
        RawGif()
            .Screen(2, 1, 0x80)
            .Bytes({255, 0, 0, 0, 0, 255})
            .Image(0, 0, 2, 1, 0, {}, 2, EncodeLzw(std::vector<uint8_t>{0, 1}, 2))
            .Trailer()
            .bytes;
    const std::string in = folder_ + "/tiny.gif", out = folder_ + "/out.gif";
    WriteFileBytes(in, tiny);
    const ToolRun run = RunTool(GIFANIM_PATH, {"optimize", in, "-o", out}, folder_);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("larger"), std::string::npos) << run.out;
    EXPECT_EQ(ReadFileBytes(out), tiny);
}

TEST_F(GifanimOptimize, WrongInputAndCommandLines) {
    const std::string out = folder_ + "/out.gif";
    WriteFileBytes(folder_ + "/not.gif", {'n', 'o', 't', ' ', 'a', ' ', 'g', 'i', 'f'});
    ToolRun run = RunTool(GIFANIM_PATH, {"optimize", folder_ + "/not.gif", "-o", out}, folder_);
    EXPECT_EQ(run.status, 1);
    EXPECT_FALSE(run.err.empty());
    EXPECT_FALSE(std::filesystem::exists(out));
    run = RunTool(GIFANIM_PATH, {"optimize", folder_ + "/missing.gif", "-o", out}, folder_);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(RunTool(GIFANIM_PATH, {"optimize", "-o", out}, folder_).status, 2);
    EXPECT_EQ(RunTool(GIFANIM_PATH, {"optimize", kPictures + "gif-interlaced.gif"}, folder_).status,
              2);
    run = RunTool(GIFANIM_PATH, {"optimize", "--help"}, folder_);
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("gifanim optimize [OPTIONS] IN.gif -o OUT.gif"), std::string::npos);
}

#endif

}  // namespace
}  // namespace gif::testing
