// Every third-party test picture decodes to its expected pixels.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "bitmap/picture_codec.h"
#include "bmp_builder.h"

namespace bitmap {
namespace {

struct Expectation {
    const char* file;
    int tolerance;  // per channel
};

constexpr Expectation kPictures[] = {
    {"bmp24-v3.bmp", 0},       {"bmp24-v4.bmp", 0},        {"bmp24-os2.bmp", 0},
    {"bmp24-topdown.bmp", 0},  {"bmp32-rgb.bmp", 0},       {"bmp32-alpha-v5.bmp", 0},
    {"bmp16-565.bmp", 7},      {"bmp16-555.bmp", 7},       {"bmp8-palette.bmp", 0},
    {"bmp4-palette.bmp", 0},   {"bmp1-mono.bmp", 0},       {"bmp8-rle8.bmp", 0},
    {"png-rgb.png", 0},        {"png-rgba.png", 0},        {"png-palette.png", 0},
    {"png-gray.png", 0},       {"png-adam7.png", 0},       {"png-rgb16.png", 1},
    {"jpg-baseline.jpg", 2},   {"jpg-progressive.jpg", 2}, {"jpg-gray.jpg", 2},
    {"gif-interlaced.gif", 0}, {"gif-transparent.gif", 0},
};

class TestPicture : public testing::TestWithParam<Expectation> {};

TEST_P(TestPicture, DecodesToExpectedPixels) {
    const Expectation& expectation = GetParam();
    const std::string name = expectation.file;
    const auto data = test::ReadFile(test::PicturePath(name));
    const auto expected =
        test::ReadFile(test::PicturePath("expected/" + name.substr(0, name.rfind('.')) + ".rgb"));
    ASSERT_FALSE(data.empty());
    ASSERT_EQ(expected.size(), 37u * 23u * 3u);

    Image24 image;
    ASSERT_EQ(DecodePicture(data, image), DecodeStatus::Ok);
    ASSERT_EQ(image.width, 37u);
    ASSERT_EQ(image.height, 23u);
    ASSERT_EQ(image.pixels.size(), image.Stride() * 23);

    int worst = 0, mismatches = 0;
    for (uint32_t y = 0; y < 23; ++y) {
        // Expected rows run top first in RGB order; the image keeps them bottom first in BGR.
        const uint8_t* row = image.pixels.data() + image.Stride() * (22 - y);
        for (uint32_t x = 0; x < 37; ++x) {
            for (int c = 0; c < 3; ++c) {
                const int want = expected[(y * 37 + x) * 3 + size_t(c)];
                const int got = row[x * 3 + size_t(2 - c)];
                const int difference = std::abs(want - got);
                if (difference > worst) worst = difference;
                if (difference > expectation.tolerance && ++mismatches <= 3)
                    ADD_FAILURE() << name << " pixel (" << x << ", " << y << ") channel " << c
                                  << ": expected " << want << ", got " << got;
            }
        }
    }
    EXPECT_LE(worst, expectation.tolerance) << mismatches << " channel values beyond tolerance";
    for (uint32_t y = 0; y < 23; ++y)  // row padding stays zero
        EXPECT_EQ(image.pixels[image.Stride() * y + 111], 0);
}

INSTANTIATE_TEST_SUITE_P(Pictures, TestPicture, testing::ValuesIn(kPictures),
                         [](const testing::TestParamInfo<Expectation>& info) {
                             std::string name = info.param.file;
                             for (char& c : name)
                                 if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name;
                         });

}  // namespace
}  // namespace bitmap
