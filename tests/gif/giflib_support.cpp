#include "giflib_support.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>

namespace gif::testing {
namespace {

struct Reader {
    std::span<const uint8_t> bytes;
    size_t position = 0;
};

int ReadFromMemory(GifFileType* file, GifByteType* buffer, int size) {
    auto* reader = static_cast<Reader*>(file->UserData);
    size_t count = std::min(size_t(size), reader->bytes.size() - reader->position);
    if (count) std::memcpy(buffer, reader->bytes.data() + reader->position, count);
    reader->position += count;
    return int(count);
}

std::vector<uint8_t> Palette(const ColorMapObject* map) {
    std::vector<uint8_t> rgb;
    if (!map) return rgb;
    for (int i = 0; i < map->ColorCount; ++i) {
        rgb.push_back(map->Colors[i].Red);
        rgb.push_back(map->Colors[i].Green);
        rgb.push_back(map->Colors[i].Blue);
    }
    return rgb;
}

bool Fail(GiflibGif& gif, int code) {
    gif.ok = false;
    const char* text = GifErrorString(code);
    gif.error = text ? text : "giflib error";
    return false;
}

// Reads one extension with all its sub-blocks.
bool ReadExtension(GifFileType* file, GiflibGif& gif, GiflibExtension& extension) {
    GifByteType* block = nullptr;
    if (DGifGetExtension(file, &extension.function, &block) != GIF_OK)
        return Fail(gif, file->Error);
    while (block) {
        extension.bytes.insert(extension.bytes.end(), block + 1, block + 1 + block[0]);
        ++extension.subBlocks;
        if (DGifGetExtensionNext(file, &block) != GIF_OK) return Fail(gif, file->Error);
    }
    return true;
}

// The GIF89a interlace passes: first row and step of each.
constexpr int kPassStart[4] = {0, 4, 2, 1};
constexpr int kPassStep[4] = {8, 8, 4, 2};

bool ReadImage(GifFileType* file, GiflibGif& gif, GiflibFrame& frame) {
    if (DGifGetImageDesc(file) != GIF_OK) return Fail(gif, file->Error);
    const GifImageDesc& desc = file->Image;
    frame.left = desc.Left;
    frame.top = desc.Top;
    frame.width = desc.Width;
    frame.height = desc.Height;
    frame.interlaced = desc.Interlace;
    frame.localPalette = Palette(desc.ColorMap);
    frame.indices.assign(size_t(frame.width) * size_t(frame.height), 0);
    std::vector<int> order;
    if (frame.interlaced) {
        for (int pass = 0; pass < 4; ++pass)
            for (int y = kPassStart[pass]; y < frame.height; y += kPassStep[pass])
                order.push_back(y);
    } else {
        for (int y = 0; y < frame.height; ++y) order.push_back(y);
    }
    for (int y : order) {
        if (DGifGetLine(file, frame.indices.data() + size_t(y) * size_t(frame.width),
                        frame.width) != GIF_OK)
            return Fail(gif, file->Error);
    }
    return true;
}

}  // namespace

GiflibGif DecodeWithGiflib(std::span<const uint8_t> bytes) {
    GiflibGif gif;
    Reader reader{bytes};
    int error = 0;
    GifFileType* file = DGifOpen(&reader, ReadFromMemory, &error);
    if (!file) {
        Fail(gif, error);
        return gif;
    }
    if (bytes.size() >= 6) gif.version.assign(reinterpret_cast<const char*>(bytes.data()), 6);
    gif.width = file->SWidth;
    gif.height = file->SHeight;
    gif.colorResolution = file->SColorResolution;
    gif.background = file->SBackGroundColor;
    gif.aspect = file->AspectByte;
    gif.globalPalette = Palette(file->SColorMap);

    std::vector<GiflibExtension> pending;
    bool done = false;
    bool good = true;
    while (good && !done) {
        GifRecordType type;
        if (DGifGetRecordType(file, &type) != GIF_OK) {
            good = Fail(gif, file->Error);
            break;
        }
        switch (type) {
            case EXTENSION_RECORD_TYPE: {
                GiflibExtension extension;
                good = ReadExtension(file, gif, extension);
                if (good) pending.push_back(std::move(extension));
                break;
            }
            case IMAGE_DESC_RECORD_TYPE: {
                GiflibFrame frame;
                frame.extensions = std::move(pending);
                pending.clear();
                good = ReadImage(file, gif, frame);
                if (good) gif.frames.push_back(std::move(frame));
                break;
            }
            case TERMINATE_RECORD_TYPE:
                done = true;
                break;
            default:
                good = false;
                gif.error = "unexpected record";
                break;
        }
    }
    gif.trailingExtensions = std::move(pending);

    // Interpret the extensions once everything has been read.
    auto interpret = [&gif](const std::vector<GiflibExtension>& extensions, GiflibFrame* frame,
                            std::vector<std::string>& comments) {
        for (size_t i = 0; i < extensions.size(); ++i) {
            const GiflibExtension& e = extensions[i];
            if (e.function == COMMENT_EXT_FUNC_CODE) {
                comments.emplace_back(e.bytes.begin(), e.bytes.end());
            } else if (e.function == GRAPHICS_EXT_FUNC_CODE && frame && e.bytes.size() == 4) {
                GraphicsControlBlock gcb;
                if (DGifExtensionToGCB(e.bytes.size(), e.bytes.data(), &gcb) == GIF_OK) {
                    frame->hasControl = true;
                    frame->disposal = gcb.DisposalMode;
                    frame->delay = gcb.DelayTime;
                    frame->transparentIndex = gcb.TransparentColor;
                    frame->userInput = gcb.UserInputFlag;
                }
            } else if (e.function == APPLICATION_EXT_FUNC_CODE && e.bytes.size() == 14 &&
                       std::memcmp(e.bytes.data(), "NETSCAPE2.0", 11) == 0 && e.bytes[11] == 1) {
                // The application identifier and the loop sub-block are joined in `bytes`.
                gif.hasLoop = true;
                gif.loopCount = e.bytes[12] | e.bytes[13] << 8;
            }
        }
    };
    for (GiflibFrame& frame : gif.frames) interpret(frame.extensions, &frame, frame.comments);
    interpret(gif.trailingExtensions, nullptr, gif.trailingComments);

    int closeError = 0;
    DGifCloseFile(file, &closeError);
    if (good && done) gif.ok = true;
    return gif;
}

}  // namespace gif::testing
