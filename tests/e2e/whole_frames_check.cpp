// Compares a recording in the optimised layout with the same recording saved whole. The
// recorder gives every frame the same delay d, so a picture shown for k x d was k frames;
// each becomes k whole frames of a plain maker (their colours are already 16-step levels,
// which the popularity reduction keeps as they are). The recording must be at most a tenth
// of that.
// Usage: whole_frames_check RECORDING.gif
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <numeric>
#include <vector>

#include "bitmap/picture_codec.h"
#include "gif/gif_maker.h"
#include "gif/gif_player.h"
#include "gif/gif_reader.h"
#include "gif/io/byte_sink.h"
#include "gif/optimise/frame_optimiser.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: whole_frames_check RECORDING.gif\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    gif::GifReader reader;
    if (!reader.LoadGif(std::nullopt, bytes)) {
        std::fprintf(stderr, "cannot read %s: %s\n", argv[1], reader.GetError().c_str());
        return 1;
    }
    uint32_t step = 0;  // the frame delay: the greatest common divisor of the durations
    for (gif::GifPlayer durations(reader); durations.Next();)
        step = std::gcd(step, uint32_t(durations.Delay()));
    if (step == 0) step = 1;
    gif::GifPlayer player(reader);
    gif::GifMaker maker;
    maker.Create(gif::AnimationInfo{});
    size_t pictures = 0;
    while (player.Next()) {
        bitmap::Image24 picture;
        picture.width = player.Width();
        picture.height = player.Height();
        picture.pixels.assign(picture.Stride() * picture.height, 0);
        for (uint32_t y = 0; y < picture.height; ++y) {
            uint8_t* row = picture.pixels.data() + picture.Stride() * (picture.height - 1 - y);
            for (uint32_t x = 0; x < picture.width; ++x) {
                const uint32_t colour = player.Screen()[size_t{picture.width} * y + x];
                if (colour == gif::kUnset) {
                    std::fprintf(stderr, "picture %zu leaves (%u, %u) unpainted\n", pictures, x, y);
                    return 1;
                }
                row[3 * x + 0] = uint8_t(colour);
                row[3 * x + 1] = uint8_t(colour >> 8);
                row[3 * x + 2] = uint8_t(colour >> 16);
            }
        }
        gif::FrameInfo frame;
        frame.DelayTime = uint16_t(step);
        const std::vector<uint8_t> bmp = bitmap::EncodeBmp24(picture);
        for (uint32_t k = 0; k < std::max(1u, player.Delay() / step); ++k) {
            if (!maker.AddFrame(frame, std::nullopt, bmp)) {
                std::fprintf(stderr, "%s\n", maker.GetError().c_str());
                return 1;
            }
        }
        ++pictures;
    }
    gif::MemorySink whole;
    if (pictures == 0 || !maker.SaveGif(whole)) {
        std::fprintf(stderr, "nothing to compare\n");
        return 1;
    }
    std::printf("%zu pictures, %zu frames: optimised %zu bytes, whole %zu bytes (%.1f x smaller)\n",
                pictures, maker.FrameCount(), bytes.size(), whole.bytes.size(),
                double(whole.bytes.size()) / bytes.size());
    return bytes.size() * 10 <= whole.bytes.size() ? 0 : 1;
}
