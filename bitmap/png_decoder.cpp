// PNG through libpng: every colour type is widened to BGR, with alpha composed over black.
//
// libpng reports errors by longjmp. The jumps land in ReadHeader and ReadPixels, which own no
// objects with destructors, and no C++ frame lies between them and libpng; everything that
// allocates lives in DecodePng around them.
#include <png.h>

#include <csetjmp>
#include <cstring>
#include <vector>

#include "bitmap/byte_order.h"
#include "bitmap/decoders.h"

namespace bitmap {
namespace {

struct PngSource {
    const uint8_t* data;
    size_t size;
    size_t position;
    bool outOfMemory;
};

void ReadFromMemory(png_structp png, png_bytep out, size_t length) {
    auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
    if (source->size - source->position < length) png_error(png, "truncated");
    std::memcpy(out, source->data + source->position, length);
    source->position += length;
}

void OnError(png_structp png, png_const_charp message) {
    auto* source = static_cast<PngSource*>(png_get_error_ptr(png));
    if (source && message && std::strcmp(message, "Out of memory") == 0) source->outOfMemory = true;
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

// The first chunk of a PNG is its header; its size is read here, before libpng sets up rows
// (and allocates for them) on the header's word.
bool PeekSize(std::span<const uint8_t> data, uint32_t& width, uint32_t& height) {
    if (data.size() < 24 || std::memcmp(data.data() + 12, "IHDR", 4) != 0) return false;
    width = ReadBig32(data.data() + 16);
    height = ReadBig32(data.data() + 20);
    return true;
}

struct PngHeader {
    uint32_t width;
    uint32_t height;
    bool interlaced;
    bool deep;    // 16 bits a channel
    bool direct;  // 8-bit BGR rows with no alpha: libpng writes them where they belong
};

// Bytes of a pixel as libpng hands the rows over.
size_t PixelBytes(const PngHeader& header) {
    return header.direct ? 3 : header.deep ? 8 : 4;
}

bool ReadHeader(png_structp png, png_infop info, PngHeader& header) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_read_info(png, info);
    header.width = png_get_image_width(png, info);
    header.height = png_get_image_height(png, info);
    const int colourType = png_get_color_type(png, info);
    header.interlaced = png_get_interlace_type(png, info) != PNG_INTERLACE_NONE;

    png_set_expand(png);  // palette and small grey depths to 8 bits, tRNS to an alpha channel
    header.deep = png_get_bit_depth(png, info) == 16;
    if (!(colourType & PNG_COLOR_MASK_COLOR)) png_set_gray_to_rgb(png);
    const bool opaque =
        !(colourType & PNG_COLOR_MASK_ALPHA) && !png_get_valid(png, info, PNG_INFO_tRNS);
    header.direct = opaque && !header.deep;
    if (opaque && header.deep) png_set_filler(png, 0xFFFF, PNG_FILLER_AFTER);
    png_set_bgr(png);
    if (header.interlaced) png_set_interlace_handling(png);
    png_read_update_info(png, info);
    return png_get_channels(png, info) == (header.direct ? 3 : 4) &&
           png_get_rowbytes(png, info) == size_t{header.width} * PixelBytes(header);
}

void StoreRow(const uint8_t* bgra, uint8_t* dst, uint32_t width) {
    for (uint32_t x = 0; x < width; ++x, bgra += 4, dst += 3) {
        const uint32_t alpha = bgra[3];
        if (alpha == 255) {
            std::memcpy(dst, bgra, 3);
        } else {
            dst[0] = OverBlack(bgra[0], alpha);
            dst[1] = OverBlack(bgra[1], alpha);
            dst[2] = OverBlack(bgra[2], alpha);
        }
    }
}

// 16-bit channels, most significant byte first, scaled down by truncating division.
void StoreRow16(const uint8_t* bgra, uint8_t* dst, uint32_t width) {
    for (uint32_t x = 0; x < width; ++x, bgra += 8, dst += 3) {
        const uint32_t alpha = (bgra[6] << 8 | bgra[7]) / 257;
        for (int c = 0; c < 3; ++c)
            dst[c] = OverBlack((bgra[c * 2] << 8 | bgra[c * 2 + 1]) / 257, alpha);
    }
}

void StoreAnyRow(const uint8_t* bgra, uint8_t* dst, uint32_t width, bool deep) {
    if (deep)
        StoreRow16(bgra, dst, width);
    else
        StoreRow(bgra, dst, width);
}

// `rows` holds one row buffer per picture row for interlaced pictures, otherwise one buffer that
// every row passes through; none for direct rows.
bool ReadPixels(png_structp png, png_bytepp rows, const PngHeader& header, uint8_t* pixels,
                size_t stride) {
    const uint32_t width = header.width, height = header.height;
    if (setjmp(png_jmpbuf(png))) return false;
    if (header.direct) {
        if (header.interlaced) {
            for (uint32_t y = 0; y < height; ++y) rows[y] = pixels + stride * (height - 1 - y);
            png_read_image(png, rows);
        } else {
            for (uint32_t y = 0; y < height; ++y)
                png_read_row(png, pixels + stride * (height - 1 - y), nullptr);
        }
    } else if (header.interlaced) {
        png_read_image(png, rows);
        for (uint32_t y = 0; y < height; ++y)
            StoreAnyRow(rows[y], pixels + stride * (height - 1 - y), width, header.deep);
    } else {
        for (uint32_t y = 0; y < height; ++y) {
            png_read_row(png, rows[0], nullptr);
            StoreAnyRow(rows[0], pixels + stride * (height - 1 - y), width, header.deep);
        }
    }
    return true;
}

struct PngReader {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~PngReader() { png_destroy_read_struct(&png, info ? &info : nullptr, nullptr); }
};

}  // namespace

DecodeStatus DecodePng(std::span<const uint8_t> data, Image24& out, const DecodeLimits& limits) {
    uint32_t width = 0, height = 0;
    if (!PeekSize(data, width, height)) return DecodeStatus::NotAPicture;
    const DecodeStatus size = CheckPictureSize(width, height, limits);
    if (size != DecodeStatus::Ok) return size;

    PngSource source{data.data(), data.size(), 0, false};
    PngReader reader;
    reader.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &source, OnError, OnWarning);
    if (!reader.png) return DecodeStatus::OutOfMemory;
    reader.info = png_create_info_struct(reader.png);
    if (!reader.info) return DecodeStatus::OutOfMemory;
    png_set_read_fn(reader.png, &source, ReadFromMemory);
    // The header passed our limits above; libpng holds to the same sides.
    png_set_user_limits(reader.png, width, height);
#ifdef PNG_IGNORE_ADLER32
    // The chunks' CRCs already guard the compressed data; zlib's checksum of what it inflates
    // again is a sixth of the decoding.
    png_set_option(reader.png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
#endif

    PngHeader header{};
    if (!ReadHeader(reader.png, reader.info, header))
        return source.outOfMemory ? DecodeStatus::OutOfMemory : DecodeStatus::NotAPicture;
    if (header.width != width || header.height != height) return DecodeStatus::NotAPicture;

    const size_t rowBytes = header.direct ? 0 : size_t{header.width} * PixelBytes(header);
    const uint32_t bufferRows = header.interlaced ? header.height : 1;
    std::vector<uint8_t> buffer(rowBytes * bufferRows);
    std::vector<png_bytep> rows(bufferRows);
    for (uint32_t y = 0; y < bufferRows; ++y) rows[y] = buffer.data() + rowBytes * y;
    AllocateImage(header.width, header.height, out);

    if (!ReadPixels(reader.png, rows.data(), header, out.pixels.data(), out.Stride()))
        return source.outOfMemory ? DecodeStatus::OutOfMemory : DecodeStatus::NotAPicture;
    return DecodeStatus::Ok;
}

}  // namespace bitmap
