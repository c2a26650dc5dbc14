// A GIF without any colour table is a GIF like any other: the reader takes it, its frames come
// out in the default palette, and the maker takes it as a picture in the very same colours.
// Only the palette commands fail, having no entry to read or write.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "bitmap/picture_codec.h"
#include "gif/gif_maker.h"
#include "gif/gif_reader.h"
#include "giflib_writer_support.h"
#include "maker_support.h"
#include "tool_run_support.h"

namespace gif::testing {
namespace {

using Bgr = std::array<int, 3>;

// 4 x 2, indices 0 … 3 then 15 … 12; the screen's size field says 16 colours, but no table
// is in the file.
std::vector<uint8_t> GifWithoutTables() {
    const std::vector<uint8_t> pixels{0, 1, 2, 3, 15, 14, 13, 12};
    return RawGif()
        .Screen(4, 2, 0x03)
        .Comment("no colour table in here")
        .Image(0, 0, 4, 2, 0x00, {}, 4, EncodeLzw(pixels, 4))
        .Trailer()
        .bytes;
}

Bgr PixelAt(const bitmap::Image24& image, uint32_t x, uint32_t y) {
    const uint8_t* p = image.pixels.data() + image.Stride() * (image.height - 1 - y) + x * 3;
    return {p[0], p[1], p[2]};
}

TEST(NoColourTable, FrameAndPictureShowTheSameDefaultColours) {
    const std::vector<uint8_t> gif = GifWithoutTables();
    GifReader reader;
    ASSERT_TRUE(reader.LoadGif(std::nullopt, gif)) << reader.GetError();
    EXPECT_EQ(reader.FrameCount(), 1u);
    EXPECT_EQ(reader.GetGifInfo().ColorNum, 0);
    EXPECT_EQ(reader.GetFrameInfo(1).ColorNum, 0);

    bitmap::Image24 frame, picture;
    ASSERT_EQ(bitmap::DecodePicture(reader.GetGifData(1), frame), bitmap::DecodeStatus::Ok);
    ASSERT_EQ(bitmap::DecodePicture(gif, picture), bitmap::DecodeStatus::Ok);
    EXPECT_EQ(picture.width, 4u);
    EXPECT_EQ(picture.pixels, frame.pixels);
    // Blue, green, red of the sixteen standard colours 0, 1, 3, 15 and 12.
    EXPECT_EQ(PixelAt(picture, 0, 0), (Bgr{0, 0, 0}));
    EXPECT_EQ(PixelAt(picture, 1, 0), (Bgr{128, 0, 0}));
    EXPECT_EQ(PixelAt(picture, 3, 0), (Bgr{128, 128, 0}));
    EXPECT_EQ(PixelAt(picture, 0, 1), (Bgr{255, 255, 255}));
    EXPECT_EQ(PixelAt(picture, 3, 1), (Bgr{0, 0, 255}));

    GifMaker maker;
    ASSERT_TRUE(maker.Create({}));
    EXPECT_TRUE(maker.AddFrame({}, std::nullopt, gif)) << maker.GetError();
}

TEST(NoColourTable, OnlyThePaletteCommandsFail) {
    GifReader reader;
    ASSERT_TRUE(reader.LoadGif(std::nullopt, GifWithoutTables()));
    EXPECT_EQ(reader.GetPalette(0, 0), -1);
    EXPECT_EQ(reader.GetError(), "没有全局调色板");
    EXPECT_FALSE(reader.SetPalette(1, 0, 0xFFFFFF));
    EXPECT_EQ(reader.GetError(), "没有局部调色板");
    FrameInfo info = reader.GetFrameInfo(1);
    info.Left = 1;
    EXPECT_TRUE(reader.SetFrameInfo(info, 1));
    EXPECT_EQ(reader.GetFrameInfo(1).Left, 1);
}

#ifdef GIFANIM_PATH
TEST(NoColourTable, EveryGifanimCommandTakesIt) {
    const std::string folder = TemporaryFolder(), input = folder + "/plain.gif";
    WriteFileBytes(input, GifWithoutTables());
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"info", input},
             {"frame", input, "1", "-o", folder + "/frame.bmp"},
             {"patch", input, "--width", "8", "-o", folder + "/patched.gif"},
             {"make", "-o", folder + "/made.gif", input}}) {
        const ToolRun run = RunTool(GIFANIM_PATH, args, folder);
        EXPECT_EQ(run.status, 0) << args[0] << ": " << run.err;
    }
    const ToolRun palette = RunTool(GIFANIM_PATH, {"palette", input, "0", "0"}, folder);
    EXPECT_EQ(palette.status, 1);
    EXPECT_NE(palette.err.find("no global colour table"), std::string::npos) << palette.err;
}
#endif

}  // namespace
}  // namespace gif::testing
