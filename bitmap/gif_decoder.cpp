// GIF through giflib: the first image, drawn on a black logical screen; its transparent colour
// stays black. A GIF without any colour table is drawn in the default palette.
#include <gif_lib.h>

#include <array>
#include <cstring>
#include <vector>

#include "bitmap/decoders.h"
#include "bitmap/default_palette.h"

namespace bitmap {
namespace {

struct GifSource {
    const uint8_t* data;
    size_t size;
    size_t position;
};

int ReadFromMemory(GifFileType* gif, GifByteType* out, int length) {
    auto* source = static_cast<GifSource*>(gif->UserData);
    size_t count = length > 0 ? size_t(length) : 0;
    if (count > source->size - source->position) count = source->size - source->position;
    std::memcpy(out, source->data + source->position, count);
    source->position += count;
    return int(count);
}

struct GifCloser {
    GifFileType* gif;
    ~GifCloser() {
        int error = 0;
        if (gif) DGifCloseFile(gif, &error);
    }
};

DecodeStatus Failure(int error) {
    return error == D_GIF_ERR_NOT_ENOUGH_MEM ? DecodeStatus::OutOfMemory
                                             : DecodeStatus::NotAPicture;
}

// Reads the extensions before the first image, keeping the transparent colour of the last graphic
// control extension.
bool SkipExtension(GifFileType* gif, int& transparent) {
    int code = 0;
    GifByteType* block = nullptr;
    if (DGifGetExtension(gif, &code, &block) == GIF_ERROR) return false;
    if (code == GRAPHICS_EXT_FUNC_CODE && block) {
        GraphicsControlBlock control;
        if (DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK)
            transparent = control.TransparentColor;
    }
    while (block)
        if (DGifGetExtensionNext(gif, &block) == GIF_ERROR) return false;
    return true;
}

// `screenPacked` is the packed byte of the logical screen descriptor: without any colour table,
// its size field still chooses the default palette.
DecodeStatus DrawImage(GifFileType* gif, int transparent, uint8_t screenPacked, Image24& out) {
    const GifImageDesc& image = gif->Image;
    const ColorMapObject* map = image.ColorMap ? image.ColorMap : gif->SColorMap;
    uint8_t colours[256 * 3] = {};  // black where the table has no entry
    if (map && map->Colors) {
        for (int i = 0; i < map->ColorCount && i < 256; ++i) {
            colours[i * 3] = map->Colors[i].Blue;
            colours[i * 3 + 1] = map->Colors[i].Green;
            colours[i * 3 + 2] = map->Colors[i].Red;
        }
    } else {
        const unsigned bits = DefaultPaletteBits((screenPacked & 7u) + 1);
        for (unsigned i = 0; i < (1u << bits); ++i) {
            const std::array<uint8_t, 3> rgb = DefaultPaletteEntry(bits, i);
            colours[i * 3] = rgb[2];
            colours[i * 3 + 1] = rgb[1];
            colours[i * 3 + 2] = rgb[0];
        }
    }
    if (transparent >= 0 && transparent < 256) std::memset(&colours[transparent * 3], 0, 3);

    std::vector<GifPixelType> line(size_t(image.Width));
    static constexpr int kStart[] = {0, 4, 2, 1}, kStep[] = {8, 8, 4, 2};
    const int passes = image.Interlace ? 4 : 1;
    for (int pass = 0; pass < passes; ++pass) {
        const int start = image.Interlace ? kStart[pass] : 0,
                  step = image.Interlace ? kStep[pass] : 1;
        for (int y = start; y < image.Height; y += step) {
            if (DGifGetLine(gif, line.data(), image.Width) == GIF_ERROR) return Failure(gif->Error);
            const int64_t screenY = int64_t{image.Top} + y;
            if (screenY >= out.height) continue;
            uint8_t* row = out.pixels.data() + out.Stride() * (out.height - 1 - screenY);
            for (int x = 0; x < image.Width; ++x) {
                const int64_t screenX = int64_t{image.Left} + x;
                if (screenX >= out.width) break;
                std::memcpy(row + screenX * 3, &colours[line[size_t(x)] * 3], 3);
            }
        }
    }
    return DecodeStatus::Ok;
}

}  // namespace

DecodeStatus DecodeGif(std::span<const uint8_t> data, Image24& out, const DecodeLimits& limits) {
    GifSource source{data.data(), data.size(), 0};
    int error = 0;
    GifCloser closer{DGifOpen(&source, ReadFromMemory, &error)};
    GifFileType* gif = closer.gif;
    if (!gif) return Failure(error);

    int transparent = NO_TRANSPARENT_COLOR;
    for (;;) {
        GifRecordType record;
        if (DGifGetRecordType(gif, &record) == GIF_ERROR) return Failure(gif->Error);
        if (record == TERMINATE_RECORD_TYPE) return DecodeStatus::NotAPicture;  // no image at all
        if (record == EXTENSION_RECORD_TYPE) {
            if (!SkipExtension(gif, transparent)) return Failure(gif->Error);
            continue;
        }
        if (record != IMAGE_DESC_RECORD_TYPE) continue;
        if (DGifGetImageDesc(gif) == GIF_ERROR) return Failure(gif->Error);
        const GifImageDesc& image = gif->Image;
        if (image.Width <= 0 || image.Height <= 0) return DecodeStatus::NotAPicture;
        // A screen of no size takes the size of the image's extent.
        int64_t width = gif->SWidth, height = gif->SHeight;
        if (width <= 0 || height <= 0) {
            width = int64_t{image.Left} + image.Width;
            height = int64_t{image.Top} + image.Height;
        }
        const DecodeStatus size = CheckPictureSize(uint64_t(width), uint64_t(height), limits);
        if (size != DecodeStatus::Ok) return size;
        AllocateImage(uint32_t(width), uint32_t(height), out);
        return DrawImage(gif, transparent, data[10], out);
    }
}

}  // namespace bitmap
