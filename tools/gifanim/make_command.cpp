// gifanim make: one frame per picture file, then the GIF.
#include <charconv>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "gif/gif_maker.h"
#include "gif/io/byte_sink.h"
#include "tools/gifanim/commands.h"
#include "tools/gifanim/encoding_options.h"

namespace gifanim {
namespace {

constexpr Text kHelp{
    "usage: gifanim make [OPTIONS] -o OUT.gif PICTURE...\n"
    "\n"
    "Makes an animated GIF with one frame per picture (BMP, PNG, JPEG or GIF), in the\n"
    "order given. Each frame is reduced to its own 256-colour palette.\n"
    "\n"
    "  -o, --output OUT.gif  the file to write (required)\n"
    "\n"
    "Animation options (before the first picture):\n"
    "  --width N             logical screen width; 0 (default) takes the first picture's\n"
    "  --height N            logical screen height; 0 (default) takes the first picture's\n"
    "  --no-loop             play once (default: repeat)\n"
    "  --loop-count N        repetitions when looping; 0 (default) is endless\n"
    "  --comment TEXT        comment of the animation (first 255 bytes are kept)\n"
    "  --interlace           store every image interlaced\n"
    "  --optimize            smaller file, same pictures: every frame after the first\n"
    "                        holds only the rectangle whose pixels changed, painted over\n"
    "                        the picture before it (unchanged pixels in it transparent\n"
    "                        where that is smaller); a frame that changes nothing adds its\n"
    "                        delay to the one before; colour tables hold just the colours\n"
    "                        used. Frames given --left, --top, --disposal or --transparent\n"
    "                        are written whole, as without it\n"
    "  --exact-colours       a picture of at most 256 colours keeps them exactly (white\n"
    "                        stays 255, 255, 255); beyond, each palette entry is the mean\n"
    "                        of its colours instead of a 16-step level\n",
    "用法: gifanim make [选项] -o OUT.gif 图片...\n"
    "\n"
    "按给出的顺序，每张图片（BMP、PNG、JPEG或GIF）做成一帧，生成GIF动画。每一帧都缩减为\n"
    "它自己的256色调色板。\n"
    "\n"
    "  -o, --output OUT.gif  要写出的文件（必需）\n"
    "\n"
    "动画选项（放在第一张图片之前）:\n"
    "  --width N             逻辑屏幕宽度；0（默认）取第一张图片的宽度\n"
    "  --height N            逻辑屏幕高度；0（默认）取第一张图片的高度\n"
    "  --no-loop             只播放一遍（默认：循环）\n"
    "  --loop-count N        循环时的次数；0（默认）为无限循环\n"
    "  --comment TEXT        动画注释（保留前255个字节）\n"
    "  --interlace           每幅图像都交错存储\n"
    "  --optimize            文件更小，画面相同：第一帧之后的每一帧只保存像素有变化的矩形，\n"
    "                        画在前一幅画面上（矩形内没变的像素在更省数据时设为透明）；\n"
    "                        什么都没变的帧把延迟加到前一帧上；颜色表只保存用到的颜色。\n"
    "                        指定了 --left、--top、--disposal 或 --transparent 的帧照常\n"
    "                        整帧写出\n"
    "  --exact-colours       不超过256色的图片精确保留颜色（白色仍是 255, 255, 255）；\n"
    "                        超过时每个调色板项取其颜色的平均值，而不是16级的色阶\n"};

constexpr Text kFrameHelp{
    "\n"
    "Frame options (apply to every picture after them until given again):\n"
    "  --delay N             time on screen in hundredths of a second (default 60)\n"
    "  --left N, --top N     position within the logical screen (default 0)\n"
    "  --disposal N          0 none, 1 leave, 2 restore background, 3 restore previous\n"
    "  --transparent         palette entry 0 is transparent (--no-transparent: not)\n"
    "  --frame-comment TEXT  comment of the frame (first 255 bytes are kept)\n"
    "  --dither              ordered dither over a fixed colour cube instead of the\n"
    "                        most frequent colours (--no-dither: back to those)\n"
    "\n"
    "A single picture gives a plain GIF: its frame options are not written.\n"
    "On a failure the library's message goes to standard error and the exit status is 1;\n"
    "a wrong command line exits with status 2.\n"
    "\n"
    "Commands of gifanim:\n",
    "\n"
    "帧选项（作用于其后的每张图片，直到再次给出）:\n"
    "  --delay N             显示时间，单位百分之一秒（默认60）\n"
    "  --left N, --top N     在逻辑屏幕中的位置（默认0）\n"
    "  --disposal N          0 不指定，1 保留，2 恢复背景，3 恢复先前画面\n"
    "  --transparent         调色板第0项为透明色（--no-transparent: 不透明）\n"
    "  --frame-comment TEXT  帧注释（保留前255个字节）\n"
    "  --dither              在固定的颜色立方体上做有序抖动，而不是取最常用的颜色\n"
    "                        （--no-dither: 改回最常用的颜色）\n"
    "\n"
    "只有一张图片时生成普通GIF：帧选项不写入文件。\n"
    "失败时库的消息写到标准错误输出，退出状态为 1；命令行有误时退出状态为 2。\n"
    "\n"
    "gifanim 的命令:\n"};

void PrintMakeHelp(std::ostream& out) {
    out << Say(kHelp);
    PrintEncodingHelp(out);
    out << Say(kFrameHelp);
    PrintCommandList(out);
}

struct Picture {
    gif::FrameInfo info;
    std::string path;
};

struct Plan {
    gif::AnimationInfo animation;
    EncodingChoices encoding;
    std::vector<Picture> pictures;
    std::optional<std::string> output;
};

int UsageError(const std::string& message) {
    return gifanim::UsageError("make", message);
}

// "0 to 65535" and the like, after an option's name.
std::string NeedsNumber(const std::string& option, uint32_t max) {
    return option + Say({" needs a number from 0 to ", " 后面要有 0 到 "}) + std::to_string(max) +
           Say({"", " 之间的数"});
}

// Fills `plan` from the command line; returns an exit status on a usage error.
std::optional<int> ParseArguments(const std::vector<std::string>& args, Plan& plan) {
    gif::FrameInfo frame;
    bool picturesSeen = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&]() -> const std::string* {
            return i + 1 < args.size() ? &args[++i] : nullptr;
        };
        auto number = [&](uint32_t max) -> std::optional<uint32_t> {
            const std::string* text = value();
            if (!text) return {};
            return ParseNumber(*text, max);
        };
        std::string wrong;
        const size_t at = i;
        switch (TakeEncodingOption(args, i, plan.encoding, wrong)) {
            case Taken::Wrong:
                return UsageError(wrong);
            case Taken::Yes:
                if (picturesSeen)
                    return UsageError(args[at] +
                                      " is an animation option: give it before the first picture");
                frame.Dither = plan.encoding.dither;
                continue;
            case Taken::No:
                break;
        }
        bool animationOption = arg == "--width" || arg == "--height" || arg == "--no-loop" ||
                               arg == "--loop-count" || arg == "--comment" ||
                               arg == "--interlace" || arg == "--optimize" ||
                               arg == "--exact-colours";
        if (animationOption && picturesSeen)
            return UsageError(arg +
                              Say({" is an animation option: give it before the first picture",
                                   " 是动画选项：要放在第一张图片之前"}));

