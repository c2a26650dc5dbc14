// Intake's last step: an indexed frame and its settings become the record the store keeps.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "gif/base/indexed_frame.h"
#include "gif/lzw/lzw_encoder.h"
#include "gif/store/frame_record.h"

namespace gif {

// Row pointers in the order a frame's rows are encoded: top to bottom, or the four interlace
// passes (rows 0, 8, ...; 4, 12, ...; 2, 6, ...; 1, 3, ...). `rowAt(y)` is row y from the top.
template <class RowAt>
void FileRowOrder(uint32_t height, bool interlace, RowAt rowAt, std::vector<const uint8_t*>& rows) {
    rows.clear();
    static constexpr uint32_t kStart[4] = {0, 4, 2, 1};
    static constexpr uint32_t kStep[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < (interlace ? 4 : 1); ++pass)
        for (uint32_t y = interlace ? kStart[pass] : 0; y < height;
             y += interlace ? kStep[pass] : 1)
            rows.push_back(rowAt(y));
}

class FrameEncoder {
  public:
    // Fills `record` with the frame as the file will hold it: all 256 colours as its own table,
    // transparent colour 0, rows in interlaced order when `interlace`. Throws std::bad_alloc.
    void Encode(const IndexedImage& image, const FrameSettings& settings, bool interlace,
                std::vector<uint8_t>& record);

  private:
    std::unique_ptr<LzwEncoder> lzw_;  // made on first use: its tables take a few MiB
    std::vector<const uint8_t*> rows_;
};

}  // namespace gif
