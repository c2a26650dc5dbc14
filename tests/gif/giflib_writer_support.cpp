#include "giflib_writer_support.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <unordered_map>

namespace gif::testing {
namespace {

[[noreturn]] void Die(const char* what, int code) {
    const char* text = GifErrorString(code);
    std::fprintf(stderr, "giflib writer: %s: %s\n", what, text ? text : "?");
    std::abort();
}

int WriteToVector(GifFileType* file, const GifByteType* data, int size) {
    auto* out = static_cast<std::vector<uint8_t>*>(file->UserData);
    out->insert(out->end(), data, data + size);
    return size;
}

struct MapDeleter {
    void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};
using Map = std::unique_ptr<ColorMapObject, MapDeleter>;

Map MakeMap(const std::vector<uint8_t>& rgb) {
    if (rgb.empty()) return nullptr;
    std::vector<GifColorType> colours(rgb.size() / 3);
    for (size_t i = 0; i < colours.size(); ++i)
        colours[i] = GifColorType{rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]};
    Map map(GifMakeMapObject(int(colours.size()), colours.data()));
    if (!map) Die("colour map size is not a power of two", 0);
    return map;
}

void PutExtension(GifFileType* file, const GiflibExtensionSpec& extension) {
    if (EGifPutExtensionLeader(file, extension.function) != GIF_OK) Die("extension", file->Error);
    for (const auto& block : extension.blocks)
        if (EGifPutExtensionBlock(file, int(block.size()), block.data()) != GIF_OK)
            Die("extension block", file->Error);
    if (EGifPutExtensionTrailer(file) != GIF_OK) Die("extension trailer", file->Error);
}

}  // namespace

std::vector<uint8_t> WriteWithGiflib(const GiflibGifSpec& layout) {
    std::vector<uint8_t> out;
    int error = 0;
    GifFileType* file = EGifOpen(&out, WriteToVector, &error);
    if (!file) Die("open", error);
    EGifSetGifVersion(file, layout.gif89);
    Map global = MakeMap(layout.globalPalette);
    if (EGifPutScreenDesc(file, layout.width, layout.height, layout.colorResolution, layout.background,
                          global.get()) != GIF_OK)
        Die("screen", file->Error);
    for (const auto& image : layout.images) {
        for (const auto& extension : image.extensions) PutExtension(file, extension);
        Map local = MakeMap(image.localPalette);
        // giflib forgets, without freeing, the copy of the image before's local table when this
        // image has none.
        if (!local && file->Image.ColorMap) {
            GifFreeMapObject(file->Image.ColorMap);
            file->Image.ColorMap = nullptr;
        }
        if (EGifPutImageDesc(file, image.left, image.top, image.width, image.height,
                             image.interlaced, local.get()) != GIF_OK)
            Die("image", file->Error);
        std::vector<uint8_t> row(size_t(image.width));
        auto putRow = [&](int y) {
            std::memcpy(row.data(), image.indices.data() + size_t(y) * image.width, row.size());
            if (EGifPutLine(file, row.data(), image.width) != GIF_OK) Die("line", file->Error);
        };
        if (image.interlaced) {
            const int starts[4] = {0, 4, 2, 1}, steps[4] = {8, 8, 4, 2};
            for (int pass = 0; pass < 4; ++pass)
                for (int y = starts[pass]; y < image.height; y += steps[pass]) putRow(y);
        } else {
            for (int y = 0; y < image.height; ++y) putRow(y);
        }
    }
    for (const auto& extension : layout.trailing) PutExtension(file, extension);
    if (EGifCloseFile(file, &error) != GIF_OK) Die("close", error);
    return out;
}

std::vector<uint8_t> DistinctPalette(int entries, uint32_t seed) {
    std::mt19937 random(seed);
    std::vector<uint8_t> rgb;
    for (int i = 0; i < entries; ++i) {
        // Distinct by construction: the index is spread over the three channels.
        rgb.push_back(uint8_t(i));
        rgb.push_back(uint8_t(random() & 0xFF));
        rgb.push_back(uint8_t(255 - i));
    }
    return rgb;
}

