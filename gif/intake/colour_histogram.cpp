#include "gif/intake/colour_histogram.h"

#include <algorithm>

namespace gif {
namespace {

constexpr size_t kFirstCapacity = 1024;

}  // namespace

void ColourHistogram::Clear() {
    std::fill(keys_.begin(), keys_.end(), kEmpty);
    colours_.clear();
    total_ = 0;
}

void ColourHistogram::Grow() {
    const size_t capacity = keys_.empty() ? kFirstCapacity : keys_.size() * 2;
    keys_.assign(capacity, kEmpty);
    slotIndex_.assign(capacity, 0);
    const size_t mask = capacity - 1;
    for (size_t i = 0; i < colours_.size(); ++i) {
        size_t slot = HashColour(colours_[i].colour) & mask;
        while (keys_[slot] != kEmpty) slot = (slot + 1) & mask;
        keys_[slot] = colours_[i].colour;
        slotIndex_[slot] = uint32_t(i);
    }
}

void ColourHistogram::Add(uint32_t colour, uint32_t count) {
    total_ += count;
    if (2 * (colours_.size() + 1) > keys_.size()) Grow();
    const size_t mask = keys_.size() - 1;
    for (size_t slot = HashColour(colour) & mask;; slot = (slot + 1) & mask) {
        if (keys_[slot] == colour) {
            colours_[slotIndex_[slot]].count += count;
            return;
        }
        if (keys_[slot] == kEmpty) {
            keys_[slot] = colour;
            slotIndex_[slot] = uint32_t(colours_.size());
            colours_.push_back({colour, count});
            return;
        }
    }
}

void ColourCache::Clear() {
    std::fill(keys_.begin(), keys_.end(), kEmptyKey);
    used_ = 0;
}

void ColourCache::Grow() {
    std::vector<uint32_t> keys = std::move(keys_);
    std::vector<int32_t> values = std::move(values_);
    const size_t capacity = keys.empty() ? kFirstCapacity : keys.size() * 2;
    keys_.assign(capacity, kEmptyKey);
    values_.assign(capacity, kMissing);
    used_ = 0;
    for (size_t i = 0; i < keys.size(); ++i)
        if (keys[i] != kEmptyKey) Put(keys[i], values[i]);
}

void ColourCache::Put(uint32_t colour, int value) {
    if (2 * (used_ + 1) > keys_.size()) Grow();
    const size_t mask = keys_.size() - 1;
    size_t slot = HashColour(colour) & mask;
    while (keys_[slot] != kEmptyKey && keys_[slot] != colour) slot = (slot + 1) & mask;
    if (keys_[slot] == kEmptyKey) ++used_;
    keys_[slot] = colour;
    values_[slot] = value;
}

}  // namespace gif

namespace gif {

ColourCounts::ColourCounts() : cellCount_(size_t{1} << 15, 0), cellSum_(3 << 15, 0) {}

void ColourCounts::Clear() {
    few_.clear();
    fewCounts_.clear();
    fewIndex_.Clear();
    overflow_ = false;
    runs_.Clear();
    for (uint32_t cell : touched_) {
        cellCount_[cell] = 0;
        cellSum_[3 * cell] = cellSum_[3 * cell + 1] = cellSum_[3 * cell + 2] = 0;
    }
    touched_.clear();
}

void ColourCounts::AddCounted(uint32_t colour, uint32_t count, uint32_t weight) {
    if (!overflow_) {
        const int index = fewIndex_.Find(colour);
        if (index != ColourCache::kMissing) {
            fewCounts_[size_t(index)] += count;
        } else if (few_.size() < kFew) {
            fewIndex_.Put(colour, int(few_.size()));
            few_.push_back(colour);
            fewCounts_.push_back(count);
        } else {
            overflow_ = true;
        }
    }
    if (count >= kRun) {
        runs_.Add(colour, count);
        return;
    }
    AddToCell(colour, weight);
}

const std::vector<CountedColour>& ColourCounts::Colours() {
    list_.clear();
    if (!overflow_) {
        for (size_t i = 0; i < few_.size(); ++i) list_.push_back({few_[i], fewCounts_[i]});
        return list_;
    }
    list_ = runs_.Colours();
    for (uint32_t cell : touched_) {
        const uint32_t n = cellCount_[cell];
        auto mean = [&](int c) { return (cellSum_[3 * cell + size_t(c)] + n / 2) / n; };
        list_.push_back({mean(0) << 16 | mean(1) << 8 | mean(2), n});
    }
    return list_;
}

}  // namespace gif
