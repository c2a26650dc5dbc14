// Exact colours: a screen of text or flat panels rarely has more than 256 colours, and then
// every pixel keeps its colour. Beyond 256 the popularity ranking picks the palette, with the
// mean of each 4-bit bucket instead of its corner, so a near-white stays near white.
#include <algorithm>
#include <array>
#include <cstring>
#include <numeric>

#include "gif/base/colour_set.h"
#include "gif/intake/colour_keys.h"
#include "gif/intake/colour_reduction.h"

namespace gif {
namespace {

inline uint32_t ColourOf(const uint8_t* bgr) {
    return uint32_t(bgr[2]) << 16 | uint32_t(bgr[1]) << 8 | bgr[0];
}

void SetEntry(IndexedImage& image, int index, uint32_t colour) {
    image.colourTable[4 * index + 0] = uint8_t(colour);
    image.colourTable[4 * index + 1] = uint8_t(colour >> 8);
    image.colourTable[4 * index + 2] = uint8_t(colour >> 16);
}

// Writes each pixel's number in order of first sight into the rows. False, with the rows
// partly written, once a 257th colour appears.
bool NumberColours(const PixelView& picture, IndexedImage& image, ColourSet& colours,
                   std::array<uint32_t, 256>& counts) {
    const size_t stride = image.Stride();
    const uint32_t step = picture.bytesPerPixel;
    for (uint32_t y = 0; y < picture.height; ++y) {
        const uint8_t* p = picture.Row(y);
        uint8_t* out = image.rows.get() + stride * y;
        uint32_t last = ColourSet::kNone;
        int number = 0;
        for (uint32_t x = 0; x < picture.width; ++x, p += step) {
            const uint32_t colour = ColourOf(p);
            if (colour != last) {
                number = colours.Find(colour);
                if (number < 0) return false;
                last = colour;
            }
            out[x] = uint8_t(number);
            ++counts[number];
        }
    }
    return true;
}

void ReduceFewColours(const ColourSet& colours, const std::array<uint32_t, 256>& counts,
                      IndexedImage& image) {
    // Most frequent first, ties in order of first sight: entry 0 is a colour of the highest
    // count, as with the popularity palette.
    const int n = colours.Size();
    std::array<uint8_t, 256> order;
    std::iota(order.begin(), order.begin() + n, uint8_t{0});
    std::stable_sort(order.begin(), order.begin() + n,
                     [&](uint8_t a, uint8_t b) { return counts[a] > counts[b]; });
    std::array<uint8_t, 256> indexOf{};
    std::memset(image.colourTable.data(), 0, image.colourTable.size());
    for (int i = 0; i < n; ++i) {
        indexOf[order[i]] = uint8_t(i);
        SetEntry(image, i, colours.Colour(order[i]));
    }
    const size_t stride = image.Stride();
    for (uint32_t y = 0; y < image.height; ++y) {
        uint8_t* row = image.rows.get() + stride * y;
        for (uint32_t x = 0; x < image.width; ++x) row[x] = indexOf[row[x]];
        std::memset(row + image.width, 0, stride - image.width);
    }
}

void ReduceBucketMeans(const PixelView& picture, IndexedImage& image) {
    std::array<uint32_t, kKeys> counts;
    CountKeyPixels(picture, counts.data());
    // Per key the sums of its pixels' channels; 2^16 x 2^16 pixels of 255 fit in 64 bits.
    std::array<std::array<uint64_t, 3>, kKeys> sums{};
    for (uint32_t y = 0; y < picture.height; ++y) {
        const uint8_t* p = picture.Row(y);
        for (uint32_t x = 0; x < picture.width; ++x, p += picture.bytesPerPixel) {
            auto& sum = sums[KeyOf(p)];
            sum[0] += p[2];
            sum[1] += p[1];
            sum[2] += p[0];
        }
    }
    const RankedKeys ranked = RankKeys(counts.data());
    auto mean = [&](uint32_t key, int channel) { return int(sums[key][channel] / counts[key]); };
    std::array<uint8_t, kKeys> indexOfKey{};
    PaletteLevels palette{};
    std::memset(image.colourTable.data(), 0, image.colourTable.size());
    for (int i = 0; i < 256 && i < ranked.n; ++i) {
        const uint32_t key = ranked.key[i];
        palette.red[i] = int16_t(mean(key, 0));
        palette.green[i] = int16_t(mean(key, 1));
        palette.blue[i] = int16_t(mean(key, 2));
        SetEntry(image, i,
                 uint32_t(palette.red[i]) << 16 | uint32_t(palette.green[i]) << 8 |
                     uint32_t(palette.blue[i]));
        indexOfKey[key] = uint8_t(i);
    }
    for (int r = 256; r < ranked.n; ++r) {
        const uint32_t key = ranked.key[r];
        indexOfKey[key] = uint8_t(NearestEntry(palette, mean(key, 0), mean(key, 1), mean(key, 2)));
    }
    WriteKeyIndices(picture, indexOfKey.data(), image);
}

}  // namespace

bool ReduceExact(const PixelView& picture, IndexedImage& image) {
    ColourSet colours;
    std::array<uint32_t, 256> counts{};
    if (NumberColours(picture, image, colours, counts)) {
        ReduceFewColours(colours, counts, image);
        return true;
    }
    ReduceBucketMeans(picture, image);
    return false;
}

PixelView SubView(const PixelView& picture, uint32_t x, uint32_t y, uint32_t w, uint32_t h) {
    PixelView part = picture;
    part.width = w;
    part.height = h;
    // Rows are bottom-up: the part's bottom row is row y + h - 1 from the top.
    part.bottomRow = picture.Row(picture.height - (y + h)) + size_t{x} * picture.bytesPerPixel;
    return part;
}

}  // namespace gif
