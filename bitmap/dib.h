// An in-memory device-independent bitmap: loads a BMP file image, reads and writes single pixels
// as colour values (red + green * 256 + blue * 65536), and writes the bitmap back out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace bitmap {

class Dib {
  public:
    Dib() = default;
    ~Dib() = default;
    Dib(const Dib&) = delete;
    Dib& operator=(const Dib&) = delete;

    // Accepts uncompressed 1, 4, 8, 16, 24 and 32-bit BMPs with 40- or 12-byte info headers.
    // A top-down bitmap is turned bottom-up on load (its height then reads positive).
    // Data with fewer pixel bytes than its rows need is refused.
    bool LoadData(std::span<const uint8_t> data);
    // The BMP file image of the bitmap in the depth it was loaded with; empty on failure.
    std::vector<uint8_t> GetData();
    int32_t GetWidth();
    int32_t GetHeight();
    // x from the left, y from the top row. Returns 0 on failure.
    int32_t GetPixel(int32_t x, int32_t y);
    bool SetPixel(int32_t x, int32_t y, int32_t colour);

    // The colour-table entry `index` of a palettised bitmap; 0 on failure.
    int32_t GetColorTableEntry(int32_t index);
    bool SetColorTableEntry(int32_t index, int32_t colour);

    // Text of the last failed command; empty after a command that succeeded.
    const char* GetError() const { return error_; }
    static const char* Version();

    // Direct access for callers that touch every pixel: rows are bottom-up, Stride() bytes each,
    // BitsPerPixel() as loaded. Null / 0 while empty.
    uint8_t* Bits() { return loaded_ ? block_.get() + pixelOffset_ : nullptr; }
    const uint8_t* Bits() const { return loaded_ ? block_.get() + pixelOffset_ : nullptr; }
    size_t Stride() const { return stride_; }
    int BitsPerPixel() const { return loaded_ ? bitCount_ : 0; }
    bool IsLoaded() const { return loaded_; }

  private:
    void Clear();
    void SetError(const char* text);
    void ClearError() { error_[0] = '\0'; }
    bool CheckLoaded();
    uint8_t* RowFor(int32_t x, int32_t y);  // null (with the error text set) when out of range
    uint32_t NearestIndex(uint32_t rgb);

    // Header, colour table and pixel rows in one block, as the BMP keeps them after its file
    // header.
    std::unique_ptr<uint8_t[]> block_;
    size_t blockSize_ = 0;
    bool loaded_ = false;
    int32_t width_ = 0;
    int32_t height_ = 0;
    int bitCount_ = 0;
    uint32_t colours_ = 0;
    size_t stride_ = 0;
    size_t pixelOffset_ = 0;  // within block_
    size_t imageSize_ = 0;

    // Nearest colour-table index per recently written colour, valid until the next load.
    struct CacheSlot {
        uint32_t key = 0;  // rgb | kCacheValid, 0 while unused
        uint32_t index = 0;
    };
    std::vector<CacheSlot> nearestCache_;

    char error_[256] = {};
};

}  // namespace bitmap
