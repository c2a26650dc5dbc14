#include "gif/optimise/frame_optimiser.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "gif/base/colour_math.h"
#include "gif/base/pixel_runs.h"
#include "gif/base/records.h"
#include "gif/store/frame_encoder.h"

namespace gif {

// One way of writing a rectangle: opaque or with its unchanged pixels transparent, through
// the global table or a local one.
struct FrameOptimiser::Variant {
    bool transparent = false;
    bool global = false;
    const ColourSet* colours = nullptr;  // a local table's colours, in table order
    int transparentIndex = -1;
    int maxIndex = 1;  // the largest index written, at least 1 (a code size of 2 at least)
    EncodedFrame frame;
    std::vector<uint32_t> shown;  // what the rectangle shows, when loss made it differ

    size_t Bytes() const { return frame.imageData.size() + frame.colourTable.size(); }
};

namespace {

void PutEntry(std::vector<uint8_t>& table, size_t index, uint32_t colour) {
    table[3 * index + 0] = uint8_t(colour >> 16);
    table[3 * index + 1] = uint8_t(colour >> 8);
    table[3 * index + 2] = uint8_t(colour);
}

uint32_t EntryOf(const std::vector<uint8_t>& table, size_t index) {
    return uint32_t(table[3 * index]) << 16 | uint32_t(table[3 * index + 1]) << 8 |
           table[3 * index + 2];
}

// A table of the set's colours in number order, padded with black to a power of two that
// also leaves room for `spare` more entries.
std::vector<uint8_t> TableOf(const ColourSet& colours, int spare) {
    std::vector<uint8_t> table(3 * (size_t{1} << TableBits(size_t(colours.Size() + spare))), 0);
    for (int i = 0; i < colours.Size(); ++i) PutEntry(table, size_t(i), colours.Colour(i));
    return table;
}

}  // namespace

FrameHeader FrameOptimiser::PlacedHeader(uint32_t left, uint32_t top, uint32_t width,
                                         uint32_t height) const {
    FrameHeader header;
    header.left = uint16_t(left);
    header.top = uint16_t(top);
    header.width = uint16_t(width);
    header.height = uint16_t(height);
    header.disposal = kDisposalLeave;
    header.interlaced = interlace_;
    header.localTable = false;
    header.tableBits = 0;
    return header;
}

FrameOptimiser::FrameOptimiser(uint16_t width, uint16_t height, bool interlace)
    : width_(width), interlace_(interlace), canvas_(size_t{width} * height, kUnset) {}

void FrameOptimiser::Emit(EncodedFrame frame, bool mergeable) {
    // The first frame's record carries the global table, as the file's first frame does.
    if (!emittedAny_ && !frame.header.localTable) {
        frame.colourTable = globalTable_;
        frame.header.tableBits = TableBits(globalTable_.size() / 3);
    }
    emittedAny_ = true;
    ready_.push_back(std::move(frame));
    lastMergeable_ = mergeable;
}

std::optional<EncodedFrame> FrameOptimiser::TakeReady() {
    if (ready_.empty()) return std::nullopt;
    EncodedFrame frame = std::move(ready_.front());
    ready_.pop_front();
    return frame;
}

EncodedFrame FrameOptimiser::TransparentPixel(uint16_t delay) const {
    EncodedFrame frame;
    frame.header = PlacedHeader(0, 0, 1, 1);
    frame.header.delay = delay;
    frame.header.transparency = true;
    frame.header.transparentIndex = 0;
    // Minimum code size 2: clear (4), pixel 0, end (5) in 3 bits each.
    frame.imageData = {0x02, 0x02, 0x44, 0x01, 0x00};
    return frame;
}

void FrameOptimiser::KeepBackground(std::optional<uint32_t> colour) {
    keepBackground_ = true;
    background_ = colour;
}

bool FrameOptimiser::AddBackgroundColour() {
    if (!keepBackground_ || !background_ || globalColours_.Lookup(*background_) >= 0) return false;
    return globalColours_.Find(*background_) >= 0;
}

std::optional<uint8_t> FrameOptimiser::BackgroundIndex() const {
    if (!keepBackground_) return 0;
    if (!background_) {
        const size_t entries = globalTable_.size() / 3;
        return entries < 256 ? std::optional<uint8_t>(uint8_t(entries)) : std::nullopt;
    }
    const int index = globalColours_.Lookup(*background_);
    return index >= 0 ? std::optional<uint8_t>(uint8_t(index)) : std::nullopt;
}

void FrameOptimiser::Lengthen(uint16_t delay, const std::string& comment, bool ownFrame) {
    if (!haveGlobal_) {  // nothing shown yet: black (and the background) serve the pixel
        globalColours_ = ColourSet();
        globalColours_.Find(0);
        AddBackgroundColour();
        globalTable_ = TableOf(globalColours_, 0);
        haveGlobal_ = true;
    }
    if (!comment.empty() || ownFrame || !lastMergeable_) {
        EncodedFrame pixel = TransparentPixel(delay);
        pixel.comment = comment;
        Emit(std::move(pixel), true);
        return;
    }
    // A record of its own, so that what is stored is never changed; the writer adds it to the
    // frame before.
    EncodedFrame longer;
    longer.header = PlacedHeader(0, 0, 0, 0);
    longer.header.delay = delay;
    longer.header.lengthens = true;
    Emit(std::move(longer), true);
}

FrameOptimiser::Rect FrameOptimiser::Difference(const ShownPicture& picture, const uint32_t* other,
                                                size_t otherStride) {
    Rect rect{UINT32_MAX, UINT32_MAX, 0, 0};
    if (picture.width == 0) return rect;  // a screen of no width has no pixels to compare
    for (uint32_t y = 0; y < picture.height; ++y) {
        const uint32_t* now = picture.Row(y);
        const uint32_t* before = other + otherStride * y;
        const uint32_t w = picture.width;
        if (std::memcmp(now, before, size_t{w} * 4) == 0) continue;
        uint32_t first = 0;
        while (now[first] == before[first]) ++first;
        uint32_t last = w - 1;
        while (now[last] == before[last]) --last;
        rect.x0 = std::min(rect.x0, picture.left + first);
        rect.x1 = std::max(rect.x1, picture.left + last + 1);
        rect.y0 = std::min(rect.y0, picture.top + y);
        rect.y1 = picture.top + y + 1;
    }
    return rect;
}

FrameOptimiser::Rect FrameOptimiser::CollectChanged(const ShownPicture& picture,
                                                    RectColours& colours) const {
    // The changed pixels all lie in the rectangle, so their colours come in the order a pass
    // over it would meet them.
    Rect rect{UINT32_MAX, UINT32_MAX, 0, 0};
    uint64_t changed = 0;
    uint32_t lastChanged = ColourSet::kNone;
    const uint32_t w = picture.width;
    for (uint32_t y = 0; y < picture.height && w > 0; ++y) {
        const uint32_t* now = picture.Row(y);
        const uint32_t* before = canvas_.data() + size_t{width_} * (picture.top + y) + picture.left;
        uint32_t x = MatchEnd(now, before, 0, w);
        if (x == w) continue;
        const uint32_t first = x;
        uint32_t end = x;
        while (x < w) {
            const uint32_t start = x;
            for (; x < w && now[x] != before[x]; ++x) {
                const uint32_t colour = now[x];
                if (colour == kUnset) {
                    colours.impossible = true;
                    return rect;
                }
                if (colour != lastChanged) {
                    lastChanged = colour;
                    if (colours.changedFit && colours.changed.Find(colour) < 0)
                        colours.changedFit = false;
                }
            }
            changed += x - start;
            end = x;
            x = MatchEnd(now, before, x, w);
        }
        rect.x0 = std::min(rect.x0, picture.left + first);
        rect.x1 = std::max(rect.x1, picture.left + end);
        rect.y0 = std::min(rect.y0, picture.top + y);
        rect.y1 = picture.top + y + 1;
    }
    if (!rect.Empty())
        colours.unchanged = uint64_t{rect.x1 - rect.x0} * (rect.y1 - rect.y0) - changed;
    return rect;
}

void FrameOptimiser::CollectAllColours(const ShownPicture& picture, const Rect& rect,
                                       RectColours& colours) const {
    // No changed pixel is unset, so an unset one is an unchanged pixel that must stay so.
    uint32_t lastAll = ColourSet::kNone;
    for (uint32_t y = rect.y0; y < rect.y1 && colours.allFit; ++y) {
        const uint32_t* now = picture.Row(y - picture.top) - picture.left;
        for (uint32_t x = rect.x0; x < rect.x1; ++x) {
            const uint32_t colour = now[x];
            if (colour == lastAll) continue;
            if (colour == kUnset) {
                colours.unchangedUnset = true;
                continue;
            }
            lastAll = colour;
            if (colours.all.Find(colour) < 0) {
                colours.allFit = false;
                break;
            }
        }
    }
}

void FrameOptimiser::MakeGlobalTable(const RectColours& colours) {
    // The first frame's colours, greys and near-greys first: text, terminals and window chrome,
    // what changes most in a recording of a screen, then need only low indices and so a
    // smaller code size. A spare entry for transparency where it is needed.
    const int size = colours.changed.Size();
    std::array<uint8_t, 256> order;
    std::array<int, 256> saturation;
    for (int i = 0; i < size; ++i) {
        const uint32_t c = colours.changed.Colour(i);
        const int r = int(c >> 16 & 0xFF), g = int(c >> 8 & 0xFF), b = int(c & 0xFF);
        saturation[size_t(i)] = std::max({r, g, b}) - std::min({r, g, b});
        order[size_t(i)] = uint8_t(i);
    }
    std::stable_sort(order.begin(), order.begin() + size,
                     [&](uint8_t a, uint8_t b) { return saturation[a] < saturation[b]; });
    globalColours_ = ColourSet();
    for (int i = 0; i < size; ++i) globalColours_.Find(colours.changed.Colour(order[size_t(i)]));
    // The background's entry, when it is added, is free for transparency too.
    const bool backgroundAdded = AddBackgroundColour();
    const int spare = colours.unchanged > 0 && !backgroundAdded && size < 256 ? 1 : 0;
    globalTable_ = TableOf(globalColours_, spare);
    haveGlobal_ = true;
}

bool FrameOptimiser::InGlobalTable(const ColourSet& colours) const {
    for (int i = 0; i < colours.Size(); ++i)
        if (globalColours_.Lookup(colours.Colour(i)) < 0) return false;
    return true;
}

std::optional<FrameOptimiser::Variant> FrameOptimiser::PlanVariant(const RectColours& colours,
                                                                   bool transparent) const {
    Variant variant;
    variant.transparent = transparent;
    const ColourSet& needed = transparent ? colours.changed : colours.all;
    if (transparent ? !colours.changedFit : !colours.allFit || colours.unchangedUnset)
        return std::nullopt;

    // The global table, when it has every colour and, for transparency, an entry no changed
    // pixel uses.
    const size_t globalEntries = globalTable_.size() / 3;
    std::array<bool, 256> used{};
    bool inGlobal = haveGlobal_;
    for (int i = 0; inGlobal && i < needed.Size(); ++i) {
        const int index = globalColours_.Lookup(needed.Colour(i));
        if (index < 0) {
            inGlobal = false;
        } else {
            used[size_t(index)] = true;
            variant.maxIndex = std::max(variant.maxIndex, index);
        }
    }
    if (inGlobal && transparent) {
        size_t free = 0;
        while (free < globalEntries && used[free]) ++free;
        if (free == globalEntries)
            inGlobal = false;
        else
            variant.transparentIndex = int(free);
        variant.maxIndex = std::max(variant.maxIndex, variant.transparentIndex);
    }
    if (inGlobal) {
        variant.global = true;
        return variant;
    }
    if (needed.Size() + (transparent ? 1 : 0) > 256) return std::nullopt;
    variant.colours = &needed;
    variant.frame.colourTable = TableOf(needed, transparent ? 1 : 0);
    variant.frame.header.localTable = true;
    variant.frame.header.tableBits = TableBits(variant.frame.colourTable.size() / 3);
    if (transparent) variant.transparentIndex = needed.Size();
    variant.maxIndex = std::max({1, needed.Size() - 1, variant.transparentIndex});
    return variant;
}

void FrameOptimiser::EncodeVariant(const ShownPicture& picture, const Rect& rect, Variant& variant,
                                   bool paint) {
    const uint32_t w = rect.x1 - rect.x0, h = rect.y1 - rect.y0;
    indices_.resize(size_t{w} * h);
    const ColourSet& lookup = variant.global ? globalColours_ : *variant.colours;
    const uint32_t minCodeSize = std::max<uint32_t>(2, TableBits(size_t(variant.maxIndex) + 1));
    // An unchanged pixel shows the same whether it is transparent or its own colour: where the
    // table has that colour at an index the code size holds, the encoder may take either.
    const int limit = 1 << minCodeSize;
    const uint8_t transparentIndex = uint8_t(std::max(variant.transparentIndex, 0));
    if (variant.transparent) alternatives_.resize(size_t{w} * h);
    uint32_t lastColour = ColourSet::kNone;
    int lastIndex = -1;
    // Row by row, each finished (and painted) while it is in the cache.
    for (uint32_t y = rect.y0; y < rect.y1; ++y) {
        const uint32_t* now = picture.Row(y - picture.top) - picture.left + rect.x0;
        uint32_t* before = canvas_.data() + size_t{width_} * y + rect.x0;
        uint8_t* out = indices_.data() + size_t{w} * (y - rect.y0);
        uint8_t* either =
            variant.transparent ? alternatives_.data() + size_t{w} * (y - rect.y0) : nullptr;
        for (uint32_t x = 0; x < w; ++x) {
            const uint32_t colour = now[x];
            if (colour != lastColour) {
                lastColour = colour;
                lastIndex = lookup.Lookup(colour);
            }
            if (either && colour == before[x]) {
                out[x] = transparentIndex;
                either[x] =
                    lastIndex >= 0 && lastIndex < limit ? uint8_t(lastIndex) : transparentIndex;
                continue;
            }
            out[x] = uint8_t(lastIndex);
            if (either) either[x] = uint8_t(lastIndex);
        }
        if (either && screenColours_) ShowOneColourStretches(out, either, w, transparentIndex);
        if (paint) std::memcpy(before, now, size_t{w} * 4);
    }
    FileRowOrder(
        h, interlace_, [&](uint32_t y) { return indices_.data() + size_t{w} * y; }, rows_);
    alternativeRows_.clear();
    if (variant.transparent)
        for (const uint8_t* row : rows_)
            alternativeRows_.push_back(alternatives_.data() + (row - indices_.data()));

    FrameHeader& header = variant.frame.header;
    const bool local = header.localTable;
    const uint8_t tableBits = header.tableBits;
    header = PlacedHeader(rect.x0, rect.y0, w, h);
    if (!variant.global) {
        header.localTable = local;
        header.tableBits = tableBits;
    }
    header.transparency = variant.transparent;
    header.transparentIndex = transparentIndex;
    variant.frame.imageData.clear();
    if (lossTolerance_ > 0) {
        EncodeLossy(rect, variant, minCodeSize);
        return;
    }
    if (!variant.transparent) {
        encoder_.Encode(rows_, w, variant.frame.imageData, minCodeSize);
        return;
    }
    encoder_.EncodeEither(rows_, alternativeRows_, w, variant.frame.imageData, minCodeSize,
                          screenColours_);
    if (screenColours_) return;
    // Free choice between transparency and the colour often gives less data, but not always:
    // the smaller of the two is kept.
    plain_.clear();
    encoder_.Encode(rows_, w, plain_, minCodeSize);
    if (plain_.size() <= variant.frame.imageData.size()) variant.frame.imageData.swap(plain_);
}

void FrameOptimiser::ShowOneColourStretches(uint8_t* row, uint8_t* other, uint32_t w,
                                            uint8_t transparentIndex) {
    // A stretch of unchanged pixels of one colour is first offered as that colour, which joins
    // the changed pixels of that colour beside it (a background); a stretch of several colours
    // as transparency, one value for all of them.
    for (uint32_t x = 0; x < w;) {
        // Changed pixels, the most of a row, never take the transparent index.
        const void* found = std::memchr(row + x, transparentIndex, w - x);
        if (!found) break;
        x = uint32_t(static_cast<const uint8_t*>(found) - row);
        if (other[x] == transparentIndex) {
            ++x;
            continue;
        }
        uint32_t end = x + 1;
        bool oneColour = true;
        for (; end < w && row[end] == transparentIndex; ++end)
            oneColour = oneColour && other[end] == other[x];
        if (oneColour)
            for (uint32_t i = x; i < end; ++i) std::swap(row[i], other[i]);
        x = end;
    }
}

void FrameOptimiser::UseScreenColours(int quality) {
    screenColours_ = true;
    // The loss allowed grows with the square of the quality lost; at 70, about 20 levels a
    // channel.
    const uint32_t lost = uint32_t(100 - std::clamp(quality, 1, 100));
    lossTolerance_ = 4 * lost * lost;
}

void FrameOptimiser::MarkLoose(const ShownPicture& picture, const Rect& rect) {
    // Loss is for photos and gradients: never a pixel inside a flat run (across or down), one
    // beside an edge, or pure white or black, so flat areas, lines and text keep their colours.
    const uint32_t w = rect.x1 - rect.x0, h = rect.y1 - rect.y0;
    loose_.assign(size_t{w} * h, 0);
    for (uint32_t y = rect.y0 + 1; y + 1 < rect.y1; ++y) {
        const uint32_t* now = picture.Row(y - picture.top) - picture.left;
        const uint32_t* up = now - picture.stride;
        const uint32_t* down = now + picture.stride;
        const uint32_t* before = canvas_.data() + size_t{width_} * y;
        uint8_t* out = loose_.data() + size_t{w} * (y - rect.y0);
        for (uint32_t x = rect.x0 + 1; x + 1 < rect.x1; ++x) {
            const uint32_t c = now[x];
            if (c == before[x] || c == 0xFFFFFF || c == 0 || (c == now[x - 1] && c == now[x + 1]) ||
                (c == up[x] && c == down[x]))
                continue;
            if (IsEdge(c, now[x - 1]) || IsEdge(c, now[x + 1]) || IsEdge(c, up[x]) ||
                IsEdge(c, down[x]))
                continue;
            out[x - rect.x0] = 1;
        }
    }
}

void FrameOptimiser::EncodeLossy(const Rect& rect, Variant& variant, uint32_t minCodeSize) {
    const uint32_t w = rect.x1 - rect.x0, h = rect.y1 - rect.y0;
    const ColourSet& lookup = variant.global ? globalColours_ : *variant.colours;
    const int entries = std::min<int>(lookup.Size(), 1 << minCodeSize);
    for (int i = 0; i < entries; ++i)
        near_.colours[size_t(i)] =
            variant.global ? EntryOf(globalTable_, size_t(i)) : lookup.Colour(i);
    // Per entry, the others that a pixel carrying some error may still take, nearest first;
    // never the transparent entry.
    constexpr size_t kNearest = 24;
    const uint32_t reach = 2 * lossTolerance_;
    near_.tolerance = lossTolerance_;
    std::vector<std::pair<uint32_t, uint8_t>> close;
    for (int i = 0; i < 256; ++i) {
        near_.values[size_t(i)].clear();
        if (i >= entries || i == variant.transparentIndex) continue;
        close.clear();
        for (int j = 0; j < entries; ++j) {
            if (j == i || j == variant.transparentIndex) continue;
            const uint32_t d = ColourDistance(near_.colours[size_t(i)], near_.colours[size_t(j)]);
            if (d <= reach) close.emplace_back(d, uint8_t(j));
        }
        const size_t kept = std::min(close.size(), kNearest);
        std::partial_sort(close.begin(), close.begin() + long(kept), close.end());
        for (size_t k = 0; k < kept; ++k) near_.values[size_t(i)].push_back(close[k].second);
    }
    writableRows_.clear();
    looseRows_.clear();
    for (const uint8_t* row : rows_) {
        const size_t offset = size_t(row - indices_.data());
        writableRows_.push_back(indices_.data() + offset);
        looseRows_.push_back(loose_.data() + offset);
    }
    if (!variant.transparent) alternativeRows_.clear();
    encoder_.EncodeLossy(writableRows_, alternativeRows_, looseRows_, near_, w,
                         variant.frame.imageData, minCodeSize);
    const uint8_t transparentIndex = uint8_t(std::max(variant.transparentIndex, 0));
    variant.shown.resize(size_t{w} * h);
    for (uint32_t y = 0; y < h; ++y) {
        const uint8_t* row = indices_.data() + size_t{w} * y;
        const uint32_t* before = canvas_.data() + size_t{width_} * (rect.y0 + y) + rect.x0;
        uint32_t* out = variant.shown.data() + size_t{w} * y;
        for (uint32_t x = 0; x < w; ++x)
            out[x] = variant.transparent && row[x] == transparentIndex ? before[x]
                                                                       : near_.colours[row[x]];
    }
}

void FrameOptimiser::Paint(const ShownPicture& picture, const Rect& rect) {
    for (uint32_t y = rect.y0; y < rect.y1; ++y)
        std::memcpy(canvas_.data() + size_t{width_} * y + rect.x0,
                    picture.Row(y - picture.top) + (rect.x0 - picture.left),
                    size_t{rect.x1 - rect.x0} * 4);
}

bool FrameOptimiser::Add(const ShownPicture& picture, uint16_t delay, const std::string& comment,
                         bool ownFrame) {
    RectColours colours;
    const Rect rect = CollectChanged(picture, colours);
    if (colours.impossible || !colours.changedFit) return false;
    if (rect.Empty()) {
        Lengthen(delay, comment, ownFrame);
        return true;
    }
    const bool madeGlobal = !haveGlobal_;
    if (madeGlobal) MakeGlobalTable(colours);

    std::optional<Variant> transparent =
        colours.unchanged > 0 ? PlanVariant(colours, true) : std::nullopt;
    // With screen colours the transparent form is the one written unless the opaque one alone
    // can go through the global table, which needs the changed colours there at least; else
    // the colours of the whole rectangle are not needed.
    std::optional<Variant> opaque;
    if (!screenColours_ || !transparent ||
        (!transparent->global && InGlobalTable(colours.changed))) {
        CollectAllColours(picture, rect, colours);
        opaque = PlanVariant(colours, false);
    }
    // A local table only when the global one cannot serve.
    if (opaque && transparent && opaque->global != transparent->global)
        (opaque->global ? transparent : opaque).reset();
    if (!opaque && !transparent) {
        if (madeGlobal) haveGlobal_ = false;
        return false;
    }
    if (lossTolerance_ > 0) MarkLoose(picture, rect);
    // With screen colours the transparent form offers every pixel the opaque one has.
    if (screenColours_ && transparent) opaque.reset();
    // Without loss the rectangle shows the picture whichever form is kept, so the last form
    // encoded paints it.
    const bool paint = lossTolerance_ == 0;
    if (opaque) EncodeVariant(picture, rect, *opaque, paint && !transparent);
    if (transparent) EncodeVariant(picture, rect, *transparent, paint);
    Variant& best = !opaque                                                     ? *transparent
                    : (!transparent || opaque->Bytes() <= transparent->Bytes()) ? *opaque
                                                                                : *transparent;
    best.frame.header.delay = delay;
    best.frame.comment = comment;
    if (!paint) {  // loss decided what the rectangle shows
        const uint32_t w = rect.x1 - rect.x0;
        Paint({rect.x0, rect.y0, w, rect.y1 - rect.y0, best.shown.data(), w}, rect);
    }
    Emit(std::move(best.frame), true);
    return true;
}

void FrameOptimiser::AddGiven(EncodedFrame frame, const ShownPicture& shown) {
    if (!haveGlobal_) {
        globalTable_ = frame.colourTable.empty() ? std::vector<uint8_t>(6, 0) : frame.colourTable;
        globalColours_ = ColourSet();
        for (size_t i = 0; i < globalTable_.size() / 3; ++i)
            globalColours_.Find(EntryOf(globalTable_, i));
        haveGlobal_ = true;
    }
    const uint8_t disposal = frame.header.disposal & 7;
    const Rect area{shown.left, shown.top, shown.left + shown.width, shown.top + shown.height};
    std::vector<uint32_t> saved;
    if (disposal == kDisposalPrevious)
        for (uint32_t y = area.y0; y < area.y1; ++y)
            saved.insert(saved.end(), canvas_.begin() + width_ * y + area.x0,
                         canvas_.begin() + width_ * y + area.x1);
    for (uint32_t y = 0; y < shown.height; ++y) {
        uint32_t* row = canvas_.data() + size_t{width_} * (shown.top + y) + shown.left;
        const uint32_t* paint = shown.Row(y);
        for (uint32_t x = 0; x < shown.width; ++x)
            if (paint[x] != kUnset) row[x] = paint[x];
    }
    if (disposal == kDisposalBackground || disposal == kDisposalPrevious) {
        const uint32_t w = area.x1 - area.x0;
        for (uint32_t y = area.y0; y < area.y1; ++y) {
            uint32_t* row = canvas_.data() + size_t{width_} * y + area.x0;
            if (disposal == kDisposalBackground)
                std::fill_n(row, w, kUnset);
            else
                std::copy_n(saved.begin() + size_t{w} * (y - area.y0), w, row);
        }
    }
    Emit(std::move(frame), disposal < kDisposalBackground);
}

}  // namespace gif