        if (arg == "-o" || arg == "--output") {
            const std::string* path = value();
            if (!path) return UsageError(arg + Say({" needs a file name", " 后面要有文件名"}));
            plan.output = *path;
        } else if (arg == "--width" || arg == "--height" || arg == "--loop-count") {
            auto n = number(65535);
            if (!n) return UsageError(NeedsNumber(arg, 65535));
            uint16_t& target = arg == "--width"    ? plan.animation.Width
                               : arg == "--height" ? plan.animation.Depth
                                                   : plan.animation.LoopCount;
            target = uint16_t(*n);
        } else if (arg == "--no-loop") {
            plan.animation.LOOP = false;
        } else if (arg == "--comment") {
            const std::string* text = value();
            if (!text) return UsageError(Say({"--comment needs a text", "--comment 后面要有文字"}));
            plan.animation.exposition = *text;
        } else if (arg == "--interlace") {
            plan.animation.Interlace = true;
        } else if (arg == "--optimize") {
            plan.encoding.options.optimise = true;
        } else if (arg == "--exact-colours") {
            plan.encoding.options.exactColours = true;
        } else if (arg == "--delay" || arg == "--left" || arg == "--top") {
            auto n = number(65535);
            if (!n) return UsageError(NeedsNumber(arg, 65535));
            uint16_t& target = arg == "--delay"  ? frame.DelayTime
                               : arg == "--left" ? frame.Left
                                                 : frame.Top;
            target = uint16_t(*n);
        } else if (arg == "--disposal") {
            auto n = number(255);
            if (!n) return UsageError(NeedsNumber(arg, 255));
            frame.DisposalMethod = uint8_t(*n);
        } else if (arg == "--transparent" || arg == "--no-transparent") {
            frame.Transparency = arg == "--transparent";
        } else if (arg == "--frame-comment") {
            const std::string* text = value();
            if (!text)
                return UsageError(
                    Say({"--frame-comment needs a text", "--frame-comment 后面要有文字"}));
            frame.exposition = *text;
        } else if (arg == "--dither" || arg == "--no-dither") {
            frame.Dither = arg == "--dither";
        } else if (arg == "--") {
            for (++i; i < args.size(); ++i) plan.pictures.push_back({frame, args[i]});
            picturesSeen = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return UsageError(Say({"unknown option ", "未知选项 "}) + arg);
        } else {
            plan.pictures.push_back({frame, arg});
            picturesSeen = true;
        }
    }
    if (!plan.output)
        return UsageError(Say({"no output file (-o OUT.gif)", "没有输出文件（-o OUT.gif）"}));
    return std::nullopt;
}

int Fail(const gif::GifMaker& maker, const std::string& context) {
    std::cerr << "gifanim make: " << context << LibraryMessage(maker) << '\n';
    return kExitFailure;
}

int RunMake(const std::vector<std::string>& args) {
    Plan plan;
    if (auto status = ParseArguments(args, plan)) return *status;

    std::unique_ptr<gif::GifMaker> maker;
    if (!gif::Create(maker, plan.animation)) {
        return Failure("make", gif::ErrorText(gif::ErrorCode::OutOfMemory, {}, CurrentLanguage()));
    }
    maker->SetOptions(plan.encoding.options);
    for (const Picture& picture : plan.pictures) {
        if (!maker->AddFrame(picture.info, picture.path, std::nullopt))
            return Fail(*maker, picture.path + ": ");
    }
    if (!plan.encoding.maxSize) {
        if (!maker->SaveGif(*plan.output)) return Fail(*maker, "");
        return 0;
    }
    gif::MemorySink made;
    if (!maker->SaveGif(made)) return Fail(*maker, "");
    maker.reset();  // its frames are in `made` now
    return WriteFitted("make", *plan.output, made.bytes, plan.encoding);
}

const Registration registration{{"make",
                                 {"make an animated GIF from picture files", "用图片文件做GIF动画"},
                                 RunMake,
                                 PrintMakeHelp}};

}  // namespace
}  // namespace gifanim
