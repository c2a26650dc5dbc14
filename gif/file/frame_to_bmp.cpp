#include "gif/file/frame_to_bmp.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>

#include "bitmap/bmp_format.h"
#include "bitmap/default_palette.h"
#include "gif/lzw/lzw_decoder.h"

namespace gif {

namespace {

constexpr size_t kFileHeaderSize = bitmap::kBmpFileHeaderBytes;
constexpr size_t kInfoHeaderSize = bitmap::kBmpInfoHeaderBytes;

size_t RowLength(uint32_t width, unsigned bitCount) {
    return size_t(bitmap::BmpStride(width, bitCount));
}

// Entry i as blue, green, red, 0.
void WriteColourTable(const FrameImage& frame, unsigned bitCount, uint8_t* out) {
    const size_t colours = size_t{1} << bitCount;
    if (!frame.colourTable.empty()) {
        const size_t given = std::min(colours, frame.colourTable.size() / 3);
        for (size_t i = 0; i < given; ++i) {
            out[4 * i + 0] = frame.colourTable[3 * i + 2];
            out[4 * i + 1] = frame.colourTable[3 * i + 1];
            out[4 * i + 2] = frame.colourTable[3 * i + 0];
        }
        return;  // the rest stays black
    }
    for (size_t i = 0; i < colours; ++i) {
        const std::array<uint8_t, 3> rgb = bitmap::DefaultPaletteEntry(bitCount, unsigned(i));
        out[4 * i + 0] = rgb[2];
        out[4 * i + 1] = rgb[1];
        out[4 * i + 2] = rgb[0];
    }
}

// Packs decoded rows into their places in the bottom-up pixel area.
class BmpRows final : public RowSink {
  public:
    BmpRows(uint8_t* pixels, uint32_t width, uint32_t height, unsigned bitCount)
        : pixels_(pixels),
          width_(width),
          height_(height),
          bitCount_(bitCount),
          rowLength_(RowLength(width, bitCount)) {}

    void Row(uint32_t y, const uint8_t* in) override {
        uint8_t* out = pixels_ + rowLength_ * (height_ - 1 - y);
        if (bitCount_ == 8) {
            std::memcpy(out, in, width_);
        } else if (bitCount_ == 4) {
            uint32_t x = 0;
            for (; x + 1 < width_; x += 2)
                *out++ = static_cast<uint8_t>((in[x] << 4) | (in[x + 1] & 15));
            if (x < width_) *out = static_cast<uint8_t>(in[x] << 4);
        } else {
            uint32_t x = 0;
            for (; x + 8 <= width_; x += 8) {
                unsigned byte = 0;
                for (unsigned k = 0; k < 8; ++k) byte = (byte << 1) | (in[x + k] & 1u);
                *out++ = static_cast<uint8_t>(byte);
            }
            if (x < width_) {
                unsigned byte = 0;
                unsigned k = 0;
                for (; x < width_; ++x, ++k) byte |= (in[x] & 1u) << (7 - k);
                *out = static_cast<uint8_t>(byte);
            }
        }
    }

  private:
    uint8_t* pixels_;
    uint32_t width_;
    uint32_t height_;
    unsigned bitCount_;
    size_t rowLength_;
};

}  // namespace

unsigned BmpBitCount(unsigned tableBits) {
    return bitmap::DefaultPaletteBits(tableBits);
}

uint64_t BmpFileSize(uint32_t width, uint32_t height, unsigned bitCount) {
    const uint64_t colours = uint64_t{1} << bitCount;
    return kFileHeaderSize + kInfoHeaderSize + 4 * colours +
           uint64_t{RowLength(width, bitCount)} * height;
}

BmpStatus FrameToBmp(const FrameImage& frame, std::vector<uint8_t>& bmp, uint64_t maxBytes) {
    bmp.clear();
    const unsigned bitCount = BmpBitCount(frame.tableBits);
    const uint64_t fileSize = BmpFileSize(frame.width, frame.height, bitCount);
    if (fileSize > std::min(maxBytes, kMaxFrameBmpBytes)) return BmpStatus::TooLarge;
    const size_t rowLength = RowLength(frame.width, bitCount);
    const uint32_t colours = 1u << bitCount;
    const uint32_t pixelOffset =
        static_cast<uint32_t>(kFileHeaderSize + kInfoHeaderSize) + 4 * colours;

    try {
        bmp.assign(static_cast<size_t>(fileSize), 0);
    } catch (const std::bad_alloc&) {
        bmp.clear();
        return BmpStatus::OutOfMemory;
    }
    uint8_t* file = bmp.data();
    bitmap::WriteBmpFileHeader(file, static_cast<uint32_t>(fileSize), pixelOffset);
    uint8_t* info = file + kFileHeaderSize;
    bitmap::WriteBmpInfoHeader(info, {frame.width, frame.height, uint16_t(bitCount),
                                      static_cast<uint32_t>(rowLength * frame.height), colours});

    WriteColourTable(frame, bitCount, info + kInfoHeaderSize);

    BmpRows rows(file + pixelOffset, frame.width, frame.height, bitCount);
    try {
        DecodeLzw(LzwImage{frame.minCodeSize, frame.width, frame.height, frame.interlaced},
                  frame.codes, rows);
    } catch (const std::bad_alloc&) {
        bmp.clear();
        return BmpStatus::OutOfMemory;
    }
    return BmpStatus::Ok;
}

}  // namespace gif
