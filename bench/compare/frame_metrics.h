// How close a shown picture is to its source picture: squared errors over the whole frame and
// over the text edges, and how many pure white source pixels stay pure white.
#pragma once

#include <cstdint>
#include <vector>

namespace gifcompare {

// Text edges of a source picture (pixels 0xRRGGBB, rows top first), one byte per pixel, 1 on an
// edge. An edge pixel differs in luma (0.299 R + 0.587 G + 0.114 B) by at least 64 from one of
// its four neighbours: the sharp step between a glyph or a line and its background. Photo-like
// areas are left out: a 16x16 block with more than 128 distinct colours is photo-like, and so
// is every pixel of the eight blocks around it, so that a photo's border and its noise never
// count as text.
std::vector<uint8_t> TextEdges(const std::vector<uint32_t>& pixels, int width, int height);

struct Totals {
    double squaredError = 0;  // over R, G and B of every pixel
    uint64_t samples = 0;
    double textSquaredError = 0;
    uint64_t textSamples = 0;
    uint64_t white = 0;      // pure white source pixels
    uint64_t whiteKept = 0;  // of those, shown pure white
};

void Accumulate(const std::vector<uint32_t>& source, const std::vector<uint32_t>& shown,
                const std::vector<uint8_t>& textEdges, Totals& totals);

// Peak signal-to-noise ratio in dB of the mean squared error; 99 when nothing differs.
double Psnr(double squaredError, uint64_t samples);

}  // namespace gifcompare
