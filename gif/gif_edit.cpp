#include "gif/gif_edit.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "bitmap/bmp_format.h"
#include "gif/base/colour_set.h"
#include "gif/io/file_io.h"
#include "gif/lzw/lzw_encoder.h"
#include "gif/optimise/frame_optimiser.h"
#include "gif/store/encoded_frame.h"

namespace gif {

uint16_t DelayScaler::Next(uint16_t delay) {
    const double wanted = double(delay < kMinScaledDelay ? 10 : delay) / speed_ + carry_;
    const double rounded = std::clamp(std::round(wanted), double(kMinScaledDelay), 65535.0);
    carry_ = wanted - rounded;
    return uint16_t(rounded);
}

std::optional<EditPlan> TrimPlan(uint32_t frameCount, uint32_t first, uint32_t last) {
    if (first > last || last >= frameCount) return std::nullopt;
    return EditPlan{{{first, last}}, 1.0};
}

std::optional<EditPlan> CutPlan(uint32_t frameCount, uint32_t first, uint32_t last) {
    if (first > last || last >= frameCount || (first == 0 && last + 1 == frameCount))
        return std::nullopt;
    EditPlan plan;
    if (first > 0) plan.kept.push_back({0, first - 1});
    if (last + 1 < frameCount) plan.kept.push_back({last + 1, frameCount - 1});
    return plan;
}

EditPlan SpeedPlan(uint32_t frameCount, double speed) {
    EditPlan plan;
    if (frameCount > 0) plan.kept.push_back({0, frameCount - 1});
    plan.speed = speed;
    return plan;
}

bool PlanFits(const EditPlan& plan, uint32_t frameCount) {
    if (plan.kept.empty() || !(plan.speed > 0) || !std::isfinite(plan.speed)) return false;
    int64_t after = -1;
    for (const FrameRange& range : plan.kept) {
        if (int64_t{range.first} <= after || range.first > range.last || range.last >= frameCount)
            return false;
        after = range.last;
    }
    return true;
}

namespace {

constexpr size_t kFlushBytes = size_t{1} << 20;

void Put16(std::vector<uint8_t>& out, uint32_t value) {
    out.push_back(uint8_t(value));
    out.push_back(uint8_t(value >> 8));
}

// Whether `bytes` are one whole image: descriptor, its table, code size and data sub-blocks
// ending in the empty one exactly at the end.
bool WholeImage(const std::vector<uint8_t>& bytes) {
    if (bytes.size() < 11 || bytes[0] != 0x2C) return false;
    size_t at = 10;
    if (bytes[9] & 0x80) at += size_t{3} << ((bytes[9] & 7) + 1);
    if (at >= bytes.size() || bytes[at] > kMaxMinCodeSize) return false;
    ++at;
    while (at < bytes.size()) {
        const size_t length = bytes[at++];
        if (length == 0) return at == bytes.size();
        at += length;
    }
    return false;
}

class EditWriter {
  public:
    EditWriter(GifStream& stream, const MakerOptions& options, ByteSink& sink)
        : stream_(stream),
          options_(options),
          sink_(sink),
          player_(stream),
          shown_(size_t{stream.Width()} * stream.Height(), kUnset) {
        // An edit point shows colours that were in the file: as many as fit stay exact, so
        // the copied frames after it paint over exactly the picture they were made for.
        options_.optimise = false;
        options_.exactColours = true;
        options_.screenColours = false;  // its own palette would move colours past 256
    }

