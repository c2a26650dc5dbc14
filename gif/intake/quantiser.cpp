#include "gif/intake/quantiser.h"

#include <algorithm>
#include <array>
#include <numeric>

namespace gif {
namespace {

constexpr std::array<double, 3> kWeight = {2.0, 4.0, 3.0};  // red, green, blue: as ColourDistance
// A colour of at least this share of the pixels is flat UI, kept as it is.
constexpr double kFlatShare = 1.0 / 500;
// Flat colours take at most this part of the palette; the rest is for everything else.
constexpr int kFlatEntriesDivisor = 4;

int Channel(uint32_t colour, int channel) {
    return int(colour >> (16 - 8 * channel) & 0xFF);
}

struct Box {
    size_t begin = 0, end = 0;
    double weight = 0;
    std::array<double, 3> sum{}, squares{};
    double error = 0;  // weighted squared error around the mean
    int widest = 0;    // the channel of the largest weighted spread

    void Measure(std::span<const CountedColour> items) {
        weight = 0;
        sum = {};
        squares = {};
        for (size_t i = begin; i < end; ++i) {
            const double w = items[i].count;
            weight += w;
            for (int c = 0; c < 3; ++c) {
                const double v = Channel(items[i].colour, c);
                sum[c] += w * v;
                squares[c] += w * v * v;
            }
        }
        error = 0;
        double widestSpread = -1;
        for (int c = 0; c < 3; ++c) {
            const double spread = kWeight[c] * (squares[c] - sum[c] * sum[c] / weight);
            error += spread;
            if (spread > widestSpread) {
                widestSpread = spread;
                widest = c;
            }
        }
        if (end - begin < 2) error = 0;  // nothing to split
    }

