// LZW with minimum code sizes below 8, as small colour tables use: giflib decodes every size
// back to the indices, and one encoder switching between sizes gives what a fresh one gives.
#include <gtest/gtest.h>

#include <random>

#include "gif/lzw/lzw_decoder.h"
#include "gif/lzw/lzw_encoder.h"
#include "giflib_support.h"
#include "giflib_writer_support.h"

namespace gif::testing {
namespace {

// Runs of random lengths, values below 2^bits; long enough to fill the code table.
std::vector<uint8_t> Pixels(uint32_t count, unsigned bits, uint32_t seed) {
    std::mt19937 random(seed);
    std::vector<uint8_t> pixels;
    while (pixels.size() < count) {
        const size_t run = random() % 4 == 0 ? random() % 200 : 1 + random() % 3;
        pixels.insert(pixels.end(), std::min<size_t>(run, count - pixels.size()),
                      uint8_t(random() & ((1u << bits) - 1)));
    }
    return pixels;
}

std::vector<uint8_t> Encode(LzwEncoder& encoder, const std::vector<uint8_t>& pixels, uint32_t width,
                            unsigned bits) {
    std::vector<const uint8_t*> rows;
    for (size_t at = 0; at < pixels.size(); at += width) rows.push_back(pixels.data() + at);
    std::vector<uint8_t> out;
    encoder.Encode(rows, width, out, bits);
    return out;
}

std::vector<uint8_t> DecodedIndices(const std::vector<uint8_t>& data, uint16_t width,
                                    uint16_t height, unsigned bits) {
    RawGif gif;
    gif.Screen(width, height, uint8_t(0x80 | (bits - 1)));
    gif.Bytes(RampPalette(1 << bits));
    gif.Bytes({0x2C, 0, 0, 0, 0, uint8_t(width), uint8_t(width >> 8), uint8_t(height),
               uint8_t(height >> 8), 0});
    gif.Bytes(data);
    gif.Trailer();
    const GiflibGif decoded = DecodeWithGiflib(gif.bytes);
    EXPECT_TRUE(decoded.ok) << decoded.error;
    return decoded.frames.empty() ? std::vector<uint8_t>{} : decoded.frames[0].indices;
}

TEST(LzwCodeSize, EverySizeDecodesAndOneEncoderServesThemAll) {
    LzwEncoder shared;
    const uint16_t width = 300, height = 200;
    // 8 bits first and last: the single-pixel codes the small sizes used as strings come back.
    for (unsigned bits : {8u, 2u, 3u, 4u, 5u, 6u, 7u, 8u, 2u}) {
        SCOPED_TRACE(bits);
        const std::vector<uint8_t> pixels = Pixels(width * height, bits, bits);
        const std::vector<uint8_t> data = Encode(shared, pixels, width, bits);
        EXPECT_EQ(data[0], bits);
        LzwEncoder fresh;
        EXPECT_EQ(data, Encode(fresh, pixels, width, bits));
        EXPECT_EQ(DecodedIndices(data, width, height, bits), pixels);
    }
}

// Our own decoder's reading of an image's data (after the minimum code size byte).
std::vector<uint8_t> OwnDecoding(const std::vector<uint8_t>& data, uint32_t width,
                                 uint32_t height) {
    struct Rows : RowSink {
        std::vector<uint8_t> pixels;
        uint32_t width = 0;
        void Row(uint32_t y, const uint8_t* row) override {
            std::copy(row, row + width, pixels.begin() + size_t{y} * width);
        }
    } sink;
    sink.width = width;
    sink.pixels.assign(size_t{width} * height, 0);
    std::vector<uint8_t> codes;
    for (size_t at = 1; at < data.size() && data[at] != 0; at += data[at] + 1)
        codes.insert(codes.end(), data.begin() + long(at) + 1,
                     data.begin() + long(at + 1 + data[at]));
    DecodeLzw({int(data[0]), width, height, false}, codes, sink);
    return sink.pixels;
}

// Pixels marked free may come out as their alternative: giflib reads, at every pixel, the
// index or (where it is free) its alternative, for every code size and through full tables,
// cleared at once or kept while they serve (at 5 bits);
// the free choice gives less data than the plain encoding of the marked pixels, and the
// encoder still gives the plain encoder's bytes afterwards.
TEST(LzwCodeSize, FreePixelsDecodeAsTheirIndexOrTheirAlternative) {
    LzwEncoder shared;
    const uint16_t width = 320, height = 240;
    for (unsigned bits : {8u, 2u, 5u, 8u}) {
        SCOPED_TRACE(bits);
        const uint8_t free = uint8_t((1u << bits) - 1);
        std::vector<uint8_t> pixels = Pixels(width * height, bits, 40 + bits);
        const std::vector<uint8_t> shown = Pixels(width * height, bits, 80 + bits);
        std::mt19937 random(bits);
        for (size_t i = 0; i < pixels.size(); ++i)  // unchanged pixels in blocks, as on a screen
            if ((i / 7 + random() % 3) % 3 == 0) pixels[i] = free;
        std::vector<uint8_t> alternatives = pixels;
        for (size_t i = 0; i < pixels.size(); ++i)
            if (pixels[i] == free) alternatives[i] = shown[i];
        std::vector<const uint8_t*> rows, others;
        for (size_t at = 0; at < pixels.size(); at += width) {
            rows.push_back(pixels.data() + at);
            others.push_back(alternatives.data() + at);
        }
        std::vector<uint8_t> data;
        shared.EncodeEither(rows, others, width, data, bits, bits == 5);
        // A full table is kept while its strings serve, and both decoders follow that.
        const std::vector<uint8_t> decoded = DecodedIndices(data, width, height, bits);
        ASSERT_EQ(decoded.size(), pixels.size());
        EXPECT_EQ(OwnDecoding(data, width, height), decoded);
        size_t taken = 0;
        for (size_t i = 0; i < pixels.size(); ++i) {
            if (decoded[i] == pixels[i]) continue;
            ASSERT_EQ(pixels[i], free) << "pixel " << i;
            ASSERT_EQ(decoded[i], alternatives[i]) << "pixel " << i;
            ++taken;
        }
        EXPECT_GT(taken, 0u);
        EXPECT_LT(data.size(), Encode(shared, pixels, width, bits).size());
        LzwEncoder fresh;
        EXPECT_EQ(Encode(shared, shown, width, bits), Encode(fresh, shown, width, bits));
    }
}

// With no pixel free, choosing is plain LZW: the runs the chooser crosses at once, with one
// encoder going between code sizes and between both ways of encoding, give the same bytes.
TEST(LzwCodeSize, WithNothingFreeChoosingGivesThePlainEncoding) {
    LzwEncoder shared;
    const uint16_t width = 300, height = 200;
    for (unsigned bits : {8u, 3u, 8u, 2u, 6u}) {
        SCOPED_TRACE(bits);
        const std::vector<uint8_t> pixels = Pixels(width * height, bits, 120 + bits);
        std::vector<const uint8_t*> rows;
        for (size_t at = 0; at < pixels.size(); at += width) rows.push_back(pixels.data() + at);
        std::vector<uint8_t> chosen;
        shared.EncodeEither(rows, rows, width, chosen, bits);
        LzwEncoder fresh;
        EXPECT_EQ(chosen, Encode(fresh, pixels, width, bits));
        EXPECT_EQ(Encode(shared, pixels, width, bits), chosen);
    }
}

TEST(LzwCodeSize, OnePixelAtTwoBitsIsClearPixelEndInThreeBits) {
    LzwEncoder encoder;
    // Clear 4, pixel 0, end 5, three bits each from the lowest bit up: 0x44 0x01.
    EXPECT_EQ(Encode(encoder, {0}, 1, 2), (std::vector<uint8_t>{0x02, 0x02, 0x44, 0x01, 0x00}));
}

}  // namespace
}  // namespace gif::testing