std::vector<uint8_t> RampPalette(int entries) {
    std::vector<uint8_t> rgb(size_t(std::max(entries, 0)) * 3);
    for (size_t i = 0; i < rgb.size() / 3; ++i) {
        rgb[3 * i] = uint8_t(i);
        rgb[3 * i + 1] = uint8_t(2 * i);
        rgb[3 * i + 2] = uint8_t(3 * i);
    }
    return rgb;
}

std::vector<uint8_t> TestIndices(int width, int height, int colours, uint32_t seed, bool runs) {
    std::mt19937 random(seed);
    std::vector<uint8_t> indices(size_t(width) * height);
    if (!runs) {
        for (auto& index : indices) index = uint8_t(random() % unsigned(colours));
        return indices;
    }
    // Flat windows, text-like speckles and gradients, as on a desktop.
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            unsigned value;
            if ((x / 64 + y / 48) % 3 == 0)
                value = 1;
            else if ((x / 64 + y / 48) % 3 == 1)
                value = (random() % 7 == 0) ? random() : 2;
            else
                value = unsigned(x / 8 + y / 8);
            indices[size_t(y) * width + x] = uint8_t(value % unsigned(colours));
        }
    }
    return indices;
}

GiflibExtensionSpec Control(int packed, int delay, int transparentIndex) {
    return {0xF9,
            {{uint8_t(packed), uint8_t(delay), uint8_t(delay >> 8), uint8_t(transparentIndex)}}};
}

GiflibExtensionSpec Comment(std::string_view text) {
    return {0xFE, {std::vector<uint8_t>(text.begin(), text.end())}};
}

GiflibExtensionSpec Looping(int count) {
    const std::string id = "NETSCAPE2.0";
    return {0xFF,
            {std::vector<uint8_t>(id.begin(), id.end()), {1, uint8_t(count), uint8_t(count >> 8)}}};
}

void CodeWriter::Put(uint32_t code, unsigned width) {
    bits_ |= uint64_t(code) << count_;
    count_ += width;
    while (count_ >= 8) {
        bytes_.push_back(uint8_t(bits_));
        bits_ >>= 8;
        count_ -= 8;
    }
}

std::vector<uint8_t> CodeWriter::Finish() {
    if (count_ > 0) bytes_.push_back(uint8_t(bits_));
    bits_ = 0;
    count_ = 0;
    return std::move(bytes_);
}

std::vector<uint8_t> EncodeLzw(std::span<const uint8_t> pixels, int minCodeSize,
                               bool clearWhenFull) {
    const uint32_t clear = 1u << minCodeSize, end = clear + 1;
    CodeWriter out;
    std::unordered_map<uint32_t, uint32_t> table;
    unsigned width = unsigned(minCodeSize) + 1;
    uint32_t next = clear + 2;
    out.Put(clear, width);
    if (pixels.empty()) {
        out.Put(end, width);
        return out.Finish();
    }
    uint32_t prefix = pixels[0];
    for (size_t i = 1; i < pixels.size(); ++i) {
        const uint32_t key = (prefix << 8) | pixels[i];
        if (auto found = table.find(key); found != table.end()) {
            prefix = found->second;
            continue;
        }
        out.Put(prefix, width);
        const uint32_t assigned = next;
        if (next < 4096) table[key] = next++;
        if (assigned == (1u << width)) {
            if (width < 12) {
                ++width;
            } else if (clearWhenFull) {
                out.Put(clear, width);
                table.clear();
                width = unsigned(minCodeSize) + 1;
                next = clear + 2;
            }
        }
        prefix = pixels[i];
    }
    out.Put(prefix, width);
    out.Put(end, width);
    return out.Finish();
}

RawGif::RawGif(std::string_view signature) : bytes(signature.begin(), signature.end()) {}

RawGif& RawGif::Screen(uint16_t width, uint16_t height, uint8_t packed, uint8_t background) {
    bytes.insert(bytes.end(), {uint8_t(width), uint8_t(width >> 8), uint8_t(height),
                               uint8_t(height >> 8), packed, background, 0});
    return *this;
}

RawGif& RawGif::Bytes(std::vector<uint8_t> more) {
    bytes.insert(bytes.end(), more.begin(), more.end());
    return *this;
}

