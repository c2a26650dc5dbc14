#include "gif/gif_reader.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "bitmap/byte_order.h"
#include "gif/base/library_error.h"
#include "gif/io/file_io.h"
#include "gif/lzw/lzw_decoder.h"

namespace gif {

namespace {

constexpr ErrorCode kNotLoaded = ErrorCode::NotLoaded;
constexpr ErrorCode kNoInput = ErrorCode::NoPicture;
constexpr ErrorCode kTooShort = ErrorCode::TooShort;
constexpr ErrorCode kNotGif = ErrorCode::NotGif;
constexpr ErrorCode kBadVersion = ErrorCode::BadVersion;
constexpr ErrorCode kDamaged = ErrorCode::Damaged;
constexpr ErrorCode kFrameOutOfRange = ErrorCode::FrameOutOfRange;
constexpr ErrorCode kFrameDamaged = ErrorCode::FrameDamaged;
constexpr ErrorCode kNoLocalTable = ErrorCode::NoLocalTable;
constexpr ErrorCode kNoGlobalTable = ErrorCode::NoGlobalTable;
constexpr ErrorCode kPaletteOutOfRange = ErrorCode::PaletteOutOfRange;
constexpr ErrorCode kTooLarge = ErrorCode::GifTooLarge;
constexpr ErrorCode kFrameTooLarge = ErrorCode::FrameTooLarge;
constexpr ErrorCode kNoMemoryForFile = ErrorCode::NoFileMemory;
constexpr ErrorCode kNoMemoryForBitmap = ErrorCode::NoBitmapMemory;

constexpr size_t kMinGifBytes = 34;
constexpr size_t kHeaderBytes = 13;  // signature, version, logical screen descriptor
constexpr uint8_t kExtension = 0x21;
constexpr uint8_t kImage = 0x2C;
constexpr uint8_t kTrailer = 0x3B;
constexpr uint8_t kControlLabel = 0xF9;
constexpr uint8_t kCommentLabel = 0xFE;
constexpr uint8_t kApplicationLabel = 0xFF;
constexpr uint8_t kPlainTextLabel = 0x01;
constexpr size_t kDescriptorBytes = 10;  // with its 0x2C

// GIF numbers are little-endian, as BMP's are.
using bitmap::Read16;
using bitmap::Write16;

size_t TableEntries(uint8_t packed) {
    return size_t{2} << (packed & 7);
}

bool EqualIgnoringCase(const uint8_t* bytes, std::string_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        auto lower = [](int c) { return (c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c; };
        if (lower(bytes[i]) != lower(static_cast<unsigned char>(text[i]))) return false;
    }
    return true;
}

// Passes over data sub-blocks from `pos` (a size byte). True when the terminator was found,
// with `pos` after it; false when the data end first.
// The text of a comment extension whose sub-blocks start at `pos`: every complete sub-block up
// to the terminator or the end of the data. Our own writer continues a long UTF-8 comment in
// further sub-blocks, so all of them are read, not just the first.
std::string CommentText(std::span<const uint8_t> data, size_t pos) {
    std::string text;
    while (pos < data.size() && data[pos] != 0 && pos + 1 + data[pos] <= data.size()) {
        text.append(reinterpret_cast<const char*>(data.data() + pos + 1), data[pos]);
        pos += 1 + data[pos];
    }
    return text;
}

bool SkipSubBlocks(std::span<const uint8_t> data, size_t& pos) {
    while (pos < data.size()) {
        const size_t size = data[pos++];
        if (size == 0) return true;
        pos += size;
    }
    pos = data.size();
    return false;
}

// The length/signature/version checks shared by both ways of loading.
ErrorCode CheckHeader(std::span<const uint8_t> bytes) {
    if (!EqualIgnoringCase(bytes.data(), "GIF")) return kNotGif;
    if (!EqualIgnoringCase(bytes.data() + 3, "87a") && !EqualIgnoringCase(bytes.data() + 3, "89a"))
        return kBadVersion;
    return ErrorCode::NoError;
}

}  // namespace

void GifReader::Discard() {
    data_.clear();
    data_.shrink_to_fit();
    loaded_ = false;
    frameStarts_.clear();
    loopBlock_.reset();
    comment_.reset();
}

bool GifReader::ReadFile(std::string_view path, std::vector<uint8_t>& bytes) {
    try {
        bytes = ReadWholeFile(path, kMaxGifBytes, kTooLarge);
    } catch (const LibraryError& error) {
        lastError_.Set(error);
        return false;
    } catch (const std::bad_alloc&) {
        lastError_.Set(kNoMemoryForFile);
        return false;
    }
    if (bytes.size() < kMinGifBytes) {
        lastError_.Set(kTooShort);
        return false;
    }
    return true;
}

bool GifReader::LoadGif(std::optional<std::string_view> gifPath,
                        std::optional<std::span<const uint8_t>> gifData) {
    if (!gifPath && !gifData) {
        lastError_.Set(kNoInput);
        return false;
    }
    if (gifPath) {
        std::vector<uint8_t> bytes;
        if (!ReadFile(*gifPath, bytes)) return false;
        Discard();
        data_ = std::move(bytes);
        loaded_ = true;
        if (const ErrorCode error = CheckHeader(data_); error != ErrorCode::NoError) {
            Discard();
            lastError_.Set(error);
            return false;
        }
    } else {
        const std::span<const uint8_t> bytes = *gifData;
        if (bytes.size() < kMinGifBytes) {
            lastError_.Set(kTooShort);
            return false;
        }
        if (const ErrorCode error = CheckHeader(bytes); error != ErrorCode::NoError) {
            lastError_.Set(error);
            return false;
        }
        if (bytes.size() > kMaxGifBytes) {
            lastError_.Set(kTooLarge);
            return false;
        }
        std::vector<uint8_t> copy;
        try {
            copy.assign(bytes.begin(), bytes.end());
        } catch (const std::bad_alloc&) {
            lastError_.Set(kNoMemoryForFile);
            return false;
        }
        Discard();
        data_ = std::move(copy);
        loaded_ = true;
    }
    lastError_.Clear();
    return Index();
}

bool GifReader::Index() {
    const std::span<const uint8_t> data = data_;
    const size_t size = data.size();
    std::optional<size_t> pendingControl;  // first graphic control extension since the last image
    auto damaged = [&] {
        frameStarts_.clear();
        lastError_.Set(kDamaged);
        return false;
    };

    size_t pos = kHeaderBytes;
    const uint8_t screenPacked = data[10];
    // A global table cut short just ends the data: its entries inside the data stay usable.
    if (screenPacked & 0x80) pos += 3 * TableEntries(screenPacked);

    try {
        while (pos < size) {
            const uint8_t introducer = data[pos];
            if (introducer == 0x00) {
                ++pos;
            } else if (introducer == kExtension) {
                const size_t start = pos;
                if (pos + 1 >= size) break;
                const uint8_t label = data[pos + 1];
                const size_t blocks = pos + 2;
                const bool hasBlock = blocks < size;
                const size_t firstSize = hasBlock ? data[blocks] : 0;
                switch (label) {
                    case kControlLabel:
                        if (firstSize == 4 && !pendingControl) pendingControl = start;
                        break;
                    case kCommentLabel:
                        // Only a comment outside a frame whose first sub-block is complete.
                        if (!pendingControl && firstSize > 0 && blocks + 1 + firstSize <= size)
                            comment_ = blocks;
                        break;
                    case kApplicationLabel:
                        if (firstSize == 11 && blocks + 12 <= size &&
                            std::memcmp(data.data() + blocks + 1, "NETSCAPE2.0", 11) == 0)
                            loopBlock_ = blocks;
                        break;
                    case kPlainTextLabel:
                        break;
                    default:
                        return damaged();
                }
                pos = blocks;
                if (!SkipSubBlocks(data, pos)) break;
            } else if (introducer == kImage) {
                if (pos + kDescriptorBytes > size) return damaged();
                const uint8_t packed = data[pos + 9];
                size_t next = pos + kDescriptorBytes;
                if (packed & 0x80) next += 3 * TableEntries(packed);
                if (next >= size) return damaged();
                frameStarts_.push_back(pendingControl ? *pendingControl : pos);
                pendingControl.reset();
                pos = next + 1;  // past the minimum code size
                if (!SkipSubBlocks(data, pos)) break;
            } else if (introducer == kTrailer) {
                break;
            } else {
                return damaged();
            }
        }
    } catch (const std::bad_alloc&) {
        frameStarts_.clear();
        lastError_.Set(kNoMemoryForFile);
        return false;
    }
    return true;
}

GifReader::FrameWalk GifReader::WalkFrame(size_t start) const noexcept {
    // Extensions are passed over by their sub-blocks, so bytes inside a comment or a
    // plain-text block are never mistaken for an image descriptor.
    FrameWalk walk;
    const std::span<const uint8_t> data = data_;
    size_t pos = start;
    try {
        while (pos < data.size()) {
            const uint8_t byte = data[pos];
            if (byte == kImage) {
                if (pos + kDescriptorBytes <= data.size()) walk.descriptor = pos;
                return walk;
            }
            if (byte != kExtension || pos + 2 >= data.size()) {
                ++pos;
                continue;
            }
            const uint8_t label = data[pos + 1];
            const size_t blocks = pos + 2;
            const size_t firstSize = data[blocks];
            if (label == kControlLabel && firstSize == 4 && blocks + 5 < data.size()) {
                walk.controls.push_back(pos);
            } else if (label == kCommentLabel && blocks + 1 + firstSize <= data.size()) {
                walk.comment = blocks;
            }
            pos = blocks;
            if (!SkipSubBlocks(data, pos)) break;
        }
        return walk;
    } catch (const std::bad_alloc&) {
        return {};  // nothing stored: no image found
    }
}

bool GifReader::BeginCommand() {
    if (!loaded_) {
        lastError_.Set(kNotLoaded);
        return false;
    }
    lastError_.Clear();
    return true;
}

bool GifReader::CheckFrame(uint32_t frameIndex, bool allowZero) {
    if ((frameIndex == 0 && !allowZero) || frameIndex > FrameCount()) {
        lastError_.Set(kFrameOutOfRange);
        return false;
    }
    return true;
}

AnimationInfo GifReader::GetGifInfo() {
    AnimationInfo info;
    info.LOOP = false;
    if (!BeginCommand()) return info;
    const uint8_t* header = data_.data();
    info.Width = Read16(header + 6);
    info.Depth = Read16(header + 8);
    info.BgColorIndex = header[11];
    if (header[10] & 0x80) info.ColorNum = static_cast<uint16_t>(TableEntries(header[10]));
    info.FrameCount = FrameCount();
    if (loopBlock_) {
        info.LOOP = true;
        // The count sits after the identifier block, the next sub-block's size and its id.
        const size_t at = *loopBlock_ + 12;
        if (at + 3 < data_.size() && data_[at] >= 3) info.LoopCount = Read16(&data_[at + 2]);
    }
    if (comment_) {
        try {
            info.exposition = CommentText(data_, *comment_);
        } catch (const std::bad_alloc&) {
        }
    }
    return info;
}

bool GifReader::SetGifInfo(const AnimationInfo& info) {
    if (!BeginCommand()) return false;
    uint8_t* header = data_.data();
    Write16(header + 6, info.Width);
    Write16(header + 8, info.Depth);
    header[11] = info.BgColorIndex;
    if (loopBlock_ && info.LOOP) {
        // Written only where a loop-count sub-block really holds the two bytes.
        const size_t at = *loopBlock_ + 12;
        if (at + 3 < data_.size() && data_[at] >= 3) Write16(&data_[at + 2], info.LoopCount);
    }
    return true;
}

FrameInfo GifReader::GetFrameInfo(uint32_t frameIndex) {
    FrameInfo info;
    info.DelayTime = 0;
    if (!BeginCommand() || !CheckFrame(frameIndex, false)) return info;
    const FrameWalk walk = WalkFrame(frameStarts_[frameIndex - 1]);
    for (const size_t control : walk.controls) {
        const uint8_t packed = data_[control + 3];
        info.DelayTime = Read16(&data_[control + 4]);
        info.Transparency = (packed & 1) != 0;
        info.DisposalMethod = static_cast<uint8_t>((packed >> 2) & 7);
        info.TransparencyIndex = data_[control + 6];
    }
    if (walk.comment) {
        try {
            info.exposition = CommentText(data_, *walk.comment);
        } catch (const std::bad_alloc&) {
        }
    }
    if (!walk.descriptor) {
        lastError_.Set(kFrameDamaged);
        return info;
    }
    const uint8_t* descriptor = &data_[*walk.descriptor];
    info.Left = Read16(descriptor + 1);
    info.Top = Read16(descriptor + 3);
    info.Width = Read16(descriptor + 5);
    info.Depth = Read16(descriptor + 7);
    if (descriptor[9] & 0x80) info.ColorNum = static_cast<uint16_t>(TableEntries(descriptor[9]));
    return info;
}

bool GifReader::SetFrameInfo(const FrameInfo& info, uint32_t frameIndex) {
    if (!BeginCommand() || !CheckFrame(frameIndex, false)) return false;
    const FrameWalk walk = WalkFrame(frameStarts_[frameIndex - 1]);
    for (const size_t control : walk.controls) {
        uint8_t& packed = data_[control + 3];
        packed = static_cast<uint8_t>((packed & ~0x1Du) | ((info.DisposalMethod & 7u) << 2) |
                                      (info.Transparency ? 1u : 0u));
        Write16(&data_[control + 4], info.DelayTime);
    }
    if (!walk.descriptor) {
        lastError_.Set(kFrameDamaged);
        return false;
    }
    uint8_t* descriptor = &data_[*walk.descriptor];
    Write16(descriptor + 1, info.Left);
    Write16(descriptor + 3, info.Top);
    return true;
}

bool GifReader::LocateTable(uint32_t frameIndex, size_t& offset, size_t& entries) {
    uint8_t packed;
    if (frameIndex == 0) {
        packed = data_[10];
        if (!(packed & 0x80)) {
            lastError_.Set(kNoGlobalTable);
            return false;
        }
        offset = kHeaderBytes;
    } else {
        const FrameWalk walk = WalkFrame(frameStarts_[frameIndex - 1]);
        if (!walk.descriptor) {
            lastError_.Set(kFrameDamaged);
            return false;
        }
        packed = data_[*walk.descriptor + 9];
        if (!(packed & 0x80)) {
            lastError_.Set(kNoLocalTable);
            return false;
        }
        offset = *walk.descriptor + kDescriptorBytes;
    }
    entries = TableEntries(packed);
    return true;
}

// Where entry `paletteIndex` of the frame's colour table starts, when it lies inside the table
// and, for a table that the data cut short, inside the data.
std::optional<size_t> GifReader::LocateEntry(uint32_t frameIndex, uint8_t paletteIndex) {
    size_t offset = 0;
    size_t entries = 0;
    if (!LocateTable(frameIndex, offset, entries)) return std::nullopt;
    const size_t at = offset + 3 * size_t{paletteIndex};
    if (paletteIndex >= entries || at + 3 > data_.size()) {
        lastError_.Set(kPaletteOutOfRange);
        return std::nullopt;
    }
    return at;
}

int32_t GifReader::GetPalette(uint32_t frameIndex, uint8_t paletteIndex) {
    if (!BeginCommand() || !CheckFrame(frameIndex, true)) return -1;
    const std::optional<size_t> at = LocateEntry(frameIndex, paletteIndex);
    if (!at) return -1;
    const uint8_t* entry = &data_[*at];
    return entry[0] | (entry[1] << 8) | (entry[2] << 16);
}

bool GifReader::SetPalette(uint32_t frameIndex, uint8_t paletteIndex, uint32_t colorValue) {
    if (!BeginCommand() || !CheckFrame(frameIndex, true)) return false;
    const std::optional<size_t> at = LocateEntry(frameIndex, paletteIndex);
    if (!at) return false;
    uint8_t* entry = &data_[*at];
    entry[0] = static_cast<uint8_t>(colorValue);
    entry[1] = static_cast<uint8_t>(colorValue >> 8);
    entry[2] = static_cast<uint8_t>(colorValue >> 16);
    return true;
}

std::vector<uint8_t> GifReader::GetGifData(uint32_t frameIndex) {
    std::vector<uint8_t> result;
    if (!BeginCommand() || !CheckFrame(frameIndex, true)) return result;
    if (frameIndex == 0) {
        try {
            result = data_;
        } catch (const std::bad_alloc&) {
            lastError_.Set(kNoMemoryForBitmap);
        }
        return result;
    }

    const FrameWalk walk = WalkFrame(frameStarts_[frameIndex - 1]);
    if (!walk.descriptor) return result;
    const size_t size = data_.size();
    const uint8_t* descriptor = &data_[*walk.descriptor];
    const uint8_t screenPacked = data_[10];
    const uint8_t imagePacked = descriptor[9];

    FrameImage frame;
    frame.width = Read16(descriptor + 5);
    frame.height = Read16(descriptor + 7);
    frame.interlaced = (imagePacked & 0x40) != 0;
    size_t pos = *walk.descriptor + kDescriptorBytes;
    if (imagePacked & 0x80) {
        frame.tableBits = (imagePacked & 7u) + 1;
        const size_t bytes = 3 * TableEntries(imagePacked);
        if (pos + bytes > size) return result;
        frame.colourTable = std::span<const uint8_t>(data_).subspan(pos, bytes);
        pos += bytes;
    } else {
        frame.tableBits = (screenPacked & 7u) + 1;
        if (screenPacked & 0x80) {
            const size_t bytes = 3 * TableEntries(screenPacked);
            if (kHeaderBytes + bytes > size) return result;
            frame.colourTable = std::span<const uint8_t>(data_).subspan(kHeaderBytes, bytes);
        }
    }
    if (pos >= size) return result;
    frame.minCodeSize = data_[pos++];
    if (frame.minCodeSize > kMaxMinCodeSize) {
        lastError_.Set(kFrameDamaged);
        return result;
    }
    if (BmpFileSize(frame.width, frame.height, BmpBitCount(frame.tableBits)) >
        std::min(frameBmpLimit_, kMaxFrameBmpBytes)) {
        lastError_.Set(kFrameTooLarge);
        return result;
    }

    std::vector<uint8_t> codes;
    try {
        // The sub-blocks are joined first, so the decoder reads one run of bytes.
        size_t end = pos;
        SkipSubBlocks(data_, end);
        codes.reserve(end - pos);
        while (pos < size) {
            const size_t blockSize = data_[pos++];
            if (blockSize == 0) break;
            const size_t take = std::min(blockSize, size - pos);
            codes.insert(codes.end(), data_.begin() + pos, data_.begin() + pos + take);
            pos += take;
        }
    } catch (const std::bad_alloc&) {
        lastError_.Set(kNoMemoryForBitmap);
        return result;
    }
    frame.codes = codes;

    switch (FrameToBmp(frame, result, frameBmpLimit_)) {
        case BmpStatus::Ok:
            break;
        case BmpStatus::TooLarge:
            lastError_.Set(kFrameTooLarge);
            break;
        case BmpStatus::OutOfMemory:
            lastError_.Set(kNoMemoryForBitmap);
            break;
    }
    return result;
}

bool GifReader::SaveGif(std::string_view gifPath) {
    if (!BeginCommand()) return false;
    // The target keeps its old contents unless the whole GIF could be written.
    try {
        FileSink file;
        file.Open(gifPath);
        LibraryError error;
        if (!file.Write(data_, error)) {
            lastError_.Set(error);
            return false;
        }
        file.Commit();
    } catch (const LibraryError& error) {
        lastError_.Set(error);
        return false;
    } catch (const std::bad_alloc&) {
        lastError_.Set(kNoMemoryForFile);
        return false;
    }
    return true;
}

}  // namespace gif
