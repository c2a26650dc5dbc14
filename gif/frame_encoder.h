// Intake's last step: an indexed frame and its settings become the record the store keeps.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "gif/frame_record.h"
#include "gif/indexed_frame.h"
#include "gif/lzw_encoder.h"

namespace gif {

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
