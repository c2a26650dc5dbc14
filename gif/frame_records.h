// The GIF89a records around encoded frames, appended to a byte buffer: the screen header with
// its global table, the looping extension, one frame's records, comments and the trailer.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "gif/encoded_frame.h"

namespace gif {

// "GIF89a", the logical screen descriptor and the global table (red, green, blue per entry,
// 2^k entries from 2 to 256).
void AppendScreen(uint16_t width, uint16_t height, std::span<const uint8_t> globalTable,
                  std::vector<uint8_t>& out);
// The NETSCAPE2.0 application extension; 0 repeats for ever.
void AppendLoop(uint16_t loopCount, std::vector<uint8_t>& out);
// A comment extension, cut as stored comments are; nothing for an empty text.
void AppendComment(std::string_view text, std::vector<uint8_t>& out);
// Graphic control extension, the frame's comment, image descriptor, local table, data.
void AppendFrame(const EncodedFrame& frame, std::vector<uint8_t>& out);
inline void AppendTrailer(std::vector<uint8_t>& out) {
    out.push_back(0x3B);
}

}  // namespace gif