    void Write(const EditPlan& plan, const SaveProgress& progress) {
        WriteHead();
        size_t total = 0, done = 0;
        for (const FrameRange& range : plan.kept) total += size_t{range.last} - range.first + 1;
        DelayScaler scaler(plan.speed);
        const bool retime = plan.speed != 1.0;
        int64_t previous = -1;
        uint16_t previousDelay = 0;
        size_t previousStart = 0;  // where the frame before begins in out_, which still holds it
        bool aligned = false;      // the new file shows what the original shows before this frame
        for (const FrameRange& range : plan.kept)
            for (uint32_t index = range.first; index <= range.last; ++index) {
                if (previousStart >= kFlushBytes) {
                    Flush(previousStart);
                    previousStart = 0;
                }
                const size_t start = out_.size();
                const FrameSpan& frame = stream_.Frame(index);
                const uint16_t delay = retime ? scaler.Next(frame.delay) : frame.delay;
                if (!(aligned && previous + 1 == index && Copy(frame, delay))) {
                    if (aligned && previous >= 0) {
                        // What the copied frames showed, and what they left on screen.
                        player_.Seek(uint32_t(previous));
                        before_ = player_.Screen();
                        player_.Dispose();
                        shown_ = player_.Screen();
                    } else {
                        before_ = shown_;
                    }
                    player_.Seek(index);
                    if (!EncodeChange(player_.Screen(), delay, kDisposalLeave)) {
                        // Only a disposal takes pixels away: the frame before is written again
                        // as the whole screen, cleared after it.
                        out_.resize(previousStart);
                        std::fill(shown_.begin(), shown_.end(), kUnset);
                        EncodeChange(before_, previousDelay, kDisposalBackground);
                        std::fill(shown_.begin(), shown_.end(), kUnset);
                        EncodeChange(player_.Screen(), delay, kDisposalLeave);
                    }
                    aligned = frame.disposal != 2 && frame.disposal != 3;
                }
                previous = index;
                previousDelay = delay;
                previousStart = start;
                if (progress) progress(++done, total);
            }
        out_.push_back(0x3B);
        Flush(out_.size());
    }

  private:
    void WriteHead() {
        const uint8_t* screen = stream_.ScreenDescriptor();
        const std::vector<uint8_t>& table = stream_.GlobalTable();
        out_.resize(13 + table.size());
        std::memcpy(out_.data(), "GIF89a", 6);
        std::memcpy(out_.data() + 6, screen, 7);
        std::copy(table.begin(), table.end(), out_.begin() + 13);
        if (stream_.Loops()) {
            static const uint8_t kLooping[] = {0x21, 0xFF, 0x0B, 'N', 'E', 'T', 'S',  'C',
                                               'A',  'P',  'E',  '2', '.', '0', 0x03, 0x01};
            out_.insert(out_.end(), std::begin(kLooping), std::end(kLooping));
            Put16(out_, stream_.LoopCount());
            out_.push_back(0);
        }
    }

    void Control(uint8_t disposal, bool userInput, bool transparency, uint8_t transparentIndex,
                 uint16_t delay) {
        out_.insert(out_.end(), {0x21, 0xF9, 0x04});
        out_.push_back(uint8_t((disposal & 7) << 2 | (userInput ? 2 : 0) | (transparency ? 1 : 0)));
        Put16(out_, delay);
        out_.push_back(transparentIndex);
        out_.push_back(0);
    }

    // The frame's own blocks with a new delay; false when its data are incomplete. Other
    // extensions before the image (frame.extensions) are where a copy would carry them.
    bool Copy(const FrameSpan& frame, uint16_t delay) {
        stream_.Read(frame.descriptor, size_t(frame.end - frame.descriptor), bytes_);
        if (!WholeImage(bytes_)) return false;
        Control(frame.disposal, frame.userInput, frame.transparency, frame.transparentIndex, delay);
        out_.insert(out_.end(), bytes_.begin(), bytes_.end());
        return true;
    }

    void Descriptor(const FrameOptimiser::Rect& rect, uint8_t tableBits) {
        out_.push_back(0x2C);
        Put16(out_, rect.x0);
        Put16(out_, rect.y0);
        Put16(out_, rect.x1 - rect.x0);
        Put16(out_, rect.y1 - rect.y0);
        out_.push_back(uint8_t(0x80 | (tableBits - 1)));
    }

