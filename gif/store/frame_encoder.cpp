#include "gif/store/frame_encoder.h"

namespace gif {

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
    FileRowOrder(
        image.height, interlace, [&](uint32_t y) { return image.TopRow(y); }, rows_);
    lzw_->Encode(rows_, image.width, record);
    FinishFrameRecord(record);
}

}  // namespace gif
