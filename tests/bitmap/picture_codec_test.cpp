#include "bitmap/picture_codec.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bmp_builder.h"
#include "common/allocation_probe.h"

namespace bitmap {
namespace {

using test::MakeBmp;
using test::Put16;
using test::Put32;

// Blue, green, red of the pixel x, y counted from the top.
std::array<int, 3> PixelAt(const Image24& image, uint32_t x, uint32_t y) {
    const uint8_t* p = image.pixels.data() + image.Stride() * (image.height - 1 - y) + x * 3;
    return {p[0], p[1], p[2]};
}

using Bgr = std::array<int, 3>;

TEST(EncodeBmp24, RoundTripsThroughTheDecoder) {
    Image24 image;
    image.width = 5;  // 15 bytes of pixels, one of padding
    image.height = 3;
    image.pixels.resize(image.Stride() * 3);
    for (uint32_t y = 0; y < 3; ++y)
        for (uint32_t x = 0; x < 15; ++x) image.pixels[y * 16 + x] = uint8_t(y * 40 + x * 3 + 1);

    const auto file = EncodeBmp24(image);
    ASSERT_EQ(file.size(), 54u + 48);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(test::Get32(file, 2), 102u);
    EXPECT_EQ(test::Get32(file, 10), 54u);
    EXPECT_EQ(test::Get32(file, 14), 40u);
    EXPECT_EQ(file[28], 24);
    EXPECT_EQ(test::Get32(file, 34), 48u);

    Image24 decoded;
    ASSERT_EQ(DecodePicture(file, decoded), DecodeStatus::Ok);
    EXPECT_EQ(decoded.width, 5u);
    EXPECT_EQ(decoded.height, 3u);
    EXPECT_EQ(decoded.pixels, image.pixels);
}

TEST(EncodeBmp24, RefusesAnImageWithoutPixels) {
    Image24 empty;
    EXPECT_TRUE(EncodeBmp24(empty).empty());
    Image24 shortRows;
    shortRows.width = 4;
    shortRows.height = 4;
    shortRows.pixels.resize(47);
    EXPECT_TRUE(EncodeBmp24(shortRows).empty());
}

TEST(EncodeBmp32, PadsEachPixelAndRoundTripsThroughTheDecoder) {
    Image24 image;
    image.width = 3;
    image.height = 2;
    image.pixels = {1,  2,  3,  4,  5,  6,  7,  8,  9,  0, 0, 0,
                    10, 11, 12, 13, 14, 15, 16, 17, 18, 0, 0, 0};

    const auto file = EncodeBmp32(image);
    ASSERT_EQ(file.size(), 54u + 24);
    EXPECT_EQ(test::Get32(file, 2), 78u);
    EXPECT_EQ(test::Get32(file, 10), 54u);
    EXPECT_EQ(file[28], 32);
    EXPECT_EQ(test::Get32(file, 34), 24u);
    const std::vector<uint8_t> firstRow(file.begin() + 54, file.begin() + 66);
    EXPECT_EQ(firstRow, (std::vector<uint8_t>{1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0}));

    Image24 decoded;
    ASSERT_EQ(DecodePicture(file, decoded), DecodeStatus::Ok);
    EXPECT_EQ(decoded.pixels, image.pixels);
}

TEST(EncodeBmp32, WritesSidesBeyondTheDecoderButNotShortRows) {
    Image24 wide;
    wide.width = kMaxPictureSide + 1;
    wide.height = 1;
    wide.pixels.assign(wide.Stride(), 0x40);
    const auto file = EncodeBmp32(wide);
    ASSERT_EQ(file.size(), 54u + 4 * size_t{wide.width});
    EXPECT_EQ(test::Get32(file, 18), wide.width);
    Image24 decoded;
    EXPECT_EQ(DecodePicture(file, decoded), DecodeStatus::TooLarge);

    wide.pixels.pop_back();
    EXPECT_TRUE(EncodeBmp32(wide).empty());
    EXPECT_TRUE(EncodeBmp32(Image24{}).empty());
}

TEST(DecodePicture, UnknownOrEmptyInputLeavesNoPicture) {
    Image24 image;
    image.width = 1;
    image.height = 1;
    image.pixels = {1, 2, 3, 0};
    const std::string texts[] = {"", "B", "BM", "hello, world", "GIF88a", "\x89PNG"};
    for (const std::string& text : texts) {
        std::vector<uint8_t> data(text.begin(), text.end());
        EXPECT_EQ(DecodePicture(data, image), DecodeStatus::NotAPicture) << text;
        EXPECT_EQ(image.width, 0u);
        EXPECT_TRUE(image.pixels.empty());
    }
}

TEST(DecodeBmp, TopDownThirtyTwoBitsWithOddWidth) {
    auto bmp = MakeBmp(5, -2, 32);
    for (int x = 0; x < 5; ++x) {
        bmp[54 + size_t(x) * 4] = uint8_t(x);  // top row, blue = x
        bmp[54 + size_t(x) * 4 + 3] = 0x12;    // not alpha in a plain 32-bit file
        bmp[74 + size_t(x) * 4 + 2] = uint8_t(100 + x);
    }
    Image24 image;
    ASSERT_EQ(DecodePicture(bmp, image), DecodeStatus::Ok);
    for (uint32_t x = 0; x < 5; ++x) {
        EXPECT_EQ(PixelAt(image, x, 0), (Bgr{int(x), 0, 0}));
        EXPECT_EQ(PixelAt(image, x, 1), (Bgr{0, 0, int(100 + x)}));
    }
}

std::vector<uint8_t> BitFieldsBmp(int bitCount, uint32_t red, uint32_t green, uint32_t blue,
                                  uint32_t pixel) {
    auto bmp = MakeBmp(1, 1, bitCount, 3, 3);  // room for three masks after the header
    Put32(bmp, 46, 0);
    Put32(bmp, 54, red);
    Put32(bmp, 58, green);
    Put32(bmp, 62, blue);
    Put32(bmp, 66, pixel);
    return bmp;
}

TEST(DecodeBmp, BitFieldsWidenEachChannel) {
    Image24 image;
    // 10 bits a channel keep their top 8; 3 bits are repeated; a zero mask reads black.
    ASSERT_EQ(
        DecodePicture(BitFieldsBmp(32, 0x3FF00000, 0x000FFC00, 0x3FF, 0x3FF00000 | 0x200), image),
        DecodeStatus::Ok);
    EXPECT_EQ(PixelAt(image, 0, 0), (Bgr{0x80, 0, 0xFF}));
    ASSERT_EQ(DecodePicture(BitFieldsBmp(16, 0x7, 0x38, 0, 0x5 | 0x38), image), DecodeStatus::Ok);
    EXPECT_EQ(PixelAt(image, 0, 0), (Bgr{0, 0xFF, 0xB6}));

    // Masks with gaps, or beyond the pixel's bits, make no sense.
    EXPECT_EQ(DecodePicture(BitFieldsBmp(32, 0xF0F, 0xF0, 0xF000, 0), image),
              DecodeStatus::NotAPicture);
    EXPECT_EQ(DecodePicture(BitFieldsBmp(16, 0x1F0000, 0x7E0, 0x1F, 0), image),
              DecodeStatus::NotAPicture);
}

TEST(DecodeBmp, SixteenBitsWithoutMasksAreFiveFiveFive) {
    auto bmp = MakeBmp(1, 1, 16);
    Put16(bmp, 54, 0x7C00 | 0x10);
    Image24 image;
    ASSERT_EQ(DecodePicture(bmp, image), DecodeStatus::Ok);
    EXPECT_EQ(PixelAt(image, 0, 0), (Bgr{0x84, 0, 0xFF}));
}

TEST(DecodeBmp, PartialAlphaIsComposedOverBlack) {
    auto bmp = MakeBmp(2, 1, 32, 4, 6);  // alpha bit fields after a 40-byte header
    Put32(bmp, 46, 0);
    Put32(bmp, 54, 0xFF0000);
    Put32(bmp, 58, 0xFF00);
    Put32(bmp, 62, 0xFF);
    Put32(bmp, 66, 0xFF000000);
    Put32(bmp, 70, 0x80C86432);  // alpha 128 over red 200, green 100, blue 50
    Put32(bmp, 74, 0x00FFFFFF);  // fully transparent white
    Image24 image;
    ASSERT_EQ(DecodePicture(bmp, image), DecodeStatus::Ok);
    EXPECT_EQ(PixelAt(image, 0, 0), (Bgr{25, 50, 100}));
    EXPECT_EQ(PixelAt(image, 1, 0), (Bgr{0, 0, 0}));
}

TEST(DecodeBmp, PaletteShorterThanItsIndices) {
    auto bmp = MakeBmp(3, 1, 8, 2);
    bmp[54 + 4] = 9;  // entry 1: blue 9
    bmp[62] = 1;
    bmp[63] = 200;  // no such entry
    Image24 image;
    ASSERT_EQ(DecodePicture(bmp, image), DecodeStatus::Ok);
    EXPECT_EQ(PixelAt(image, 0, 0), (Bgr{9, 0, 0}));
    EXPECT_EQ(PixelAt(image, 1, 0), (Bgr{0, 0, 0}));

    // A colours-used count beyond the file: only the entries before the pixels count.
    Put32(bmp, 46, 100000);
    ASSERT_EQ(DecodePicture(bmp, image), DecodeStatus::Ok);
    EXPECT_EQ(PixelAt(image, 0, 0), (Bgr{9, 0, 0}));
    // Pixels that start inside the header are nonsense.
    Put32(bmp, 10, 40);
    EXPECT_EQ(DecodePicture(bmp, image), DecodeStatus::NotAPicture);
}

// An 8-bit run-length coded picture: 6 x 3, entry i having blue = 10 * i.
std::vector<uint8_t> RleBmp(std::vector<uint8_t> code, int compression = 1, int bitCount = 8) {
    auto bmp = MakeBmp(6, 3, bitCount, 16, uint32_t(compression));
    bmp.resize(54 + 64);
    for (int i = 0; i < 16; ++i) bmp[54 + size_t(i) * 4] = uint8_t(10 * i);
    bmp.insert(bmp.end(), code.begin(), code.end());
    Put32(bmp, 2, uint32_t(bmp.size()));
    return bmp;
}

TEST(DecodeBmp, RunLengthCodes) {
    Image24 image;
    // Bottom row: run of 2 x entry 1, literal 3,4,5 (padded), end of line; then move right 4
    // and up 1; a run of 9 x entry 2 that the row clips; end of picture.
    const auto rle8 = RleBmp({2, 1, 0, 3, 3, 4, 5, 0, 0, 0, 0, 2, 4, 1, 9, 2, 0, 1});
    ASSERT_EQ(DecodePicture(rle8, image), DecodeStatus::Ok);
    EXPECT_EQ(PixelAt(image, 0, 2), (Bgr{10, 0, 0}));
    EXPECT_EQ(PixelAt(image, 4, 2), (Bgr{50, 0, 0}));
    EXPECT_EQ(PixelAt(image, 5, 2), (Bgr{0, 0, 0}));  // never written
    EXPECT_EQ(PixelAt(image, 3, 0), (Bgr{0, 0, 0}));
    EXPECT_EQ(PixelAt(image, 4, 0), (Bgr{20, 0, 0}));
    EXPECT_EQ(PixelAt(image, 5, 0), (Bgr{20, 0, 0}));

    // Four bits: a run alternates its two nibbles; a literal of 3 takes 2 bytes.
    const auto rle4 = RleBmp({5, 0x12, 0, 3, 0x34, 0x50, 0, 1}, 2, 4);
    ASSERT_EQ(DecodePicture(rle4, image), DecodeStatus::Ok);
    EXPECT_EQ(PixelAt(image, 0, 2), (Bgr{10, 0, 0}));
    EXPECT_EQ(PixelAt(image, 1, 2), (Bgr{20, 0, 0}));
    EXPECT_EQ(PixelAt(image, 4, 2), (Bgr{10, 0, 0}));
    EXPECT_EQ(PixelAt(image, 5, 2), (Bgr{30, 0, 0}));  // literal clipped at the row end

    // Code that stops without its end: damaged.
    EXPECT_EQ(DecodePicture(RleBmp({2, 1, 0, 3, 3}), image), DecodeStatus::NotAPicture);
    EXPECT_EQ(DecodePicture(RleBmp({2, 1, 0, 2, 1}), image), DecodeStatus::NotAPicture);
}

TEST(DecodeBmp, RefusesBrokenHeaders) {
    Image24 image;
    auto zeroWidth = MakeBmp(1, 1, 24);
    Put32(zeroWidth, 18, 0);
    auto negativeWidth = MakeBmp(1, 1, 24);
    Put32(negativeWidth, 18, uint32_t(-1));
    auto minHeight = MakeBmp(1, 1, 24);
    Put32(minHeight, 22, 0x80000000);
    auto badHeader = MakeBmp(1, 1, 24);
    Put32(badHeader, 14, 41);
    auto badDepth = MakeBmp(1, 1, 24);
    Put16(badDepth, 28, 7);
    auto topDownRle = RleBmp({0, 1});
    Put32(topDownRle, 22, uint32_t(-3));
    auto shortRows = MakeBmp(8, 8, 24);
    shortRows.resize(shortRows.size() - 25);  // one row and one byte short
    const std::vector<uint8_t>* all[] = {&zeroWidth, &negativeWidth, &minHeight, &badHeader,
                                         &badDepth,  &topDownRle,    &shortRows};
    for (const auto* bmp : all) EXPECT_EQ(DecodePicture(*bmp, image), DecodeStatus::NotAPicture);

    // The last row may lack its padding.
    auto unpadded = MakeBmp(1, 2, 24);
    unpadded.pop_back();
    EXPECT_EQ(DecodePicture(unpadded, image), DecodeStatus::Ok);
}

// CRC of a PNG chunk's type and data.
uint32_t Crc32(const uint8_t* data, size_t size) {
    uint32_t crc = 0xFFFFFFFF;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) crc = crc >> 1 ^ (0xEDB88320 & (0 - (crc & 1)));
    }
    return ~crc;
}

