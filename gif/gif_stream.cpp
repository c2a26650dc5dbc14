#include "gif/gif_stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "gif/base/library_error.h"
#include "gif/optimise/frame_optimiser.h"

namespace gif {
namespace {

constexpr size_t kBufferBytes = size_t{1} << 16;

uint16_t Little16(const uint8_t* at) {
    return uint16_t(at[0] | at[1] << 8);
}

struct Area {
    uint32_t x0, y0, x1, y1;
};

Area Clip(const FrameSpan& frame, uint32_t width, uint32_t height) {
    return {std::min<uint32_t>(frame.left, width), std::min<uint32_t>(frame.top, height),
            std::min<uint32_t>(uint32_t{frame.left} + frame.width, width),
            std::min<uint32_t>(uint32_t{frame.top} + frame.height, height)};
}

// Paints decoded rows over the screen, skipping the transparent index.
class ScreenPainter final : public RowSink {
  public:
    ScreenPainter(std::vector<uint32_t>& screen, uint32_t screenWidth, const Area& area,
                  const FrameSpan& frame, const uint32_t* colours)
        : screen_(screen), width_(screenWidth), area_(area), frame_(frame), colours_(colours) {}

    void Row(uint32_t y, const uint8_t* pixels) override {
        const uint32_t screenY = frame_.top + y;
        if (screenY < area_.y0 || screenY >= area_.y1) return;
        uint32_t* out = screen_.data() + size_t{width_} * screenY;
        const uint32_t left = frame_.left;
        if (!frame_.transparency) {
            for (uint32_t x = area_.x0; x < area_.x1; ++x) out[x] = colours_[pixels[x - left]];
            return;
        }
        const uint8_t transparent = frame_.transparentIndex;
        for (uint32_t x = area_.x0; x < area_.x1; ++x)
            if (pixels[x - left] != transparent) out[x] = colours_[pixels[x - left]];
    }

  private:
    std::vector<uint32_t>& screen_;
    uint32_t width_;
    Area area_;
    const FrameSpan& frame_;
    const uint32_t* colours_;
};

}  // namespace

GifStream::GifStream() = default;

GifStream::~GifStream() {
    if (descriptor_ >= 0) ::close(descriptor_);
}

void GifStream::Open(std::string_view path) {
    path_ = std::string(path);
    descriptor_ = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor_ < 0) throw FileError(ErrorCode::OpenFailed, path_, errno);
    struct stat status {};
    if (::fstat(descriptor_, &status) != 0) throw FileError(ErrorCode::LengthFailed, path_, errno);
    if (!S_ISREG(status.st_mode)) throw LibraryError(ErrorCode::ReadDevice, path_);
    size_ = uint64_t(status.st_size);
    buffer_.resize(kBufferBytes);

    std::vector<uint8_t> head;
    if (size_ < 13) throw LibraryError(ErrorCode::TooShort);
    Read(0, 13, head);
    if ((head[0] | 0x20) != 'g' || (head[1] | 0x20) != 'i' || (head[2] | 0x20) != 'f')
        throw LibraryError(ErrorCode::NotGif);
    if (std::memcmp(&head[3], "87a", 3) != 0 && std::memcmp(&head[3], "89a", 3) != 0)
        throw LibraryError(ErrorCode::BadVersion);
    std::memcpy(screen_, &head[6], 7);
    width_ = Little16(&head[6]);
    height_ = Little16(&head[8]);
    uint64_t at = 13;
    if (head[10] & 0x80) {
        const size_t bytes = size_t{3} << ((head[10] & 7) + 1);
        if (size_ < at + bytes) throw LibraryError(ErrorCode::Damaged);
        Read(at, bytes, globalTable_);
        at += bytes;
    }
    bufferStart_ = at;
}

