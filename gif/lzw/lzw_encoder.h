// The GIF variant of LZW over 8-bit indices, and the framing of its output into sub-blocks.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace gif {

// One encoder serves any number of frames in turn; its tables are allocated once.
//
// The dictionary is a direct-indexed child table, (pixel << 12 | prefix code) -> code, instead
// of a hashed table: a lookup is one load with no probing, and it finds exactly the strings
// a hashed table would, so the codes are the same. Indexing by pixel first keeps the entries
// of the few colours of a screen together (8 KB per colour), so they stay in the cache.
// Code sizes grow right after code 512, 1024 and 2048 are assigned; after code 4095 the next
// emitted code is followed by a clear code. Only the entries that were filled are emptied at a
// clear, so a clear costs what was used.
// Runs of one value, the bulk of a screen, are crossed in one step: the dictionary's strings
// of that value repeated form a chain of lengths 1..n, so the string a run grows into is known
// without looking up each pixel.
class LzwEncoder {
  public:
    LzwEncoder();  // throws std::bad_alloc

    // Appends a frame's image data to `out`: the minimum code size (2 ... 8; every index must
    // be below 2^minCodeSize), the compressed codes of `rows` (each `width` indices, in the
    // order given) in sub-blocks of up to 255 bytes, and the terminating empty sub-block.
    void Encode(std::span<const uint8_t* const> rows, uint32_t width, std::vector<uint8_t>& out,
                uint32_t minCodeSize = 8);

    // The bare code stream (no minimum code size, no sub-blocks).
    void EncodeStream(std::span<const uint8_t* const> rows, uint32_t width,
                      std::vector<uint8_t>& stream, uint32_t minCodeSize = 8);

    // As Encode, where a pixel may instead be written as its value in `alternatives` (rows in
    // the same order, equal to the pixel where there is no choice): both show the same there, so
    // the encoder takes whichever continues the string it is matching. `deferClear` keeps a full
    // code table while its strings still serve, instead of clearing it at once.
    void EncodeEither(std::span<const uint8_t* const> rows,
                      std::span<const uint8_t* const> alternatives, uint32_t width,
                      std::vector<uint8_t>& out, uint32_t minCodeSize, bool deferClear = false);

    // What loss may do: per value the values that may stand for it (nearest first), the colour
    // 0xRRGGBB of each value, and how far (ColourDistance) a value taken may be from the colour
    // wanted, which is the pixel's own plus half the error left by the pixel before.
    struct NearValues {
        std::array<std::vector<uint8_t>, 256> values;
        std::array<uint32_t, 256> colours{};
        uint32_t tolerance = 0;
    };
    // As EncodeEither with a deferred clear (`alternatives` may be empty: no choices), where a
    // pixel whose `lossy` entry is set may also be written as one of near.values[its value]
    // when that continues the string. The values taken are written back into `rows`: what the
    // frame shows.
    void EncodeLossy(std::span<uint8_t* const> rows, std::span<const uint8_t* const> alternatives,
                     std::span<const uint8_t* const> lossy, const NearValues& near, uint32_t width,
                     std::vector<uint8_t>& out, uint32_t minCodeSize);

  private:
    // Encodes into scratch_ and returns the stream's length.
    size_t EncodeToScratch(std::span<const uint8_t* const> rows, uint32_t width,
                           uint32_t minCodeSize);
    size_t ChooseToScratch(std::span<const uint8_t* const> rows,
                           std::span<const uint8_t* const> alternatives,
                           std::span<const uint8_t* const> lossy, const NearValues* near,
                           std::span<uint8_t* const> taken, uint32_t width, uint32_t minCodeSize,
                           bool deferClear);
    void ReserveScratch(uint64_t pixels);
    // Gives the string `prefix` + `value` the code `code`, noting it where it lengthens a run.
    void AddString(uint32_t prefix, uint32_t value, uint32_t code);
    void ClearDictionary(uint32_t firstFree, uint32_t nextFree);
    void RestoreSinglePixels(uint32_t minCodeSize);

    std::unique_ptr<uint16_t[]> child_;   // 0: no such string (no real code is below 258)
    std::unique_ptr<uint32_t[]> slotOf_;  // the child_ slot each assigned code was put in
    // Codes whose string is one value repeated: its length (0 for other strings) and value;
    // per value the code of each run length present, and the longest present.
    std::unique_ptr<uint16_t[]> runLength_;
    std::unique_ptr<uint8_t[]> runValue_;
    std::unique_ptr<uint16_t[]> runCode_;  // value << 12 | length
    std::unique_ptr<uint16_t[]> longestRun_;
    std::unique_ptr<uint8_t[]> scratch_;  // reused from frame to frame, never cleared
    size_t scratchSize_ = 0;
    uint32_t lastMinCodeSize_ = 8;
};

// Appends `data` to `out` as GIF data sub-blocks followed by the empty terminating sub-block.
void AppendSubBlocks(std::span<const uint8_t> data, std::vector<uint8_t>& out);

}  // namespace gif
