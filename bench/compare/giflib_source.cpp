#include "bench/compare/giflib_source.h"

namespace gifcompare {

GiflibSource::GiflibSource(const std::string& path) {
    int status = 0;
    file_ = DGifOpenFileName(path.c_str(), &status);
    if (!file_) error = path + ": " + GifErrorString(status);
}

GiflibSource::~GiflibSource() {
    if (file_) DGifCloseFile(file_, nullptr);
}

bool GiflibSource::Fail(const std::string& what) {
    const char* text = GifErrorString(file_->Error);
    error = what + (text ? std::string(": ") + text : std::string());
    return false;
}

bool GiflibSource::ReadExtension(GraphicsControlBlock& control, bool& haveControl) {
    int code = 0;
    GifByteType* block = nullptr;
    if (DGifGetExtension(file_, &code, &block) == GIF_ERROR) return Fail("extension");
    if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] == 4) {
        DGifExtensionToGCB(block[0], block + 1, &control);
        haveControl = true;
    }
    while (block)
        if (DGifGetExtensionNext(file_, &block) == GIF_ERROR) return Fail("extension");
    return true;
}

bool GiflibSource::ReadRaster(Image& image, const ColorMapObject& colours, int transparent) {
    const int width = image.width, height = image.height;
    image.pixels.assign(size_t(width) * height, kClear);
    line_.resize(size_t(width));
    // Interlaced rows come in four passes; `rows` lists them in file order.
    std::vector<int> rows;
    if (file_->Image.Interlace) {
        for (auto [start, step] : {std::pair{0, 8}, {4, 8}, {2, 4}, {1, 2}})
            for (int y = start; y < height; y += step) rows.push_back(y);
    } else {
        for (int y = 0; y < height; ++y) rows.push_back(y);
    }
    for (int y : rows) {
        if (width > 0 && DGifGetLine(file_, line_.data(), width) == GIF_ERROR)
            return Fail("image data");
        uint32_t* out = &image.pixels[size_t(y) * width];
        for (int x = 0; x < width; ++x) {
            const int index = line_[size_t(x)];
            if (index == transparent) continue;
            if (index >= colours.ColorCount) {
                error = "a pixel names colour " + std::to_string(index) + " beyond the table";
                return false;
            }
            const GifColorType& c = colours.Colors[index];
            out[x] = uint32_t(c.Red) << 16 | uint32_t(c.Green) << 8 | c.Blue;
        }
    }
    return true;
}

bool GiflibSource::Next(Image& image) {
    if (!file_) return false;
    GraphicsControlBlock control{DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
    bool haveControl = false;
    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(file_, &type) == GIF_ERROR) return Fail("record");
        if (type == TERMINATE_RECORD_TYPE) return false;
        if (type == EXTENSION_RECORD_TYPE) {
            if (!ReadExtension(control, haveControl)) return false;
            continue;
        }
        if (type != IMAGE_DESC_RECORD_TYPE) continue;
        if (DGifGetImageDesc(file_) == GIF_ERROR) return Fail("image descriptor");
        const GifImageDesc& desc = file_->Image;
        const ColorMapObject* colours = desc.ColorMap ? desc.ColorMap : file_->SColorMap;
        if (!colours) {
            error = "an image has no colour table";
            return false;
        }
        image.left = desc.Left;
        image.top = desc.Top;
        image.width = desc.Width;
        image.height = desc.Height;
        image.disposal = haveControl ? control.DisposalMode : 0;
        image.delay = haveControl ? uint32_t(control.DelayTime) : 0;
        return ReadRaster(image, *colours, haveControl ? control.TransparentColor : -1);
    }
}

}  // namespace gifcompare
