// Frames extracted as BMPs, checked against giflib's decoding of the same files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "alloc_failure_support.h"
#include "gif/gif_reader.h"
#include "giflib_support.h"
#include "giflib_writer_support.h"

namespace gif {
namespace {

using testing::DecodeWithGiflib;
using testing::GiflibGif;
using testing::GiflibGifSpec;
using testing::GiflibImageSpec;
using testing::ParseBmp;
using testing::ParsedBmp;
using testing::RawGif;

GifReader Load(const std::vector<uint8_t>& bytes) {
    GifReader reader;
    EXPECT_TRUE(reader.LoadGif(std::nullopt, std::span<const uint8_t>(bytes))) << reader.GetError();
    return reader;
}

// Every pixel of `bmp` has giflib's index for it, and the BMP's colour for that index is the
// colour of the table in force.
void ExpectSameImage(const std::vector<uint8_t>& bmpBytes, const testing::GiflibFrame& frame,
                     const std::vector<uint8_t>& table, const std::string& where) {
    SCOPED_TRACE(where);
    const ParsedBmp bmp = ParseBmp(bmpBytes);
    ASSERT_TRUE(bmp.ok);
    ASSERT_EQ(bmp.width, frame.width);
    ASSERT_EQ(bmp.height, frame.height);
    EXPECT_TRUE(bmp.paddingZero);
    ASSERT_EQ(bmp.indices.size(), frame.indices.size());
    size_t wrong = 0;
    for (size_t i = 0; i < frame.indices.size(); ++i) {
        const uint8_t index = frame.indices[i];
        if (bmp.indices[i] != index) {
            ++wrong;
            continue;
        }
        ASSERT_LT(size_t(index) * 3 + 2, table.size());
        const uint8_t* rgb = &table[size_t(index) * 3];
        const uint8_t* bgr = &bmp.palette[size_t(index) * 4];
        if (bgr[0] != rgb[2] || bgr[1] != rgb[1] || bgr[2] != rgb[0] || bgr[3] != 0) ++wrong;
    }
    EXPECT_EQ(wrong, 0u) << "of " << frame.indices.size() << " pixels";
}

void ExpectAllFramesMatchGiflib(const std::vector<uint8_t>& bytes, const std::string& where) {
    const GiflibGif expected = DecodeWithGiflib(bytes);
    ASSERT_TRUE(expected.ok) << expected.error;
    GifReader reader = Load(bytes);
    ASSERT_EQ(reader.FrameCount(), expected.frames.size()) << where;
    for (size_t i = 0; i < expected.frames.size(); ++i) {
        const auto& frame = expected.frames[i];
        const auto& table =
            frame.localPalette.empty() ? expected.globalPalette : frame.localPalette;
        ExpectSameImage(reader.GetGifData(uint32_t(i + 1)), frame, table,
                        where + " frame " + std::to_string(i + 1));
        EXPECT_EQ(reader.GetError(), "");
    }
}

// 87a and 89a, every table size (minimum code sizes 2 to 8), interlaced or not, global or
// local tables, noise and screen-like content, odd sizes.
TEST(ReaderDecode, MatchesGiflibAcrossSettings) {
    for (bool gif89 : {false, true}) {
        for (int bits = 1; bits <= 8; ++bits) {
            for (bool interlaced : {false, true}) {
                for (bool local : {false, true}) {
                    const int colours = 1 << bits;
                    GiflibGifSpec layout;
                    layout.gif89 = gif89;
                    layout.width = 70;
                    layout.height = 40;
                    if (!local) layout.globalPalette = testing::DistinctPalette(colours, bits);
                    const int sizes[3][2] = {{37, 23}, {1, 1}, {64, 9}};
                    for (int k = 0; k < 3; ++k) {
                        GiflibImageSpec image;
                        if (gif89) image.extensions.push_back(testing::Control(k << 2, 7 * k, 0));
                        image.left = k;
                        image.top = 2 * k;
                        image.width = sizes[k][0];
                        image.height = sizes[k][1];
                        image.interlaced = interlaced;
                        if (local) image.localPalette = testing::DistinctPalette(colours, 100 + k);
                        image.indices = testing::TestIndices(image.width, image.height, colours,
                                                             uint32_t(bits * 10 + k), k == 0);
                        layout.images.push_back(image);
                    }
                    ExpectAllFramesMatchGiflib(
                        testing::WriteWithGiflib(layout),
                        std::string(gif89 ? "89a" : "87a") + " bits " + std::to_string(bits) +
                            (interlaced ? " interlaced" : "") + (local ? " local" : " global"));
                }
            }
        }
    }
}

// Interlaced heights that leave passes empty.
TEST(ReaderDecode, InterlacedSmallHeightsComeOutTopToBottom) {
    for (int height = 1; height <= 9; ++height) {
        GiflibGifSpec layout;
        layout.width = 3;
        layout.height = height;
        layout.globalPalette = testing::DistinctPalette(16, 1);
        GiflibImageSpec image;
        image.width = 3;
        image.height = height;
        image.interlaced = true;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < 3; ++x) image.indices.push_back(uint8_t(y));
        layout.images.push_back(image);
        const auto bytes = testing::WriteWithGiflib(layout);
        GifReader reader = Load(bytes);
        const ParsedBmp bmp = ParseBmp(reader.GetGifData(1));
        ASSERT_TRUE(bmp.ok);
        EXPECT_EQ(bmp.indices, image.indices) << "height " << height;
    }
}

// Comment and plain-text extensions in and between frames, a looping extension and trailing
// comments do not disturb the frames.
TEST(ReaderDecode, ExtensionsAroundFramesAreSkipped) {
    GiflibGifSpec layout;
    layout.width = 20;
    layout.height = 10;
    layout.globalPalette = testing::DistinctPalette(256, 3);
    for (int k = 0; k < 3; ++k) {
        GiflibImageSpec image;
        image.extensions.push_back(testing::Looping(k));
        image.extensions.push_back(testing::Control(0, 10, 0));
        image.extensions.push_back(testing::Comment("a, b, c,,,"));
        // A plain-text block followed by text sub-blocks full of 0x2C.
        image.extensions.push_back(
            {0x01, {{0, 0, 0, 0, 20, 0, 10, 0, 8, 8, 1, 0}, {',', ',', ','}, {',', 0x2C}}});
        image.width = 20;
        image.height = 10;
        image.indices = testing::TestIndices(20, 10, 256, uint32_t(k), true);
        layout.images.push_back(image);
    }
    layout.trailing.push_back(testing::Comment("the end"));
    ExpectAllFramesMatchGiflib(testing::WriteWithGiflib(layout), "extensions");
}

// Stray zero bytes between blocks and a missing trailer: the frames read as in the clean file.
TEST(ReaderDecode, StrayZerosAndMissingTrailer) {
    const auto pixels = testing::TestIndices(30, 12, 256, 5, false);
    const auto codes = testing::EncodeLzw(pixels, 8);
    auto build = [&](bool stray, bool trailer) {
        RawGif gif;
        gif.Screen(30, 12, 0xF7).Bytes(testing::RampPalette(256));
        if (stray) gif.Bytes({0, 0});
        gif.Control(0, 5);
        if (stray) gif.Bytes({0});
        gif.Image(0, 0, 30, 12, 0, {}, 8, codes);
        if (stray) gif.Bytes({0, 0, 0});
        gif.Control(4, 9).Image(0, 0, 30, 12, 0, {}, 8, codes, 17);
        if (trailer) gif.Trailer();
        return gif.bytes;
    };
    const GiflibGif clean = DecodeWithGiflib(build(false, true));
    ASSERT_TRUE(clean.ok) << clean.error;
    ASSERT_EQ(clean.frames.size(), 2u);
    for (bool stray : {false, true}) {
        for (bool trailer : {false, true}) {
            GifReader reader = Load(build(stray, trailer));
            ASSERT_EQ(reader.FrameCount(), 2u);
            for (uint32_t i = 1; i <= 2; ++i)
                ExpectSameImage(
                    reader.GetGifData(i), clean.frames[i - 1], clean.globalPalette,
                    "stray " + std::to_string(stray) + " trailer " + std::to_string(trailer));
        }
    }
}

// A code stream that fills all 4096 table entries and goes on without a clear code.
TEST(ReaderDecode, FullTableWithoutClearCode) {
    const int width = 160, height = 120;
    const auto pixels = testing::TestIndices(width, height, 256, 11, false);
    const auto codes = testing::EncodeLzw(pixels, 8, /*clearWhenFull=*/false);
    const auto bytes = RawGif()
                           .Screen(width, height, 0xF7)
                           .Bytes(testing::RampPalette(256))
                           .Image(0, 0, width, height, 0, {}, 8, codes)
                           .Trailer()
                           .bytes;
    GifReader reader = Load(bytes);
    const ParsedBmp bmp = ParseBmp(reader.GetGifData(1));
    ASSERT_TRUE(bmp.ok);
    EXPECT_EQ(bmp.indices, pixels);

    const GiflibGif expected = DecodeWithGiflib(bytes);
    ASSERT_TRUE(expected.ok) << expected.error;
    ExpectSameImage(reader.GetGifData(1), expected.frames[0], expected.globalPalette, "giflib");
}

// A code above the next free one is read as the previous string plus its own first pixel, and
// the entry added for it takes its place afterwards. Right after a clear code, a code above the
// single pixels ends the image.
TEST(ReaderDecode, CodesAboveTheNextFreeCode) {
    auto decode = [](const std::vector<std::pair<uint32_t, unsigned>>& codes) {
        testing::CodeWriter writer;
        for (const auto& [code, width] : codes) writer.Put(code, width);
        const auto bytes = RawGif()
                               .Screen(4, 2, 0x81)
                               .Bytes(testing::RampPalette(4))
                               .Image(0, 0, 4, 2, 0, {}, 2, writer.Finish())
                               .Trailer()
                               .bytes;
        GifReader reader = Load(bytes);
        const ParsedBmp bmp = ParseBmp(reader.GetGifData(1));
        EXPECT_TRUE(bmp.ok);
        return bmp.indices;
    };
    // Clear 4, end 5, first free 6. After "1", code 7 (next free: 6) gives "1 1" and adds
    // 6 = "1 1"; then 6 gives "1 1" and adds 7 = "1 1 1" (codes widen to 4 bits); 2 adds
    // 8 = "1 1 2"; 8 gives "1 1 2", of which the 4x2 image takes the first pixel.
    EXPECT_EQ(decode({{4, 3}, {1, 3}, {7, 3}, {6, 3}, {2, 4}, {8, 4}, {5, 4}}),
              (std::vector<uint8_t>{1, 1, 1, 1, 1, 2, 1, 1}));
    // With 4-bit codes: "1", "2", "3" add 6 and 7 (next free: 8); 12 gives "3 3" and adds
    // 8 = "3 3", which 8 then gives again. The data end one pixel short of the image.
    EXPECT_EQ(decode({{4, 3}, {1, 3}, {2, 3}, {3, 3}, {12, 4}, {8, 4}, {5, 4}}),
              (std::vector<uint8_t>{1, 2, 3, 3, 3, 3, 3, 0}));
    // A first row of 1s, a clear code, then 7: the second row is never reached.
    EXPECT_EQ(decode({{4, 3}, {1, 3}, {1, 3}, {1, 3}, {1, 4}, {4, 4}, {7, 3}, {2, 3}, {5, 3}}),
              (std::vector<uint8_t>{1, 1, 1, 1, 0, 0, 0, 0}));
}

// Small code sizes with a table that is smaller than the pixel values: values are cut to the
// BMP's bits, nothing spills into neighbouring pixels or padding.
TEST(ReaderDecode, MinimumCodeSizesBeyondTheTable) {
    for (int minCodeSize = 2; minCodeSize <= 8; ++minCodeSize) {
        std::vector<uint8_t> pixels(13 * 5);
        for (size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = uint8_t((i * 7) % (1u << minCodeSize));
        const auto codes = testing::EncodeLzw(pixels, minCodeSize);
        const auto bytes = RawGif()
                               .Screen(13, 5, 0x80)
                               .Bytes(testing::RampPalette(2))
                               .Image(0, 0, 13, 5, 0, {}, uint8_t(minCodeSize), codes)
                               .Trailer()
                               .bytes;
        GifReader reader = Load(bytes);
        const ParsedBmp bmp = ParseBmp(reader.GetGifData(1));
        ASSERT_TRUE(bmp.ok);
        EXPECT_EQ(bmp.bitCount, 1);
        EXPECT_TRUE(bmp.paddingZero);
        for (size_t i = 0; i < pixels.size(); ++i) ASSERT_EQ(bmp.indices[i], pixels[i] & 1) << i;
    }
}

TEST(ReaderDecode, BmpHeaderFields) {
    const std::vector<uint8_t> pixels(5 * 3, 1);
    const auto bytes = RawGif()
                           .Screen(5, 3, 0x81)
                           .Bytes(testing::RampPalette(4))
                           .Image(0, 0, 5, 3, 0, {}, 2, testing::EncodeLzw(pixels, 2))
                           .Trailer()
                           .bytes;
    GifReader reader = Load(bytes);
    const auto file = reader.GetGifData(1);
    const ParsedBmp bmp = ParseBmp(file);
    ASSERT_TRUE(bmp.ok);
    EXPECT_EQ(bmp.bitCount, 4);
    EXPECT_EQ(bmp.fileSize, file.size());
    EXPECT_EQ(bmp.pixelOffset, 14u + 40u + 4u * 16u);
    EXPECT_EQ(bmp.planes, 1);
    EXPECT_EQ(bmp.compression, 0u);
    EXPECT_EQ(bmp.imageSize, 4u * 3u);  // 5 pixels at 4 bits round up to 4 bytes
    EXPECT_EQ(bmp.coloursUsed, 16u);
    EXPECT_EQ(bmp.coloursImportant, 0u);
    EXPECT_EQ(file.size(), bmp.pixelOffset + bmp.imageSize);
    EXPECT_EQ(file[6] | file[7] | file[8] | file[9], 0);  // reserved words
}

// A 4-colour local table gives a 4-bit BMP whose entries 4 to 15 are black.
TEST(ReaderDecode, SmallLocalTablePadsWithBlack) {
    const std::vector<uint8_t> table{10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120};
    const std::vector<uint8_t> pixels{0, 1, 2, 3, 3, 2};
    const auto bytes = RawGif()
                           .Screen(3, 2, 0xF7)
                           .Bytes(testing::RampPalette(256))
                           .Image(0, 0, 3, 2, 0x81, table, 2, testing::EncodeLzw(pixels, 2))
                           .Trailer()
                           .bytes;
    GifReader reader = Load(bytes);
    const ParsedBmp bmp = ParseBmp(reader.GetGifData(1));
    ASSERT_TRUE(bmp.ok);
    EXPECT_EQ(bmp.bitCount, 4);
    EXPECT_EQ(bmp.indices, pixels);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(bmp.palette[4 * i + 2], table[3 * i]);
        EXPECT_EQ(bmp.palette[4 * i + 1], table[3 * i + 1]);
        EXPECT_EQ(bmp.palette[4 * i + 0], table[3 * i + 2]);
    }
    for (int i = 4; i < 16; ++i)
        EXPECT_EQ(bmp.palette[4 * i] | bmp.palette[4 * i + 1] | bmp.palette[4 * i + 2], 0) << i;
}

// Without any colour table the size field of the screen descriptor picks a fixed table.
TEST(ReaderDecode, FixedTablesWithoutColourTables) {
    struct Case {
        uint8_t packed;
        uint16_t bitCount;
    };
    for (const Case c : {Case{0x00, 1}, Case{0x03, 4}, Case{0x07, 8}}) {
        const std::vector<uint8_t> pixels{0, 1, 1, 0};
        const auto bytes = RawGif()
                               .Screen(2, 2, c.packed)
                               .Comment("long enough to be a GIF")
                               .Image(0, 0, 2, 2, 0, {}, 2, testing::EncodeLzw(pixels, 2))
                               .Trailer()
                               .bytes;
        GifReader reader = Load(bytes);
        const ParsedBmp bmp = ParseBmp(reader.GetGifData(1));
        ASSERT_TRUE(bmp.ok);
        ASSERT_EQ(bmp.bitCount, c.bitCount);
        EXPECT_EQ(bmp.indices, pixels);
        auto bgr = [&](int i) {
            return std::vector<int>{bmp.palette[4 * i], bmp.palette[4 * i + 1],
                                    bmp.palette[4 * i + 2]};
        };
        if (c.bitCount == 1) {
            EXPECT_EQ(bgr(0), (std::vector<int>{0, 0, 0}));
            EXPECT_EQ(bgr(1), (std::vector<int>{255, 255, 255}));
        } else if (c.bitCount == 4) {
            EXPECT_EQ(bgr(1), (std::vector<int>{128, 0, 0}));  // (0,0,128) as red, green, blue
            EXPECT_EQ(bgr(8), (std::vector<int>{192, 192, 192}));
            EXPECT_EQ(bgr(9), (std::vector<int>{255, 0, 0}));   // (0,0,255)
            EXPECT_EQ(bgr(12), (std::vector<int>{0, 0, 255}));  // (255,0,0)
            EXPECT_EQ(bgr(15), (std::vector<int>{255, 255, 255}));
        } else {
            for (int i = 0; i < 256; ++i) ASSERT_EQ(bgr(i), (std::vector<int>{i, i, i}));
        }
    }
}

// A stream cut short keeps what was decoded; the rest of the frame is index 0.
TEST(ReaderDecode, TruncatedStreamKeepsDecodedRows) {
    const int width = 40, height = 30;
    const auto pixels = testing::TestIndices(width, height, 256, 9, false);
    auto codes = testing::EncodeLzw(pixels, 8);
    codes.resize(codes.size() / 2);
    for (bool terminate : {true, false}) {
        const auto bytes = RawGif()
                               .Screen(width, height, 0xF7)
                               .Bytes(testing::RampPalette(256))
                               .Image(0, 0, width, height, 0, {}, 8, codes, 255, terminate)
                               .bytes;
        GifReader reader = Load(bytes);
        ASSERT_EQ(reader.FrameCount(), 1u);
        const ParsedBmp bmp = ParseBmp(reader.GetGifData(1));
        ASSERT_TRUE(bmp.ok);
        size_t same = 0;
        while (same < pixels.size() && bmp.indices[same] == pixels[same]) ++same;
        EXPECT_GT(same, pixels.size() / 4);
        EXPECT_LT(same, pixels.size());
        const size_t rowEnd = (same / width + 1) * width;
        for (size_t i = rowEnd; i < pixels.size(); ++i) ASSERT_EQ(bmp.indices[i], 0) << i;
    }
}

TEST(ReaderDecode, RefusedFrames) {
    // A minimum code size of 12 needs 13-bit codes.
    auto bytes = RawGif()
                     .Screen(2, 2, 0xF7)
                     .Bytes(testing::RampPalette(256))
                     .Image(0, 0, 2, 2, 0, {}, 12, {0x00, 0x10})
                     .Trailer()
                     .bytes;
    GifReader reader = Load(bytes);
    EXPECT_TRUE(reader.GetGifData(1).empty());
    EXPECT_EQ(reader.GetError(), "当前帧已经损坏");

    // 65535 x 65535 at 8 bits would be a 4 GiB BMP: refused before anything is allocated.
    bytes = RawGif()
                .Screen(2, 2, 0xF7)
                .Bytes(testing::RampPalette(256))
                .Image(0, 0, 65535, 65535, 0, {}, 8, {0x00, 0x01})
                .Trailer()
                .bytes;
    reader = Load(bytes);
    EXPECT_TRUE(reader.GetGifData(1).empty());
    EXPECT_EQ(reader.GetError(), "当前帧图片太大，无法转换为位图");
    EXPECT_EQ(reader.GetFrameInfo(1).Width, 65535);  // the rest of the frame still answers

    // A caller's tighter ceiling.
    bytes = RawGif()
                .Screen(2, 2, 0xF7)
                .Bytes(testing::RampPalette(256))
                .Image(0, 0, 200, 200, 0, {}, 8, {0x00, 0x01})
                .Trailer()
                .bytes;
    reader = Load(bytes);
    reader.SetFrameBmpLimit(10000);
    EXPECT_TRUE(reader.GetGifData(1).empty());
    reader.SetFrameBmpLimit(kMaxFrameBmpBytes);
    EXPECT_FALSE(reader.GetGifData(1).empty());
    EXPECT_EQ(reader.GetError(), "");
}

TEST(ReaderDecode, EmptyFramesGiveEmptyPictures) {
    const auto bytes = RawGif()
                           .Screen(2, 2, 0xF7)
                           .Bytes(testing::RampPalette(256))
                           .Image(0, 0, 0, 7, 0, {}, 8, testing::EncodeLzw({}, 8))
                           .Trailer()
                           .bytes;
    GifReader reader = Load(bytes);
    const ParsedBmp bmp = ParseBmp(reader.GetGifData(1));
    ASSERT_TRUE(bmp.ok);
    EXPECT_EQ(bmp.width, 0);
    EXPECT_EQ(bmp.height, 7);
}

}  // namespace
}  // namespace gif

