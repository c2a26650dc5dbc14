#include "gif/store/frame_record.h"

#include <cstring>

#include "bitmap/byte_order.h"
#include "gif/lzw/lzw_decoder.h"

namespace gif {
namespace {

// left, top, width, height, delay (16-bit each), disposal, flags, transparent index, table
// bits (8-bit each), comment length (16-bit), image data length (32-bit).
constexpr size_t kHeaderBytes = 20;
constexpr size_t kDataLengthAt = 16;
constexpr uint8_t kTransparency = 1, kInterlaced = 2, kLocalTable = 4, kLengthens = 8;

using bitmap::Write16;
using bitmap::Write32;

size_t TableBytes(uint8_t tableBits) {
    return tableBits == 0 ? 0 : size_t{3} << tableBits;
}

class IndexSink final : public RowSink {
  public:
    explicit IndexSink(IndexedImage& image) : image_(image) {}
    void Row(uint32_t y, const uint8_t* pixels) override {
        std::memcpy(image_.rows.get() + image_.Stride() * (image_.height - 1u - y), pixels,
                    image_.width);
    }

  private:
    IndexedImage& image_;
};

}  // namespace

void BeginFrameRecord(const FrameHeader& header, std::string_view comment,
                      std::span<const uint8_t> colourTable, std::vector<uint8_t>& out) {
    out.resize(kHeaderBytes);
    uint8_t* p = out.data();
    Write16(p + 0, header.left);
    Write16(p + 2, header.top);
    Write16(p + 4, header.width);
    Write16(p + 6, header.height);
    Write16(p + 8, header.delay);
    p[10] = header.disposal;
    p[11] =
        uint8_t((header.transparency ? kTransparency : 0) | (header.interlaced ? kInterlaced : 0) |
                (header.localTable ? kLocalTable : 0) | (header.lengthens ? kLengthens : 0));
    p[12] = header.transparentIndex;
    p[13] = header.tableBits;
    Write16(p + 14, uint16_t(comment.size()));
    out.insert(out.end(), comment.begin(), comment.end());
    const size_t tableBytes = std::min(TableBytes(header.tableBits), colourTable.size());
    out.insert(out.end(), colourTable.begin(), colourTable.begin() + ptrdiff_t(tableBytes));
    out.resize(out.size() + TableBytes(header.tableBits) - tableBytes, 0);
}

void FinishFrameRecord(std::vector<uint8_t>& out) {
    const size_t start = kHeaderBytes + bitmap::Read16(out.data() + 14) + TableBytes(out[13]);
    Write32(out.data() + kDataLengthAt, uint32_t(out.size() - start));
}

std::optional<FrameView> ParseFrameRecord(std::span<const uint8_t> record) {
    if (record.size() < kHeaderBytes) return std::nullopt;
    const uint8_t* p = record.data();
    FrameView view;
    FrameHeader& h = view.header;
    h.left = bitmap::Read16(p + 0);
    h.top = bitmap::Read16(p + 2);
    h.width = bitmap::Read16(p + 4);
    h.height = bitmap::Read16(p + 6);
    h.delay = bitmap::Read16(p + 8);
    h.disposal = p[10];
    h.transparency = p[11] & kTransparency;
    h.interlaced = p[11] & kInterlaced;
    h.localTable = p[11] & kLocalTable;
    h.lengthens = p[11] & kLengthens;
    h.transparentIndex = p[12];
    h.tableBits = p[13];
    if (h.tableBits > 8) return std::nullopt;
    const size_t commentBytes = bitmap::Read16(p + 14);
    const size_t tableBytes = TableBytes(h.tableBits);
    const uint64_t dataBytes = bitmap::Read32(p + kDataLengthAt);
    if (uint64_t{kHeaderBytes} + commentBytes + tableBytes + dataBytes != record.size())
        return std::nullopt;
    const uint8_t* at = p + kHeaderBytes;
    view.comment = {reinterpret_cast<const char*>(at), commentBytes};
    at += commentBytes;
    view.colourTable = {at, tableBytes};
    at += tableBytes;
    view.imageData = {at, size_t(dataBytes)};
    return view;
}

std::array<uint8_t, 768> RgbTable(const IndexedImage& image) {
    std::array<uint8_t, 768> table;
    for (size_t i = 0; i < 256; ++i) {
        table[3 * i + 0] = image.colourTable[4 * i + 2];
        table[3 * i + 1] = image.colourTable[4 * i + 1];
        table[3 * i + 2] = image.colourTable[4 * i + 0];
    }
    return table;
}

StoredFrame DecodeFrameRecord(const FrameView& frame) {
    StoredFrame stored;
    const FrameHeader& h = frame.header;
    stored.settings = {h.delay,    h.left,         h.top,
                       h.disposal, h.transparency, std::string(frame.comment)};
    IndexedImage& image = stored.image;
    image.width = h.width;
    image.height = h.height;
    for (size_t i = 0; 3 * i + 2 < frame.colourTable.size() && i < 256; ++i) {
        image.colourTable[4 * i + 0] = frame.colourTable[3 * i + 2];
        image.colourTable[4 * i + 1] = frame.colourTable[3 * i + 1];
        image.colourTable[4 * i + 2] = frame.colourTable[3 * i + 0];
    }
    const size_t bytes = image.Stride() * image.height;
    image.rows = AllocateFrameRows(bytes);
    std::memset(image.rows.get(), 0, bytes);

    // Join the sub-blocks after the minimum code size byte.
    std::span<const uint8_t> data = frame.imageData;
    if (data.empty()) return stored;
    std::vector<uint8_t> codes;
    codes.reserve(data.size());
    for (size_t at = 1; at < data.size() && data[at] != 0;) {
        const size_t length = std::min<size_t>(data[at], data.size() - at - 1);
        codes.insert(codes.end(), data.begin() + ptrdiff_t(at + 1),
                     data.begin() + ptrdiff_t(at + 1 + length));
        at += 1 + length;
    }
    LzwImage lzw{std::min<int>(data[0], kMaxMinCodeSize), h.width, h.height, h.interlaced};
    IndexSink sink(image);
    DecodeLzw(lzw, codes, sink);
    return stored;
}

}  // namespace gif
