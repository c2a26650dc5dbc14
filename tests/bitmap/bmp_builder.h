// Small helpers that build BMP file images byte by byte, for hostile and edge-case headers.
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace bitmap::test {

inline void Put16(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    if (bytes.size() < at + 2) bytes.resize(at + 2);
    bytes[at] = uint8_t(value);
    bytes[at + 1] = uint8_t(value >> 8);
}

inline void Put32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    Put16(bytes, at, value);
    Put16(bytes, at + 2, value >> 16);
}

inline uint32_t Get32(const std::vector<uint8_t>& bytes, size_t at) {
    return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
           uint32_t(bytes[at + 3]) << 24;
}

inline size_t StrideOf(int32_t width, int bitCount) {
    return (size_t(width) * size_t(bitCount) + 31) / 32 * 4;
}

// A BMP with a 40-byte header, `colours` zeroed colour-table entries and zeroed rows.
inline std::vector<uint8_t> MakeBmp(int32_t width, int32_t height, int bitCount,
                                    uint32_t colours = 0, uint32_t compression = 0) {
    const size_t offset = 54 + size_t{colours} * 4;
    const size_t rows = StrideOf(width, bitCount) * size_t(height < 0 ? -height : height);
    std::vector<uint8_t> bytes(offset + rows, 0);
    bytes[0] = 'B';
    bytes[1] = 'M';
    Put32(bytes, 2, uint32_t(bytes.size()));
    Put32(bytes, 10, uint32_t(offset));
    Put32(bytes, 14, 40);
    Put32(bytes, 18, uint32_t(width));
    Put32(bytes, 22, uint32_t(height));
    Put16(bytes, 26, 1);
    Put16(bytes, 28, uint32_t(bitCount));
    Put32(bytes, 30, compression);
    Put32(bytes, 34, uint32_t(rows));
    Put32(bytes, 46, colours);
    return bytes;
}

inline std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::string PicturePath(const std::string& name) {
    return std::string(GIFREC_TESTDATA) + "/pictures/" + name;
}

}  // namespace bitmap::test
