#include "bitmap/default_palette.h"

namespace bitmap {
namespace {

constexpr std::array<std::array<uint8_t, 3>, 16> kSixteenColours{{
    {0, 0, 0},
    {0, 0, 128},
    {0, 128, 0},
    {0, 128, 128},
    {128, 0, 0},
    {128, 0, 128},
    {128, 128, 0},
    {128, 128, 128},
    {192, 192, 192},
    {0, 0, 255},
    {0, 255, 0},
    {0, 255, 255},
    {255, 0, 0},
    {255, 0, 255},
    {255, 255, 0},
    {255, 255, 255},
}};

}  // namespace

unsigned DefaultPaletteBits(unsigned indexBits) {
    if (indexBits <= 1) return 1;
    if (indexBits <= 4) return 4;
    return 8;
}

std::array<uint8_t, 3> DefaultPaletteEntry(unsigned paletteBits, unsigned index) {
    if (paletteBits == 1 && index < 2) {
        const auto level = static_cast<uint8_t>(index == 0 ? 0 : 255);
        return {level, level, level};
    }
    if (paletteBits == 4 && index < 16) return kSixteenColours[index];
    if (paletteBits == 8 && index < 256) {
        const auto level = static_cast<uint8_t>(index);
        return {level, level, level};
    }
    return {0, 0, 0};
}

}  // namespace bitmap