    // A frame that paints what changed from shown_ to `picture`, with `disposal`; false,
    // writing nothing, when a pixel shown would have to vanish.
    bool EncodeChange(const std::vector<uint32_t>& picture, uint16_t delay, uint8_t disposal) {
        const uint32_t width = stream_.Width();
        const ShownPicture whole{0, 0, width, stream_.Height(), picture.data(), width};
        const FrameOptimiser::Rect rect = FrameOptimiser::Difference(whole, shown_.data(), width);
        if (rect.Empty()) {  // nothing changes: one transparent pixel holds the time
            Control(disposal, false, true, 0, delay);
            Descriptor({0, 0, 1, 1}, 1);
            out_.insert(out_.end(), {0, 0, 0, 0, 0, 0, 0x02, 0x02, 0x44, 0x01, 0x00});
            return true;
        }
        bool unset = false;
        for (uint32_t y = rect.y0; y < rect.y1; ++y)
            for (uint32_t x = rect.x0; x < rect.x1; ++x) {
                const size_t at = size_t{width} * y + x;
                if (picture[at] != kUnset) continue;
                if (shown_[at] != kUnset) return false;
                unset = true;
            }
        if (unset)
            EncodeWithTransparency(picture, rect, delay, disposal);
        else
            EncodeThroughMaker(picture, rect, delay, disposal);
        for (uint32_t y = rect.y0; y < rect.y1; ++y)
            std::copy_n(picture.begin() + ptrdiff_t(size_t{width} * y + rect.x0), rect.x1 - rect.x0,
                        shown_.begin() + ptrdiff_t(size_t{width} * y + rect.x0));
        return true;
    }

    // The rectangle as a picture for the maker, which reduces and encodes it as the recorder
    // would.
    void EncodeThroughMaker(const std::vector<uint32_t>& picture, const FrameOptimiser::Rect& rect,
                            uint16_t delay, uint8_t disposal) {
        const uint32_t w = rect.x1 - rect.x0, h = rect.y1 - rect.y0, width = stream_.Width();
        const size_t pixelBytes = size_t{w} * h * 4;
        bmp_.assign(bitmap::kBmpHeadersBytes + pixelBytes, 0);
        bitmap::WriteBmpFileHeader(bmp_.data(), uint32_t(bmp_.size()),
                                   uint32_t(bitmap::kBmpHeadersBytes));
        bitmap::WriteBmpInfoHeader(bmp_.data() + bitmap::kBmpFileHeaderBytes,
                                   {w, h, 32, uint32_t(pixelBytes), 0});
        for (uint32_t y = 0; y < h; ++y) {
            uint8_t* row = bmp_.data() + bitmap::kBmpHeadersBytes + size_t{4} * w * (h - 1 - y);
            const uint32_t* from = picture.data() + size_t{width} * (rect.y0 + y) + rect.x0;
            for (uint32_t x = 0; x < w; ++x) {
                row[4 * x + 0] = uint8_t(from[x]);
                row[4 * x + 1] = uint8_t(from[x] >> 8);
                row[4 * x + 2] = uint8_t(from[x] >> 16);
            }
        }
        GifMaker maker;
        maker.SetOptions(options_);
        AnimationInfo info;
        info.Width = uint16_t(w);
        info.Depth = uint16_t(h);
        FrameInfo frameInfo;
        frameInfo.DelayTime = delay;
        if (!maker.Create(info)) throw std::bad_alloc();
        if (!maker.AddFrame(frameInfo, std::nullopt, std::span<const uint8_t>(bmp_)))
            throw LibraryError(maker.GetErrorCode());
        std::vector<uint8_t> scratch;
        const std::optional<FrameView> view = maker.StoredFrameAt(0, scratch);
        if (!view || view->colourTable.size() < 6) throw LibraryError(ErrorCode::StoreDamaged);
        const uint8_t bits = TableBits(view->colourTable.size() / 3);
        Control(disposal, false, false, 0, delay);
        Descriptor(rect, bits);
        out_.insert(out_.end(), view->colourTable.begin(), view->colourTable.end());
        out_.resize(out_.size() + 3 * (size_t{1} << bits) - view->colourTable.size(), 0);
        out_.insert(out_.end(), view->imageData.begin(), view->imageData.end());
    }

