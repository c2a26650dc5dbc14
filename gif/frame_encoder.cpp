#include "gif/frame_encoder.h"

namespace gif {
namespace {

// Row pointers in the order they are encoded: top to bottom, or the four interlace passes.
void RowOrder(const IndexedImage& image, bool interlace, std::vector<const uint8_t*>& rows) {
    rows.clear();
    if (!interlace) {
        for (uint32_t y = 0; y < image.height; ++y) rows.push_back(image.TopRow(y));
        return;
    }
    static constexpr uint32_t kStart[4] = {0, 4, 2, 1};
    static constexpr uint32_t kStep[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (uint32_t y = kStart[pass]; y < image.height; y += kStep[pass])
            rows.push_back(image.TopRow(y));
}

}  // namespace

void FrameEncoder::Encode(const IndexedImage& image, const FrameSettings& settings, bool interlace,
                          std::vector<uint8_t>& record) {
    if (!lzw_) lzw_ = std::make_unique<LzwEncoder>();
    rows_.reserve(65535);
    FrameHeader header;
    header.left = settings.left;
    header.top = settings.top;
    header.width = image.width;
    header.height = image.height;
    header.delay = settings.delay;
    header.disposal = settings.disposal;
    header.transparency = settings.transparency;
    header.interlaced = interlace;
    const std::array<uint8_t, 768> table = RgbTable(image);
    BeginFrameRecord(header, settings.comment, table, record);
    RowOrder(image, interlace, rows_);
    lzw_->Encode(rows_, image.width, record);
    FinishFrameRecord(record);
}

}  // namespace gif
