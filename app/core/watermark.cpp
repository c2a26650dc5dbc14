#include "app/core/watermark.h"

#include <array>

#include "bitmap/picture_codec.h"

namespace app {
namespace {

struct Colour {
    uint8_t red, green, blue;
};

constexpr Colour kBadge{200, 40, 48};
constexpr Colour kRing{255, 255, 255};
constexpr Colour kLetters{255, 255, 255};

// "GIF" in a 5 x 7 pixel font, drawn four times enlarged in the middle of a round badge.
constexpr std::array<const char*, 7> kGlyphs = {
    ".###.  .###.  #####",  //
    "#...#  ..#..  #....",  //
    "#....  ..#..  #....",  //
    "#.###  ..#..  ####.",  //
    "#...#  ..#..  #....",  //
    "#...#  ..#..  #....",  //
    ".###.  .###.  #....",  //
};
constexpr int kScale = 4;
constexpr int kGlyphColumns = 19;

bool IsLetterPixel(int x, int y) {
    const int left = (kBuiltinWatermarkSide - kGlyphColumns * kScale) / 2;
    const int top = (kBuiltinWatermarkSide - static_cast<int>(kGlyphs.size()) * kScale) / 2;
    const int column = (x - left) / kScale;
    const int row = (y - top) / kScale;
    if (x < left || y < top || column >= kGlyphColumns || row >= static_cast<int>(kGlyphs.size())) {
        return false;
    }
    return kGlyphs[row][column] == '#';
}

// Black outside the badge, so only the badge shows on a recording.
Colour PixelAt(int x, int y) {
    const int centre = kBuiltinWatermarkSide / 2;
    const int dx = 2 * x + 1 - 2 * centre;
    const int dy = 2 * y + 1 - 2 * centre;
    const int distance = dx * dx + dy * dy;  // in half pixels, squared
    if (distance > 112 * 112) return Colour{0, 0, 0};
    if (distance > 104 * 104) return kRing;
    return IsLetterPixel(x, y) ? kLetters : kBadge;
}

std::vector<uint8_t> DrawWatermark() {
    bitmap::Image24 image;
    image.width = kBuiltinWatermarkSide;
    image.height = kBuiltinWatermarkSide;
    image.pixels.assign(image.Stride() * image.height, 0);
    for (int y = 0; y < kBuiltinWatermarkSide; ++y) {
        uint8_t* row = image.pixels.data() + (kBuiltinWatermarkSide - 1 - y) * image.Stride();
        for (int x = 0; x < kBuiltinWatermarkSide; ++x) {
            const Colour colour = PixelAt(x, y);
            row[3 * x] = colour.blue;
            row[3 * x + 1] = colour.green;
            row[3 * x + 2] = colour.red;
        }
    }
    return bitmap::EncodeBmp24(image);
}

}  // namespace

const std::vector<uint8_t>& BuiltinWatermark() {
    static const std::vector<uint8_t> picture = DrawWatermark();
    return picture;
}

}  // namespace app