    // A rectangle with pixels nothing shows: its colours exactly (their low bits dropped until
    // 255 fit) and one more entry for transparency.
    void EncodeWithTransparency(const std::vector<uint32_t>& picture,
                                const FrameOptimiser::Rect& rect, uint16_t delay,
                                uint8_t disposal) {
        const uint32_t w = rect.x1 - rect.x0, h = rect.y1 - rect.y0, width = stream_.Width();
        ColourSet colours;
        uint32_t mask = 0xFFFFFF;
        for (int dropped = 0;; ++dropped) {
            mask = (0xFFu >> dropped << dropped) * 0x010101u;
            colours = ColourSet();
            bool fits = true;
            for (uint32_t y = rect.y0; fits && y < rect.y1; ++y)
                for (uint32_t x = rect.x0; fits && x < rect.x1; ++x) {
                    const uint32_t colour = picture[size_t{width} * y + x];
                    fits = colour == kUnset || (colours.Find(colour & mask) >= 0 &&
                                                colours.Size() < ColourSet::kCapacity);
                }
            if (fits) break;
        }
        const int transparent = colours.Size();
        indices_.resize(size_t{w} * h);
        rows_.resize(h);
        for (uint32_t y = 0; y < h; ++y) {
            uint8_t* row = indices_.data() + size_t{w} * y;
            rows_[y] = row;
            const uint32_t* from = picture.data() + size_t{width} * (rect.y0 + y) + rect.x0;
            for (uint32_t x = 0; x < w; ++x)
                row[x] = uint8_t(from[x] == kUnset ? transparent : colours.Lookup(from[x] & mask));
        }
        const uint8_t bits = TableBits(size_t(transparent) + 1);
        Control(disposal, false, true, uint8_t(transparent), delay);
        Descriptor(rect, bits);
        for (int i = 0; i < (1 << bits); ++i) {
            const uint32_t colour = i < transparent ? colours.Colour(i) : 0;
            out_.insert(out_.end(), {uint8_t(colour >> 16), uint8_t(colour >> 8), uint8_t(colour)});
        }
        if (!encoder_) encoder_ = std::make_unique<LzwEncoder>();
        encoder_->Encode(rows_, w, out_, std::max<uint32_t>(2, bits));
    }

    // Writes the first `bytes` of out_ and keeps the rest.
    void Flush(size_t bytes) {
        LibraryError error;
        if (bytes > 0 && !sink_.Write(std::span<const uint8_t>(out_.data(), bytes), error))
            throw error;
        out_.erase(out_.begin(), out_.begin() + ptrdiff_t(bytes));
    }

    GifStream& stream_;
    MakerOptions options_;
    ByteSink& sink_;
    StreamPlayer player_;
    std::vector<uint32_t> shown_;   // what the new file shows before its next frame
    std::vector<uint32_t> before_;  // what the frame before the edit point showed
    std::vector<uint8_t> out_, bytes_, bmp_, indices_;
    std::vector<const uint8_t*> rows_;
    std::unique_ptr<LzwEncoder> encoder_;
};

}  // namespace

void WriteEdited(GifStream& stream, const EditPlan& plan, const MakerOptions& options,
                 ByteSink& sink, const SaveProgress& progress) {
    if (!PlanFits(plan, stream.FrameCount())) throw LibraryError(ErrorCode::FrameOutOfRange);
    EditWriter(stream, options, sink).Write(plan, progress);
}

bool EditGifFile(std::string_view in, std::string_view out, const EditPlan& plan,
                 const MakerOptions& options, LibraryError& error, const SaveProgress& progress) {
    try {
        GifStream stream;
        stream.Open(in);
        if (stream.IndexAll() == 0) throw LibraryError(ErrorCode::NoImages);
        FileSink sink;
        sink.Open(out);
        WriteEdited(stream, plan, options, sink, progress);
        sink.Commit();
        return true;
    } catch (const LibraryError& failure) {
        error = failure;
    } catch (const std::bad_alloc&) {
        error = LibraryError(ErrorCode::OutOfMemory);
    }
    return false;
}

}  // namespace gif
