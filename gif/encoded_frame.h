// One GIF image as the file holds it: placement, how it is shown, its colour table and its LZW
// data. Frames of the optimised layout are kept in this form from the moment they are made.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace gif {

struct EncodedFrame {
    uint16_t left = 0;
    uint16_t top = 0;
    uint16_t width = 0;
    uint16_t height = 0;
    uint16_t delay = 0;  // hundredths of a second
    uint8_t disposal = 0;
    int transparentIndex = -1;  // -1: none
    bool interlaced = false;
    std::vector<uint8_t> localTable;  // red, green, blue per entry, 2^k entries; empty: global
    std::vector<uint8_t> data;        // minimum code size, data sub-blocks, terminator
    std::string comment;
};

// Bytes of a colour table with `entries` entries: the smallest power of two from 2 up that
// holds them, and that power's exponent.
inline unsigned TableBits(size_t entries) {
    unsigned bits = 1;
    while ((size_t{1} << bits) < entries) ++bits;
    return bits;
}

}  // namespace gif
