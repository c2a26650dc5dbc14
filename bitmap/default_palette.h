// The colours of a picture whose file has no colour table at all: black and white for two
// entries, the sixteen standard colours for up to sixteen, a grey ramp for more. A GIF without
// a table is shown in these, whether it is decoded as a picture or one frame is written as a BMP.
#pragma once

#include <array>
#include <cstdint>

namespace bitmap {

// The number of bits a palette of 2^`indexBits` entries (1 … 8) is widened to: 1, 4 or 8.
unsigned DefaultPaletteBits(unsigned indexBits);

// Red, green, blue of entry `index` of the default palette of 2^`paletteBits` entries
// (`paletteBits` 1, 4 or 8); black for an entry beyond it.
std::array<uint8_t, 3> DefaultPaletteEntry(unsigned paletteBits, unsigned index);

}  // namespace bitmap