void PutBig32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + size_t(i)] = uint8_t(value >> (24 - 8 * i));
}

std::vector<uint8_t> PngWithSize(uint32_t width, uint32_t height) {
    auto png = test::ReadFile(test::PicturePath("png-rgb.png"));
    PutBig32(png, 16, width);  // IHDR data starts at 16
    PutBig32(png, 20, height);
    PutBig32(png, 29, Crc32(png.data() + 12, 17));
    return png;
}

std::vector<uint8_t> JpegWithSize(uint16_t width, uint16_t height) {
    auto jpeg = test::ReadFile(test::PicturePath("jpg-baseline.jpg"));
    for (size_t i = 2; i + 9 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && (jpeg[i + 1] == 0xC0 || jpeg[i + 1] == 0xC2)) {
            jpeg[i + 5] = uint8_t(height >> 8), jpeg[i + 6] = uint8_t(height);
            jpeg[i + 7] = uint8_t(width >> 8), jpeg[i + 8] = uint8_t(width);
            return jpeg;
        }
    }
    return {};
}

std::vector<uint8_t> GifWithScreen(uint16_t width, uint16_t height) {
    auto gif = test::ReadFile(test::PicturePath("gif-transparent.gif"));
    Put16(gif, 6, width);
    Put16(gif, 8, height);
    return gif;
}

