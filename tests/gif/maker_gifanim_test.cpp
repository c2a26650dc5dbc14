// gifanim make: options reach the GIF, frame options stick until given again, and failures
// come out as the library's text with the documented exit status.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "giflib_support.h"
#include "giflib_timeline_support.h"
#include "maker_support.h"
#include "tool_run_support.h"

namespace gif::testing {
namespace {

#ifdef GIFANIM_PATH

class GifanimMake : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = TemporaryFolder();
        for (int i = 0; i < 3; ++i) {
            std::vector<uint8_t> bmp = Bmp32(ScreenLike(40 + 10 * i, 30, uint32_t(i)));
            pictures_.push_back(folder_ + "/p" + std::to_string(i) + ".bmp");
            std::ofstream(pictures_.back(), std::ios::binary)
                .write(reinterpret_cast<const char*>(bmp.data()), std::streamsize(bmp.size()));
        }
        output_ = folder_ + "/out.gif";
    }

    ToolRun Gifanim(const std::vector<std::string>& args) {
        return RunTool(GIFANIM_PATH, args, folder_, shellPrefix_);
    }

    GiflibGif Output() { return DecodeWithGiflib(ReadFileBytes(output_)); }

    std::string folder_, output_;
    std::vector<std::string> pictures_;
    std::string shellPrefix_;  // run before the tool, in the same shell
};

TEST_F(GifanimMake, OptionsReachTheFileAndFrameOptionsStick) {
    ToolRun run = Gifanim({"make",
                           "--loop-count",
                           "3",
                           "--comment",
                           "动画",
                           "--interlace",
                           "--delay",
                           "5",
                           "--transparent",
                           pictures_[0],
                           "--delay",
                           "7",
                           "--disposal",
                           "2",
                           "--frame-comment",
                           "fc",
                           "--dither",
                           pictures_[1],
                           pictures_[2],
                           "-o",
                           output_});
    ASSERT_EQ(run.status, 0) << run.err;
    GiflibGif gif = Output();
    ASSERT_TRUE(gif.ok) << gif.error;
    EXPECT_EQ(gif.width, 40);
    EXPECT_EQ(gif.height, 30);
    EXPECT_TRUE(gif.hasLoop);
    EXPECT_EQ(gif.loopCount, 3);
    EXPECT_EQ(gif.trailingComments, std::vector<std::string>{"动画"});
    ASSERT_EQ(gif.frames.size(), 3u);
    int delays[] = {5, 7, 7}, disposals[] = {0, 2, 2};
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(gif.frames[i].interlaced);
        EXPECT_EQ(gif.frames[i].width, 40 + 10 * i);
        EXPECT_EQ(gif.frames[i].delay, delays[i]);
        EXPECT_EQ(gif.frames[i].disposal, disposals[i]);
        EXPECT_EQ(gif.frames[i].transparentIndex, 0);
        EXPECT_EQ(gif.frames[i].comments,
                  i == 0 ? std::vector<std::string>{} : std::vector<std::string>{"fc"});
    }
    // Dithered frames use the colour cube: entry 215 is (224, 224, 224).
    EXPECT_NE(gif.frames[0].localPalette[3 * 215], 224);
    EXPECT_EQ(gif.frames[1].localPalette[3 * 215], 224);
    EXPECT_EQ(gif.frames[2].localPalette[3 * 215], 224);

    run = Gifanim({"make", "--width", "500", "--height", "400", "--no-loop", "-o", output_,
                   pictures_[0], "--no-transparent", pictures_[1]});
    ASSERT_EQ(run.status, 0) << run.err;
    gif = Output();
    EXPECT_EQ(gif.width, 500);
    EXPECT_EQ(gif.height, 400);
    EXPECT_FALSE(gif.hasLoop);
    EXPECT_EQ(gif.frames.at(1).transparentIndex, -1);
}

TEST_F(GifanimMake, FailuresAndWrongCommandLines) {
    ToolRun run = Gifanim({"make", "-o", output_, pictures_[0], folder_ + "/missing.bmp"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("Could not open "), std::string::npos) << run.err;
    EXPECT_FALSE(std::ifstream(output_).good());

    run = Gifanim({"make", "-o", output_});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("No picture has been added yet"), std::string::npos) << run.err;

    run = Gifanim({"make", "-o", folder_ + "/no/such/dir.gif", pictures_[0]});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("Could not create "), std::string::npos) << run.err;

    for (const std::vector<std::string>& wrong :
         {std::vector<std::string>{"make", pictures_[0]},
          {"make", "-o", output_, pictures_[0], "--width", "10"},
          {"make", "-o", output_, "--delay", "65536", pictures_[0]},
          {"make", "-o", output_, "--delay", "x", pictures_[0]},
          {"make", "-o", output_, "--frobnicate", pictures_[0]},
          {"make", "-o", output_, "--colours", "sepia", pictures_[0]},
          {"make", "-o", output_, "--quality", "0", pictures_[0]},
          {"make", "-o", output_, "--scale", "101", pictures_[0]},
          {"make", "-o", output_, "--max-size", "10Q", pictures_[0]},
          {"make", "-o", output_, pictures_[0], "--quality", "50"},
          {"optimize", "--max-size"},
          {"make", "-o"},
          {"nosuchcommand"}}) {
        run = Gifanim(wrong);
        EXPECT_EQ(run.status, 2) << wrong.back();
        EXPECT_FALSE(run.err.empty());
    }
    EXPECT_FALSE(std::ifstream(output_).good());
}

