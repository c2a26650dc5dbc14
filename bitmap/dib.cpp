#include "bitmap/dib.h"

#include <cstring>
#include <limits>
#include <new>

#include "bitmap/bmp_format.h"
#include "bitmap/byte_order.h"

namespace bitmap {
namespace {

constexpr char kUnsupportedData[] = "不被支持的位图数据或无法识别的文件格式";
constexpr char kBufferTooSmall[] = "缓冲区无效或大小不够";
constexpr char kNotCreated[] = "位图尚未创建，没有可用数据";
constexpr char kOutOfRange[] = "像素点坐标越界";
constexpr char kBadIndex[] = "颜色索引无效";
constexpr char kNoColorTable[] = "当前位图格式不使用颜色表";
constexpr char kOutOfMemory[] = "内存不足，无法保存位图";

constexpr size_t kFileHeaderSize = kBmpFileHeaderBytes;
constexpr size_t kInfoHeaderSize = kBmpInfoHeaderBytes;
constexpr uint32_t kCacheValid = 1u << 24;
constexpr size_t kCacheSlots = 4096;

int32_t ColourOf(uint32_t red, uint32_t green, uint32_t blue) {
    return int32_t(red | green << 8 | blue << 16);
}

// Index of the smallest squared distance; the lowest index wins ties, so an exact match is found
// first whenever it exists.
uint32_t SearchNearest(const uint8_t* table, uint32_t count, uint32_t rgb) {
    int red = int(rgb & 0xFF), green = int(rgb >> 8 & 0xFF), blue = int(rgb >> 16 & 0xFF);
    uint32_t best = 0;
    int bestDistance = std::numeric_limits<int>::max();
    for (uint32_t i = 0; i < count && bestDistance != 0; ++i) {
        const uint8_t* entry = table + size_t{i} * 4;
        int db = entry[0] - blue, dg = entry[1] - green, dr = entry[2] - red;
        int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    return best;
}

}  // namespace

const char* Dib::Version() {
    return "gifrec bitmap 1.0: uncompressed BMP, 1 to 32 bits per pixel";
}

void Dib::SetError(const char* text) {
    size_t length = std::strlen(text);
    if (length > sizeof(error_) - 1) length = sizeof(error_) - 1;
    std::memcpy(error_, text, length);
    error_[length] = '\0';
}

void Dib::Clear() {
    block_.reset();
    blockSize_ = 0;
    nearestCache_ = {};
    loaded_ = false;
    width_ = height_ = 0;
    bitCount_ = 0;
    colours_ = 0;
    stride_ = pixelOffset_ = imageSize_ = 0;
}

bool Dib::CheckLoaded() {
    if (loaded_) return true;
    SetError(kNotCreated);
    return false;
}

bool Dib::LoadData(std::span<const uint8_t> data) {
    ClearError();
    Clear();
    const uint8_t* d = data.data();
    const uint64_t length = data.size();
    BmpHeader fields;
    if (length < kBmpHeadersBytes || !ReadBmpHeader(data, fields) || length < fields.fileSize ||
        length > std::numeric_limits<uint32_t>::max() ||
        (fields.headerSize != 40 && fields.headerSize != 12)) {
        SetError(kUnsupportedData);
        return false;
    }

    uint8_t header[kInfoHeaderSize] = {};
    const uint32_t headerSize = fields.headerSize;
    if (headerSize == 40) {
        std::memcpy(header, d + kFileHeaderSize, kInfoHeaderSize);
    } else {
        // The old header keeps 16-bit sizes; the copy gets the 40-byte layout with its size field
        // set, so that GetData writes a readable file.
        Write32(header, 40);
        Write32(header + 4, uint32_t(fields.width));
        Write32(header + 8, uint32_t(fields.height));
        Write16(header + 12, fields.planes);
        Write16(header + 14, fields.bitCount);
    }

    const int32_t width = fields.width;
    int32_t height = fields.height;
    const uint32_t planes = fields.planes;
    const uint32_t bitCount = fields.bitCount;
    const uint32_t compression = fields.compression;
    const uint32_t coloursUsed = fields.coloursUsed;
    uint64_t colours = 0;
    switch (bitCount) {
        case 1:
            colours = 2;
            break;
        case 4:
            colours = 16;
            break;
        case 8:
            colours = 256;
            break;
        case 16:
        case 24:
        case 32:
            break;
        default:
            SetError(kUnsupportedData);
            return false;
    }
    if (coloursUsed != 0) colours = coloursUsed;

    // The colour table must lie inside the data: 4-byte entries after a 40-byte header, 3-byte
    // entries after a 12-byte one.
    const uint64_t tableEnd = headerSize == 40 ? 54 + 4 * colours : 26 + 3 * colours;
    const uint32_t pixelStart = fields.pixelOffset;
    const bool topDown = height < 0;
    if (length < tableEnd || pixelStart >= length || compression != 0 || planes != 1 ||
        width <= 0 || height == 0 || height == std::numeric_limits<int32_t>::min()) {
        SetError(kUnsupportedData);
        return false;
    }
    if (topDown) height = -height;

    const uint64_t pixelBytes = length - pixelStart;
    const uint64_t stride = BmpStride(uint32_t(width), bitCount);
    // Rows the data does not hold would be read and written past the block: refuse them.
    if (uint64_t(height) > pixelBytes / stride) {
        SetError(kUnsupportedData);
        return false;
    }

    try {
        const size_t tableBytes = size_t(colours) * 4;
        // Every byte of the block is written below, so it is not cleared first.
        blockSize_ = kInfoHeaderSize + tableBytes + size_t(pixelBytes);
        block_ = std::make_unique_for_overwrite<uint8_t[]>(blockSize_);
        uint8_t* block = block_.get();
        if (topDown) Write32(header + 8, uint32_t(height));
        std::memcpy(block, header, kInfoHeaderSize);
        uint8_t* table = block + kInfoHeaderSize;
        if (headerSize == 40) {
            std::memcpy(table, d + 54, tableBytes);
        } else {
            for (size_t i = 0; i < colours; ++i) {
                std::memcpy(table + i * 4, d + 26 + i * 3, 3);
                table[i * 4 + 3] = 0;
            }
        }
        uint8_t* pixels = table + tableBytes;
        const uint8_t* source = d + pixelStart;
        const size_t imageSize = size_t(stride) * size_t(height);
        if (topDown) {
            for (size_t row = 0; row < size_t(height); ++row)
                std::memcpy(pixels + (size_t(height) - 1 - row) * stride, source + row * stride,
                            stride);
            std::memcpy(pixels + imageSize, source + imageSize, size_t(pixelBytes) - imageSize);
        } else {
            std::memcpy(pixels, source, size_t(pixelBytes));
        }
        width_ = width;
        height_ = height;
        bitCount_ = int(bitCount);
        colours_ = uint32_t(colours);
        stride_ = size_t(stride);
        pixelOffset_ = kInfoHeaderSize + tableBytes;
        imageSize_ = imageSize;
        loaded_ = true;
        return true;
    } catch (const std::bad_alloc&) {
        Clear();
        SetError(kOutOfMemory);
        return false;
    }
}

std::vector<uint8_t> Dib::GetData() {
    ClearError();
    if (!CheckLoaded()) return {};
    const size_t tableBytes = size_t{colours_} * 4;
    if (blockSize_ < kInfoHeaderSize + tableBytes + imageSize_) {
        SetError(kBufferTooSmall);
        return {};
    }
    try {
        const size_t offset = kFileHeaderSize + kInfoHeaderSize + tableBytes;
        std::vector<uint8_t> file(offset + imageSize_);
        WriteBmpFileHeader(file.data(), uint32_t(file.size()), uint32_t(offset));
        std::memcpy(file.data() + kFileHeaderSize, block_.get(),
                    kInfoHeaderSize + tableBytes + imageSize_);
        return file;
    } catch (const std::bad_alloc&) {
        SetError(kOutOfMemory);
        return {};
    }
}

int32_t Dib::GetWidth() {
    ClearError();
    return CheckLoaded() ? width_ : -1;
}

int32_t Dib::GetHeight() {
    ClearError();
    return CheckLoaded() ? height_ : -1;
}

uint8_t* Dib::RowFor(int32_t x, int32_t y) {
    if (!CheckLoaded()) return nullptr;
    if (x < 0 || y < 0 || x >= width_ || y >= height_) {
        SetError(kOutOfRange);
        return nullptr;
    }
    return block_.get() + pixelOffset_ + size_t(height_ - y - 1) * stride_;
}

int32_t Dib::GetPixel(int32_t x, int32_t y) {
    ClearError();
    const uint8_t* row = RowFor(x, y);
    if (!row) return 0;
    uint32_t index;
    switch (bitCount_) {
        case 32:
            row += size_t(x) * 4;
            return ColourOf(row[2], row[1], row[0]);
        case 24:
            row += size_t(x) * 3;
            return ColourOf(row[2], row[1], row[0]);
        case 16: {
            uint32_t v = Read16(row + size_t(x) * 2);
            return ColourOf((v >> 10 & 31) * 8, (v >> 5 & 31) * 8, (v & 31) * 8);
        }
        case 8:
            index = row[x];
            break;
        case 4:
            index = x % 2 ? row[x / 2] & 0x0F : row[x / 2] >> 4;
            break;
        case 1:
            index = row[x / 8] >> (7 - x % 8) & 1;
            break;
        default:
            return -1;
    }
    // An index past a short colour table has no colour: read it as black.
    if (index >= colours_) return 0;
    const uint8_t* entry = block_.get() + kInfoHeaderSize + size_t{index} * 4;
    return ColourOf(entry[2], entry[1], entry[0]);
}

uint32_t Dib::NearestIndex(uint32_t rgb) {
    if (nearestCache_.empty()) nearestCache_.resize(kCacheSlots);
    const uint32_t key = rgb | kCacheValid;
    CacheSlot& slot = nearestCache_[(rgb * 2654435761u) >> 20];
    if (slot.key != key) {
        slot.key = key;
        slot.index = SearchNearest(block_.get() + kInfoHeaderSize, colours_, rgb);
    }
    return slot.index;
}

bool Dib::SetPixel(int32_t x, int32_t y, int32_t colour) {
    ClearError();
    uint8_t* row = RowFor(x, y);
    if (!row) return false;
    const uint32_t red = uint32_t(colour) & 0xFF, green = uint32_t(colour) >> 8 & 0xFF,
                   blue = uint32_t(colour) >> 16 & 0xFF;
    switch (bitCount_) {
        case 32:
        case 24: {
            uint8_t* pixel = row + size_t(x) * size_t(bitCount_ / 8);
            pixel[0] = uint8_t(blue);
            pixel[1] = uint8_t(green);
            pixel[2] = uint8_t(red);
            return true;
        }
        case 16:
            Write16(row + size_t(x) * 2, blue / 8 | (green / 8) << 5 | (red / 8) << 10);
            return true;
        default:
            break;
    }
    uint32_t index;
    try {
        index = NearestIndex(red | green << 8 | blue << 16);
    } catch (const std::bad_alloc&) {
        SetError(kOutOfMemory);
        return false;
    }
    if (index >= (1u << bitCount_)) {
        SetError(kBadIndex);
        return false;
    }
    switch (bitCount_) {
        case 8:
            row[x] = uint8_t(index);
            break;
        case 4: {
            uint8_t& byte = row[x / 2];
            byte = x % 2 ? uint8_t((byte & 0xF0) | index) : uint8_t((byte & 0x0F) | index << 4);
            break;
        }
        case 1: {
            const uint8_t bit = uint8_t(0x80 >> (x % 8));
            row[x / 8] = index ? uint8_t(row[x / 8] | bit) : uint8_t(row[x / 8] & ~bit);
            break;
        }
    }
    return true;
}

int32_t Dib::GetColorTableEntry(int32_t index) {
    ClearError();
    if (!CheckLoaded()) return 0;
    if (bitCount_ > 8) {
        SetError(kNoColorTable);
        return 0;
    }
    if (index < 0 || uint32_t(index) >= colours_) {
        SetError(kBadIndex);
        return 0;
    }
    const uint8_t* entry = block_.get() + kInfoHeaderSize + size_t(index) * 4;
    return ColourOf(entry[2], entry[1], entry[0]);
}

bool Dib::SetColorTableEntry(int32_t index, int32_t colour) {
    ClearError();
    if (!CheckLoaded()) return false;
    if (bitCount_ > 8) {
        SetError(kNoColorTable);
        return false;
    }
    if (index < 0 || uint32_t(index) >= colours_) {
        SetError(kBadIndex);
        return false;
    }
    uint8_t* entry = block_.get() + kInfoHeaderSize + size_t(index) * 4;
    entry[0] = uint8_t(uint32_t(colour) >> 16);
    entry[1] = uint8_t(uint32_t(colour) >> 8);
    entry[2] = uint8_t(colour);
    nearestCache_ = {};  // the nearest indices may have changed
    return true;
}

}  // namespace bitmap