TEST(DecodePicture, HugePicturesAreRefusedBeforeAllocating) {
    auto wideBmp = MakeBmp(1, 1, 24);
    Put32(wideBmp, 18, kMaxPictureSide + 1);
    auto bigBmp = MakeBmp(1, 1, 24);  // 60000 x 60000 x 3 is past 1 GiB
    Put32(bigBmp, 18, 60000);
    Put32(bigBmp, 22, uint32_t(-60000));
    auto bigRle = RleBmp({0, 1});
    Put32(bigRle, 18, 30000);
    Put32(bigRle, 22, 30000);
    struct Case {
        const char* what;
        std::vector<uint8_t> data;
        DecodeStatus status;
    };
    const Case cases[] = {
        {"wide BMP", wideBmp, DecodeStatus::TooLarge},
        {"big BMP", bigBmp, DecodeStatus::TooLarge},
        {"big RLE BMP", bigRle, DecodeStatus::TooLarge},
        {"wide PNG", PngWithSize(kMaxPictureSide + 1, 1), DecodeStatus::TooLarge},
        {"big PNG", PngWithSize(40000, 40000), DecodeStatus::TooLarge},
        {"PNG of the largest sides it can state", PngWithSize(0x7FFFFFFF, 0x7FFFFFFF),
         DecodeStatus::TooLarge},
        {"big JPEG", JpegWithSize(40000, 40000), DecodeStatus::TooLarge},
        {"JPEG beyond its library", JpegWithSize(65535, 1), DecodeStatus::TooLarge},
        {"big GIF screen", GifWithScreen(65535, 65535), DecodeStatus::TooLarge},
    };
    for (const Case& c : cases) {
        Image24 image;
        testsupport::AllocationProbe probe;
        EXPECT_EQ(DecodePicture(c.data, image), c.status) << c.what;
        EXPECT_LT(probe.Largest(), size_t{1} << 20) << c.what;
        EXPECT_TRUE(image.pixels.empty());
    }

    // A 20000 x 20000 BMP (1.2 GB of rows) in 60 bytes is truncated, not large.
    auto claim = MakeBmp(1, 1, 8, 0);
    Put32(claim, 18, 18000);
    Put32(claim, 22, 18000);
    Image24 image;
    testsupport::AllocationProbe probe;
    EXPECT_EQ(DecodePicture(claim, image), DecodeStatus::NotAPicture);
    EXPECT_LT(probe.Largest(), size_t{1} << 20);
}

