#include "gif/gif_player.h"

#include <algorithm>

#include "bitmap/bmp_format.h"
#include "gif/optimise/frame_optimiser.h"

namespace gif {
namespace {

struct Area {
    uint32_t x0, y0, x1, y1;
};

// The part of a frame inside the screen.
Area Clip(const FrameInfo& info, uint32_t width, uint32_t height) {
    return {std::min<uint32_t>(info.Left, width), std::min<uint32_t>(info.Top, height),
            std::min<uint32_t>(uint32_t{info.Left} + info.Width, width),
            std::min<uint32_t>(uint32_t{info.Top} + info.Depth, height)};
}

}  // namespace

GifPlayer::GifPlayer(GifReader& reader)
    : reader_(reader),
      width_(reader.GetGifInfo().Width),
      height_(reader.GetGifInfo().Depth),
      screen_(size_t{width_} * height_, kUnset) {}

void GifPlayer::Dispose() {
    if (!haveLast_) return;
    const uint8_t disposal = last_.DisposalMethod & 7;
    if (disposal != 2 && disposal != 3) return;
    const Area area = Clip(last_, width_, height_);
    size_t at = 0;
    for (uint32_t y = area.y0; y < area.y1; ++y) {
        uint32_t* row = screen_.data() + size_t{width_} * y;
        for (uint32_t x = area.x0; x < area.x1; ++x) row[x] = disposal == 2 ? kUnset : saved_[at++];
    }
}

bool GifPlayer::Paint(uint32_t frameIndex, const FrameInfo& info) {
    // The frame's indices and the table in force, through its BMP image.
    const std::vector<uint8_t> bmp = reader_.GetGifData(frameIndex);
    if (bmp.size() < 54) {
        const ErrorCode code = reader_.GetErrorCode();
        error_.Set(code == ErrorCode::NoError ? ErrorCode::FrameDataDamaged : code);
        return false;
    }
    bitmap::BmpHeader header;
    bitmap::ReadBmpHeader(bmp, header);
    const uint32_t bits = header.bitCount;
    const uint32_t width = uint32_t(header.width), height = uint32_t(header.height);
    const size_t pixelStart = header.pixelOffset;
    const size_t rowLength = size_t(bitmap::BmpStride(width, bits));
    const size_t entries = size_t{1} << bits;
    if (width != info.Width || height != info.Depth || pixelStart < 54 + 4 * entries ||
        bmp.size() < pixelStart + rowLength * height) {
        error_.Set(ErrorCode::FrameDataDamaged);
        return false;
    }
    std::vector<uint32_t> colours(entries);
    for (size_t i = 0; i < entries; ++i) {
        const uint8_t* entry = &bmp[54 + 4 * i];
        colours[i] = uint32_t(entry[2]) << 16 | uint32_t(entry[1]) << 8 | entry[0];
    }
    const Area area = Clip(info, width_, height_);
    for (uint32_t y = area.y0; y < area.y1; ++y) {
        const uint8_t* row = &bmp[pixelStart + rowLength * (height - 1 - (y - info.Top))];
        uint32_t* out = screen_.data() + size_t{width_} * y;
        for (uint32_t x = area.x0; x < area.x1; ++x) {
            const uint32_t column = x - info.Left;
            const uint32_t shift = 8 - bits - (column * bits) % 8;
            const uint32_t index = (row[column * bits / 8] >> shift) & (entries - 1);
            if (info.Transparency && index == info.TransparencyIndex) continue;
            out[x] = colours[index];
        }
    }
    return true;
}

bool GifPlayer::Next() {
    if (next_ > reader_.FrameCount()) return false;
    const FrameInfo info = reader_.GetFrameInfo(next_);
    Dispose();
    if ((info.DisposalMethod & 7) == 3) {
        const Area area = Clip(info, width_, height_);
        saved_.clear();
        for (uint32_t y = area.y0; y < area.y1; ++y)
            saved_.insert(saved_.end(), screen_.begin() + size_t{width_} * y + area.x0,
                          screen_.begin() + size_t{width_} * y + area.x1);
    }
    if (!Paint(next_, info)) return false;
    last_ = info;
    haveLast_ = true;
    delay_ = info.DelayTime;
    comment_ = info.exposition;
    ++next_;
    return true;
}

}  // namespace gif
