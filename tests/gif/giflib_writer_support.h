// Test-side GIF writers: giflib's encoder for ordinary files with varied settings, and a small
// byte-level builder with its own LZW bit writer for what giflib will not write (stray bytes,
// no trailer, a code stream that runs on with a full table, damaged structures).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace gif::testing {

struct GiflibExtensionSpec {
    int function = 0;  // 0xF9, 0xFE, 0xFF, 0x01
    std::vector<std::vector<uint8_t>> blocks;
};

struct GiflibImageSpec {
    std::vector<GiflibExtensionSpec> extensions;  // written before the image
    int left = 0, top = 0, width = 1, height = 1;
    bool interlaced = false;
    std::vector<uint8_t> localPalette;  // red, green, blue per entry (2^n entries); empty: none
    std::vector<uint8_t> indices;       // width * height, top row first
};

struct GiflibGifSpec {
    bool gif89 = true;
    int width = 1, height = 1;
    int colorResolution = 8;
    int background = 0;
    std::vector<uint8_t> globalPalette;  // empty: no global table
    std::vector<GiflibImageSpec> images;
    std::vector<GiflibExtensionSpec> trailing;  // after the last image
};

// Writes `layout` with giflib's encoder (rows in interlace order where asked). Aborts the test
// program on a giflib error, which would be a fault of the test itself.
std::vector<uint8_t> WriteWithGiflib(const GiflibGifSpec& layout);

// Palettes of `entries` colours, red, green, blue each.
std::vector<uint8_t> DistinctPalette(int entries, uint32_t seed);
// Entry i is (i, 2i, 3i), each modulo 256: values a test can name without a table beside it.
std::vector<uint8_t> RampPalette(int entries);
// Indices below `colours`: random noise (`runs` false) or screen-like runs and flat areas.
std::vector<uint8_t> TestIndices(int width, int height, int colours, uint32_t seed, bool runs);

// Graphic control extension contents.
GiflibExtensionSpec Control(int packed, int delay, int transparentIndex);
GiflibExtensionSpec Comment(std::string_view text);
GiflibExtensionSpec Looping(int count);

// GIF codes packed least significant bit first.
class CodeWriter {
  public:
    void Put(uint32_t code, unsigned width);
    std::vector<uint8_t> Finish();

  private:
    std::vector<uint8_t> bytes_;
    uint64_t bits_ = 0;
    unsigned count_ = 0;
};

// A plain LZW encoder. With `clearWhenFull` false the table simply stops growing at 4096
// entries and the stream goes on without a clear code.
std::vector<uint8_t> EncodeLzw(std::span<const uint8_t> pixels, int minCodeSize,
                               bool clearWhenFull = true);

// Byte-level GIF assembly.
class RawGif {
  public:
    explicit RawGif(std::string_view signature = "GIF89a");
    RawGif& Screen(uint16_t width, uint16_t height, uint8_t packed, uint8_t background = 0);
    RawGif& Bytes(std::vector<uint8_t> bytes);
    RawGif& Extension(uint8_t label, const std::vector<std::vector<uint8_t>>& blocks);
    RawGif& Control(uint8_t packed, uint16_t delay, uint8_t transparentIndex = 0);
    RawGif& Comment(std::string_view text);
    RawGif& Looping(uint16_t count);
    // Descriptor (with `packed`), `table` as given, minimum code size, `codes` cut into
    // sub-blocks of `blockSize`, and the terminator unless `terminate` is false.
    RawGif& Image(uint16_t left, uint16_t top, uint16_t width, uint16_t height, uint8_t packed,
                  const std::vector<uint8_t>& table, uint8_t minCodeSize,
                  const std::vector<uint8_t>& codes, size_t blockSize = 255, bool terminate = true);
    RawGif& Trailer();

    std::vector<uint8_t> bytes;
};

// A BMP file image taken apart.
struct ParsedBmp {
    bool ok = false;
    uint32_t fileSize = 0, pixelOffset = 0;
    int32_t width = 0, height = 0;
    uint16_t planes = 0, bitCount = 0;
    uint32_t compression = 0, imageSize = 0, coloursUsed = 0, coloursImportant = 0;
    std::vector<uint8_t> palette;  // blue, green, red, 0 per entry
    std::vector<uint8_t> indices;  // width * height, top row first
    bool paddingZero = true;       // every bit and byte beyond the pixels of a row is 0
};
ParsedBmp ParseBmp(std::span<const uint8_t> bmp);

}  // namespace gif::testing
