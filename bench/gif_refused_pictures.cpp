// What a picture costs that AddFrame refuses from its header: a few bytes that claim a picture
// far beyond the limits. Each run should take microseconds, never the time to allocate the claim.
//
//   cmake --build build --target gif_bench && build/bench/gif_bench --benchmark_filter=Refused
#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <vector>

#include "gif/gif_maker.h"

namespace {

void PutBig32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = uint8_t(value >> (24 - 8 * i));
}

uint32_t Crc32(const uint8_t* data, size_t size) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k) crc = crc >> 1 ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

// Signature, IHDR of 2147483647 x 2147483647 RGB, a short IDAT, IEND.
std::vector<uint8_t> PngClaim() {
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0,
                                13,   'I', 'H', 'D', 'R',  0,    0,    0,    0, 0, 0,
                                0,    0,   8,   2,   0,    0,    0,    0,    0, 0, 0};
    PutBig32(png, 16, 0x7FFFFFFF);
    PutBig32(png, 20, 0x7FFFFFFF);
    PutBig32(png, 29, Crc32(png.data() + 12, 17));
    const std::array<uint8_t, 12> idat = {0, 0, 0, 0, 'I', 'D', 'A', 'T', 0x35, 0xAF, 0x06, 0x1E};
    png.insert(png.end(), idat.begin(), idat.end());
    const std::array<uint8_t, 12> iend = {0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82};
    png.insert(png.end(), iend.begin(), iend.end());
    return png;
}

// A 1 KB RLE8 BMP of 30000 x 30000 (2.7 GB of 24-bit rows).
std::vector<uint8_t> RleClaim() {
    std::vector<uint8_t> bmp(14 + 40 + 1024 + 2, 0);
    auto put32 = [&](size_t at, uint32_t value) {
        for (int i = 0; i < 4; ++i) bmp[at + i] = uint8_t(value >> (8 * i));
    };
    bmp[0] = 'B', bmp[1] = 'M';
    put32(2, uint32_t(bmp.size()));
    put32(10, 14 + 40 + 1024);
    put32(14, 40);
    put32(18, 30000);
    put32(22, 30000);
    bmp[26] = 1, bmp[28] = 8, bmp[30] = 1;
    bmp.back() = 1;
    return bmp;
}

// A GIF whose logical screen is 65535 x 65535 (12.9 GB of 24-bit rows) around a 1 x 1 image.
std::vector<uint8_t> GifClaim() {
    return {'G', 'I', 'F', '8', '9', 'a', 0xFF, 0xFF, 0xFF, 0xFF, 0,    0, 0, 0x2C, 0,
            0,   0,   0,   1,   0,   1,   0,    0,    2,    2,    0x4C, 1, 0, 0x3B};
}

void BM_RefusedClaim(benchmark::State& state) {
    const std::vector<uint8_t> claims[] = {PngClaim(), RleClaim(), GifClaim()};
    const char* labels[] = {"PNG 2147483647^2, 68 bytes", "RLE8 BMP 30000^2, 1 KB",
                            "GIF screen 65535^2, 29 bytes"};
    const std::vector<uint8_t>& claim = claims[state.range(0)];
    gif::GifMaker maker;
    maker.Create({});
    for (auto _ : state) {
        if (maker.AddFrame({}, std::nullopt, claim)) {
            state.SkipWithError("the claim was taken");
            break;
        }
    }
    state.SetLabel(labels[state.range(0)]);
}
BENCHMARK(BM_RefusedClaim)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

}  // namespace
