#include "gif/lzw_encoder.h"

#include <algorithm>
#include <cstring>

namespace gif {
namespace {

constexpr uint32_t kMinCodeSize = 8;
constexpr uint32_t kClearCode = 1u << kMinCodeSize;  // 256
constexpr uint32_t kEndCode = kClearCode + 1;
constexpr uint32_t kFirstFree = kClearCode + 2;
constexpr uint32_t kCodeLimit = 4096;
constexpr size_t kChildSlots = size_t{kCodeLimit} << 8;

// Packs codes from the least significant bit up, 32 bits at a time.
class BitPacker {
  public:
    explicit BitPacker(uint8_t* out) : out_(out) {}

    void Put(uint32_t code, uint32_t size) {
        bits_ |= uint64_t(code) << held_;
        held_ += size;
        if (held_ >= 32) {
            uint32_t word = uint32_t(bits_);
            uint8_t bytes[4] = {uint8_t(word), uint8_t(word >> 8), uint8_t(word >> 16),
                                uint8_t(word >> 24)};
            std::memcpy(out_, bytes, 4);
            out_ += 4;
            bits_ >>= 32;
            held_ -= 32;
        }
    }
    // Puts out the bits still held, the last byte filled up with zero bits.
    uint8_t* Finish() {
        while (held_ > 0) {
            *out_++ = uint8_t(bits_);
            bits_ >>= 8;
            held_ = held_ > 8 ? held_ - 8 : 0;
        }
        return out_;
    }

  private:
    uint8_t* out_;
    uint64_t bits_ = 0;
    uint32_t held_ = 0;
};

}  // namespace

LzwEncoder::LzwEncoder()
    : child_(new uint16_t[kChildSlots]()), slotOf_(new uint32_t[kCodeLimit]()) {}

void LzwEncoder::ClearDictionary(uint32_t nextFree) {
    for (uint32_t code = kFirstFree; code < nextFree; ++code) child_[slotOf_[code]] = 0;
}

size_t LzwEncoder::EncodeToScratch(std::span<const uint8_t* const> rows, uint32_t width) {
    const uint64_t pixels = uint64_t(rows.size()) * width;
    // At most one code per pixel, plus one clear code per 3838 codes, the first clear code
    // and the end code; at most 12 bits each; plus the bytes written 4 at a time.
    const uint64_t codes = pixels + pixels / 3838 + 4;
    const size_t needed = size_t(codes + codes / 2 + 8);
    if (scratchSize_ < needed) {
        scratch_.reset();
        scratchSize_ = 0;
        scratch_ = std::make_unique_for_overwrite<uint8_t[]>(needed);
        scratchSize_ = needed;
    }
    BitPacker packer(scratch_.get());

    uint16_t* const child = child_.get();
    uint32_t* const slotOf = slotOf_.get();
    uint32_t size = kMinCodeSize + 1;
    uint32_t growAt = 1u << size;
    uint32_t nextFree = kFirstFree;
    packer.Put(kClearCode, size);

    bool first = true;
    uint32_t prefix = 0;
    for (const uint8_t* row : rows) {
        uint32_t x = 0;
        if (first && width > 0) {
            prefix = row[0];
            first = false;
            x = 1;
        }
        for (; x < width; ++x) {
            const uint32_t pixel = row[x];
            const uint32_t slot = prefix << 8 | pixel;
            const uint32_t known = child[slot];
            if (known) {
                prefix = known;
                continue;
            }
            packer.Put(prefix, size);
            const uint32_t assigned = nextFree;
            if (nextFree < kCodeLimit) {
                child[slot] = uint16_t(nextFree);
                slotOf[nextFree] = slot;
                ++nextFree;
            }
            if (assigned == growAt) {
                if (size < 12) {
                    ++size;
                    growAt <<= 1;
                } else {
                    packer.Put(kClearCode, size);
                    ClearDictionary(nextFree);
                    size = kMinCodeSize + 1;
                    growAt = 1u << size;
                    nextFree = kFirstFree;
                }
            }
            prefix = pixel;
        }
    }
    if (!first) packer.Put(prefix, size);
    packer.Put(kEndCode, size);
    ClearDictionary(nextFree);
    return size_t(packer.Finish() - scratch_.get());
}

void LzwEncoder::EncodeStream(std::span<const uint8_t* const> rows, uint32_t width,
                              std::vector<uint8_t>& stream) {
    size_t length = EncodeToScratch(rows, width);
    stream.assign(scratch_.get(), scratch_.get() + length);
}

void LzwEncoder::Encode(std::span<const uint8_t* const> rows, uint32_t width,
                        std::vector<uint8_t>& out) {
    size_t length = EncodeToScratch(rows, width);
    out.push_back(uint8_t(kMinCodeSize));
    AppendSubBlocks({scratch_.get(), length}, out);
}

void AppendSubBlocks(std::span<const uint8_t> data, std::vector<uint8_t>& out) {
    size_t at = out.size();
    out.resize(at + data.size() + (data.size() + 254) / 255 + 1);
    uint8_t* p = out.data() + at;
    for (size_t done = 0; done < data.size();) {
        size_t length = std::min<size_t>(255, data.size() - done);
        *p++ = uint8_t(length);
        std::memcpy(p, data.data() + done, length);
        p += length;
        done += length;
    }
    *p = 0;
}

}  // namespace gif
