// A frame of the optimised layout while the optimiser may still change it (a picture that
// changes nothing lengthens it): the parts of a frame record, held apart.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "gif/store/frame_record.h"

namespace gif {

struct EncodedFrame {
    FrameHeader header;
    std::string comment;
    std::vector<uint8_t> colourTable;  // red, green, blue per entry, 2^header.tableBits entries
    std::vector<uint8_t> imageData;    // minimum code size, data sub-blocks, terminator
};

// The frame record of `frame` in `record`. Throws std::bad_alloc.
void RecordOf(const EncodedFrame& frame, std::vector<uint8_t>& record);
// The parts of a stored record. Throws std::bad_alloc.
EncodedFrame EncodedFrameOf(const FrameView& view);

// The exponent of the smallest table from 2 entries up that holds `entries`.
inline uint8_t TableBits(size_t entries) {
    uint8_t bits = 1;
    while ((size_t{1} << bits) < entries) ++bits;
    return bits;
}

}  // namespace gif
