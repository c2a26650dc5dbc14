#include "bitmap/bmp_format.h"

#include <gtest/gtest.h>

#include <vector>

#include "bitmap/dib.h"
#include "bitmap/picture_codec.h"
#include "bmp_builder.h"

namespace bitmap {
namespace {

using test::Get32;
using test::MakeBmp;
using test::Put16;
using test::Put32;

TEST(BmpHeader, ReadsEveryKnownInfoHeaderAndRefusesTheRest) {
    auto bmp = MakeBmp(5, -3, 8, 2);
    Put32(bmp, 6, 0x01020304);
    BmpHeader header;
    ASSERT_TRUE(ReadBmpHeader(bmp, header));
    EXPECT_EQ(header.fileSize, bmp.size());
    EXPECT_EQ(header.reserved, 0x01020304u);
    EXPECT_EQ(header.pixelOffset, 54u + 8);
    EXPECT_EQ(header.width, 5);
    EXPECT_EQ(header.height, -3);  // top-down
    EXPECT_EQ(header.bitCount, 8);
    EXPECT_EQ(header.coloursUsed, 2u);

    // The 12-byte header: 16-bit fields, nothing after the bit count.
    std::vector<uint8_t> os2(26 + 6, 0);
    os2[0] = 'B', os2[1] = 'M';
    Put32(os2, 14, 12);
    Put16(os2, 18, 40000);
    Put16(os2, 20, 2);
    Put16(os2, 22, 1);
    Put16(os2, 24, 1);
    os2[30] = 0xFF;  // where a long header's compression would lie
    ASSERT_TRUE(ReadBmpHeader(os2, header));
    EXPECT_EQ(header.width, 40000);
    EXPECT_EQ(header.bitCount, 1);
    EXPECT_EQ(header.compression, 0u);

    auto v5 = MakeBmp(2, 2, 32);
    Put32(v5, 14, 124);
    EXPECT_FALSE(ReadBmpHeader(v5, header));  // the 124 bytes are not all there
    v5.resize(14 + 124);
    EXPECT_TRUE(ReadBmpHeader(v5, header));
    for (uint32_t size : {0u, 16u, 64u, 0xFFFFFFFFu}) {
        auto odd = MakeBmp(2, 2, 24);
        Put32(odd, 14, size);
        EXPECT_FALSE(ReadBmpHeader(odd, header)) << size;
    }
    auto notBmp = MakeBmp(2, 2, 24);
    notBmp[1] = 'A';
    EXPECT_FALSE(ReadBmpHeader(notBmp, header));
    EXPECT_FALSE(ReadBmpHeader(std::span(os2).first(25), header));
}

TEST(BmpHeader, WrittenHeadersReadBackAndLoad) {
    std::vector<uint8_t> bmp(kBmpHeadersBytes + 8 + 8, 0xEE);
    WriteBmpFileHeader(bmp.data(), uint32_t(bmp.size()), kBmpHeadersBytes + 8);
    WriteBmpInfoHeader(bmp.data() + kBmpFileHeaderBytes, {3, 2, 1, 8, 2});
    BmpHeader header;
    ASSERT_TRUE(ReadBmpHeader(bmp, header));
    EXPECT_EQ(header.reserved, 0u);
    EXPECT_EQ(header.headerSize, 40u);
    EXPECT_EQ(header.planes, 1);
    EXPECT_EQ(header.compression, 0u);
    EXPECT_EQ(header.imageSize, 8u);
    EXPECT_EQ(header.coloursUsed, 2u);
    for (size_t at : {38u, 42u, 50u}) EXPECT_EQ(Get32(bmp, at), 0u) << at;  // never left over
    Dib dib;
    ASSERT_TRUE(dib.LoadData(bmp)) << dib.GetError();
    EXPECT_EQ(dib.GetWidth(), 3);
    EXPECT_EQ(dib.GetData(), bmp);
}

TEST(BmpHeader, BmpStrideRoundsBitsUpToWords) {
    EXPECT_EQ(BmpStride(1, 1), 4u);
    EXPECT_EQ(BmpStride(33, 1), 8u);
    EXPECT_EQ(BmpStride(5, 24), 16u);
    EXPECT_EQ(BmpStride(3, 32), 12u);
    EXPECT_EQ(BmpStride(0xFFFFFFFFu, 32), uint64_t{0xFFFFFFFFu} * 4);  // no 32-bit overflow
}

TEST(PlainBmp, OnlyTheExactLayoutOfADibRoundTripCounts) {
    Image24 image;
    image.width = 3;
    image.height = 2;
    image.pixels.assign(image.Stride() * 2, 7);
    const std::vector<uint8_t> plain24 = EncodeBmp24(image), plain32 = EncodeBmp32(image);
    EXPECT_TRUE(IsPlainBmp(plain24));
    EXPECT_TRUE(IsPlainBmp(plain32));
    Dib dib;
    ASSERT_TRUE(dib.LoadData(plain32));
    EXPECT_EQ(dib.GetData(), plain32);

    auto longer = plain24;
    longer.push_back(0);
    auto reserved = plain24;
    reserved[7] = 1;
    auto topDown = plain24;
    Put32(topDown, 22, uint32_t(-2));
    auto table = MakeBmp(3, 2, 24, 1);
    auto eightBit = MakeBmp(4, 2, 8);
    Put32(eightBit, 10, 54);
    for (const auto* bmp : {&longer, &reserved, &topDown, &table, &eightBit})
        EXPECT_FALSE(IsPlainBmp(*bmp));

    EXPECT_TRUE(IsBmpOfDepth(plain24, 24));
    EXPECT_FALSE(IsBmpOfDepth(plain32, 24));
    EXPECT_TRUE(IsBmpOfDepth(topDown, 24));
    EXPECT_FALSE(IsBmpOfDepth(std::span(plain24).first(53), 24));
}

TEST(PlainBmp, The32BitViewTakesWhatTheDecoderReadsAsItLies) {
    auto bmp = MakeBmp(3, 2, 32);
    auto rows = PlainBmp32View(bmp);
    ASSERT_TRUE(rows.has_value());
    EXPECT_EQ(rows->width, 3u);
    EXPECT_EQ(rows->height, 2u);
    EXPECT_EQ(rows->stride, 12u);
    EXPECT_EQ(rows->rows, bmp.data() + 54);

    // A 108-byte header with its rows further on.
    auto v4 = MakeBmp(3, 2, 32);
    Put32(v4, 14, 108);
    v4.insert(v4.begin() + 54, 68, 0);
    Put32(v4, 10, 14 + 108);
    rows = PlainBmp32View(v4);
    ASSERT_TRUE(rows.has_value());
    EXPECT_EQ(rows->rows, v4.data() + 14 + 108);

    auto shortRows = MakeBmp(3, 2, 32);
    shortRows.pop_back();
    auto topDown = MakeBmp(3, -2, 32);
    auto bitFields = MakeBmp(3, 2, 32, 0, 3);
    auto past = MakeBmp(3, 2, 32);
    Put32(past, 10, uint32_t(past.size() + 1));
    auto inHeader = MakeBmp(3, 2, 32);
    Put32(inHeader, 10, 40);
    auto huge = MakeBmp(1, 1, 32);
    Put32(huge, 18, kMaxPictureSide + 1);
    for (const auto* refused : {&shortRows, &topDown, &bitFields, &past, &inHeader, &huge})
        EXPECT_FALSE(PlainBmp32View(*refused).has_value());
}

}  // namespace
}  // namespace bitmap