// A file-size limit stands in for a full disk: every write past it fails.
TEST_F(GifanimMake, WritesThatFailThroughALinkLeaveTheLinkedGifWhole) {
    const std::string real = folder_ + "/real.gif", link = folder_ + "/link.gif";
    ASSERT_EQ(Gifanim({"make", "-o", real, pictures_[0], pictures_[1], pictures_[2]}).status, 0);
    const std::vector<uint8_t> old = ReadFileBytes(real);
    ASSERT_GT(old.size(), 2048u);
    ASSERT_EQ(::symlink(real.c_str(), link.c_str()), 0);

    shellPrefix_ = "ulimit -f 2; trap '' XFSZ; ";
    const std::vector<std::vector<std::string>> writers = {
        {"make", "-o", link, pictures_[2], pictures_[1], pictures_[0]},
        {"patch", real, "-o", link, "--width", "99"},
        {"palette", real, "0", "0", "--set", "#102030", "-o", link},
        {"frame", real, "0", "-o", link},
    };
    for (const auto& writer : writers) {
        ToolRun run = Gifanim(writer);
        EXPECT_EQ(run.status, 1) << writer[0];
        EXPECT_NE(run.err.find("Could not write "), std::string::npos) << run.err;
        EXPECT_EQ(ReadFileBytes(real), old) << writer[0];
    }
    shellPrefix_.clear();
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_),
                            std::filesystem::directory_iterator()),
              2 + 3 + 2);  // the pictures, the GIF, its link and the two output captures

    // Without the limit each writes the linked GIF, and the link stays a link.
    for (const auto& writer : writers) {
        ToolRun run = Gifanim(writer);
        EXPECT_EQ(run.status, 0) << writer[0] << run.err;
        EXPECT_TRUE(std::filesystem::is_symlink(link));
    }
    GiflibGif gif = DecodeWithGiflib(ReadFileBytes(real));
    ASSERT_TRUE(gif.ok) << gif.error;
    EXPECT_EQ(gif.width, 99);  // patched, then the colour set, then copied onto itself
    EXPECT_EQ(gif.frames.size(), 3u);
}

TEST_F(GifanimMake, HelpExplainsTheOptionsAndListsTheCommands) {
    ToolRun run = Gifanim({"make", "--help"});
    EXPECT_EQ(run.status, 0);
    for (const char* option :
         {"--width", "--height", "--no-loop", "--loop-count", "--comment", "--interlace", "--delay",
          "--left", "--top", "--disposal", "--transparent", "--frame-comment", "--dither", "-o",
          "--optimize", "--exact-colours"})
        EXPECT_NE(run.out.find(option), std::string::npos) << option;
    run = Gifanim({"--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("make"), std::string::npos);
    EXPECT_NE(run.out.find("optimize"), std::string::npos);
}

TEST_F(GifanimMake, OptimizeAndExactColoursReachTheMaker) {
    // The first picture twice, then a wider one (written whole: it is larger than the screen).
    const std::vector<std::string> pictures = {pictures_[0], pictures_[0], pictures_[1]};
    std::vector<std::string> args = {"make", "-o", output_};
    args.insert(args.end(), pictures.begin(), pictures.end());
    ASSERT_EQ(Gifanim(args).status, 0);
    const std::vector<uint8_t> whole = ReadFileBytes(output_);
    args.insert(args.begin() + 1, "--optimize");
    ToolRun run = Gifanim(args);
    ASSERT_EQ(run.status, 0) << run.err;
    const std::vector<uint8_t> optimised = ReadFileBytes(output_);
    EXPECT_EQ(TimelineDifference(PlayWithGiflib(whole), PlayWithGiflib(optimised)), "");
    EXPECT_EQ(Output().frames.size(), 2u);
    EXPECT_LT(optimised.size(), whole.size());

    // ScreenLike's white is 255, 255, 255; the 16-step levels would make it 240.
    run = Gifanim({"make", "--exact-colours", "-o", output_, pictures_[0]});
    ASSERT_EQ(run.status, 0) << run.err;
    const GiflibGif exact = Output();
    ASSERT_FALSE(exact.globalPalette.empty());
    bool white = false;
    for (size_t i = 0; i + 2 < exact.globalPalette.size(); i += 3)
        white = white || (exact.globalPalette[i] == 255 && exact.globalPalette[i + 2] == 255);
    EXPECT_TRUE(white);
    EXPECT_EQ(Gifanim({"make", pictures_[0], "--optimize", "-o", output_}).status, 2);
}

#endif

}  // namespace
}  // namespace gif::testing