    uint32_t Mean() const {
        uint32_t colour = 0;
        for (int c = 0; c < 3; ++c) {
            const int v = std::clamp(int(sum[c] / weight + 0.5), 0, 255);
            colour |= uint32_t(v) << (16 - 8 * c);
        }
        return colour;
    }
};

// Splits the box along its widest channel where the two parts leave the least error; colours
// of one level stay together. Partitions the box's items; returns the first of the upper part.
size_t Split(std::span<CountedColour> items, const Box& box) {
    const int channel = box.widest;
    // Per level of the channel: weight and channel sums, so the split is one pass over 256.
    std::array<double, 256> weight{};
    std::array<std::array<double, 3>, 256> sums{};
    for (size_t i = box.begin; i < box.end; ++i) {
        const int level = Channel(items[i].colour, channel);
        const double w = items[i].count;
        weight[size_t(level)] += w;
        for (int c = 0; c < 3; ++c)
            sums[size_t(level)][size_t(c)] += w * Channel(items[i].colour, c);
    }
    double leftWeight = 0, best = -1;
    std::array<double, 3> left{};
    int splitLevel = -1;
    for (int level = 0; level < 255; ++level) {
        if (weight[size_t(level)] == 0) continue;
        leftWeight += weight[size_t(level)];
        for (int c = 0; c < 3; ++c) left[size_t(c)] += sums[size_t(level)][size_t(c)];
        const double rightWeight = box.weight - leftWeight;
        if (rightWeight <= 0) break;
        // Least error on both sides is the largest weighted spread of the two means.
        double score = 0;
        for (int c = 0; c < 3; ++c) {
            const double right = box.sum[size_t(c)] - left[size_t(c)];
            score += kWeight[size_t(c)] *
                     (left[size_t(c)] * left[size_t(c)] / leftWeight + right * right / rightWeight);
        }
        if (score > best) {
            best = score;
            splitLevel = level;
        }
    }
    auto upper = std::partition(
        items.begin() + long(box.begin), items.begin() + long(box.end),
        [&](const CountedColour& c) { return Channel(c.colour, channel) <= splitLevel; });
    return size_t(upper - items.begin());
}

std::vector<uint32_t> MedianCut(std::vector<CountedColour>& items, int boxes) {
    std::vector<Box> cut;
    if (items.empty() || boxes <= 0) return {};
    cut.push_back({0, items.size()});
    cut.back().Measure(items);
    while (int(cut.size()) < boxes) {
        auto worst = std::max_element(cut.begin(), cut.end(),
                                      [](const Box& a, const Box& b) { return a.error < b.error; });
        if (worst->error <= 0) break;
        const Box box = *worst;
        const size_t split = Split(items, box);
        if (split == box.begin || split == box.end) {
            worst->error = 0;  // one level only along its widest channel: leave it
            continue;
        }
        Box lower{box.begin, split}, upper{split, box.end};
        lower.Measure(items);
        upper.Measure(items);
        *worst = lower;
        cut.push_back(upper);
    }
    std::vector<uint32_t> means;
    for (const Box& box : cut) means.push_back(box.Mean());
    return means;
}

// One round of k-means: every colour goes to its nearest entry, and each entry after the
// first `fixed` moves to the mean of its colours.
void Refine(std::span<const CountedColour> colours, size_t fixed, std::vector<uint32_t>& palette,
            PaletteMatcher& matcher) {
    matcher.Reset(palette);
    std::vector<std::array<double, 4>> sums(palette.size(), {0, 0, 0, 0});
    for (const CountedColour& c : colours) {
        auto& sum = sums[size_t(matcher.Nearest(c.colour))];
        for (int ch = 0; ch < 3; ++ch) sum[size_t(ch)] += double(c.count) * Channel(c.colour, ch);
        sum[3] += c.count;
    }
    for (size_t i = fixed; i < palette.size(); ++i) {
        if (sums[i][3] == 0) continue;
        uint32_t colour = 0;
        for (int ch = 0; ch < 3; ++ch)
            colour |= uint32_t(std::clamp(int(sums[i][size_t(ch)] / sums[i][3] + 0.5), 0, 255))
                      << (16 - 8 * ch);
        palette[i] = colour;
    }
}

}  // namespace

std::vector<uint32_t> QuantiseColours(std::span<const CountedColour> colours, int maxColours) {
    PaletteMatcher scratch;
    return QuantiseColours(colours, maxColours, scratch);
}

std::vector<uint32_t> QuantiseColours(std::span<const CountedColour> colours, int maxColours,
                                      PaletteMatcher& scratch) {
    std::vector<uint32_t> palette;
    if (colours.size() <= size_t(maxColours)) {
        for (const CountedColour& c : colours) palette.push_back(c.colour);
        return palette;
    }
    uint64_t total = 0;
    for (const CountedColour& c : colours) total += c.count;
    std::vector<CountedColour> rest(colours.begin(), colours.end());
    std::sort(rest.begin(), rest.end(),
              [](const CountedColour& a, const CountedColour& b) { return a.count > b.count; });
    const int flatLimit = maxColours / kFlatEntriesDivisor;
    const double flatCount = double(total) * kFlatShare;
    size_t flat = 0;
    while (int(flat) < flatLimit && flat < rest.size() && rest[flat].count >= flatCount) {
        palette.push_back(rest[flat].colour);
        ++flat;
    }
    rest.erase(rest.begin(), rest.begin() + long(flat));
    std::vector<uint32_t> means = MedianCut(rest, maxColours - int(palette.size()));
    palette.insert(palette.end(), means.begin(), means.end());
    Refine(colours, flat, palette, scratch);
    return palette;
}

void PaletteMatcher::Reset(std::span<const uint32_t> palette) {
    palette_.assign(palette.begin(), palette.end());
    byGreen_.resize(palette_.size());
    std::iota(byGreen_.begin(), byGreen_.end(), uint8_t{0});
    std::stable_sort(byGreen_.begin(), byGreen_.end(), [this](uint8_t a, uint8_t b) {
        return Channel(palette_[a], 1) < Channel(palette_[b], 1);
    });
    reds_.resize(palette_.size());
    greens_.resize(palette_.size());
    blues_.resize(palette_.size());
    for (size_t i = 0; i < byGreen_.size(); ++i) {
        reds_[i] = Channel(palette_[byGreen_[i]], 0);
        greens_[i] = Channel(palette_[byGreen_[i]], 1);
        blues_[i] = Channel(palette_[byGreen_[i]], 2);
    }
    exact_.Clear();
    for (size_t i = palette_.size(); i-- > 0;) exact_.Put(palette_[i], int(i));  // lowest wins
    if (cellStamp_.empty()) {
        cellStamp_.assign(size_t{1} << 18, 0);
        cellIndex_.assign(size_t{1} << 18, 0);
    }
    if (++stamp_ == 0) {  // wrapped: forget every cell
        std::fill(cellStamp_.begin(), cellStamp_.end(), 0);
        stamp_ = 1;
    }
}

int PaletteMatcher::Nearest(uint32_t colour) {
    const int exact = exact_.Find(colour);
    if (exact != ColourCache::kMissing) return exact;
    const uint32_t cell = (colour >> 6 & 0x3F000) | (colour >> 4 & 0xFC0) | (colour >> 2 & 0x3F);
    if (cellStamp_[cell] == stamp_) return cellIndex_[cell];
    const int index = Search(colour);
    cellStamp_[cell] = stamp_;
    cellIndex_[cell] = uint8_t(index);
    return index;
}

int PaletteMatcher::Search(uint32_t colour) const {
    // Outward from the entries of the same green, both ways, until green alone is further
    // than the best match.
    const int red = Channel(colour, 0), green = Channel(colour, 1), blue = Channel(colour, 2);
    const size_t n = byGreen_.size();
    const size_t start =
        size_t(std::lower_bound(greens_.begin(), greens_.end(), green) - greens_.begin());
    uint32_t best = UINT32_MAX;
    int bestIndex = 0;
    auto consider = [&](size_t at) {
        const uint32_t d =
            WeightedDistance(reds_[at] - red, greens_[at] - green, blues_[at] - blue);
        const int index = byGreen_[at];
        if (d < best || (d == best && index < bestIndex)) {
            best = d;
            bestIndex = index;
        }
    };
    size_t up = start, down = start;
    bool upOpen = up<n, downOpen = down> 0;
    while (upOpen || downOpen) {
        if (upOpen) {
            const int dg = int(greens_[up]) - green;
            if (uint32_t(4 * dg * dg) > best) {
                upOpen = false;
            } else {
                consider(up);
                upOpen = ++up < n;
            }
        }
        if (downOpen) {
            const int dg = green - int(greens_[down - 1]);
            if (uint32_t(4 * dg * dg) > best) {
                downOpen = false;
            } else {
                consider(down - 1);
                downOpen = --down > 0;
            }
        }
    }
    return bestIndex;
}

}  // namespace gif
