// gifanim optimize: any GIF rewritten in the optimised layout, never larger than it was.
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "gif/base/library_error.h"
#include "gif/gif_optimise.h"
#include "gif/gif_reader.h"
#include "gif/io/file_io.h"
#include "gif/reencode.h"
#include "tools/gifanim/commands.h"
#include "tools/gifanim/encoding_options.h"

namespace gifanim {
namespace {

constexpr Text kHelp{
    "usage: gifanim optimize [OPTIONS] IN.gif -o OUT.gif [--strip]\n"
    "\n"
    "Rewrites a GIF, from any program, so that it is smaller and looks the same: it is\n"
    "played as a viewer shows it, and every frame after the first holds only the\n"
    "rectangle whose pixels changed, painted over the picture before it, its unchanged\n"
    "pixels transparent where that is smaller. A frame that changes nothing adds its\n"
    "time to the one before. Colour tables hold just the colours used, and a frame gets\n"
    "its own table only when the first frame's cannot show it. Every picture and its\n"
    "time on screen stay exactly as they were, and the background colour that viewers\n"
    "paint where no frame reaches stays the same. Comments, plain text and the\n"
    "extensions of other programs (colour profiles, XMP metadata, notes) are kept byte\n"
    "for byte where they stood. A frame that lies partly outside the screen is clipped\n"
    "to it, as gifanim shows it; viewers differ there.\n"
    "\n"
    "  -o, --output OUT.gif  the file to write (required; may be IN.gif itself)\n"
    "  --strip               drop comments, plain text and the extensions of other\n"
    "                        programs, for the smallest file\n"
    "\n"
    "With any of the following, the pictures are made again instead (at --colours best\n"
    "unless another is given) and may change as the option says; comments and other\n"
    "programs' extensions are not kept then:\n",
    "用法: gifanim optimize [选项] IN.gif -o OUT.gif [--strip]\n"
    "\n"
    "把任何程序生成的GIF重写得更小，而看起来完全一样：按看图程序的显示方式播放，第一帧之后\n"
    "的每一帧只保存像素有变化的矩形，画在前一幅画面上，矩形内没变的像素在更省数据时设为\n"
    "透明。什么都没变的帧把它的时间加到前一帧上。颜色表只保存用到的颜色，只有第一帧的颜\n"
    "色表表示不了的帧才有自己的颜色表。每一幅画面和它显示的时间都保持原样，看图程序在没有\n"
    "帧覆盖的地方画的背景色也不变。注释、纯文本和其他程序的扩展（颜色配置文件、XMP元数据、\n"
    "附注）逐字节保留在原来的位置。部分超出逻辑屏幕的帧按gifanim的显示方式裁剪到屏幕内；\n"
    "各看图程序在这一点上并不一致。\n"
    "\n"
    "  -o, --output OUT.gif  要写出的文件（必需；可以就是 IN.gif）\n"
    "  --strip               去掉注释、纯文本和其他程序的扩展，得到最小的文件\n"
    "\n"
    "给出下列任一选项时改为重新生成画面（除非另外指定，按 --colours best），画面会按选项\n"
    "所说的改变；这时不保留注释和其他程序的扩展:\n"};

constexpr Text kTailHelp{
    "\n"
    "When the result would be larger than IN.gif, IN.gif shows a picture that only its\n"
    "own frame disposal can show, or the colour table has no room for the background\n"
    "colour, this says so and writes IN.gif's bytes unchanged.\n"
    "A file that cannot be read is reported on standard error with exit status 1; a\n"
    "wrong command line exits with status 2.\n"
    "\n"
    "Commands of gifanim:\n",
    "\n"
    "如果结果会比 IN.gif 大，或 IN.gif 有只能靠帧本身的处置方式才能显示的画面，或颜色表\n"
    "没有位置保留背景色，就说明原因并原样写出 IN.gif 的内容。\n"
    "读不了的文件在标准错误输出上报告，退出状态为 1；命令行有误时退出状态为 2。\n"
    "\n"
    "gifanim 的命令:\n"};

void PrintOptimizeHelp(std::ostream& out) {
    out << Say(kHelp);
    PrintEncodingHelp(out);
    out << Say(kTailHelp);
    PrintCommandList(out);
}

int UsageError(const std::string& message) {
    return gifanim::UsageError("optimize", message);
}

int Failure(const std::string& message) {
    return gifanim::Failure("optimize", message);
}

int RunOptimize(const std::vector<std::string>& args) {
    std::optional<std::string> input, output;
    gif::OptimiseOptions options;
    EncodingChoices choices;
    choices.options.screenColours = true;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string wrong;
        const Taken taken = TakeEncodingOption(args, i, choices, wrong);
        if (taken == Taken::Wrong) return UsageError(wrong);
        if (taken == Taken::Yes) continue;
        if (args[i] == "--strip") {
            options.strip = true;
        } else if (args[i] == "-o" || args[i] == "--output") {
            if (i + 1 == args.size())
                return UsageError(args[i] + Say({" needs a file name", " 后面要有文件名"}));
            output = args[++i];
        } else if (args[i].size() > 1 && args[i][0] == '-') {
            return UsageError(Say({"unknown option ", "未知选项 "}) + args[i]);
        } else if (input) {
            return UsageError(Say({"one input file only", "只能有一个输入文件"}));
        } else {
            input = args[i];
        }
    }
    if (!input) return UsageError(Say({"no input file", "没有输入文件"}));
    if (!output)
        return UsageError(Say({"no output file (-o OUT.gif)", "没有输出文件（-o OUT.gif）"}));

    try {
        const std::vector<uint8_t> in =
            gif::ReadWholeFile(*input, gif::kMaxGifBytes, gif::ErrorCode::GifFileTooLarge);
        std::vector<uint8_t> out;
        gif::LibraryError error;
        if (choices.reencode) {
            gif::ReencodeOptions reencode;
            reencode.maker = choices.options;
            reencode.maker.optimise = true;
            if (!gif::ReencodeGif(in, reencode, out, error))
                return Failure(*input + ": " + Message(error));
            return WriteFitted("optimize", *output, out, choices);
        }
        switch (gif::OptimiseGif(in, out, error, options)) {
            case gif::OptimiseResult::Ok:
                if (out.size() > in.size()) {
                    std::cout
                        << "gifanim optimize: "
                        << Say({"the optimised file would be larger (", "优化后的文件会更大（"})
                        << out.size() << Say({" bytes against ", " 字节，原文件 "}) << in.size()
                        << Say({"); writing the input unchanged", " 字节）；照原样写出输入文件"})
                        << '\n';
                    out = in;
                }
                break;
            case gif::OptimiseResult::NotRepresentable:
                std::cout << "gifanim optimize: " << Message(error)
                          << Say({"; writing the input unchanged", "；照原样写出输入文件"}) << '\n';
                out = in;
                break;
            case gif::OptimiseResult::Failed:
            default:
                return Failure(*input + ": " + Message(error));
        }
        return WriteFitted("optimize", *output, out, choices);
    } catch (const gif::LibraryError& failure) {
        return Failure(Message(failure));
    } catch (const std::bad_alloc&) {
        return Failure(gif::ErrorText(gif::ErrorCode::OutOfMemory, {}, CurrentLanguage()));
    }
}

const Registration registration{
    {"optimize",
     {"rewrite a GIF smaller, showing exactly the same pictures", "把GIF重写得更小，画面完全不变"},
     RunOptimize,
     PrintOptimizeHelp}};

}  // namespace
}  // namespace gifanim
