#include "tools/gifanim/encoding_options.h"

#include <charconv>
#include <iostream>

#include "gif/io/file_io.h"
#include "gif/reencode.h"
#include "tools/gifanim/commands.h"
#include "tools/gifanim/texts.h"

namespace gifanim {
namespace {

std::string MegaBytes(uint64_t bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f MB", double(bytes) / 1e6);
    return text;
}

}  // namespace

std::optional<uint64_t> ParseSize(const std::string& text) {
    uint64_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end == text.data()) return {};
    const std::string unit(end, text.data() + text.size());
    uint64_t scale = 0;
    if (unit.empty() || unit == "B") scale = 1;
    if (unit == "K" || unit == "KB") scale = 1000;
    if (unit == "M" || unit == "MB") scale = 1000 * 1000;
    if (unit == "KiB") scale = 1024;
    if (unit == "MiB") scale = 1024 * 1024;
    if (scale == 0 || value == 0 || value > (uint64_t{1} << 40) / scale) return {};
    return value * scale;
}

Taken TakeEncodingOption(const std::vector<std::string>& args, size_t& i, EncodingChoices& choices,
                         std::string& error) {
    const std::string& arg = args[i];
    const bool known = arg == "--colours" || arg == "--quality" || arg == "--scale" ||
                       arg == "--scale-width" || arg == "--max-size";
    if (!known) return Taken::No;
    if (i + 1 >= args.size()) {
        error = arg + Say({" needs a value", " 后面要有值"});
        return Taken::Wrong;
    }
    const std::string& value = args[++i];
    gif::MakerOptions& options = choices.options;
    if (arg == "--colours") {
        options.exactColours = value == "exact";
        options.screenColours = value == "best";
        choices.dither = value == "dither";
        if (value == "best") options.optimise = true;
        if (value != "popularity" && value != "exact" && value != "best" && value != "dither") {
            error = Say({"--colours takes popularity, dither, exact or best",
                         "--colours 取 popularity、dither、exact 或 best"});
            return Taken::Wrong;
        }
    } else if (arg == "--max-size") {
        choices.maxSize = ParseSize(value);
        if (!choices.maxSize) {
            error = Say({"--max-size needs a size such as 10M, 500K or 2MiB",
                         "--max-size 要有大小，例如 10M、500K 或 2MiB"});
            return Taken::Wrong;
        }
    } else {
        const bool percent = arg != "--scale-width";
        const std::optional<uint32_t> n = ParseNumber(value, percent ? 100 : 65535, 1);
        if (!n) {
            error = arg + (percent ? Say({" needs a number from 1 to 100", " 要有 1 到 100 的数"})
                                   : Say({" needs a width in pixels", " 要有以像素计的宽度"}));
            return Taken::Wrong;
        }
        if (arg == "--quality") options.quality = int(*n);
        if (arg == "--scale") options.scalePercent = *n;
        if (arg == "--scale-width") options.scaleWidth = uint16_t(*n);
    }
    choices.reencode = choices.reencode || arg != "--max-size";
    return Taken::Yes;
}

constexpr Text kEncodingHelp{
    "  --colours MODE        popularity (default for make): each picture's 256 most\n"
    "                        frequent colours; dither: an ordered dither over a fixed\n"
    "                        cube; exact: up to 256 colours kept exactly; best: what\n"
    "                        changed is found on the pictures' own pixels, one palette\n"
    "                        stays for the whole animation, flat colours and text stay\n"
    "                        exact (implies --optimize; what gifrec records)\n"
    "  --quality N           1 to 100 (default 100: nothing lost beyond the palette);\n"
    "                        lower lets colours move further to a palette entry and\n"
    "                        photo-like areas take nearby colours that compress better;\n"
    "                        text edges and flat areas never do\n"
    "  --scale PERCENT       scale the pictures down by area averaging (1 to 100)\n"
    "  --scale-width N       scale the pictures down to N pixels wide\n"
    "  --max-size SIZE       make the file fit in SIZE (10M, 500K, 2MiB): lower the\n"
    "                        quality (to 40 at least), then the frame rate (merging\n"
    "                        neighbouring frames, so the timing stays), then the size,\n"
    "                        and say what was traded; if nothing fits, the smallest try\n"
    "                        is written and the exit status is 1\n",
    "  --colours MODE        popularity（make 的默认）：每张图片最常用的256色；dither：\n"
    "                        在固定的颜色立方体上做有序抖动；exact：不超过256色时精确\n"
    "                        保留；best：在图片自己的像素上找出变化，整个动画保持同一\n"
    "                        调色板，纯色和文字保持精确（隐含 --optimize；gifrec 录制\n"
    "                        时用的就是它）\n"
    "  --quality N           1 到 100（默认100：除调色板外不损失）；越低，颜色可以移到\n"
    "                        越远的调色板项，照片类区域可取更易压缩的相近颜色；文字边缘\n"
    "                        和纯色区域从不这样\n"
    "  --scale PERCENT       按面积平均把图片缩小（1 到 100）\n"
    "  --scale-width N       把图片缩小到 N 像素宽\n"
    "  --max-size SIZE       让文件不超过 SIZE（10M、500K、2MiB）：依次降低质量（最低\n"
    "                        40）、帧率（合并相邻帧，时间不变）和尺寸，并说明作了哪些\n"
    "                        让步；都放不下时写出最小的一次，退出状态为 1\n"};

void PrintEncodingHelp(std::ostream& out) {
    out << Say(kEncodingHelp);
}

int WriteFitted(const std::string& command, const std::string& path, std::span<const uint8_t> gif,
                const EncodingChoices& choices) {
    std::vector<uint8_t> fitted;
    std::span<const uint8_t> bytes = gif;
    gif::SizeFit fit;
    if (choices.maxSize) {
        gif::LibraryError error;
        if (!gif::FitGifToSize(gif, choices.options, *choices.maxSize, fitted, fit, error)) {
            std::cerr << "gifanim " << command << ": " << Message(error) << '\n';
            return kExitFailure;
        }
        bytes = fitted;
    }
    try {
        gif::LibraryError error;
        gif::FileSink file;
        file.Open(path);
        if (!file.Write(bytes, error)) throw error;
        file.Commit();
    } catch (const gif::LibraryError& error) {
        std::cerr << "gifanim " << command << ": " << Message(error) << '\n';
        return kExitFailure;
    }
    if (choices.maxSize && fit.changed)
        std::cout << "gifanim " << command << ": " << MegaBytes(fit.bytes)
                  << (fit.fits ? Say({" fits ", "，不超过 "})
                               : Say({" does NOT fit ", "，超过了 "}))
                  << MegaBytes(*choices.maxSize) << Say({" with ", "；让步: "})
                  << gif::DescribeFit(fit, CurrentLanguage()) << " (" << MegaBytes(gif.size())
                  << Say({" before)", " 之前)"}) << '\n';
    return choices.maxSize && !fit.fits ? kExitFailure : 0;
}

}  // namespace gifanim
