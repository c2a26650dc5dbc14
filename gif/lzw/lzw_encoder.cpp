#include "gif/lzw/lzw_encoder.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "gif/base/colour_math.h"

namespace gif {
namespace {

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

// The code width and the next free code. After each code given out the codes may widen; at the
// widest, a full table is followed by a clear code and starts afresh. A deferred clear keeps a
// full table for as long as its strings serve: until a window of codes covers less than 4/5 of
// the pixels per code of the best window since the table filled.
struct CodeWidth {
    CodeWidth(uint32_t minCodeSize, bool deferClear)
        : minCodeSize(minCodeSize),
          clearCode(1u << minCodeSize),
          firstFree(clearCode + 2),
          deferClear(deferClear) {
        Restart();
    }
    void Restart() {
        size = minCodeSize + 1;
        growAt = 1u << size;
        nextFree = firstFree;
        windowStart = kNoWindow;
    }
    // After code `assigned` was given out, before the pixel at `position`; true when the table
    // must be emptied and restarted (the clear code is already written).
    bool Widen(uint32_t assigned, uint64_t position, BitPacker& packer) {
        ++codesOut;
        if (assigned != growAt) return false;
        if (size < 12) {
            ++size;
            growAt <<= 1;
            return false;
        }
        if (deferClear && !RateDropped(position)) return false;
        packer.Put(clearCode, size);
        return true;
    }

    const uint32_t minCodeSize, clearCode, firstFree;
    const bool deferClear;
    uint32_t size = 0, growAt = 0, nextFree = 0;

  private:
    static constexpr uint64_t kNoWindow = UINT64_MAX;
    static constexpr uint64_t kWindowCodes = 256;

    bool RateDropped(uint64_t position) {
        if (windowStart == kNoWindow) {
            windowStart = position;
            windowCodes = codesOut;
            bestRate = 0;
            return false;
        }
        if (codesOut - windowCodes < kWindowCodes) return false;
        const uint64_t rate = (position - windowStart) * 1024 / (codesOut - windowCodes);
        if (rate * 5 < bestRate * 4) return true;
        bestRate = std::max(bestRate, rate);
        windowStart = position;
        windowCodes = codesOut;
        return false;
    }