void GifStream::Read(uint64_t offset, size_t length, std::vector<uint8_t>& out) const {
    out.resize(length);
    size_t done = 0;
    while (done < length) {
        const ssize_t got =
            ::pread(descriptor_, out.data() + done, length - done, off_t(offset + done));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) throw FileError(ErrorCode::ReadFailed, path_, errno);
        if (got == 0) throw LibraryError(ErrorCode::FrameDataDamaged);
        done += size_t(got);
    }
}

void GifStream::Fill() {
    bufferStart_ += bufferAt_;
    bufferAt_ = bufferFill_ = 0;
    if (bufferStart_ >= size_) return;
    ssize_t got;
    do {
        got = ::pread(descriptor_, buffer_.data(), buffer_.size(), off_t(bufferStart_));
    } while (got < 0 && errno == EINTR);
    if (got < 0) throw FileError(ErrorCode::ReadFailed, path_, errno);
    bufferFill_ = size_t(got);
}

int GifStream::ReadByte() {
    if (bufferAt_ == bufferFill_) Fill();
    if (bufferAt_ == bufferFill_) return -1;
    return buffer_[bufferAt_++];
}

void GifStream::SkipSubBlocks() {
    for (;;) {
        const int length = ReadByte();
        if (length <= 0) return;
        Skip(uint64_t(length));
    }
}

void GifStream::Skip(uint64_t bytes) {
    if (bytes <= bufferFill_ - bufferAt_) {
        bufferAt_ += size_t(bytes);
        return;
    }
    bufferStart_ += bufferAt_ + bytes;
    bufferAt_ = bufferFill_ = 0;
}

uint32_t GifStream::IndexUpTo(uint32_t count) {
    uint8_t bytes[11];
    auto readBytes = [&](int n) {
        for (int i = 0; i < n; ++i) {
            const int b = ReadByte();
            if (b < 0) return false;
            bytes[i] = uint8_t(b);
        }
        return true;
    };
    while (!ended_ && frames_.size() < count) {
        FrameSpan frame;
        frame.blocksStart = Position();
        for (;;) {
            const int introducer = ReadByte();
            if (introducer < 0 || introducer == 0x3B) {
                ended_ = true;
                break;
            }
            if (introducer == 0) continue;  // stray padding between blocks
            if (introducer == 0x21) {
                const uint64_t start = Position() - 1;
                const int label = ReadByte();
                if (label == 0xF9) {
                    const int length = ReadByte();
                    if (length == 4 && readBytes(4)) {
                        frame.userInput = bytes[0] & 2;
                        frame.transparency = bytes[0] & 1;
                        frame.disposal = (bytes[0] >> 2) & 7;
                        frame.delay = Little16(&bytes[1]);
                        frame.transparentIndex = bytes[3];
                    } else if (length > 0) {
                        Skip(uint64_t(length));
                    }
                    SkipSubBlocks();
                    continue;
                }
                if (label == 0xFF && ReadByte() == 11 && readBytes(11) &&
                    std::memcmp(bytes, "NETSCAPE2.0", 11) == 0) {
                    if (ReadByte() == 3 && readBytes(3) && bytes[0] == 1) {
                        loops_ = true;
                        loopCount_ = Little16(&bytes[1]);
                    }
                } else if (label != 0xFF && label != 0xFE && label != 0x01) {
                    throw LibraryError(ErrorCode::Damaged);
                }
                SkipSubBlocks();
                frame.extensions.push_back(start);
                frame.extensions.push_back(std::min(Position(), size_));
                continue;
            }
            if (introducer != 0x2C) throw LibraryError(ErrorCode::Damaged);
            frame.descriptor = Position() - 1;
            if (!readBytes(9)) {
                ended_ = true;
                break;
            }
            frame.left = Little16(&bytes[0]);
            frame.top = Little16(&bytes[2]);
            frame.width = Little16(&bytes[4]);
            frame.height = Little16(&bytes[6]);
            if (bytes[8] & 0x80) {
                const uint64_t table = uint64_t{3} << ((bytes[8] & 7) + 1);
                if (Position() + table >= size_) throw LibraryError(ErrorCode::Damaged);
                Skip(table);
            }
            if (ReadByte() >= 0) SkipSubBlocks();  // the minimum code size, then the data
            frame.end = std::min(Position(), size_);
            frames_.push_back(std::move(frame));
            break;
        }
    }
    return FrameCount();
}

