#include "gif/gif_maker.h"

#include <cstdint>
#include <functional>
#include <new>
#include <optional>

#include "bitmap/bmp_format.h"
#include "bitmap/picture_codec.h"
#include "gif/base/comment_text.h"
#include "gif/base/frame_memory.h"
#include "gif/base/library_error.h"
#include "gif/file/gif_writer.h"
#include "gif/intake/colour_reduction.h"
#include "gif/intake/scale.h"
#include "gif/io/file_io.h"

namespace gif {
namespace {

constexpr ErrorCode kNoPicture = ErrorCode::NoPicture;
constexpr ErrorCode kBadData = ErrorCode::BadPictureData;
constexpr ErrorCode kUndecodable = ErrorCode::Undecodable;
constexpr ErrorCode kNoBitmapMemory = ErrorCode::NoBitmapMemory;
constexpr ErrorCode kNoSettingsMemory = ErrorCode::NoSettingsMemory;
constexpr ErrorCode kTooLarge = ErrorCode::PictureTooLarge;
constexpr ErrorCode kNoDecodeMemory = ErrorCode::NoDecodeMemory;
constexpr ErrorCode kNoFrames = ErrorCode::NoFrames;
constexpr ErrorCode kNoEncodeMemory = ErrorCode::NoEncodeMemory;
constexpr ErrorCode kUnknown = ErrorCode::Unknown;

constexpr uint32_t kMaxGifSide = 65535;

// The picture into `picture`, whose memory is reused, at its natural pixel size (no
// physical-unit conversion: a decoded picture's size is its size in pixels, which is what a
// 96 DPI screen shows).
void Decode(std::span<const uint8_t> bytes, bitmap::Image24& picture) {
    switch (bitmap::DecodePicture(bytes, picture)) {
        case bitmap::DecodeStatus::Ok:
            break;
        case bitmap::DecodeStatus::TooLarge:
            throw LibraryError(kTooLarge);
        case bitmap::DecodeStatus::OutOfMemory:
            throw LibraryError(kNoDecodeMemory);
        case bitmap::DecodeStatus::NotAPicture:
        default:
            throw LibraryError(kUndecodable);
    }
    if (picture.width == 0 || picture.height == 0 ||
        picture.pixels.size() < picture.Stride() * picture.height)
        throw LibraryError(kUndecodable);
    if (picture.width > kMaxGifSide || picture.height > kMaxGifSide) throw LibraryError(kTooLarge);
}

// The rows of a plain 32-bit BMP read where they lie, without a decoded copy. The decoder takes
// the same pictures and reads them the same way, so both give the same frame.
std::optional<PixelView> PlainBmp32View(std::span<const uint8_t> data) {
    const std::optional<bitmap::BmpRows> rows = bitmap::PlainBmp32View(data);
    if (!rows || rows->width > kMaxGifSide || rows->height > kMaxGifSide) return std::nullopt;
    return PixelView{rows->width, rows->height, rows->stride, 4, rows->rows};
}

// The error of the exception being handled while a frame is added; call only in a handler.
LibraryError AddingError() noexcept {
    try {
        throw;
    } catch (const LibraryError& error) {
        return error;
    } catch (...) {
        return LibraryError(kUnknown);
    }
}

// The error of the exception being handled while a GIF is saved; call only in a handler.
LibraryError SavingError() noexcept {
    try {
        throw;
    } catch (const LibraryError& error) {
        return error;
    } catch (const std::bad_alloc&) {
        return LibraryError(kNoEncodeMemory);
    } catch (...) {
        return LibraryError(kUnknown);
    }
}

}  // namespace

bool GifMaker::Create(const AnimationInfo& info) {
    std::string comment;
    try {
        comment = info.exposition;
    } catch (const std::bad_alloc&) {
        return false;
    }
    Reset();
    logicalWidth_ = info.Width;
    logicalHeight_ = info.Depth;
    loop_ = info.LOOP;
    loopCount_ = info.LoopCount;
    comment_ = std::move(comment);
    interlace_ = info.Interlace;
    return true;
}

void GifMaker::Reset() {
    logicalWidth_ = 0;
    logicalHeight_ = 0;
    loop_ = true;
    loopCount_ = 0;
    comment_.clear();
    optimised_.reset();
    decoded_ = bitmap::Image24{};
    try {
        if (store_) store_->Clear();
    } catch (...) {
        // A file store that cannot be emptied is replaced by a fresh one.
        store_.reset();
    }
}

FrameStore& GifMaker::Store() {
    if (!store_) store_ = std::make_unique<SpillingFrameStore>();
    return *store_;
}

void GifMaker::SetFrameStore(std::unique_ptr<FrameStore> store) {
    store_ = std::move(store);
    optimised_.reset();  // what it held belongs to the store given up
    std::vector<uint8_t> scratch;
    if (FrameCount() == 0) return;
    if (std::optional<FrameView> first = StoredFrameAt(0, scratch))
        TakeLogicalSize(first->header.width, first->header.height);
}

void GifMaker::TakeLogicalSize(uint16_t width, uint16_t height) {
    if (logicalWidth_ == 0) logicalWidth_ = width;
    if (logicalHeight_ == 0) logicalHeight_ = height;
}

std::optional<FrameView> GifMaker::StoredFrameAt(size_t index,
                                                 std::vector<uint8_t>& scratch) const {
    if (index >= FrameCount()) return std::nullopt;
    try {
        return ParseFrameRecord(store_->Read(index, scratch));
    } catch (...) {
        return std::nullopt;
    }
}

StoredFrame GifMaker::DecodeFrame(size_t index) const {
    std::vector<uint8_t> scratch;
    std::optional<FrameView> frame = StoredFrameAt(index, scratch);
    if (!frame) throw LibraryError(ErrorCode::StoreDamaged);
    return DecodeFrameRecord(*frame);
}

bool GifMaker::Optimising() const {
    return options_.optimise || options_.screenColours;
}

bool GifMaker::NeedsScaling(const PixelView& picture) const {
    const ScaledSize size =
        ScaledSizeOf(picture.width, picture.height, options_.scaleWidth, options_.scalePercent);
    return size.width != picture.width || size.height != picture.height;
}

bool GifMaker::IsScreenFrame(const FrameInfo& info, const PixelView& picture) const {
    return optimised_ && optimised_->ScreenColours() && !info.Dither && info.Left == 0 &&
           info.Top == 0 && (info.DisposalMethod & 7) <= 1 && !info.Transparency &&
           picture.width <= logicalWidth_ && picture.height <= logicalHeight_;
}

bool GifMaker::AddFrame(const FrameInfo& info, std::optional<std::string_view> picturePath,
                        std::optional<std::span<const uint8_t>> pictureData) {
    if (!picturePath && !pictureData) {
        lastError_.Set(kNoPicture);
        return false;
    }
    if (!picturePath && pictureData->size() < bitmap::kBmpHeadersBytes) {
        lastError_.Set(kBadData);
        return false;
    }
    lastError_.Clear();
    try {
        std::vector<uint8_t> fileBytes;
        if (picturePath) fileBytes = ReadWholeFile(*picturePath);
        const std::span<const uint8_t> bytes =
            picturePath ? std::span<const uint8_t>(fileBytes) : *pictureData;
        std::optional<PixelView> picture = PlainBmp32View(bytes);
        if (!picture) {
            Decode(bytes, decoded_);
            fileBytes = std::vector<uint8_t>();
            picture = ViewOf(decoded_);
        }
        return AddPixels(info, *picture, [&] {
            decoded_ = bitmap::Image24{};
            fileBytes = std::vector<uint8_t>();
        });
    } catch (...) {
        lastError_.Set(AddingError());
    }
    return false;
}

bool GifMaker::AddPicture(const FrameInfo& info, const PixelView& picture) {
    lastError_.Clear();
    try {
        if (picture.width == 0 || picture.height == 0) throw LibraryError(kUndecodable);
        if (picture.width > kMaxGifSide || picture.height > kMaxGifSide)
            throw LibraryError(kTooLarge);
        return AddPixels(info, picture, [] {});
    } catch (...) {
        lastError_.Set(AddingError());
    }
    return false;
}

bool GifMaker::AddPixels(const FrameInfo& info, PixelView source,
                         const std::function<void()>& releaseSource) {
    std::optional<PixelView> picture = source;
    if (NeedsScaling(*picture)) {
        const ScaledSize size = ScaledSizeOf(picture->width, picture->height, options_.scaleWidth,
                                             options_.scalePercent);
        try {
            ScaleDown(*picture, size.width, size.height, scaled_);
        } catch (const std::bad_alloc&) {
            throw LibraryError(kNoBitmapMemory);
        }
        releaseSource();
        picture = ViewOf(scaled_);
    }

    FrameSettings settings;
    settings.delay = info.DelayTime;
    settings.left = info.Left;
    settings.top = info.Top;
    settings.disposal = info.DisposalMethod;
    settings.transparency = info.Transparency;
    try {
        settings.comment.assign(info.exposition, 0,
                                CommentPrefixBytes(info.exposition, kMaxCommentBytes));
        if (Optimising() && !optimised_ && FrameCount() == 0) {
            TakeLogicalSize(uint16_t(picture->width), uint16_t(picture->height));
            optimised_ =
                std::make_unique<OptimisedIntake>(logicalWidth_, logicalHeight_, interlace_);
            if (options_.screenColours) optimised_->UseScreenColours(options_.quality);
        }
    } catch (const std::bad_alloc&) {
        throw LibraryError(kNoBitmapMemory);
    }
    if (IsScreenFrame(info, *picture)) {
        try {
            optimised_->AddScreen(*picture, settings, Store());
        } catch (const std::bad_alloc&) {
            throw LibraryError(kNoSettingsMemory);
        }
        return true;
    }

    // The index rows are reused while the frames keep their size.
    IndexedImage& image = indexed_;
    const size_t rowBytes = IndexedImage::StrideFor(picture->width) * picture->height;
    if (!image.rows || size_t{image.Stride()} * image.height != rowBytes) {
        image.rows.reset();
        image.width = image.height = 0;
        try {
            image.rows = AllocateFrameRows(rowBytes);
        } catch (const std::bad_alloc&) {
            throw LibraryError(kNoBitmapMemory);
        }
    }
    image.width = uint16_t(picture->width);
    image.height = uint16_t(picture->height);
    bool inexact = false;  // exact colours, but more than 256 of them
    if (info.Dither)
        ReduceOrderedDither(*picture, image);
    else if (options_.exactColours || options_.screenColours)
        inexact = !ReduceExact(*picture, image);
    else
        ReducePopularity(*picture, image);
    // The optimised layout reduces such a frame's changed part again, from the picture.
    const bool keepPicture = inexact && (optimised_ || Optimising());
    if (!keepPicture) {
        // The picture is no longer needed; give its memory back before the frame is encoded.
        picture.reset();
        releaseSource();
    }
    try {
        if (!optimised_) encoder_.Encode(image, settings, interlace_, record_);
    } catch (const std::bad_alloc&) {
        throw LibraryError(kNoBitmapMemory);
    }
    try {
        if (optimised_)
            optimised_->Add(image, settings, encoder_, Store(), keepPicture ? &*picture : nullptr);
        else
            Store().Append(record_);
    } catch (const std::bad_alloc&) {
        throw LibraryError(kNoSettingsMemory);
    }

    if (FrameCount() == 1) TakeLogicalSize(image.width, image.height);
    return true;
}

bool GifMaker::SaveGif(ByteSink& sink) {
    if (FrameCount() == 0) {
        lastError_.Set(kNoFrames);
        return false;
    }
    lastError_.Clear();
    try {
        // No background index or extensions of its own: the recorder's files carry none.
        const AnimationHead head{logicalWidth_, logicalHeight_, loop_, loopCount_, comment_, 0, {}};
        if (optimised_) {
            // Frames a failing store could not take at intake get another chance. A store that
            // still refuses them leaves them out, as their AddFrame said: the file shows every
            // frame up to them, where failing the save would lose the whole recording.
            try {
                optimised_->StoreReady(*store_);
            } catch (...) {
            }
        }
        WriteGif(head, *store_, sink, progress_);
        return true;
    } catch (...) {
        lastError_.Set(SavingError());
    }
    return false;
}

bool GifMaker::SaveGif(std::string_view gifPath) {
    if (FrameCount() == 0) {  // before any file is made
        lastError_.Set(kNoFrames);
        return false;
    }
    lastError_.Clear();
    try {
        FileSink file;
        file.Open(gifPath);
        if (!SaveGif(static_cast<ByteSink&>(file))) return false;
        file.Commit();
        return true;
    } catch (...) {
        lastError_.Set(SavingError());
    }
    return false;
}

bool Create(std::unique_ptr<GifMaker>& slot, const AnimationInfo& info) {
    if (!slot) {
        try {
            slot = std::make_unique<GifMaker>();
        } catch (const std::bad_alloc&) {
            return false;
        }
    }
    return slot->Create(info);
}

void Clear(std::unique_ptr<GifMaker>& slot) {
    slot.reset();
}

}  // namespace gif
