// The optimised layout: each picture is compared with what the file shows at that moment, and
// only the rectangle of pixels whose shown colour changed is written, over what is there.
// Inside the rectangle, unchanged pixels become transparent when that gives less data; a
// picture that changes nothing lengthens the frame before it. The global colour table serves
// every rectangle it can show exactly; the others carry a local table of just their colours.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

#include "gif/base/colour_set.h"
#include "gif/lzw/lzw_encoder.h"
#include "gif/store/encoded_frame.h"

namespace gif {

// A canvas pixel that nothing shows: never painted, or cleared by a frame's disposal.
inline constexpr uint32_t kUnset = 0xFF000000u;

// Shown colours 0xRRGGBB (or kUnset) of a part of the screen, rows top first.
struct ShownPicture {
    uint32_t left = 0, top = 0, width = 0, height = 0;
    const uint32_t* pixels = nullptr;
    size_t stride = 0;  // pixels from one row to the next

    const uint32_t* Row(uint32_t y) const { return pixels + stride * y; }
};

class FrameOptimiser {
  public:
    // The logical screen; `interlace` writes every frame interlaced. Throws std::bad_alloc.
    FrameOptimiser(uint16_t width, uint16_t height, bool interlace);

    // The screen shows `picture` over what it showed, for `delay`; pixels outside it stay.
    // The picture must lie inside the screen. False, changing nothing, when a frame painted
    // over the screen cannot show it: a pixel shown before that the picture leaves unset.
    // `ownFrame` keeps a picture that changes nothing as a frame of its own (something of the
    // file stands before it) instead of lengthening the frame before.
    bool Add(const ShownPicture& picture, uint16_t delay, const std::string& comment = {},
             bool ownFrame = false);

    // The colour viewers paint where no frame shows anything (0xRRGGBB), or none when the
    // original's background index names no colour. Called before the first picture, so that
    // the global table keeps the colour as an entry, or leaves an index past its end.
    void KeepBackground(std::optional<uint32_t> colour);
    // The index that names the kept background in the global table (past the table for none);
    // nullopt when the table has no room for it. 0 when nothing is kept.
    std::optional<uint8_t> BackgroundIndex() const;

    // A frame to write as it is. `shown` is what it paints (kUnset where it is transparent),
    // clipped to the screen by the caller; its disposal is applied to the canvas afterwards.
    void AddGiven(EncodedFrame frame, const ShownPicture& shown);

    // Frames that are final, in file order: the oldest, or null; PopReady drops it once the
    // caller has kept it. A picture that changes nothing gives a record that lengthens the
    // frame before it (the writer merges them).
    const EncodedFrame* NextReady() const { return ready_.empty() ? nullptr : &ready_.front(); }
    void PopReady() { ready_.pop_front(); }
    size_t ReadyCount() const { return ready_.size(); }
    std::optional<EncodedFrame> TakeReady();

    // For pictures of a screen whose colours were already chosen: the transparent form of a
    // rectangle alone, unchanged stretches of one colour offered as that colour, and a full
    // LZW table kept while it serves. Below quality 100, a changed pixel of a photo or gradient
    // (no flat run, no edge) may be written as a nearby table colour where that continues the
    // LZW string; the further, the lower the quality.
    void UseScreenColours(int quality);

    // What the screen shows on row y, width pixels.
    const uint32_t* ShownRow(uint32_t y) const { return canvas_.data() + size_t{width_} * y; }

    // Red, green, blue per entry, 2^k entries; set by the first frame, whose record carries it.
    const std::vector<uint8_t>& GlobalTable() const { return globalTable_; }

    struct Rect {
        uint32_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;  // x1, y1 exclusive
        bool Empty() const { return x1 <= x0 || y1 <= y0; }
    };
    // The bounding rectangle of the picture's pixels against `other`, whose row y (`otherStride`
    // pixels apart) matches the picture's.
    static Rect Difference(const ShownPicture& picture, const uint32_t* other, size_t otherStride);

  private:
    // Colours of the rectangle: all of them, and those of the changed pixels.
    struct RectColours {
        ColourSet all, changed;
        bool allFit = true, changedFit = true;
        uint64_t unchanged = 0;
        bool unchangedUnset = false;  // an unchanged pixel that nothing shows: must stay so
        bool impossible = false;      // a shown pixel that the picture leaves unset
    };
    struct Variant;

    // The bounding rectangle of the picture's pixels that differ from what is shown, and the
    // colours of those pixels; `all` is left to CollectAllColours.
    Rect CollectChanged(const ShownPicture& picture, RectColours& colours) const;
    void CollectAllColours(const ShownPicture& picture, const Rect& rect,
                           RectColours& colours) const;
    bool InGlobalTable(const ColourSet& colours) const;
    std::optional<Variant> PlanVariant(const RectColours& colours, bool transparent) const;
    // `paint` puts the picture on the canvas as the rows are done: no form is encoded after.
    void EncodeVariant(const ShownPicture& picture, const Rect& rect, Variant& variant, bool paint);
    // The lossy form of a variant whose indices_ and alternatives_ are set; fills its shown.
    void EncodeLossy(const Rect& rect, Variant& variant, uint32_t minCodeSize);
    static void ShowOneColourStretches(uint8_t* row, uint8_t* other, uint32_t w,
                                       uint8_t transparentIndex);
    // Marks loose_: the changed pixels of the rectangle that loss may touch.
    void MarkLoose(const ShownPicture& picture, const Rect& rect);
    void MakeGlobalTable(const RectColours& colours);
    void Paint(const ShownPicture& picture, const Rect& rect);
    void Lengthen(uint16_t delay, const std::string& comment, bool ownFrame);
    // Adds the kept background to the global colours when it is missing and there is room.
    bool AddBackgroundColour();
    void Emit(EncodedFrame frame, bool mergeable);
    EncodedFrame TransparentPixel(uint16_t delay) const;
    // A frame at this place, through the global table, painted over what is shown.
    FrameHeader PlacedHeader(uint32_t left, uint32_t top, uint32_t width, uint32_t height) const;

    uint32_t width_;
    bool interlace_;
    std::vector<uint32_t> canvas_;  // the screen, width_ pixels a row, rows top first
    std::vector<uint8_t> globalTable_;
    ColourSet globalColours_;  // colour -> its first index in the global table
    bool haveGlobal_ = false;
    bool keepBackground_ = false;
    std::optional<uint32_t> background_;
    bool emittedAny_ = false;
    bool lastMergeable_ = false;  // the last frame shows its picture for all of its delay
    std::deque<EncodedFrame> ready_;
    LzwEncoder encoder_;
    std::vector<uint8_t> indices_;  // one rectangle's indices, reused
    std::vector<const uint8_t*> rows_;
    std::vector<uint8_t> alternatives_;  // per pixel of indices_: what else shows the same
    std::vector<const uint8_t*> alternativeRows_;
    std::vector<uint8_t> plain_;  // image data with no choice taken, beside the chosen
    bool screenColours_ = false;
    uint32_t lossTolerance_ = 0;  // 0: lossless
    std::vector<uint8_t> loose_;  // per pixel of indices_
    std::vector<const uint8_t*> looseRows_;
    std::vector<uint8_t*> writableRows_;
    LzwEncoder::NearValues near_;
};

}  // namespace gif
