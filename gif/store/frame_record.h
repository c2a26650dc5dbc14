// A frame as the file will hold it: where it lies, how it is shown, its colour table and its
// LZW image data. Frames are encoded when they arrive and kept in this form, one record of bytes
// per frame, so that saving only writes headers and copies.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "gif/base/indexed_frame.h"

namespace gif {

struct FrameHeader {
    uint16_t left = 0;
    uint16_t top = 0;
    uint16_t width = 0;
    uint16_t height = 0;
    uint16_t delay = 0;    // hundredths of a second
    uint8_t disposal = 0;  // kept unchanged; the file gets its low 3 bits
    bool transparency = false;
    uint8_t transparentIndex = 0;
    bool interlaced = false;
    // The frame's colour table is written as its own (local) table; false: the global one serves.
    bool localTable = true;
    // No image: the frame before stays on screen `delay` longer (the optimised layout's
    // pictures that change nothing). Kept as records of their own so that a store only grows.
    bool lengthens = false;
    // The colour table holds 2^tableBits entries (1..8); 0: the record carries none.
    uint8_t tableBits = 8;
};

// A record's parts; the spans point into the record.
struct FrameView {
    FrameHeader header;
    std::string_view comment;              // at most kMaxCommentBytes bytes
    std::span<const uint8_t> colourTable;  // red, green, blue per entry
    // As the file holds it: LZW minimum code size, data sub-blocks, the empty sub-block.
    std::span<const uint8_t> imageData;
};

// Starts a record in `out` (which it empties): header, comment, colour table. The image data are
// then appended to `out`, and FinishFrameRecord completes it. Throws std::bad_alloc.
void BeginFrameRecord(const FrameHeader& header, std::string_view comment,
                      std::span<const uint8_t> colourTable, std::vector<uint8_t>& out);
void FinishFrameRecord(std::vector<uint8_t>& out);

// The parts of a record, or nothing when its lengths do not add up.
std::optional<FrameView> ParseFrameRecord(std::span<const uint8_t> record);

// The 256-entry colour table of an indexed image as red, green, blue triples.
std::array<uint8_t, 768> RgbTable(const IndexedImage& image);

// The frame's settings and its indices, decoded from the image data. Throws std::bad_alloc.
StoredFrame DecodeFrameRecord(const FrameView& frame);

}  // namespace gif
