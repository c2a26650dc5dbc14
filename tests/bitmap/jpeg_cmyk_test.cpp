// CMYK JPEGs as Adobe writes them (inverted channels, with an Adobe marker) decode to RGB.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

#include "bitmap/picture_codec.h"

namespace bitmap {
namespace {

// An 8 x 8 JPEG of one CMYK colour; libjpeg marks CMYK files the Adobe way.
std::vector<uint8_t> CmykJpeg(uint8_t c, uint8_t m, uint8_t y, uint8_t k) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = 8;
    info.image_height = 8;
    info.input_components = 4;
    info.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 100, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<uint8_t> row;
    for (int x = 0; x < 8; ++x) row.insert(row.end(), {c, m, y, k});
    while (info.next_scanline < 8) {
        JSAMPROW pointer = row.data();
        jpeg_write_scanlines(&info, &pointer, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::vector<uint8_t> file(buffer, buffer + size);
    free(buffer);
    return file;
}

TEST(DecodeJpeg, InvertedCmykBecomesRgb) {
    Image24 image;
    // Inverted: 255 is no ink. No cyan, full magenta, no yellow, no black: magenta.
    ASSERT_EQ(DecodePicture(CmykJpeg(255, 0, 255, 255), image), DecodeStatus::Ok);
    ASSERT_EQ(image.width, 8u);
    const uint8_t* pixel = image.pixels.data() + image.Stride() * 4 + 3 * 3;
    EXPECT_NEAR(pixel[0], 255, 3);  // blue
    EXPECT_NEAR(pixel[1], 0, 3);
    EXPECT_NEAR(pixel[2], 255, 3);
    // Half black darkens every channel.
    ASSERT_EQ(DecodePicture(CmykJpeg(255, 255, 0, 128), image), DecodeStatus::Ok);
    EXPECT_NEAR(image.pixels[0], 0, 3);
    EXPECT_NEAR(image.pixels[1], 128, 3);
    EXPECT_NEAR(image.pixels[2], 128, 3);
}

}  // namespace
}  // namespace bitmap
