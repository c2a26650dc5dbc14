#include "bench/compare/timeline.h"

#include <algorithm>

namespace gifcompare {

Screen::Rect Screen::Clip(const Image& image) const {
    const int height = int(pixels_.size() / size_t(width_));
    Rect r;
    r.left = std::clamp(image.left, 0, width_);
    r.top = std::clamp(image.top, 0, height);
    r.width = std::clamp(image.left + image.width, 0, width_) - r.left;
    r.height = std::clamp(image.top + image.height, 0, height) - r.top;
    return r;
}

void Screen::Paint(const Image& image) {
    const Rect& p = pendingRect_;
    for (int y = 0; y < p.height; ++y) {
        uint32_t* row = &pixels_[size_t(p.top + y) * width_ + p.left];
        if (pendingDisposal_ == 2) std::fill(row, row + p.width, 0u);
        if (pendingDisposal_ == 3) std::copy_n(&covered_[size_t(y) * p.width], p.width, row);
    }

    const Rect r = Clip(image);
    pendingDisposal_ = image.disposal;
    pendingRect_ = r;
    if (image.disposal == 3) covered_.resize(size_t(r.width) * r.height);
    for (int y = 0; y < r.height; ++y) {
        uint32_t* row = &pixels_[size_t(r.top + y) * width_ + r.left];
        if (image.disposal == 3) std::copy_n(row, r.width, &covered_[size_t(y) * r.width]);
        const uint32_t* in =
            &image.pixels[size_t(r.top - image.top + y) * image.width + (r.left - image.left)];
        for (int x = 0; x < r.width; ++x)
            if (in[x] != kClear) row[x] = in[x];
    }
}

uint64_t FramesStartedBefore(uint64_t hundredths, unsigned fps) {
    // k * 100 < hundredths * fps, so k < ceil(hundredths * fps / 100).
    return (hundredths * fps + 99) / 100;
}

PlayResult Play(ImageSource& source, int width, int height, unsigned fps, uint32_t frames,
                const std::function<void(uint32_t, const std::vector<uint32_t>&)>& visit) {
    Screen screen(width, height);
    PlayResult result;
    uint32_t next = 0;
    Image image;
    while (source.Next(image)) {
        screen.Paint(image);
        ++result.images;
        result.playedHundredths += image.delay;
        const uint64_t shownUntil = FramesStartedBefore(result.playedHundredths, fps);
        for (; next < frames && next < shownUntil; ++next) visit(next, screen.pixels());
    }
    if (!source.error.empty()) return result;
    result.framesAfterEnd = frames - next;
    for (; next < frames; ++next) visit(next, screen.pixels());
    return result;
}

}  // namespace gifcompare
