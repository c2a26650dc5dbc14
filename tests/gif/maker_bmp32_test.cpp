// 32-bit BMP pictures as the recorder hands them over: a plain one is reduced where its rows lie,
// and must give exactly the frame the decoder's 24-bit copy gives; any other header goes through
// the decoder and gets its result. Data is copied to buffers of exact size, so that the sanitizer
// build catches any read past the end.
#include <gtest/gtest.h>

#include <fstream>
#include <random>

#include "alloc_failure_support.h"
#include "bitmap/byte_order.h"
#include "maker_support.h"

namespace gif::testing {
namespace {

std::vector<uint8_t> Exact(const std::vector<uint8_t>& bytes, size_t size) {
    return std::vector<uint8_t>(bytes.begin(), bytes.begin() + std::ptrdiff_t(size));
}

// Sets the fourth byte of every pixel, which a 32-bit BMP without bit fields does not use.
void ScribbleFourthBytes(std::vector<uint8_t>& bmp, uint32_t seed) {
    std::mt19937 random(seed);
    const uint32_t offset = bitmap::Read32(bmp.data() + 10);
    for (size_t i = offset + 3; i < bmp.size(); i += 4) bmp[i] = uint8_t(random());
}

struct Outcome {
    bool added = false;
    std::string error;
    IndexedImage image;  // valid when added
};

Outcome Add(std::span<const uint8_t> bytes, bool dither) {
    GifMaker maker;
    maker.Create({});
    FrameInfo info;
    info.Dither = dither;
    Outcome outcome;
    outcome.added = maker.AddFrame(info, std::nullopt, bytes);
    outcome.error = maker.GetError();
    EXPECT_EQ(maker.FrameCount(), outcome.added ? 1u : 0u);
    if (outcome.added) {
        const StoredFrame decoded = maker.DecodeFrame(0);
        const IndexedImage& stored = decoded.image;
        outcome.image.width = stored.width;
        outcome.image.height = stored.height;
        outcome.image.colourTable = stored.colourTable;
        const size_t bytesInRows = stored.Stride() * stored.height;
        outcome.image.rows = AllocateFrameRows(bytesInRows);
        std::copy_n(stored.rows.get(), bytesInRows, outcome.image.rows.get());
    }
    return outcome;
}

// The same result, down to the colour table, every index and every padding byte.
void ExpectSameOutcome(const Outcome& actual, const Outcome& expected) {
    ASSERT_EQ(actual.added, expected.added);
    EXPECT_EQ(actual.error, expected.error);
    if (!expected.added) return;
    ASSERT_EQ(actual.image.width, expected.image.width);
    ASSERT_EQ(actual.image.height, expected.image.height);
    EXPECT_EQ(actual.image.colourTable, expected.image.colourTable);
    const size_t bytesInRows = expected.image.Stride() * expected.image.height;
    for (size_t i = 0; i < bytesInRows; ++i)
        ASSERT_EQ(actual.image.rows.get()[i], expected.image.rows.get()[i])
            << "row " << i / expected.image.Stride() << ", byte " << i % expected.image.Stride();
}

// The 32-bit file image against the picture as a 24-bit BMP, for both reductions.
void ExpectSameAsDecoded(const std::vector<uint8_t>& bmp32, const bitmap::Image24& picture) {
    const std::vector<uint8_t> bmp24 = Bmp24(picture);
    ASSERT_FALSE(bmp24.empty());
    for (bool dither : {false, true}) {
        SCOPED_TRACE(dither ? "dither" : "popularity");
        Outcome expected = Add(bmp24, dither);
        ASSERT_TRUE(expected.added) << expected.error;
        ExpectSameOutcome(Add(Exact(bmp32, bmp32.size()), dither), expected);
    }
}

std::vector<uint8_t> ScribbledBmp32(const bitmap::Image24& picture, uint32_t seed) {
    std::vector<uint8_t> bmp = Bmp32(picture);
    ScribbleFourthBytes(bmp, seed);
    return bmp;
}

TEST(MakerBmp32, PlainPicturesGiveTheDecodedPicturesFrames) {
    std::vector<std::pair<std::string, bitmap::Image24>> pictures;
    pictures.emplace_back("screen", ScreenLike(403, 301, 3));
    pictures.emplace_back("noise", Noise(173, 91, 4));  // far more than 256 colours
    pictures.emplace_back("1x1", Noise(1, 1, 5));
    for (uint32_t width : {2u, 3u, 5u, 7u, 8u, 9u, 15u, 17u, 31u})
        pictures.emplace_back("width " + std::to_string(width), Noise(width, 5, width));
    // Runs of one key with a lone differing pixel at every position of an 8-pixel block.
    std::mt19937 random(9);
    pictures.emplace_back("blocks", MakeImage(67, 19, [&](uint32_t x, uint32_t y) {
                              Rgb c{uint8_t(x / 8 * 40), 200, uint8_t(y * 12)};
                              if (random() % 11 == 0) c.r ^= 0x80;
                              return c;
                          }));
    uint32_t seed = 1;
    for (const auto& [name, picture] : pictures) {
        SCOPED_TRACE(name);
        ExpectSameAsDecoded(ScribbledBmp32(picture, seed++), picture);
        ExpectSameAsDecoded(Bmp32(picture), picture);
    }
}

TEST(MakerBmp32, LongInfoHeadersAndAPictureFile) {
    const bitmap::Image24 picture = ScreenLike(45, 23, 7);
    const std::vector<uint8_t> plain = ScribbledBmp32(picture, 11);
    // A V5 header (124 bytes) whose alpha mask a picture without bit fields ignores.
    std::vector<uint8_t> v5(plain.begin(), plain.begin() + 54);
    v5.resize(14 + 124, 0);
    bitmap::Write32(v5.data() + 14, 124);
    bitmap::Write32(v5.data() + 66, 0xFF000000u);
    bitmap::Write32(v5.data() + 10, 14 + 124);
    v5.insert(v5.end(), plain.begin() + 54, plain.end());
    ExpectSameAsDecoded(v5, picture);

    const std::string path = TemporaryFolder() + "/frame32.bmp";
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(plain.data()), std::streamsize(plain.size()));
    Outcome expected = Add(Bmp24(picture), false);
    GifMaker maker;
    maker.Create({});
    ASSERT_TRUE(maker.AddFrame({}, path, std::nullopt)) << maker.GetError();
    const StoredFrame decoded = maker.DecodeFrame(0);
    const IndexedImage& fromFile = decoded.image;
    EXPECT_EQ(fromFile.colourTable, expected.image.colourTable);
    EXPECT_TRUE(std::equal(fromFile.rows.get(), fromFile.rows.get() + fromFile.Stride() * 23,
                           expected.image.rows.get()));
}

// Other 32-bit headers are the decoder's: its picture when it reads one, its error when not.
TEST(MakerBmp32, MalformedOrUnusualHeadersGetTheDecodersResult) {
    const bitmap::Image24 picture = Noise(37, 13, 21);
    const std::vector<uint8_t> plain = ScribbledBmp32(picture, 22);
    const std::string undecodable = "读入图片文件失败";

    for (bool dither : {false, true}) {
        SCOPED_TRACE(dither ? "dither" : "popularity");
        auto expectRefused = [&](const std::vector<uint8_t>& bytes, const char* what) {
            SCOPED_TRACE(what);
            Outcome outcome = Add(bytes, dither);
            EXPECT_FALSE(outcome.added);
            EXPECT_EQ(outcome.error, undecodable);
        };
        expectRefused(Exact(plain, plain.size() - 1), "rows short by one byte");
        expectRefused(Exact(plain, 54 + 37 * 4 * 12), "one row missing");
        std::vector<uint8_t> offsetPastEnd = plain;
        bitmap::Write32(offsetPastEnd.data() + 10, uint32_t(plain.size() + 1));
        expectRefused(offsetPastEnd, "pixel offset past the end");
        std::vector<uint8_t> offsetShifted = plain;
        bitmap::Write32(offsetShifted.data() + 10, 58);  // the rows then end 4 bytes late
        expectRefused(offsetShifted, "pixel offset leaves the last row short");
        std::vector<uint8_t> hugeWidth = plain;
        bitmap::Write32(hugeWidth.data() + 18, 0x7FFFFFFFu);
        Outcome huge = Add(hugeWidth, dither);
        EXPECT_FALSE(huge.added);
        EXPECT_EQ(huge.error, "图片尺寸超出GIF格式范围");
    }

    // Top-down rows: the same picture, read the other way up.
    std::vector<uint8_t> topDown(plain.begin(), plain.begin() + 54);
    bitmap::Write32(topDown.data() + 22, uint32_t(-13));
    for (uint32_t y = 13; y-- > 0;) {
        auto row = plain.begin() + 54 + std::ptrdiff_t(y) * 37 * 4;
        topDown.insert(topDown.end(), row, row + 37 * 4);
    }
    ExpectSameAsDecoded(topDown, picture);

    // Bit fields in the usual places: the decoder reads them, to the same picture.
    std::vector<uint8_t> bitFields(plain.begin(), plain.begin() + 54);
    bitmap::Write32(bitFields.data() + 30, 3);
    bitmap::Write32(bitFields.data() + 10, 54 + 12);
    for (uint32_t mask : {0x00FF0000u, 0x0000FF00u, 0x000000FFu}) {
        bitFields.resize(bitFields.size() + 4);
        bitmap::Write32(bitFields.data() + bitFields.size() - 4, mask);
    }
    bitFields.insert(bitFields.end(), plain.begin() + 54, plain.end());
    ExpectSameAsDecoded(bitFields, picture);

    // Planes other than 1 and an info header the decoder does not know.
    std::vector<uint8_t> planes = plain;
    bitmap::Write16(planes.data() + 26, 0);
    ExpectSameAsDecoded(planes, picture);
    std::vector<uint8_t> oddHeader = plain;
    bitmap::Write32(oddHeader.data() + 14, 44);
    for (bool dither : {false, true}) {
        Outcome outcome = Add(oddHeader, dither);
        EXPECT_FALSE(outcome.added);
        EXPECT_EQ(outcome.error, undecodable);
    }
}

// How many allocations AddFrame makes on its way to success.
size_t AllocationsToAdd(std::span<const uint8_t> bytes) {
    for (size_t n = 1; n < 1000; ++n) {
        GifMaker maker;
        maker.Create({});
        FailAllocationNumber(n);
        const bool added = maker.AddFrame({}, std::nullopt, bytes);
        Disarm();
        if (added) return n - 1;
    }
    ADD_FAILURE() << "never added";
    return 0;
}

TEST(MakerBmp32, APlainPictureIsNotCopied) {
    const bitmap::Image24 picture = ScreenLike(64, 48, 2);
    const std::vector<uint8_t> plain = Bmp32(picture);
    std::vector<uint8_t> topDown = plain;  // the decoder's path; its rows read upside down
    bitmap::Write32(topDown.data() + 22, uint32_t(-48));
    EXPECT_LT(AllocationsToAdd(plain), AllocationsToAdd(topDown));
}

}  // namespace
}  // namespace gif::testing