namespace gif {
namespace {

// Memory that runs out at any allocation: no command throws, and whatever a command still
// returns is right.
TEST(ReaderDecode, AllocationFailuresAnywhere) {
    const auto pixels = testing::TestIndices(50, 20, 256, 4, true);
    const auto bytes = RawGif()
                           .Screen(50, 20, 0xF7)
                           .Bytes(testing::RampPalette(256))
                           .Control(0, 3)
                           .Comment("a frame comment long enough to need the heap")
                           .Image(0, 0, 50, 20, 0, {}, 8, testing::EncodeLzw(pixels, 8))
                           .Comment("an animation comment long enough to need the heap")
                           .Trailer()
                           .bytes;
    GifReader reference = Load(bytes);
    const std::vector<uint8_t> bmp = reference.GetGifData(1);
    ASSERT_FALSE(bmp.empty());
    bool refusedOnce = true;
    size_t n = 1;
    for (; refusedOnce && n < 200; ++n) {
        GifReader reader;
        std::vector<uint8_t> frame, whole;
        FrameInfo info;
        AnimationInfo animation;
        bool loaded = false;
        testing::FailAllocationNumber(n);
        EXPECT_NO_THROW({
            loaded = reader.LoadGif(std::nullopt, std::span<const uint8_t>(bytes));
            frame = reader.GetGifData(1);
            whole = reader.GetGifData(0);
            info = reader.GetFrameInfo(1);
            animation = reader.GetGifInfo();
            reader.SetPalette(1, 0, 0);
        });
        refusedOnce = testing::Disarm();
        if (!frame.empty()) {
            EXPECT_EQ(frame, bmp) << n;
        }
        if (!whole.empty()) {
            EXPECT_EQ(whole, bytes) << n;
        }
        if (loaded) {
            EXPECT_EQ(reader.FrameCount(), 1u);
        }
        // Once memory is back, the same reader works.
        ASSERT_TRUE(reader.LoadGif(std::nullopt, std::span<const uint8_t>(bytes)));
        EXPECT_EQ(reader.GetGifData(1), bmp);
        EXPECT_EQ(reader.GetGifInfo().exposition,
                  "an animation comment long enough to need the heap");
    }
    EXPECT_FALSE(refusedOnce);  // the loop ran until no allocation was left to refuse
    EXPECT_GT(n, 8u);           // and met several
}

}  // namespace
}  // namespace gif
