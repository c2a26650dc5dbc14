#include "bench/compare/frame_metrics.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace gifcompare {
namespace {

constexpr int kBlock = 16;
constexpr int kPhotoColours = 128;
constexpr int kEdgeStep = 64;

int Luma(uint32_t p) {
    return int((299 * (p >> 16 & 255) + 587 * (p >> 8 & 255) + 114 * (p & 255)) / 1000);
}

// One flag per block: more distinct colours than text on a flat background ever has.
std::vector<uint8_t> PhotoBlocks(const std::vector<uint32_t>& pixels, int width, int height,
                                 int columns, int rows) {
    std::vector<uint8_t> photo(size_t(columns) * rows);
    std::vector<uint32_t> block;
    for (int by = 0; by < rows; ++by) {
        for (int bx = 0; bx < columns; ++bx) {
            block.clear();
            for (int y = by * kBlock; y < std::min(height, (by + 1) * kBlock); ++y) {
                const uint32_t* row = &pixels[size_t(y) * width];
                block.insert(block.end(), row + bx * kBlock,
                             row + std::min(width, (bx + 1) * kBlock));
            }
            std::sort(block.begin(), block.end());
            const auto distinct = std::unique(block.begin(), block.end()) - block.begin();
            photo[size_t(by) * columns + bx] = distinct > kPhotoColours;
        }
    }
    return photo;
}

}  // namespace

std::vector<uint8_t> TextEdges(const std::vector<uint32_t>& pixels, int width, int height) {
    const int columns = (width + kBlock - 1) / kBlock, rows = (height + kBlock - 1) / kBlock;
    const std::vector<uint8_t> photo = PhotoBlocks(pixels, width, height, columns, rows);
    auto nearPhoto = [&](int bx, int by) {
        for (int y = std::max(0, by - 1); y <= std::min(rows - 1, by + 1); ++y)
            for (int x = std::max(0, bx - 1); x <= std::min(columns - 1, bx + 1); ++x)
                if (photo[size_t(y) * columns + x]) return true;
        return false;
    };

    std::vector<int> luma(pixels.size());
    std::transform(pixels.begin(), pixels.end(), luma.begin(), Luma);
    std::vector<uint8_t> edges(pixels.size());
    for (int by = 0; by < rows; ++by) {
        for (int bx = 0; bx < columns; ++bx) {
            if (nearPhoto(bx, by)) continue;
            for (int y = by * kBlock; y < std::min(height, (by + 1) * kBlock); ++y) {
                for (int x = bx * kBlock; x < std::min(width, (bx + 1) * kBlock); ++x) {
                    const size_t i = size_t(y) * width + x;
                    int step = 0;
                    if (x > 0) step = std::max(step, std::abs(luma[i] - luma[i - 1]));
                    if (x + 1 < width) step = std::max(step, std::abs(luma[i] - luma[i + 1]));
                    if (y > 0) step = std::max(step, std::abs(luma[i] - luma[i - width]));
                    if (y + 1 < height) step = std::max(step, std::abs(luma[i] - luma[i + width]));
                    edges[i] = step >= kEdgeStep;
                }
            }
        }
    }
    return edges;
}

void Accumulate(const std::vector<uint32_t>& source, const std::vector<uint32_t>& shown,
                const std::vector<uint8_t>& textEdges, Totals& totals) {
    double all = 0, text = 0;
    uint64_t textPixels = 0, white = 0, whiteKept = 0;
    for (size_t i = 0; i < source.size(); ++i) {
        const uint32_t a = source[i], b = shown[i];
        double error = 0;
        for (int shift = 0; shift <= 16; shift += 8) {
            const double d = double(int(a >> shift & 255) - int(b >> shift & 255));
            error += d * d;
        }
        all += error;
        if (textEdges[i]) {
            text += error;
            ++textPixels;
        }
        if (a == 0xFFFFFF) {
            ++white;
            whiteKept += b == 0xFFFFFF;
        }
    }
    totals.squaredError += all;
    totals.samples += 3 * source.size();
    totals.textSquaredError += text;
    totals.textSamples += 3 * textPixels;
    totals.white += white;
    totals.whiteKept += whiteKept;
}

double Psnr(double squaredError, uint64_t samples) {
    if (samples == 0 || squaredError == 0) return 99;
    return 10 * std::log10(255.0 * 255.0 * double(samples) / squaredError);
}

}  // namespace gifcompare