#if defined(__SANITIZE_ADDRESS__)
#define GIFREC_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define GIFREC_ASAN 1
#endif
#endif

#ifndef GIFREC_ASAN
// The exit status of decoding `claim` once the address space may grow by no more than 48 MB:
// 0 when it is refused as too large.
int DecodeUnderAddressLimit(const std::vector<uint8_t>& claim) {
    long pages = 0;
    FILE* statm = std::fopen("/proc/self/statm", "r");
    if (!statm || std::fscanf(statm, "%ld", &pages) != 1) return 2;
    std::fclose(statm);
    const rlim_t limit = rlim_t(pages) * rlim_t(::sysconf(_SC_PAGESIZE)) + (rlim_t{48} << 20);
    const rlimit space{limit, limit};
    if (::setrlimit(RLIMIT_AS, &space) != 0) return 3;
    Image24 image;
    return DecodePicture(claim, image) == DecodeStatus::TooLarge ? 0 : 1;
}

// The C libraries allocate with malloc, out of the allocation probe's sight; a child process
// whose address space is held to 48 MB more shows that they, too, refuse such claims from the
// header. (The sanitizer's shadow memory does not fit under such a limit.)
TEST(DecodePictureDeathTest, ClaimsAreRefusedWithinFortyEightMegabytes) {
    auto bigRle = RleBmp({0, 1});
    Put32(bigRle, 18, 30000);
    Put32(bigRle, 22, 30000);
    const std::vector<uint8_t> claims[] = {PngWithSize(0x7FFFFFFF, 0x7FFFFFFF),
                                           PngWithSize(40000, 40000), JpegWithSize(40000, 40000),
                                           GifWithScreen(65535, 65535), bigRle};
    for (const auto& claim : claims)
        EXPECT_EXIT(std::_Exit(DecodeUnderAddressLimit(claim)), ::testing::ExitedWithCode(0), "");
}
#endif

