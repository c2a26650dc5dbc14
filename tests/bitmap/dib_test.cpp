#include "bitmap/dib.h"

#include <gtest/gtest.h>

#include <string>

#include "bmp_builder.h"

namespace bitmap {
namespace {

using test::MakeBmp;
using test::Put16;
using test::Put32;

const std::string kUnsupported = "不被支持的位图数据或无法识别的文件格式";
const std::string kNotCreated = "位图尚未创建，没有可用数据";
const std::string kOutOfRange = "像素点坐标越界";
const std::string kBadIndex = "颜色索引无效";
const std::string kNoTable = "当前位图格式不使用颜色表";

constexpr int32_t Rgb(int red, int green, int blue) {
    return red | green << 8 | blue << 16;
}

void SetTableEntry(std::vector<uint8_t>& bmp, size_t index, int red, int green, int blue) {
    bmp[54 + index * 4] = uint8_t(blue);
    bmp[54 + index * 4 + 1] = uint8_t(green);
    bmp[54 + index * 4 + 2] = uint8_t(red);
}

TEST(DibLoad, RefusesWhatItCannotHold) {
    struct Case {
        const char* what;
        std::vector<uint8_t> data;
    };
    std::vector<Case> cases;
    auto good = MakeBmp(4, 2, 24);
    cases.push_back({"53 bytes", std::vector<uint8_t>(good.begin(), good.begin() + 53)});
    auto headerOnly = MakeBmp(4, 2, 24);
    headerOnly.resize(54);
    Put32(headerOnly, 2, 54);
    cases.push_back({"no pixel bytes", headerOnly});
    auto wrongMagic = good;
    wrongMagic[1] = 'A';
    cases.push_back({"signature", wrongMagic});
    auto longerThanData = good;
    Put32(longerThanData, 2, uint32_t(good.size() + 1));
    cases.push_back({"declared size beyond the data", longerThanData});
    auto v4 = good;
    Put32(v4, 14, 108);
    cases.push_back({"108-byte header", v4});
    cases.push_back({"2 bits per pixel", MakeBmp(4, 2, 2, 4)});
    cases.push_back({"bit fields", MakeBmp(4, 2, 32, 0, 3)});
    cases.push_back({"run-length coded", MakeBmp(4, 2, 8, 256, 1)});
    auto truncated = good;
    truncated.resize(good.size() - 1);
    Put32(truncated, 2, uint32_t(truncated.size()));
    cases.push_back({"rows missing their last byte", truncated});
    auto hugeTable = MakeBmp(4, 2, 8, 2);
    Put32(hugeTable, 46, 0xFFFFFFFF);
    cases.push_back({"colour table far beyond the data", hugeTable});
    auto tableOneShort = MakeBmp(1, 1, 8, 2);  // 66 bytes; four entries would end at 70
    Put32(tableOneShort, 46, 4);
    cases.push_back({"colour table one entry beyond the data", tableOneShort});
    auto noPlanes = good;
    Put16(noPlanes, 26, 0);
    cases.push_back({"zero planes", noPlanes});
    auto offsetPastEnd = good;
    Put32(offsetPastEnd, 10, uint32_t(good.size()));
    cases.push_back({"pixel offset at the end", offsetPastEnd});
    auto hugeWidth = good;
    Put32(hugeWidth, 18, 0x7FFFFFFF);
    cases.push_back({"width beyond the data", hugeWidth});
    cases.push_back({"zero width", MakeBmp(0, 2, 24)});
    auto negativeWidth = good;
    Put32(negativeWidth, 18, uint32_t(-4));
    cases.push_back({"negative width", negativeWidth});
    auto zeroHeight = good;
    Put32(zeroHeight, 22, 0);
    cases.push_back({"zero height", zeroHeight});
    auto minHeight = good;
    Put32(minHeight, 22, 0x80000000);
    cases.push_back({"most negative height", minHeight});
    std::string version = "version";
    cases.push_back({"version", std::vector<uint8_t>(version.begin(), version.end())});

    for (const Case& c : cases) {
        Dib dib;
        ASSERT_TRUE(dib.LoadData(good));
        EXPECT_FALSE(dib.LoadData(c.data)) << c.what;
        EXPECT_EQ(dib.GetError(), kUnsupported) << c.what;
        // The earlier picture is gone: the object is empty again.
        EXPECT_EQ(dib.GetWidth(), -1) << c.what;
        EXPECT_EQ(dib.GetError(), kNotCreated) << c.what;
        EXPECT_EQ(dib.Bits(), nullptr);
    }
}

TEST(DibLoad, AcceptsShorterDeclaredSizeAndTrailingBytes) {
    auto bmp = MakeBmp(3, 2, 24);
    Put32(bmp, 2, 10);
    bmp.push_back(0xEE);
    Dib dib;
    ASSERT_TRUE(dib.LoadData(bmp)) << dib.GetError();
    EXPECT_STREQ(dib.GetError(), "");
    EXPECT_EQ(dib.GetWidth(), 3);
    EXPECT_EQ(dib.GetHeight(), 2);
    // The output holds the rows only, not what trailed them.
    EXPECT_EQ(dib.GetData().size(), 54u + 12 * 2);
}

TEST(DibEmpty, EveryCommandFailsWithNeutralResult) {
    Dib dib;
    EXPECT_TRUE(dib.GetData().empty());
    EXPECT_EQ(dib.GetError(), kNotCreated);
    EXPECT_EQ(dib.GetWidth(), -1);
    EXPECT_EQ(dib.GetHeight(), -1);
    EXPECT_EQ(dib.GetPixel(0, 0), 0);
    EXPECT_EQ(dib.GetError(), kNotCreated);
    EXPECT_FALSE(dib.SetPixel(0, 0, 0));
    EXPECT_EQ(dib.GetError(), kNotCreated);
    EXPECT_EQ(dib.GetColorTableEntry(0), 0);
    EXPECT_EQ(dib.GetError(), kNotCreated);
    EXPECT_STRNE(Dib::Version(), "");
}

// A frame as the screen grabber delivers it: 32 bits, bottom-up, fourth byte unused.
std::vector<uint8_t> GrabberFrame(int32_t width, int32_t height) {
    auto bmp = MakeBmp(width, height, 32);
    Put32(bmp, 34, 0);  // the grabber leaves the image-size field empty
    for (size_t i = 54; i < bmp.size(); ++i) bmp[i] = uint8_t(i * 7 + 3);
    return bmp;
}

TEST(DibData, GrabberFrameRoundTripsUnchanged) {
    const auto frame = GrabberFrame(5, 3);
    Dib dib;
    ASSERT_TRUE(dib.LoadData(frame));
    auto out = dib.GetData();
    ASSERT_EQ(out, frame);
    EXPECT_EQ(test::Get32(out, 2), 54u + 20 * 3);
    EXPECT_EQ(test::Get32(out, 10), 54u);
    EXPECT_EQ(test::Get32(out, 34), 0u);  // copied as it was

    // Rewriting every pixel with its own colour keeps the fourth bytes too.
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 5; ++x) ASSERT_TRUE(dib.SetPixel(x, y, dib.GetPixel(x, y)));
    EXPECT_EQ(dib.GetData(), frame);
}

TEST(DibPixels, TopLeftIsTheLastStoredRow) {
    auto bmp = MakeBmp(2, 3, 24);
    const size_t lastRow = 54 + 8 * 2;
    bmp[lastRow] = 30;  // blue
    bmp[lastRow + 1] = 20;
    bmp[lastRow + 2] = 10;
    bmp[54 + 3] = 99;  // bottom row, x = 1: blue
    Dib dib;
    ASSERT_TRUE(dib.LoadData(bmp));
    EXPECT_EQ(dib.GetPixel(0, 0), Rgb(10, 20, 30));
    EXPECT_EQ(dib.GetPixel(1, 2), Rgb(0, 0, 99));
    ASSERT_TRUE(dib.SetPixel(1, 0, Rgb(1, 2, 3) | int32_t(0x7F000000)));  // top byte ignored
    auto out = dib.GetData();
    EXPECT_EQ(out[lastRow + 3], 3);
    EXPECT_EQ(out[lastRow + 4], 2);
    EXPECT_EQ(out[lastRow + 5], 1);
}

TEST(DibPixels, CoordinatesOutsideThePictureFail) {
    Dib dib;
    ASSERT_TRUE(dib.LoadData(MakeBmp(4, 3, 24)));
    ASSERT_TRUE(dib.SetPixel(3, 2, Rgb(9, 9, 9)));
    const std::pair<int32_t, int32_t> outside[] = {
        {4, 0}, {0, 3}, {-1, 0}, {0, -1}, {INT32_MIN, 0}};
    for (auto [x, y] : outside) {
        EXPECT_EQ(dib.GetPixel(x, y), 0);
        EXPECT_EQ(dib.GetError(), kOutOfRange);
        EXPECT_FALSE(dib.SetPixel(x, y, Rgb(1, 1, 1)));
        EXPECT_EQ(dib.GetError(), kOutOfRange);
    }
    // A later good command empties the error text.
    EXPECT_EQ(dib.GetPixel(3, 2), Rgb(9, 9, 9));
    EXPECT_STREQ(dib.GetError(), "");
}

TEST(DibPixels, SixteenBitsKeepFiveBitsAChannel) {
    Dib dib;
    ASSERT_TRUE(dib.LoadData(MakeBmp(3, 1, 16)));
    ASSERT_TRUE(dib.SetPixel(0, 0, Rgb(255, 255, 255)));
    ASSERT_TRUE(dib.SetPixel(1, 0, Rgb(8, 16, 255)));
    EXPECT_EQ(dib.GetPixel(0, 0), Rgb(248, 248, 248));
    EXPECT_EQ(dib.GetPixel(1, 0), Rgb(8, 16, 248));
    const auto out = dib.GetData();
    EXPECT_EQ(out[54] | out[55] << 8, 0x7FFF);
    EXPECT_EQ(out[56] | out[57] << 8, 31 | 2 << 5 | 1 << 10);
    EXPECT_EQ(dib.GetColorTableEntry(0), 0);
    EXPECT_EQ(dib.GetError(), kNoTable);
}

TEST(DibPixels, PalettisedPixelsUseTheNearestEntry) {
    auto bmp = MakeBmp(9, 2, 4, 4);
    SetTableEntry(bmp, 0, 0, 0, 0);
    SetTableEntry(bmp, 1, 200, 0, 0);
    SetTableEntry(bmp, 2, 200, 0, 0);  // a duplicate: the lower index wins
    SetTableEntry(bmp, 3, 0, 0, 250);
    Dib dib;
    ASSERT_TRUE(dib.LoadData(bmp));
    ASSERT_TRUE(dib.SetPixel(0, 0, Rgb(190, 10, 0)));
    ASSERT_TRUE(dib.SetPixel(1, 0, Rgb(0, 0, 255)));
    ASSERT_TRUE(dib.SetPixel(8, 1, Rgb(200, 0, 0)));
    EXPECT_EQ(dib.GetPixel(0, 0), Rgb(200, 0, 0));
    EXPECT_EQ(dib.GetPixel(1, 0), Rgb(0, 0, 250));
    auto out = dib.GetData();
    const size_t top = 54 + 16 + 8, bottom = 54 + 16;  // rows of 8 bytes
    EXPECT_EQ(out[top], 0x13);                         // high nibble for even x
    EXPECT_EQ(out[bottom + 4], 0x10);                  // x = 8, bottom row

    // An index past the four-entry table reads as black; writing never produces one.
    out[top + 1] = 0xF0;
    ASSERT_TRUE(dib.LoadData(out));
    EXPECT_EQ(dib.GetPixel(2, 0), 0);
    EXPECT_STREQ(dib.GetError(), "");
}

TEST(DibPixels, MonochromeBitsAndIndicesBeyondTheDepth) {
    auto bmp = MakeBmp(10, 1, 1, 3);  // a third entry a 1-bit pixel cannot name
    SetTableEntry(bmp, 0, 0, 0, 0);
    SetTableEntry(bmp, 1, 255, 255, 255);
    SetTableEntry(bmp, 2, 0, 255, 0);
    Dib dib;
    ASSERT_TRUE(dib.LoadData(bmp));
    ASSERT_TRUE(dib.SetPixel(0, 0, Rgb(250, 250, 250)));
    ASSERT_TRUE(dib.SetPixel(9, 0, Rgb(240, 240, 240)));
    ASSERT_TRUE(dib.SetPixel(9, 0, Rgb(240, 240, 240)));  // the remembered index
    EXPECT_FALSE(dib.SetPixel(5, 0, Rgb(0, 250, 0)));
    EXPECT_EQ(dib.GetError(), kBadIndex);
    ASSERT_TRUE(dib.SetPixel(0, 0, Rgb(10, 10, 10)));
    auto out = dib.GetData();
    EXPECT_EQ(out[54 + 12], 0x00);
    EXPECT_EQ(out[54 + 13], 0x40);
    EXPECT_EQ(dib.GetPixel(9, 0), Rgb(255, 255, 255));

    // Changing the table changes what a written colour maps to.
    ASSERT_TRUE(dib.SetColorTableEntry(0, Rgb(0, 250, 0)));
    ASSERT_TRUE(dib.SetPixel(5, 0, Rgb(0, 250, 0)));
    EXPECT_EQ(dib.GetPixel(5, 0), Rgb(0, 250, 0));
    EXPECT_EQ(dib.GetColorTableEntry(2), Rgb(0, 255, 0));
    EXPECT_EQ(dib.GetColorTableEntry(3), 0);
    EXPECT_EQ(dib.GetError(), kBadIndex);
}

TEST(DibPixels, EightBitsExactMatchAmongManyEntries) {
    auto bmp = MakeBmp(2, 1, 8, 256);
    Put32(bmp, 46, 0);  // colours-used 0: all 256 entries
    for (size_t i = 0; i < 256; ++i) SetTableEntry(bmp, i, int(i), int(255 - i), 7);
    Dib dib;
    ASSERT_TRUE(dib.LoadData(bmp));
    ASSERT_TRUE(dib.SetPixel(1, 0, Rgb(200, 55, 7)));
    EXPECT_EQ(dib.GetData()[54 + 1024 + 1], 200);
}

TEST(DibLoad, OldHeaderBecomesTheLongOne) {
    // 12-byte header, 8 bits, two-colour table of 3-byte entries.
    std::vector<uint8_t> bmp(26 + 2 * 3 + 4 * 6, 0);  // six rows, to reach the 54-byte minimum
    bmp[0] = 'B';
    bmp[1] = 'M';
    Put32(bmp, 2, uint32_t(bmp.size()));
    Put32(bmp, 10, 32);
    Put32(bmp, 14, 12);
    Put16(bmp, 18, 3);
    Put16(bmp, 20, 6);
    Put16(bmp, 22, 1);
    Put16(bmp, 24, 1);
    bmp[29] = 10, bmp[30] = 20, bmp[31] = 30;  // entry 1: blue, green, red
    bmp[32 + 5 * 4] = 0x40;                    // top row, x = 1: entry 1
    Dib dib;
    ASSERT_TRUE(dib.LoadData(bmp)) << dib.GetError();
    EXPECT_EQ(dib.GetWidth(), 3);
    EXPECT_EQ(dib.GetPixel(1, 0), Rgb(30, 20, 10));
    const auto out = dib.GetData();
    EXPECT_EQ(test::Get32(out, 14), 40u);
    EXPECT_EQ(test::Get32(out, 10), 54u + 8);
    Dib again;
    ASSERT_TRUE(again.LoadData(out));
    EXPECT_EQ(again.GetPixel(1, 0), Rgb(30, 20, 10));

    Put16(bmp, 24, 8);  // 256 entries of 3 bytes do not fit before the end
    Put16(bmp, 18, 1);
    EXPECT_FALSE(dib.LoadData(bmp));
    EXPECT_EQ(dib.GetError(), kUnsupported);
}

TEST(DibLoad, TopDownRowsAreTurnedBottomUp) {
    auto bmp = MakeBmp(1, -2, 32);
    bmp[54] = 1;      // first stored row: the top
    bmp[54 + 4] = 2;  // second: the bottom
    bmp.push_back(0xAB);
    Dib dib;
    ASSERT_TRUE(dib.LoadData(bmp));
    EXPECT_EQ(dib.GetHeight(), 2);
    EXPECT_EQ(dib.GetPixel(0, 0), Rgb(0, 0, 1));
    EXPECT_EQ(dib.GetPixel(0, 1), Rgb(0, 0, 2));
    const auto out = dib.GetData();
    EXPECT_EQ(test::Get32(out, 22), 2u);
    EXPECT_EQ(out[54], 2);
    EXPECT_EQ(out[58], 1);
    EXPECT_EQ(dib.Bits()[0], 2);
}

TEST(DibBits, RowAccessMatchesThePixelCommands) {
    Dib dib;
    ASSERT_TRUE(dib.LoadData(GrabberFrame(7, 4)));
    ASSERT_EQ(dib.BitsPerPixel(), 32);
    ASSERT_EQ(dib.Stride(), 28u);
    const uint8_t* pixel = dib.Bits() + dib.Stride() * (4 - 1 - 2) + 5 * 4;  // x 5, y 2
    EXPECT_EQ(dib.GetPixel(5, 2), Rgb(pixel[2], pixel[1], pixel[0]));
}

}  // namespace
}  // namespace bitmap
