// JPEG through libjpeg-turbo: baseline and progressive, grey, YCbCr and (Adobe) CMYK.
//
// The library's default error handler ends the process; ours jumps back instead. As with PNG,
// the jumps land in functions that own no objects with destructors.
#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE
#include <cstring>
#include <vector>

#include <jerror.h>
#include <jpeglib.h>

#include "bitmap/decoders.h"

namespace bitmap {
namespace {

// A picture with more scans than this is hostile: each scan costs a pass over the picture.
constexpr int kMaxScans = 500;

struct JpegFailure {
    jpeg_error_mgr manager;  // first, so that the library's pointer is ours
    jmp_buf jump;
    int code;
};

void OnError(j_common_ptr info) {
    auto* failure = reinterpret_cast<JpegFailure*>(info->err);
    failure->code = info->err->msg_code;
    longjmp(failure->jump, 1);
}

// The library would fill a cut-off picture with grey; a picture that ends early is damaged.
void OnMessage(j_common_ptr info, int level) {
    if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF) OnError(info);
}

void OnOutput(j_common_ptr) {}

DecodeStatus Failure(const JpegFailure& failure) {
    if (failure.code == JERR_OUT_OF_MEMORY) return DecodeStatus::OutOfMemory;
    if (failure.code == JERR_IMAGE_TOO_BIG) return DecodeStatus::TooLarge;
    return DecodeStatus::NotAPicture;
}

void OnProgress(j_common_ptr info) {
    if (info->is_decompressor &&
        reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > kMaxScans)
        OnError(info);
}

bool ReadHeader(jpeg_decompress_struct& info, JpegFailure& failure, const uint8_t* data,
                size_t size, uint64_t memoryLimit) {
    if (setjmp(failure.jump)) return false;
    jpeg_create_decompress(&info);
    info.mem->max_memory_to_use = long(memoryLimit);
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
    return true;
}

// Adobe writes CMYK inverted: a channel value is 255 minus the ink.
void StoreCmykRow(const uint8_t* cmyk, uint8_t* dst, uint32_t width, bool inverted) {
    for (uint32_t x = 0; x < width; ++x, cmyk += 4, dst += 3) {
        uint32_t c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        dst[0] = uint8_t((y * k + 127) / 255);
        dst[1] = uint8_t((m * k + 127) / 255);
        dst[2] = uint8_t((c * k + 127) / 255);
    }
}

bool ReadPixels(jpeg_decompress_struct& info, JpegFailure& failure, uint8_t* pixels, size_t stride,
                uint32_t width, uint32_t height, uint8_t* cmykRow) {
    if (setjmp(failure.jump)) return false;
    jpeg_start_decompress(&info);
    const int components = cmykRow ? 4 : 3;
    if (info.output_width != width || info.output_height != height ||
        info.output_components != components)
        return false;
    while (info.output_scanline < height) {
        uint8_t* dst = pixels + stride * (height - 1 - info.output_scanline);
        JSAMPROW row = cmykRow ? cmykRow : dst;
        if (jpeg_read_scanlines(&info, &row, 1) != 1) return false;
        if (cmykRow) StoreCmykRow(cmykRow, dst, width, info.saw_Adobe_marker);
    }
    return true;
}

struct JpegReader {
    jpeg_decompress_struct info{};
    ~JpegReader() { jpeg_destroy_decompress(&info); }
};

}  // namespace

DecodeStatus DecodeJpeg(std::span<const uint8_t> data, Image24& out, const DecodeLimits& limits) {
    // Declared before the reader, which uses them until it is destroyed.
    JpegFailure failure{};
    jpeg_progress_mgr progress{};
    JpegReader reader;
    reader.info.err = jpeg_std_error(&failure.manager);
    failure.manager.error_exit = OnError;
    failure.manager.emit_message = OnMessage;
    failure.manager.output_message = OnOutput;
    progress.progress_monitor = OnProgress;

    // Progressive pictures keep every coefficient: about twice the 24-bit picture, plus tables.
    const uint64_t memoryLimit = 2 * limits.maxImageBytes + (uint64_t{64} << 20);
    if (!ReadHeader(reader.info, failure, data.data(), data.size(), memoryLimit))
        return Failure(failure);
    reader.info.progress = &progress;
    const uint32_t width = reader.info.image_width, height = reader.info.image_height;
    const DecodeStatus size = CheckPictureSize(width, height, limits);
    if (size != DecodeStatus::Ok) return size;

    std::vector<uint8_t> cmykRow;
    if (reader.info.out_color_space == JCS_CMYK) cmykRow.resize(size_t{width} * 4);
    AllocateImage(width, height, out);
    if (!ReadPixels(reader.info, failure, out.pixels.data(), out.Stride(), width, height,
                    cmykRow.empty() ? nullptr : cmykRow.data()))
        return Failure(failure);
    return DecodeStatus::Ok;
}

}  // namespace bitmap
