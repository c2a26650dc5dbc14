// gif_compare GIF [PNG_DIR FPS]: plays GIF as a viewer does and compares the picture shown at
// k / FPS seconds with the k-th PNG of PNG_DIR (in name order), for every PNG. Prints one line
// of name=value pairs: the GIF's images and played length, the PSNR over whole frames and over
// text edges (see frame_metrics.h), and the share of pure white source pixels kept pure white.
// Without PNG_DIR it prints the images and the played length only.
#include <png.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/compare/frame_metrics.h"
#include "bench/compare/giflib_source.h"

namespace gifcompare {
namespace {

struct Picture {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;  // 0xRRGGBB
};

bool LoadPng(const std::string& path, Picture& picture, std::string& error) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) {
        error = path + ": " + image.message;
        return false;
    }
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) {
        error = path + ": " + image.message;
        png_image_free(&image);
        return false;
    }
    picture.width = int(image.width);
    picture.height = int(image.height);
    picture.pixels.resize(size_t(picture.width) * picture.height);
    for (size_t i = 0; i < picture.pixels.size(); ++i)
        picture.pixels[i] =
            uint32_t(rgb[3 * i]) << 16 | uint32_t(rgb[3 * i + 1]) << 8 | rgb[3 * i + 2];
    return true;
}

std::vector<std::string> PngFiles(const std::string& folder, std::string& error) {
    std::vector<std::string> files;
    std::error_code code;
    for (const auto& entry : std::filesystem::directory_iterator(folder, code))
        if (entry.path().extension() == ".png") files.push_back(entry.path().string());
    if (code) error = folder + ": " + code.message();
    std::sort(files.begin(), files.end());
    return files;
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "gif_compare: %s\n", message.c_str());
    return 1;
}

int Run(int argc, char** argv) {
    if (argc != 2 && argc != 4) {
        std::fprintf(stderr, "usage: gif_compare GIF [PNG_DIR FPS]\n");
        return 2;
    }
    unsigned fps = 0;
    std::vector<std::string> pngs;
    if (argc == 4) {
        const std::string text = argv[3];
        auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), fps);
        if (status != std::errc() || end != text.data() + text.size() || fps == 0 || fps > 1000)
            return Fail("FPS must be a number from 1 to 1000");
        std::string error;
        pngs = PngFiles(argv[2], error);
        if (!error.empty()) return Fail(error);
        if (pngs.empty()) return Fail(std::string(argv[2]) + " holds no PNG files");
    }

    GiflibSource gif(argv[1]);
    if (!gif.ok()) return Fail(gif.error);
    Totals totals;
    Picture source;
    std::string error;
    const PlayResult played =
        Play(gif, gif.width(), gif.height(), fps ? fps : 100, uint32_t(pngs.size()),
             [&](uint32_t k, const std::vector<uint32_t>& shown) {
                 if (!error.empty() || !LoadPng(pngs[k], source, error)) return;
                 if (source.width != gif.width() || source.height != gif.height()) {
                     error = pngs[k] + " is " + std::to_string(source.width) + "x" +
                             std::to_string(source.height) + ", the GIF " +
                             std::to_string(gif.width()) + "x" + std::to_string(gif.height());
                     return;
                 }
                 Accumulate(source.pixels, shown,
                            TextEdges(source.pixels, source.width, source.height), totals);
             });
    if (!gif.error.empty()) return Fail(std::string(argv[1]) + ": " + gif.error);
    if (!error.empty()) return Fail(error);
    if (played.images == 0) return Fail(std::string(argv[1]) + " holds no image");

    std::printf("images=%llu played_s=%.2f", (unsigned long long)played.images,
                played.playedHundredths / 100.0);
    if (!pngs.empty()) {
        std::printf(" frames=%zu after_end=%u psnr=%.2f", pngs.size(), played.framesAfterEnd,
                    Psnr(totals.squaredError, totals.samples));
        if (totals.textSamples)
            std::printf(" text_psnr=%.2f text_share=%.2f",
                        Psnr(totals.textSquaredError, totals.textSamples),
                        100.0 * totals.textSamples / totals.samples);
        if (totals.white)
            std::printf(" white_kept=%.3f white_share=%.1f",
                        100.0 * totals.whiteKept / totals.white,
                        300.0 * totals.white / totals.samples);
    }
    std::printf("\n");
    return 0;
}

}  // namespace
}  // namespace gifcompare

int main(int argc, char** argv) {
    return gifcompare::Run(argc, argv);
}