RawGif& RawGif::Extension(uint8_t label, const std::vector<std::vector<uint8_t>>& blocks) {
    bytes.insert(bytes.end(), {0x21, label});
    for (const auto& block : blocks) {
        bytes.push_back(uint8_t(block.size()));
        bytes.insert(bytes.end(), block.begin(), block.end());
    }
    bytes.push_back(0);
    return *this;
}

RawGif& RawGif::Control(uint8_t packed, uint16_t delay, uint8_t transparentIndex) {
    return Extension(0xF9, {{packed, uint8_t(delay), uint8_t(delay >> 8), transparentIndex}});
}

RawGif& RawGif::Comment(std::string_view text) {
    return Extension(0xFE, {std::vector<uint8_t>(text.begin(), text.end())});
}

RawGif& RawGif::Looping(uint16_t count) {
    const std::string id = "NETSCAPE2.0";
    return Extension(0xFF, {std::vector<uint8_t>(id.begin(), id.end()),
                            {1, uint8_t(count), uint8_t(count >> 8)}});
}

RawGif& RawGif::Image(uint16_t left, uint16_t top, uint16_t width, uint16_t height, uint8_t packed,
                      const std::vector<uint8_t>& table, uint8_t minCodeSize,
                      const std::vector<uint8_t>& codes, size_t blockSize, bool terminate) {
    bytes.insert(bytes.end(), {0x2C, uint8_t(left), uint8_t(left >> 8), uint8_t(top),
                               uint8_t(top >> 8), uint8_t(width), uint8_t(width >> 8),
                               uint8_t(height), uint8_t(height >> 8), packed});
    bytes.insert(bytes.end(), table.begin(), table.end());
    bytes.push_back(minCodeSize);
    for (size_t at = 0; at < codes.size(); at += blockSize) {
        const size_t n = std::min(blockSize, codes.size() - at);
        bytes.push_back(uint8_t(n));
        bytes.insert(bytes.end(), codes.begin() + long(at), codes.begin() + long(at + n));
    }
    if (terminate) bytes.push_back(0);
    return *this;
}

RawGif& RawGif::Trailer() {
    bytes.push_back(0x3B);
    return *this;
}

ParsedBmp ParseBmp(std::span<const uint8_t> bmp) {
    ParsedBmp out;
    auto u16 = [&](size_t at) { return uint16_t(bmp[at] | bmp[at + 1] << 8); };
    auto u32 = [&](size_t at) { return uint32_t(u16(at) | uint32_t(u16(at + 2)) << 16); };
    if (bmp.size() < 54 || bmp[0] != 'B' || bmp[1] != 'M') return out;
    out.fileSize = u32(2);
    out.pixelOffset = u32(10);
    if (u32(14) != 40) return out;
    out.width = int32_t(u32(18));
    out.height = int32_t(u32(22));
    out.planes = u16(26);
    out.bitCount = u16(28);
    out.compression = u32(30);
    out.imageSize = u32(34);
    out.coloursUsed = u32(46);
    out.coloursImportant = u32(50);
    if (out.width < 0 || out.height < 0 || out.bitCount == 0 || out.bitCount > 8) return out;
    const size_t colours = size_t(1) << out.bitCount;
    if (bmp.size() < 54 + 4 * colours) return out;
    out.palette.assign(bmp.begin() + 54, bmp.begin() + long(54 + 4 * colours));
    const size_t stride = ((size_t(out.width) * out.bitCount + 31) / 32) * 4;
    if (bmp.size() < out.pixelOffset + stride * size_t(out.height)) return out;
    out.indices.resize(size_t(out.width) * size_t(out.height));
    for (int32_t y = 0; y < out.height; ++y) {
        const uint8_t* row = bmp.data() + out.pixelOffset + stride * size_t(out.height - 1 - y);
        for (int32_t x = 0; x < out.width; ++x) {
            const size_t bit = size_t(x) * out.bitCount;
            const unsigned shift = 8 - out.bitCount - bit % 8;
            out.indices[size_t(y) * out.width + x] =
                uint8_t((row[bit / 8] >> shift) & ((1u << out.bitCount) - 1));
        }
        for (size_t bit = size_t(out.width) * out.bitCount; bit < stride * 8; ++bit)
            if ((row[bit / 8] >> (7 - bit % 8)) & 1) out.paddingZero = false;
    }
    out.ok = true;
    return out;
}

}  // namespace gif::testing
