#include "gif/lzw/lzw_decoder.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <memory>
#include <vector>

namespace gif {

namespace {

constexpr uint32_t kTableSize = 4096;
constexpr unsigned kMaxCodeWidth = 12;

// A table entry is its prefix code plus one pixel; the length and first pixel are kept so a
// string can be written back to front straight into its place, and KwKwK needs no walk.
struct Entry {
    uint16_t prefix;
    uint16_t length;
    uint8_t suffix;
    uint8_t first;
};

// Codes are packed least significant bit first. Refills take eight bytes at a time where
// possible: bits above the counted ones then already hold the next bytes, so OR-ing them in
// again later changes nothing.
class BitReader {
  public:
    explicit BitReader(std::span<const uint8_t> bytes) : in_(bytes.data()), size_(bytes.size()) {}

    bool Read(unsigned width, uint32_t& code) {
        if (count_ < width) {
            Refill();
            if (count_ < width) return false;
        }
        code = static_cast<uint32_t>(bits_) & ((1u << width) - 1);
        bits_ >>= width;
        count_ -= width;
        return true;
    }

  private:
    void Refill() {
        if constexpr (std::endian::native == std::endian::little) {
            if (size_ - pos_ >= 8) {
                uint64_t next;
                std::memcpy(&next, in_ + pos_, 8);
                bits_ |= next << count_;
                const unsigned taken = (63 - count_) >> 3;
                pos_ += taken;
                count_ += taken * 8;
                return;
            }
        }
        while (count_ <= 56 && pos_ < size_) {
            bits_ |= uint64_t{in_[pos_++]} << count_;
            count_ += 8;
        }
    }

    const uint8_t* in_;
    size_t size_;
    size_t pos_ = 0;
    uint64_t bits_ = 0;
    unsigned count_ = 0;
};

// The image rows in the order the data fill them.
class RowOrder {
  public:
    RowOrder(uint32_t height, bool interlaced) : height_(height), interlaced_(interlaced) {
        if (interlaced_) SkipEmptyPasses();
    }

    bool Done() const { return row_ >= height_; }
    uint32_t Row() const { return row_; }

    void Advance() {
        if (!interlaced_) {
            ++row_;
            return;
        }
        row_ += kSteps[pass_];
        SkipEmptyPasses();
    }

  private:
    static constexpr std::array<uint32_t, 4> kStarts{0, 4, 2, 1};
    static constexpr std::array<uint32_t, 4> kSteps{8, 8, 4, 2};

    void SkipEmptyPasses() {
        while (row_ >= height_ && pass_ < 3) {
            ++pass_;
            row_ = kStarts[pass_];
        }
    }

    uint32_t height_;
    bool interlaced_;
    unsigned pass_ = 0;
    uint32_t row_ = 0;
};

class Decoder {
  public:
    Decoder(const LzwImage& image, RowSink& sink)
        : width_(image.width), order_(image.height, image.interlaced), sink_(sink), row_(width_) {}

    bool Finished() const { return order_.Done(); }
    uint32_t RowsDelivered() const { return delivered_; }

    // Writes the string of `code` (length `length`) at the current position.
    void PutString(const Entry* table, uint32_t code, uint32_t length) {
        if (length <= width_ - x_) {
            uint8_t* out = row_.data() + x_ + length;
            for (uint32_t n = length; n != 0; --n) {
                *--out = table[code].suffix;
                code = table[code].prefix;
            }
            x_ += length;
            if (x_ == width_) EndRow();
            return;
        }
        uint8_t* out = stack_.data() + length;
        for (uint32_t n = length; n != 0; --n) {
            *--out = table[code].suffix;
            code = table[code].prefix;
        }
        Put(stack_.data(), length);
    }

    void PutPixel(uint8_t pixel) { Put(&pixel, 1); }

    // Hands over a row the data stopped in the middle of.
    void Flush() {
        if (x_ == 0 || order_.Done()) return;
        std::fill(row_.begin() + x_, row_.end(), uint8_t{0});
        EndRow();
    }

  private:
    void Put(const uint8_t* pixels, size_t count) {
        while (count != 0 && !order_.Done()) {
            const size_t n = std::min<size_t>(count, width_ - x_);
            std::memcpy(row_.data() + x_, pixels, n);
            x_ += static_cast<uint32_t>(n);
            pixels += n;
            count -= n;
            if (x_ == width_) EndRow();
        }
    }

    void EndRow() {
        sink_.Row(order_.Row(), row_.data());
        ++delivered_;
        x_ = 0;
        order_.Advance();
    }

    uint32_t width_;
    RowOrder order_;
    RowSink& sink_;
    std::vector<uint8_t> row_;
    std::array<uint8_t, kTableSize> stack_{};
    uint32_t x_ = 0;
    uint32_t delivered_ = 0;
};

}  // namespace

uint32_t DecodeLzw(const LzwImage& image, std::span<const uint8_t> codes, RowSink& sink) {
    if (image.width == 0 || image.height == 0) return 0;
    if (image.minCodeSize < 0 || image.minCodeSize > kMaxMinCodeSize) return 0;

    const unsigned minCodeSize = static_cast<unsigned>(image.minCodeSize);
    const uint32_t clearCode = 1u << minCodeSize;
    const uint32_t endCode = clearCode + 1;
    const uint32_t firstFree = clearCode + 2;

    auto table = std::make_unique<Entry[]>(kTableSize);
    for (uint32_t i = 0; i < clearCode; ++i) {
        const auto pixel = static_cast<uint8_t>(i);
        table[i] = Entry{0, 1, pixel, pixel};
    }

    Decoder out(image, sink);
    BitReader reader(codes);
    unsigned width = minCodeSize + 1;
    uint32_t nextFree = firstFree;
    uint32_t previous = kTableSize;  // none: right after a clear code or at the start
    uint32_t code;

    while (!out.Finished() && reader.Read(width, code)) {
        if (code == clearCode) {
            width = minCodeSize + 1;
            nextFree = firstFree;
            previous = kTableSize;
            continue;
        }
        if (code == endCode) break;
        if (previous == kTableSize) {
            if (code >= nextFree) break;  // nothing is defined above the single pixels yet
            out.PutString(table.get(), code, 1);
            previous = code;
            continue;
        }
        uint8_t firstPixel;
        if (code < nextFree) {
            firstPixel = table[code].first;
            out.PutString(table.get(), code, table[code].length);
        } else {
            // The encoder's newest string (KwKwK). A code beyond it, which no encoder makes, is
            // read the same way, and the entry added for it stands in for it afterwards: the
            // table slot it names holds nothing of this image.
            firstPixel = table[previous].first;
            out.PutString(table.get(), previous, table[previous].length);
            out.PutPixel(firstPixel);
            code = nextFree;
        }
        if (nextFree < kTableSize) {
            const Entry& prefix = table[previous];
            table[nextFree] =
                Entry{static_cast<uint16_t>(previous), static_cast<uint16_t>(prefix.length + 1),
                      firstPixel, prefix.first};
            ++nextFree;
            if (nextFree >= (1u << width) && width < kMaxCodeWidth) ++width;
        }
        previous = code;
    }
    out.Flush();
    return out.RowsDelivered();
}

}  // namespace gif