TEST(DecodePicture, TighterLimitsApply) {
    Image24 image;
    const auto png = test::ReadFile(test::PicturePath("png-rgb.png"));  // 37 x 23
    EXPECT_EQ(DecodePicture(png, image, DecodeLimits{36, kMaxImageBytes}), DecodeStatus::TooLarge);
    EXPECT_EQ(DecodePicture(png, image, DecodeLimits{37, 112 * 23 - 1}), DecodeStatus::TooLarge);
    EXPECT_EQ(DecodePicture(png, image, DecodeLimits{37, 112 * 23}), DecodeStatus::Ok);
    // Limits looser than the built-in ones do not loosen them.
    auto wideBmp = MakeBmp(1, 1, 24);
    Put32(wideBmp, 18, kMaxPictureSide + 1);
    EXPECT_EQ(DecodePicture(wideBmp, image, DecodeLimits{UINT32_MAX, UINT64_MAX}),
              DecodeStatus::TooLarge);
}

// A 4 x 3 screen holding a 2 x 1 image at (1, 1): pixels of entries 1 and 0, entry 1 transparent
// when asked.
std::vector<uint8_t> SmallGif(bool transparent) {
    std::vector<uint8_t> gif = {'G',  'I', 'F', '8', '9', 'a', 4,   0,   3, 0,
                                0x80, 0,   0,   10,  20,  30,  200, 100, 50};  // entries 0 and 1
    if (transparent) gif.insert(gif.end(), {0x21, 0xF9, 4, 1, 0, 0, 1, 0});
    gif.insert(gif.end(), {0x2C, 1, 0, 1, 0, 2, 0, 1, 0, 0});
    gif.insert(gif.end(), {2, 2, 0x0C, 0x0A, 0, 0x3B});  // LZW: clear, 1, 0, end
    return gif;
}