    uint64_t codesOut = 0, windowStart = kNoWindow, windowCodes = 0, bestRate = 0;
};

// The first index at or after `x` where the row is no longer `value`.
uint32_t RunEnd(const uint8_t* row, uint32_t x, uint32_t width, uint8_t value) {
    const uint64_t pattern = 0x0101010101010101u * value;
    while (x + 8 <= width) {
        uint64_t word;
        std::memcpy(&word, row + x, 8);
        if (uint64_t differ = word ^ pattern) return x + uint32_t(std::countr_zero(differ) / 8);
        x += 8;
    }
    while (x < width && row[x] == value) ++x;
    return x;
}

}  // namespace

LzwEncoder::LzwEncoder()
    : child_(new uint16_t[kChildSlots]()),
      slotOf_(new uint32_t[kCodeLimit]()),
      runLength_(new uint16_t[kCodeLimit]()),
      runValue_(new uint8_t[kCodeLimit]()),
      runCode_(new uint16_t[256 * kCodeLimit]),
      longestRun_(new uint16_t[256]) {
    for (uint32_t value = 0; value < 256; ++value) {
        runLength_[value] = 1;
        runValue_[value] = uint8_t(value);
        runCode_[value << 12 | 1] = uint16_t(value);
        longestRun_[value] = 1;
    }
}

void LzwEncoder::ClearDictionary(uint32_t firstFree, uint32_t nextFree) {
    for (uint32_t code = firstFree; code < nextFree; ++code) child_[slotOf_[code]] = 0;
    std::fill_n(longestRun_.get(), 256, uint16_t{1});
}

// Below 8 bits, codes 2^m ... 255 are strings, not single pixels; a frame at 8 bits after one
// at fewer needs those codes back as single-pixel runs.
void LzwEncoder::RestoreSinglePixels(uint32_t minCodeSize) {
    const uint32_t firstString = (1u << minCodeSize) + 2;
    for (uint32_t value = firstString; value < 256; ++value) {
        runLength_[value] = 1;
        runValue_[value] = uint8_t(value);
        runCode_[value << 12 | 1] = uint16_t(value);
    }
}

void LzwEncoder::AddString(uint32_t prefix, uint32_t value, uint32_t code) {
    const uint32_t slot = value << 12 | prefix;
    child_[slot] = uint16_t(code);
    slotOf_[code] = slot;
    if (runLength_[prefix] && runValue_[prefix] == value) {
        const uint32_t longer = runLength_[prefix] + 1u;
        runLength_[code] = uint16_t(longer);
        runValue_[code] = uint8_t(value);
        runCode_[value << 12 | longer] = uint16_t(code);
        longestRun_[value] = uint16_t(longer);
    } else {
        runLength_[code] = 0;
    }
}

void LzwEncoder::ReserveScratch(uint64_t pixels) {
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
}

size_t LzwEncoder::EncodeToScratch(std::span<const uint8_t* const> rows, uint32_t width,
                                   uint32_t minCodeSize) {
    CodeWidth codes(minCodeSize, false);
    if (lastMinCodeSize_ < 8) RestoreSinglePixels(lastMinCodeSize_);
    lastMinCodeSize_ = minCodeSize;
    ReserveScratch(uint64_t(rows.size()) * width);
    BitPacker packer(scratch_.get());

    uint16_t* const child = child_.get();
    uint16_t* const runLength = runLength_.get();
    uint8_t* const runValue = runValue_.get();
    uint16_t* const runCode = runCode_.get();
    uint16_t* const longestRun = longestRun_.get();
    packer.Put(codes.clearCode, codes.size);

    bool first = true;
    uint32_t prefix = 0;
    for (const uint8_t* row : rows) {
        uint32_t x = 0;
        if (first && width > 0) {
            prefix = row[0];
            first = false;
            x = 1;
        }
        uint32_t runEnd = 0;  // row[runStart..runEnd) all equal runEndValue, runStart <= x
        uint32_t runEndValue = 0;
        while (x < width) {
            const uint32_t pixel = row[x];
            const uint32_t length = runLength[prefix];
            if (length && runValue[prefix] == pixel) {
                // The prefix is a run of `pixel` and more of it follows: the strings it grows
                // into are the known longer runs, so skip to the longest that fits.
                if (x >= runEnd || runEndValue != pixel) {
                    runEnd = RunEnd(row, x, width, uint8_t(pixel));
                    runEndValue = pixel;
                }
                const uint32_t ahead = runEnd - x;
                const uint32_t longest = longestRun[pixel];
                if (length + ahead <= longest) {
                    prefix = runCode[pixel << 12 | (length + ahead)];
                    x = runEnd;
                    continue;
                }
                x += longest - length;
                prefix = runCode[pixel << 12 | longest];
                // The next pixel extends the longest run: a new string, handled below.
            }
            ++x;
            const uint32_t slot = pixel << 12 | prefix;
            const uint32_t known = child[slot];
            if (known) {
                prefix = known;
                continue;
            }
            packer.Put(prefix, codes.size);
            const uint32_t assigned = codes.nextFree;
            if (codes.nextFree < kCodeLimit) AddString(prefix, pixel, codes.nextFree++);
            if (codes.Widen(assigned, 0, packer)) {
                ClearDictionary(codes.firstFree, codes.nextFree);
                codes.Restart();
            }
            prefix = pixel;
        }
    }
    if (!first) packer.Put(prefix, codes.size);
    packer.Put(codes.clearCode + 1, codes.size);  // the end code
    ClearDictionary(codes.firstFree, codes.nextFree);
    return size_t(packer.Finish() - scratch_.get());
}

// Greedy, pixel by pixel, without the run shortcut: the first value that extends the current
// string is taken (the pixel's own, then its alternative); where loss is allowed, the near
// value closest to the colour wanted. The error a lossy pixel leaves is half carried to the next,
// so that a stretch of them keeps its mean colour. When no value extends the string, the new
// string starts with the value that repeats the last one written, so that runs keep growing.
// `taken`, when given, gets the values written. A run of one value where no loss is allowed is
// crossed as in EncodeToScratch: while its strings grow, the pixel's own value always extends
// them, so its alternatives are never asked.
size_t LzwEncoder::ChooseToScratch(std::span<const uint8_t* const> rows,
                                   std::span<const uint8_t* const> alternatives,
                                   std::span<const uint8_t* const> lossy, const NearValues* near,
                                   std::span<uint8_t* const> taken, uint32_t width,
                                   uint32_t minCodeSize, bool deferClear) {
    CodeWidth codes(minCodeSize, deferClear);
    if (lastMinCodeSize_ < 8) RestoreSinglePixels(lastMinCodeSize_);
    lastMinCodeSize_ = minCodeSize;
    ReserveScratch(uint64_t(rows.size()) * width);
    BitPacker packer(scratch_.get());
    uint16_t* const child = child_.get();
    uint16_t* const runLength = runLength_.get();
    uint8_t* const runValue = runValue_.get();
    uint16_t* const runCode = runCode_.get();
    uint16_t* const longestRun = longestRun_.get();
    packer.Put(codes.clearCode, codes.size);
    bool first = true;
    uint32_t prefix = 0, last = 0;
    for (size_t r = 0; r < rows.size(); ++r) {
        const uint8_t* row = rows[r];
        const uint8_t* other = alternatives.empty() ? nullptr : alternatives[r];
        const uint8_t* loose = lossy.empty() ? nullptr : lossy[r];
        uint8_t* written = taken.empty() ? nullptr : taken[r];
        int carry[3] = {0, 0, 0};
        uint32_t runEnd = 0;  // row[..runEnd) all equal runEndValue from some x at or before
        uint32_t runEndValue = 0;
        for (uint32_t x = 0; x < width; ++x) {
            const uint32_t pixel = row[x];
            const uint32_t length = runLength[prefix];
            if (!first && length && runValue[prefix] == pixel && !(loose && loose[x])) {
                if (x >= runEnd || runEndValue != pixel) {
                    runEnd = RunEnd(row, x, width, uint8_t(pixel));
                    runEndValue = pixel;
                }
                const uint32_t longest = longestRun[pixel];
                uint32_t step = std::min(runEnd - x, longest - length);
                if (loose) step = RunEnd(loose, x, x + step, 0) - x;
                if (step > 0) {
                    carry[0] = carry[1] = carry[2] = 0;
                    if (written) std::memset(written + x, int(pixel), step);
                    prefix = runCode[pixel << 12 | (length + step)];
                    last = pixel;
                    x += step;
                    if (x == runEnd) {
                        --x;  // the run ended within the strings known
                        continue;
                    }
                }
            }
            const uint32_t alternative = other ? other[x] : pixel;
            const bool either = alternative != pixel;
            uint32_t value = pixel;
            uint32_t known = 0;
            if (first) {
                first = false;
                prefix = last = either && alternative == last ? alternative : pixel;
                if (written) written[x] = uint8_t(prefix);
                continue;
            }
            const bool lossyPixel = loose && loose[x];
            int wanted[3] = {0, 0, 0};
            if (lossyPixel) {
                const uint32_t own = near->colours[pixel];
                wanted[0] = int(own >> 16 & 0xFF) + carry[0];
                wanted[1] = int(own >> 8 & 0xFF) + carry[1];
                wanted[2] = int(own & 0xFF) + carry[2];
            }
            known = child[pixel << 12 | prefix];
            if (!known && either && (known = child[alternative << 12 | prefix]))
                value = alternative;
            if (!known && lossyPixel) {
                uint32_t closest = near->tolerance + 1;
                for (const uint8_t candidate : near->values[pixel]) {
                    const uint32_t code = child[uint32_t(candidate) << 12 | prefix];
                    if (!code) continue;
                    const uint32_t c = near->colours[candidate];
                    const uint32_t d =
                        WeightedDistance(int(c >> 16 & 0xFF) - wanted[0],
                                         int(c >> 8 & 0xFF) - wanted[1], int(c & 0xFF) - wanted[2]);
                    if (d < closest) {
                        closest = d;
                        known = code;
                        value = candidate;
                    }
                }
            }
            if (!known) {
                value = either && alternative == last ? alternative : pixel;
                packer.Put(prefix, codes.size);
                const uint32_t assigned = codes.nextFree;
                if (codes.nextFree < kCodeLimit) AddString(prefix, value, codes.nextFree++);
                if (codes.Widen(assigned, uint64_t(r) * width + x, packer)) {
                    ClearDictionary(codes.firstFree, codes.nextFree);
                    codes.Restart();
                }
                known = value;
            }
            if (lossyPixel) {
                const uint32_t c = near->colours[value];
                carry[0] = (wanted[0] - int(c >> 16 & 0xFF)) / 2;
                carry[1] = (wanted[1] - int(c >> 8 & 0xFF)) / 2;
                carry[2] = (wanted[2] - int(c & 0xFF)) / 2;
            } else {
                carry[0] = carry[1] = carry[2] = 0;
            }
            prefix = known;
            last = value;
            if (written) written[x] = uint8_t(value);
        }
    }
    if (!first) packer.Put(prefix, codes.size);
    packer.Put(codes.clearCode + 1, codes.size);  // the end code
    ClearDictionary(codes.firstFree, codes.nextFree);
    return size_t(packer.Finish() - scratch_.get());
}

void LzwEncoder::EncodeEither(std::span<const uint8_t* const> rows,
                              std::span<const uint8_t* const> alternatives, uint32_t width,
                              std::vector<uint8_t>& out, uint32_t minCodeSize, bool deferClear) {
    const size_t length =
        ChooseToScratch(rows, alternatives, {}, nullptr, {}, width, minCodeSize, deferClear);
    out.push_back(uint8_t(minCodeSize));
    AppendSubBlocks({scratch_.get(), length}, out);
}

void LzwEncoder::EncodeLossy(std::span<uint8_t* const> rows,
                             std::span<const uint8_t* const> alternatives,
                             std::span<const uint8_t* const> lossy, const NearValues& near,
                             uint32_t width, std::vector<uint8_t>& out, uint32_t minCodeSize) {
    const std::vector<const uint8_t*> read(rows.begin(), rows.end());
    const size_t length =
        ChooseToScratch(read, alternatives, lossy, &near, rows, width, minCodeSize, true);
    out.push_back(uint8_t(minCodeSize));
    AppendSubBlocks({scratch_.get(), length}, out);
}

void LzwEncoder::EncodeStream(std::span<const uint8_t* const> rows, uint32_t width,
                              std::vector<uint8_t>& stream, uint32_t minCodeSize) {
    size_t length = EncodeToScratch(rows, width, minCodeSize);
    stream.assign(scratch_.get(), scratch_.get() + length);
}

void LzwEncoder::Encode(std::span<const uint8_t* const> rows, uint32_t width,
                        std::vector<uint8_t>& out, uint32_t minCodeSize) {
    size_t length = EncodeToScratch(rows, width, minCodeSize);
    out.push_back(uint8_t(minCodeSize));
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
