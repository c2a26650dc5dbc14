#include "gif/intake/optimised_intake.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "gif/base/library_error.h"
#include "gif/store/encoded_frame.h"

namespace gif {

OptimisedIntake::OptimisedIntake(uint16_t width, uint16_t height, bool interlace)
    : width_(width), height_(height), interlace_(interlace), optimiser_(width, height, interlace) {}

void OptimisedIntake::Add(const IndexedImage& image, const FrameSettings& settings,
                          FrameEncoder& encoder, FrameStore& store, const PixelView* exactSource) {
    const bool given = settings.left != 0 || settings.top != 0 || (settings.disposal & 7) > 1 ||
                       settings.transparency || image.width > width_ || image.height > height_;
    if (!given && exactSource) {
        AddChangedPart(*exactSource, settings);
        StoreReady(store);
        return;
    }
    previous_.clear();  // frames between make the last exact-colours picture no guide
    // The colours shown, top row first; a given frame's entry 0 is transparent when it says so.
    std::array<uint32_t, 256> colours;
    for (size_t i = 0; i < 256; ++i) {
        const uint8_t* entry = image.colourTable.data() + 4 * i;
        colours[i] = uint32_t(entry[2]) << 16 | uint32_t(entry[1]) << 8 | entry[0];
    }
    if (given && settings.transparency) colours[0] = kUnset;
    shown_.resize(size_t{image.width} * image.height);
    for (uint32_t y = 0; y < image.height; ++y) {
        const uint8_t* row = image.TopRow(y);
        uint32_t* out = shown_.data() + size_t{image.width} * y;
        for (uint32_t x = 0; x < image.width; ++x) out[x] = colours[row[x]];
    }
    ShownPicture picture{settings.left, settings.top,  image.width,
                         image.height,  shown_.data(), image.width};
    if (!given) {
        optimiser_.Add(picture, settings.delay, settings.comment);
    } else {
        // Only the part inside the screen is shown.
        picture.width =
            settings.left < width_ ? std::min<uint32_t>(image.width, width_ - settings.left) : 0;
        picture.height =
            settings.top < height_ ? std::min<uint32_t>(image.height, height_ - settings.top) : 0;
        if (picture.width == 0 || picture.height == 0) picture = ShownPicture{};
        encoder.Encode(image, settings, interlace_, record_);
        const std::optional<FrameView> view = ParseFrameRecord(record_);
        if (!view) throw LibraryError("帧缓存数据已损坏");
        optimiser_.AddGiven(EncodedFrameOf(*view), picture);
    }
    StoreReady(store);
}

namespace {

// A row of 3- or 4-byte BGR(x) pixels as 0xRRGGBB. Four bytes at a time where that stays
// inside the row: on a little-endian machine they hold blue, green and red from the bottom up.
void ConvertRow(const uint8_t* p, uint32_t bytesPerPixel, uint32_t width, uint32_t* out) {
    uint32_t x = 0;
    if constexpr (std::endian::native == std::endian::little) {
        const uint32_t whole = bytesPerPixel == 4 ? width : width - std::min(width, 1u);
        for (; x < whole; ++x) {
            uint32_t v;
            std::memcpy(&v, p + size_t{bytesPerPixel} * x, 4);
            out[x] = v & 0xFFFFFF;
        }
    }
    for (p += size_t{bytesPerPixel} * x; x < width; ++x, p += bytesPerPixel)
        out[x] = uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
}

}  // namespace

FrameOptimiser::Rect OptimisedIntake::TakePicture(const PixelView& source) {
    const bool comparable =
        previous_.size() == size_t{source.width} * source.height && previousWidth_ == source.width;
    shown_.resize(size_t{source.width} * source.height);
    FrameOptimiser::Rect rect{UINT32_MAX, UINT32_MAX, 0, 0};
    // Each row is compared while it is still in the cache.
    for (uint32_t y = 0; y < source.height; ++y) {
        uint32_t* out = shown_.data() + size_t{source.width} * y;
        ConvertRow(source.Row(source.height - 1 - y), source.bytesPerPixel, source.width, out);
        if (!comparable) continue;
        const FrameOptimiser::Rect row =
            FrameOptimiser::Difference({0, y, source.width, 1, out, source.width},
                                       previous_.data() + (out - shown_.data()), source.width);
        if (row.Empty()) continue;
        rect = {std::min(rect.x0, row.x0), std::min(rect.y0, row.y0), std::max(rect.x1, row.x1),
                row.y1};
    }
    return comparable ? rect : FrameOptimiser::Rect{0, 0, source.width, source.height};
}

void OptimisedIntake::AddScreen(const PixelView& picture, const FrameSettings& settings,
                                FrameStore& store) {
    const bool comparable = previous_.size() == size_t{picture.width} * picture.height &&
                            previousWidth_ == picture.width;
    const FrameOptimiser::Rect rect = TakePicture(picture);
    if (rect.Empty()) {
        std::swap(previous_, shown_);
        optimiser_.Add({}, settings.delay, settings.comment);  // lengthens the frame before
        StoreReady(store);
        return;
    }
    const uint32_t w = rect.x1 - rect.x0, h = rect.y1 - rect.y0;
    const size_t offset = size_t{picture.width} * rect.y0 + rect.x0;
    const ColourRect now{shown_.data() + offset, picture.width};
    const ColourRect before{previous_.data() + offset, picture.width};
    const ColourRect shown{optimiser_.ShownRow(rect.y0) + rect.x0, width_};
    // What the rectangle is to show goes over the picture before, which it reads pixel by pixel
    // just before: one picture less in memory (33 MB on a 4K screen).
    if (!comparable) previous_.assign(shown_.size(), 0);
    uint32_t* mapped = previous_.data() + offset;
    screen_->Map(now, comparable ? &before : nullptr, shown, w, h, {mapped, picture.width});
    optimiser_.Add({rect.x0, rect.y0, w, h, mapped, picture.width}, settings.delay,
                   settings.comment);
    std::swap(previous_, shown_);
    previousWidth_ = picture.width;
    StoreReady(store);
}

void OptimisedIntake::AddChangedPart(const PixelView& source, const FrameSettings& settings) {
    // What changed on the screen since the frame before, colour for colour.
    const FrameOptimiser::Rect rect = TakePicture(source);
    std::swap(previous_, shown_);
    previousWidth_ = source.width;
    if (rect.Empty()) {
        optimiser_.Add({}, settings.delay, settings.comment);  // lengthens the frame before
        return;
    }
    const uint32_t w = rect.x1 - rect.x0, h = rect.y1 - rect.y0;
    part_.width = uint16_t(w);
    part_.height = uint16_t(h);
    part_.rows = AllocateFrameRows(part_.Stride() * h);
    ReduceExact(SubView(source, rect.x0, rect.y0, w, h), part_);
    shown_.resize(size_t{w} * h);
    for (uint32_t y = 0; y < h; ++y) {
        const uint8_t* row = part_.TopRow(y);
        uint32_t* out = shown_.data() + size_t{w} * y;
        for (uint32_t x = 0; x < w; ++x) {
            const uint8_t* entry = part_.colourTable.data() + 4 * row[x];
            out[x] = uint32_t(entry[2]) << 16 | uint32_t(entry[1]) << 8 | entry[0];
        }
    }
    optimiser_.Add({rect.x0, rect.y0, w, h, shown_.data(), w}, settings.delay, settings.comment);
}

void OptimisedIntake::StoreReady(FrameStore& store) {
    while (const EncodedFrame* frame = optimiser_.NextReady()) {
        RecordOf(*frame, record_);
        store.Append(record_);
        optimiser_.PopReady();
    }
}

}  // namespace gif