namespace {

size_t ScreenPixels(const GifStream& stream) {
    const uint64_t pixels = uint64_t{stream.Width()} * stream.Height();
    if (pixels > kMaxScreenPixels) throw LibraryError(ErrorCode::GifTooLarge);
    return size_t(pixels);
}

}  // namespace

StreamPlayer::StreamPlayer(GifStream& stream)
    : stream_(stream), screen_(ScreenPixels(stream), kUnset) {}

void StreamPlayer::Dispose() {
    if (disposed_ || current_ < 0) return;
    disposed_ = true;
    const FrameSpan& frame = stream_.Frame(uint32_t(current_));
    if (frame.disposal != 2 && frame.disposal != 3) return;
    const Area area = Clip(frame, stream_.Width(), stream_.Height());
    size_t at = 0;
    for (uint32_t y = area.y0; y < area.y1; ++y) {
        uint32_t* row = screen_.data() + size_t{stream_.Width()} * y;
        for (uint32_t x = area.x0; x < area.x1; ++x)
            row[x] = frame.disposal == 2 ? kUnset : saved_[at++];
    }
}

void StreamPlayer::Seek(uint32_t index) {
    if (index >= stream_.FrameCount()) throw LibraryError(ErrorCode::FrameOutOfRange);
    if (int64_t{index} < current_ || (int64_t{index} == current_ && disposed_)) {
        std::fill(screen_.begin(), screen_.end(), kUnset);
        current_ = -1;
        disposed_ = true;
    }
    while (current_ < int64_t{index}) {
        Dispose();
        Paint(uint32_t(current_ + 1));
        ++current_;
        disposed_ = false;
    }
}

void StreamPlayer::Paint(uint32_t index) {
    const FrameSpan& frame = stream_.Frame(index);
    const Area area = Clip(frame, stream_.Width(), stream_.Height());
    if (frame.disposal == 3) {
        saved_.clear();
        for (uint32_t y = area.y0; y < area.y1; ++y) {
            const auto row = screen_.begin() + ptrdiff_t(size_t{stream_.Width()} * y);
            saved_.insert(saved_.end(), row + area.x0, row + area.x1);
        }
    }
    stream_.Read(frame.descriptor, size_t(frame.end - frame.descriptor), bytes_);
    const uint8_t packed = bytes_.size() >= 10 ? bytes_[9] : 0;
    size_t at = 10;
    const uint8_t* table = stream_.GlobalTable().data();
    size_t entries = stream_.GlobalTable().size() / 3;
    if (packed & 0x80) {
        entries = size_t{2} << (packed & 7);
        table = bytes_.data() + at;
        at += 3 * entries;
    }
    if (at >= bytes_.size()) return;  // no image data: nothing is painted
    const int minCodeSize = bytes_[at++];
    if (minCodeSize > kMaxMinCodeSize) throw LibraryError(ErrorCode::FrameDataDamaged);
    codes_.clear();
    while (at < bytes_.size()) {
        const size_t declared = bytes_[at++];
        const size_t length = std::min(declared, bytes_.size() - at);
        if (length == 0) break;
        codes_.insert(codes_.end(), bytes_.begin() + ptrdiff_t(at),
                      bytes_.begin() + ptrdiff_t(at + length));
        at += length;
    }
    uint32_t colours[256] = {};  // entries beyond the table show black
    for (size_t i = 0; i < std::min<size_t>(entries, 256); ++i)
        colours[i] =
            uint32_t(table[3 * i]) << 16 | uint32_t(table[3 * i + 1]) << 8 | table[3 * i + 2];
    ScreenPainter painter(screen_, stream_.Width(), area, frame, colours);
    DecodeLzw({minCodeSize, frame.width, frame.height, bool(packed & 0x40)}, codes_, painter);
}

}  // namespace gif
