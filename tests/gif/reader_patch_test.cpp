// Patches are byte edits: each command changes exactly its bytes and nothing else.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "gif/gif_maker.h"
#include "gif/gif_reader.h"
#include "giflib_support.h"
#include "giflib_writer_support.h"
#include "maker_support.h"

namespace gif {
namespace {

using testing::RawGif;
using Bytes = std::vector<uint8_t>;

Bytes OnePixel() {
    return testing::EncodeLzw(Bytes{1}, 2);
}

// Offsets of interest in the GIF built by Sample().
struct Sample {
    Bytes bytes;
    size_t loopCount = 0, control1 = 0, descriptor1 = 0, control2 = 0, descriptor2 = 0,
           localTable2 = 0;
};

Sample MakeSample() {
    Sample s;
    RawGif gif;
    gif.Screen(4, 3, 0x81, 1).Bytes(testing::RampPalette(4)).Looping(5);
    s.loopCount = gif.bytes.size() - 3;
    s.control1 = gif.bytes.size();
    gif.Control(0xE2, 60, 3);  // reserved bits and the user-input bit set: they must survive
    // A plain text block with sub-blocks full of 0x2C between the control and the image.
    gif.Extension(0x01, {{0, 0, 0, 0, 4, 0, 3, 0, 8, 8, 1, 0}, {',', ',', ','}, {0x2C, 0x2C}});
    s.descriptor1 = gif.bytes.size();
    gif.Image(0, 0, 4, 3, 0, {}, 2, OnePixel());
    s.control2 = gif.bytes.size();
    gif.Control(0x00, 7).Comment(",,,,");
    s.descriptor2 = gif.bytes.size();
    s.localTable2 = s.descriptor2 + 10;
    gif.Image(1, 1, 2, 2, 0x81, testing::RampPalette(4), 2, OnePixel()).Trailer();
    s.bytes = gif.bytes;
    return s;
}

GifReader Load(const Bytes& bytes) {
    GifReader reader;
    EXPECT_TRUE(reader.LoadGif(std::nullopt, std::span<const uint8_t>(bytes))) << reader.GetError();
    return reader;
}

// The positions where two equally long byte strings differ, with the new values.
std::map<size_t, int> Differences(const Bytes& before, const Bytes& after) {
    std::map<size_t, int> changed;
    EXPECT_EQ(before.size(), after.size());
    for (size_t i = 0; i < std::min(before.size(), after.size()); ++i)
        if (before[i] != after[i]) changed[i] = after[i];
    return changed;
}

TEST(ReaderPatch, SetFrameInfoChangesDelayDisposalTransparencyAndOffsetsOnly) {
    const Sample s = MakeSample();
    GifReader reader = Load(s.bytes);
    FrameInfo info;
    info.DelayTime = 0x1234;
    info.DisposalMethod = 9;  // only the low three bits count
    info.Transparency = false;
    info.Left = 0x0102;
    info.Top = 0x0304;
    info.TransparencyIndex = 77;  // never written
    info.Width = 99;              // never written
    info.exposition = "ignored";
    ASSERT_TRUE(reader.SetFrameInfo(info, 1)) << reader.GetError();
    EXPECT_EQ(reader.GetError(), "");
    const Bytes after = reader.GetGifData(0);
    const std::map<size_t, int> expected{
        {s.control1 + 3,
         (0xE2 & ~0x1D) | (1 << 2)},  // bits 7-5 and 1 kept, disposal 1, no transparency
        {s.control1 + 4, 0x34},
        {s.control1 + 5, 0x12},
        {s.descriptor1 + 1, 0x02},
        {s.descriptor1 + 2, 0x01},
        {s.descriptor1 + 3, 0x04},
        {s.descriptor1 + 4, 0x03},
    };
    EXPECT_EQ(Differences(s.bytes, after), expected);

    const FrameInfo back = reader.GetFrameInfo(1);
    EXPECT_EQ(back.DelayTime, 0x1234);
    EXPECT_EQ(back.DisposalMethod, 1);
    EXPECT_FALSE(back.Transparency);
    EXPECT_EQ(back.TransparencyIndex, 3);
    EXPECT_EQ(back.Left, 0x0102);
    EXPECT_EQ(back.Width, 4);

    // SaveGif writes the same bytes.
    const std::string path = ::testing::TempDir() + "/reader_patch.gif";
    ASSERT_TRUE(reader.SaveGif(path)) << reader.GetError();
    std::ifstream file(path, std::ios::binary);
    EXPECT_EQ(Bytes(std::istreambuf_iterator<char>(file), {}), after);
    std::filesystem::remove(path);
}

TEST(ReaderPatch, TransparencyBitAndFrameWithoutControl) {
    const Bytes bytes = RawGif()
                            .Screen(4, 3, 0x81)
                            .Bytes(testing::RampPalette(4))
                            .Image(0, 0, 4, 3, 0, {}, 2, OnePixel())
                            .Trailer()
                            .bytes;
    GifReader reader = Load(bytes);
    FrameInfo info;
    info.DelayTime = 500;
    info.Transparency = true;
    info.Left = 7;
    ASSERT_TRUE(reader.SetFrameInfo(info, 1));
    EXPECT_EQ(Differences(bytes, reader.GetGifData(0)), (std::map<size_t, int>{{13 + 12 + 1, 7}}));

    const Sample s = MakeSample();
    reader = Load(s.bytes);
    info = reader.GetFrameInfo(2);
    info.Transparency = true;
    ASSERT_TRUE(reader.SetFrameInfo(info, 2));
    EXPECT_EQ(Differences(s.bytes, reader.GetGifData(0)),
              (std::map<size_t, int>{{s.control2 + 3, 1}}));
    EXPECT_EQ(reader.GetFrameInfo(2).exposition, ",,,,");
}

TEST(ReaderPatch, SetGifInfo) {
    const Sample s = MakeSample();
    GifReader reader = Load(s.bytes);
    AnimationInfo info;
    info.Width = 0x0A0B;
    info.Depth = 0x0C0D;
    info.BgColorIndex = 3;
    info.LOOP = true;
    info.LoopCount = 0x0201;
    info.FrameCount = 99;  // ignored, like ColorNum, Interlace and the comment
    info.ColorNum = 2;
    info.Interlace = true;
    info.exposition = "ignored";
    ASSERT_TRUE(reader.SetGifInfo(info));
    const std::map<size_t, int> expected{{6, 0x0B},
                                         {7, 0x0A},
                                         {8, 0x0D},
                                         {9, 0x0C},
                                         {11, 3},
                                         {s.loopCount, 0x01},
                                         {s.loopCount + 1, 0x02}};
    EXPECT_EQ(Differences(s.bytes, reader.GetGifData(0)), expected);

    // LOOP false neither writes the count nor removes the extension.
    reader = Load(s.bytes);
    info.LOOP = false;
    ASSERT_TRUE(reader.SetGifInfo(info));
    EXPECT_EQ(Differences(s.bytes, reader.GetGifData(0)).count(s.loopCount), 0u);
    EXPECT_TRUE(reader.GetGifInfo().LOOP);

    // Without a looping extension none is added.
    const Bytes plain = RawGif()
                            .Screen(4, 3, 0x81)
                            .Bytes(testing::RampPalette(4))
                            .Image(0, 0, 1, 1, 0, {}, 2, OnePixel())
                            .Trailer()
                            .bytes;
    reader = Load(plain);
    info.LOOP = true;
    ASSERT_TRUE(reader.SetGifInfo(info));
    EXPECT_EQ(Differences(plain, reader.GetGifData(0)).size(), 5u);
    EXPECT_FALSE(reader.GetGifInfo().LOOP);

    // A looping extension without a count sub-block gets no count written into what follows.
    const Bytes noCount =
        RawGif()
            .Screen(4, 3, 0x81)
            .Bytes(testing::RampPalette(4))
            .Extension(0xFF, {{'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'}, {1}})
            .Image(0, 0, 1, 1, 0, {}, 2, OnePixel())
            .Trailer()
            .bytes;
    reader = Load(noCount);
    ASSERT_TRUE(reader.SetGifInfo(info));
    EXPECT_EQ(Differences(noCount, reader.GetGifData(0)).size(), 5u);
    EXPECT_EQ(reader.FrameCount(), 1u);
}

TEST(ReaderPatch, Palettes) {
    const Sample s = MakeSample();
    GifReader reader = Load(s.bytes);
    const uint32_t colour = 64 + 256 * 128 + 65536 * 255;
    ASSERT_TRUE(reader.SetPalette(0, 2, colour | 0xAB000000u));  // the top byte is ignored
    EXPECT_EQ(Differences(s.bytes, reader.GetGifData(0)),
              (std::map<size_t, int>{{13 + 6, 64}, {13 + 7, 128}, {13 + 8, 255}}));
    EXPECT_EQ(reader.GetPalette(0, 2), int32_t(colour));
    EXPECT_EQ(reader.GetPalette(0, 1), 1 + 256 * 2 + 65536 * 3);

    const Bytes global = reader.GetGifData(0);
    ASSERT_TRUE(reader.SetPalette(2, 3, 0x030201));
    EXPECT_EQ(Differences(global, reader.GetGifData(0)),
              (std::map<size_t, int>{
                  {s.localTable2 + 9, 1}, {s.localTable2 + 10, 2}, {s.localTable2 + 11, 3}}));
    EXPECT_EQ(reader.GetPalette(2, 3), 0x030201);

    // The BMP of frame 2 shows the new colour.
    const auto bmp = testing::ParseBmp(reader.GetGifData(2));
    ASSERT_TRUE(bmp.ok);
    EXPECT_EQ(bmp.palette[12], 3);
    EXPECT_EQ(bmp.palette[13], 2);
    EXPECT_EQ(bmp.palette[14], 1);

    // Failures change nothing.
    const Bytes before = reader.GetGifData(0);
    EXPECT_EQ(reader.GetPalette(0, 4), -1);
    EXPECT_EQ(reader.GetError(), "调色板序号超出范围");
    EXPECT_FALSE(reader.SetPalette(0, 4, 0));
    EXPECT_EQ(reader.GetPalette(1, 0), -1);
    EXPECT_EQ(reader.GetError(), "没有局部调色板");
    EXPECT_FALSE(reader.SetPalette(1, 0, 0));
    EXPECT_EQ(reader.GetPalette(3, 0), -1);
    EXPECT_EQ(reader.GetError(), "帧序号超出范围");
    EXPECT_FALSE(reader.SetPalette(0xFFFFFFFFu, 0, 0));
    EXPECT_EQ(reader.GetError(), "帧序号超出范围");
    EXPECT_FALSE(reader.SetFrameInfo({}, 3));
    EXPECT_EQ(reader.GetGifData(0), before);

    const Bytes noGlobal = RawGif()
                               .Screen(4, 3, 0x01)
                               .Comment("no global table here")
                               .Image(0, 0, 1, 1, 0x80, testing::RampPalette(2), 2, OnePixel())
                               .Trailer()
                               .bytes;
    reader = Load(noGlobal);
    EXPECT_EQ(reader.GetPalette(0, 0), -1);
    EXPECT_EQ(reader.GetError(), "没有全局调色板");
    EXPECT_EQ(reader.GetPalette(1, 1), 1 + 256 * 2 + 65536 * 3);
    EXPECT_EQ(reader.GetError(), "");
}

TEST(ReaderPatch, SaveFailureKeepsTarget) {
    const Sample s = MakeSample();
    GifReader reader = Load(s.bytes);
    EXPECT_FALSE(reader.SaveGif("/nonexistent-folder/out.gif"));
    EXPECT_NE(reader.GetError().find("out.gif"), std::string::npos) << reader.GetError();
    EXPECT_TRUE(reader.SaveGif("/dev/null")) << reader.GetError();
    EXPECT_EQ(reader.GetError(), "");

    // A FIFO nobody reads fails at once instead of waiting; one with a reader gets the GIF.
    const std::string fifo = ::testing::TempDir() + "/reader_patch.fifo";
    std::filesystem::remove(fifo);
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(reader.SaveGif(fifo));
    EXPECT_NE(reader.GetError().find("创建文件失败: " + fifo), std::string::npos)
        << reader.GetError();
    const int listener = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(listener, 0);
    EXPECT_TRUE(reader.SaveGif(fifo)) << reader.GetError();
    Bytes received(s.bytes.size() + 1);
    EXPECT_EQ(read(listener, received.data(), received.size()), ssize_t(s.bytes.size()));
    received.resize(s.bytes.size());
    EXPECT_EQ(received, s.bytes);
    close(listener);
    std::filesystem::remove(fifo);
}

// On files giflib wrote (87a and 89a, global or local tables, interlaced or not), a frame
// patch and a colour patch show up in giflib's reading of the result exactly as asked, and
// nothing else of the file changes.
TEST(ReaderPatch, PatchesOfGiflibFilesAsGiflibReadsThem) {
    for (bool gif89 : {false, true}) {
        for (bool local : {false, true}) {
            for (int bits : {1, 3, 8}) {
                const std::string where = std::string(gif89 ? "89a" : "87a") +
                                          (local ? " local " : " global ") + std::to_string(bits) +
                                          " bits";
                SCOPED_TRACE(where);
                testing::GiflibGifSpec layout;
                layout.gif89 = gif89;
                layout.width = 30;
                layout.height = 20;
                if (!local) layout.globalPalette = testing::DistinctPalette(1 << bits, 1);
                for (int k = 0; k < 3; ++k) {
                    testing::GiflibImageSpec image;
                    if (gif89) image.extensions.push_back(testing::Control(0x02, 10 * k, 0));
                    image.width = 11 + k;
                    image.height = 7;
                    image.interlaced = k == 1;
                    if (local) image.localPalette = testing::DistinctPalette(1 << bits, 10 + k);
                    image.indices =
                        testing::TestIndices(image.width, 7, 1 << bits, uint32_t(k), true);
                    layout.images.push_back(image);
                }
                const Bytes original = testing::WriteWithGiflib(layout);
                const testing::GiflibGif before = testing::DecodeWithGiflib(original);
                ASSERT_TRUE(before.ok);

                GifReader reader = Load(original);
                FrameInfo info = reader.GetFrameInfo(2);
                info.DelayTime = 321;
                info.DisposalMethod = 3;
                info.Transparency = true;
                info.Left = 17;
                info.Top = 5;
                ASSERT_TRUE(reader.SetFrameInfo(info, 2));
                const uint32_t table = local ? 2 : 0;
                const uint8_t entry = uint8_t((1 << bits) - 1);
                ASSERT_TRUE(reader.SetPalette(table, entry, 0x0A0B0C));
                const Bytes patched = reader.GetGifData(0);
                // Delay (2) and packed byte (1) only with a control extension; offsets (4); colour
                // (3).
                EXPECT_LE(Differences(original, patched).size(), gif89 ? 10u : 7u);

                const testing::GiflibGif after = testing::DecodeWithGiflib(patched);
                ASSERT_TRUE(after.ok) << after.error;
                ASSERT_EQ(after.frames.size(), before.frames.size());
                for (size_t k = 0; k < after.frames.size(); ++k) {
                    const auto& b = before.frames[k];
                    const auto& a = after.frames[k];
                    EXPECT_EQ(a.indices, b.indices);
                    EXPECT_EQ(a.width, b.width);
                    EXPECT_EQ(a.interlaced, b.interlaced);
                    const bool patchedFrame = k == 1;
                    EXPECT_EQ(a.left, patchedFrame ? 17 : b.left);
                    EXPECT_EQ(a.top, patchedFrame ? 5 : b.top);
                    EXPECT_EQ(a.hasControl, b.hasControl);
                    if (b.hasControl) {
                        EXPECT_EQ(a.delay, patchedFrame ? 321 : b.delay);
                        EXPECT_EQ(a.disposal, patchedFrame ? 3 : b.disposal);
                        EXPECT_EQ(a.transparentIndex, patchedFrame ? 0 : b.transparentIndex);
                    }
                    Bytes palette = b.localPalette;
                    if (local && patchedFrame) {
                        palette[3 * entry] = 0x0C;
                        palette[3 * entry + 1] = 0x0B;
                        palette[3 * entry + 2] = 0x0A;
                    }
                    EXPECT_EQ(a.localPalette, palette);
                }
                Bytes global = before.globalPalette;
                if (!local) {
                    global[3 * entry] = 0x0C;
                    global[3 * entry + 1] = 0x0B;
                    global[3 * entry + 2] = 0x0A;
                }
                EXPECT_EQ(after.globalPalette, global);
                EXPECT_EQ(reader.GetPalette(table, entry), 0x0A0B0C);
            }
        }
    }
}

// A GIF from the library's own maker reads back with the settings it was made with, also
// comments that need more than one sub-block in UTF-8.
TEST(ReaderPatch, ReadsWhatTheMakerWrote) {
    std::string wide;
    for (int i = 0; i < 120; ++i) wide += "字";
    GifMaker maker;
    AnimationInfo animation;
    animation.LOOP = true;
    animation.LoopCount = 3;
    animation.exposition = "made here " + wide;
    ASSERT_TRUE(maker.Create(animation));
    for (int k = 0; k < 3; ++k) {
        FrameInfo frame;
        frame.DelayTime = uint16_t(10 + k);
        frame.DisposalMethod = uint8_t(k);
        frame.Transparency = k == 1;
        frame.Left = uint16_t(k);
        frame.Top = uint16_t(2 * k);
        frame.exposition = "frame " + std::to_string(k) + (k == 2 ? wide : "");
        const auto picture = testing::Bmp24(testing::ScreenLike(24, 16, uint32_t(k + 1)));
        ASSERT_TRUE(maker.AddFrame(frame, std::nullopt, std::span<const uint8_t>(picture)))
            << maker.GetError();
    }
    const Bytes bytes = testing::SaveToMemory(maker);
    GifReader reader = Load(bytes);
    ASSERT_EQ(reader.FrameCount(), 3u);
    const AnimationInfo info = reader.GetGifInfo();
    EXPECT_TRUE(info.LOOP);
    EXPECT_EQ(info.LoopCount, 3);
    EXPECT_EQ(info.exposition, "made here " + wide);
    EXPECT_EQ(info.Width, 24);
    const testing::GiflibGif expected = testing::DecodeWithGiflib(bytes);
    ASSERT_TRUE(expected.ok);
    for (uint32_t k = 0; k < 3; ++k) {
        const FrameInfo frame = reader.GetFrameInfo(k + 1);
        EXPECT_EQ(frame.DelayTime, 10 + k);
        EXPECT_EQ(frame.DisposalMethod, k);
        EXPECT_EQ(frame.Transparency, k == 1);
        EXPECT_EQ(frame.TransparencyIndex, 0);
        EXPECT_EQ(frame.Left, k);
        EXPECT_EQ(frame.Top, 2 * k);
        EXPECT_EQ(frame.Width, 24);
        EXPECT_EQ(frame.Depth, 16);
        EXPECT_EQ(frame.ColorNum, 256);
        EXPECT_EQ(frame.exposition, "frame " + std::to_string(k) + (k == 2 ? wide : ""));
        const auto bmp = testing::ParseBmp(reader.GetGifData(k + 1));
        ASSERT_TRUE(bmp.ok);
        EXPECT_EQ(bmp.bitCount, 8);
        EXPECT_EQ(bmp.indices, expected.frames[k].indices);
    }

    // One frame: no control extension and no looping.
    ASSERT_TRUE(maker.Create(animation));
    const auto picture = testing::Bmp24(testing::ScreenLike(5, 4));
    ASSERT_TRUE(maker.AddFrame(FrameInfo{}, std::nullopt, std::span<const uint8_t>(picture)));
    reader = Load(testing::SaveToMemory(maker));
    ASSERT_EQ(reader.FrameCount(), 1u);
    EXPECT_FALSE(reader.GetGifInfo().LOOP);
    EXPECT_EQ(reader.GetGifInfo().exposition, "made here " + wide);
    EXPECT_EQ(reader.GetFrameInfo(1).DelayTime, 0);
}

}  // namespace
}  // namespace gif