TEST(DecodeGif, FirstImageSitsOnABlackScreen) {
    Image24 image;
    ASSERT_EQ(DecodePicture(SmallGif(false), image), DecodeStatus::Ok);
    ASSERT_EQ(image.width, 4u);
    ASSERT_EQ(image.height, 3u);
    EXPECT_EQ(PixelAt(image, 1, 1), (Bgr{50, 100, 200}));
    EXPECT_EQ(PixelAt(image, 2, 1), (Bgr{30, 20, 10}));
    EXPECT_EQ(PixelAt(image, 0, 0), (Bgr{0, 0, 0}));
    EXPECT_EQ(PixelAt(image, 3, 2), (Bgr{0, 0, 0}));

    ASSERT_EQ(DecodePicture(SmallGif(true), image), DecodeStatus::Ok);
    EXPECT_EQ(PixelAt(image, 1, 1), (Bgr{0, 0, 0}));
    EXPECT_EQ(PixelAt(image, 2, 1), (Bgr{30, 20, 10}));

    auto noImage = SmallGif(false);
    noImage.resize(19);
    noImage.push_back(0x3B);
    EXPECT_EQ(DecodePicture(noImage, image), DecodeStatus::NotAPicture);
}

// Every cut of every test picture is decoded or refused, and never read past.
TEST(DecodePicture, EveryTruncationIsHandled) {
    const char* files[] = {"bmp8-rle8.bmp", "bmp32-alpha-v5.bmp", "bmp24-os2.bmp",
                           "png-adam7.png", "png-rgb16.png",      "jpg-progressive.jpg",
                           "jpg-gray.jpg",  "gif-interlaced.gif", "gif-transparent.gif"};
    for (const char* file : files) {
        const auto whole = test::ReadFile(test::PicturePath(file));
        ASSERT_FALSE(whole.empty()) << file;
        int decoded = 0;
        for (size_t length = 0; length < whole.size(); ++length) {
            // A copy of exactly `length` bytes, so that the sanitizers see any overread.
            std::vector<uint8_t> cut(whole.begin(), whole.begin() + std::ptrdiff_t(length));
            Image24 image;
            const DecodeStatus status = DecodePicture(cut, image);
            ASSERT_TRUE(status == DecodeStatus::Ok || status == DecodeStatus::NotAPicture)
                << file << " cut at " << length;
            if (status == DecodeStatus::Ok) {
                ++decoded;
                ASSERT_EQ(image.pixels.size(), image.Stride() * image.height);
            }
        }
        // Most cuts of a picture lose pixels that the decoder needs.
        EXPECT_LT(decoded, int(whole.size()) / 2) << file;
    }
}

}  // namespace
}  // namespace bitmap
