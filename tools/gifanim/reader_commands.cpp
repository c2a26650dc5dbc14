// gifanim info, frame, palette and patch: the GifReader side of the library.
#include <charconv>
#include <cstdio>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "gif/base/library_error.h"
#include "gif/gif_reader.h"
#include "gif/io/file_io.h"
#include "tools/gifanim/commands.h"

namespace gifanim {
namespace {

// "#RRGGBB" to red + 256 * green + 65536 * blue.
std::optional<uint32_t> ParseColour(const std::string& text) {
    if (text.size() != 7 || text[0] != '#') return {};
    uint32_t rgb = 0;
    auto [end, error] = std::from_chars(text.data() + 1, text.data() + 7, rgb, 16);
    if (error != std::errc() || end != text.data() + 7) return {};
    return ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16);
}

std::string FormatColour(uint32_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", value & 0xFF, (value >> 8) & 0xFF,
                  (value >> 16) & 0xFF);
    return text;
}

// Usage texts several commands share.
constexpr Text kUnknownOption{"unknown option ", "未知选项 "};
constexpr Text kOneFile{"one GIF file at a time", "一次只能给一个GIF文件"};
constexpr Text kNoFile{"no GIF file given", "没有给出GIF文件"};
constexpr Text kNeedsFile{" needs a file name", " 后面要有文件名"};
constexpr Text kFrameNumber{"the frame number must be a number from 0", "帧序号必须是从 0 起的数"};

bool Load(const char* command, gif::GifReader& reader, const std::string& path) {
    if (reader.LoadGif(path, std::nullopt)) return true;
    Failure(command, LibraryMessage(reader));
    return false;
}

bool Save(const char* command, gif::GifReader& reader, const std::string& path) {
    if (reader.SaveGif(path)) return true;
    Failure(command, LibraryMessage(reader));
    return false;
}

// Replaces the file whole, as the library's saves do.
bool Save(const char* command, const std::vector<uint8_t>& bytes, const std::string& path) {
    try {
        gif::FileSink file;
        file.Open(path);
        gif::LibraryError error;
        if (!file.Write(bytes, error)) {
            Failure(command, Message(error));
            return false;
        }
        file.Commit();
        return true;
    } catch (const gif::LibraryError& error) {
        Failure(command, Message(error));
        return false;
    }
}

// Length of the valid UTF-8 sequence at `at`, or 0.
size_t Utf8Length(const std::string& text, size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    const size_t length = lead < 0x80                   ? 1
                          : lead >= 0xC2 && lead < 0xE0 ? 2
                          : lead >= 0xE0 && lead < 0xF0 ? 3
                          : lead >= 0xF0 && lead < 0xF5 ? 4
                                                        : 0;
    if (length == 0 || at + length > text.size()) return 0;
    for (size_t i = 1; i < length; ++i)
        if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80) return 0;
    return length;
}

// Comments come from files: control characters and bytes that are not UTF-8 are escaped so
// every element stays on its line (as \xNN, or \u00NN in JSON).
std::string Escape(const std::string& text, bool json) {
    std::string out;
    for (size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const size_t length = Utf8Length(text, i);
        if (byte == '\\' || (json && byte == '"')) {
            out += '\\';
            out += char(byte);
        } else if (length > 1 || (length == 1 && byte >= 0x20 && byte != 0x7F)) {
            out.append(text, i, length);
            i += length;
            continue;
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, json ? "\\u%04x" : "\\x%02X", byte);
            out += escaped;
        }
        ++i;
    }
    return out;
}

// Elements as name and printed value, in element order.
using Fields = std::vector<std::pair<std::string, std::string>>;

std::string BoolValue(bool v) {
    return v ? "true" : "false";
}

// A text element: a JSON string, or escaped bytes as they stand.
std::string TextValue(const std::string& v, bool json) {
    if (!json) return Escape(v, false);
    std::string out(1, '"');
    out.append(Escape(v, true));
    out.push_back('"');
    return out;
}

Fields AnimationFields(const gif::AnimationInfo& a, bool json) {
    return {{"Width", std::to_string(a.Width)},
            {"Depth", std::to_string(a.Depth)},
            {"LOOP", BoolValue(a.LOOP)},
            {"LoopCount", std::to_string(a.LoopCount)},
            {"BgColorIndex", std::to_string(a.BgColorIndex)},
            {"exposition", TextValue(a.exposition, json)},
            {"FrameCount", std::to_string(a.FrameCount)},
            {"ColorNum", std::to_string(a.ColorNum)},
            {"Interlace", BoolValue(a.Interlace)}};
}

Fields FrameFields(const gif::FrameInfo& f, bool json) {
    return {{"DelayTime", std::to_string(f.DelayTime)},
            {"Left", std::to_string(f.Left)},
            {"Top", std::to_string(f.Top)},
            {"DisposalMethod", std::to_string(f.DisposalMethod)},
            {"Transparency", BoolValue(f.Transparency)},
            {"TransparencyIndex", std::to_string(f.TransparencyIndex)},
            {"Width", std::to_string(f.Width)},
            {"Depth", std::to_string(f.Depth)},
            {"exposition", TextValue(f.exposition, json)},
            {"ColorNum", std::to_string(f.ColorNum)},
            {"Dither", BoolValue(f.Dither)}};
}

std::string JsonObject(const Fields& fields) {
    std::string out = "{";
    for (size_t i = 0; i < fields.size(); ++i) {
        out.append(i ? ", \"" : "\"").append(fields[i].first).append("\": ");
        out.append(fields[i].second);
    }
    out.push_back('}');
    return out;
}

// ---- info

constexpr Text kInfoHelp{
    "usage: gifanim info FILE [--json]\n"
    "\n"
    "Prints the animation's settings and then every frame's, one \"Name: value\" line\n"
    "per element, each frame introduced by a line \"frame N\" (frames count from 1).\n"
    "With --json: {\"animation\": {...}, \"frames\": [{...}, ...]} with the same names.\n"
    "Comment bytes that are control characters or not UTF-8 are escaped.\n",
    "用法: gifanim info 文件 [--json]\n"
    "\n"
    "先打印动画的设置，再打印每一帧的设置，每个元素一行“名称: 值”，每一帧以一行“frame N”\n"
    "开头（帧从1开始编号）。\n"
    "加 --json 时输出 {\"animation\": {...}, \"frames\": [{...}, ...]}，名称相同。\n"
    "注释中的控制字符和不是UTF-8的字节会被转义。\n"};

void PrintInfoHelp(std::ostream& out) {
    out << Say(kInfoHelp);
}

int RunInfo(const std::vector<std::string>& args) {
    std::optional<std::string> path;
    bool json = false;
    for (const std::string& arg : args) {
        if (arg == "--json")
            json = true;
        else if (arg.size() > 1 && arg[0] == '-')
            return UsageError("info", Say(kUnknownOption) + arg);
        else if (!path)
            path = arg;
        else
            return UsageError("info", Say(kOneFile));
    }
    if (!path) return UsageError("info", Say(kNoFile));

    gif::GifReader reader;
    if (!Load("info", reader, *path)) return kExitFailure;
    const gif::AnimationInfo animation = reader.GetGifInfo();
    std::vector<gif::FrameInfo> frames;
    for (uint32_t k = 1; k <= reader.FrameCount(); ++k) {
        frames.push_back(reader.GetFrameInfo(k));
        if (reader.GetErrorCode() != gif::ErrorCode::NoError)
            return Failure("info", Say({"frame ", "第 "}) + std::to_string(k) +
                                       Say({": ", " 帧: "}) + LibraryMessage(reader));
    }
    std::ostringstream out;
    if (json) {
        out << "{\"animation\": " << JsonObject(AnimationFields(animation, true))
            << ", \"frames\": [";
        for (size_t k = 0; k < frames.size(); ++k)
            out << (k ? ", " : "") << JsonObject(FrameFields(frames[k], true));
        out << "]}\n";
    } else {
        for (const auto& [name, value] : AnimationFields(animation, false))
            out << name << ": " << value << '\n';
        for (size_t k = 0; k < frames.size(); ++k) {
            out << "frame " << k + 1 << '\n';
            for (const auto& [name, value] : FrameFields(frames[k], false))
                out << name << ": " << value << '\n';
        }
    }
    std::cout << out.str();
    return 0;
}

// ---- frame

constexpr Text kFrameHelp{
    "usage: gifanim frame FILE N -o OUT\n"
    "\n"
    "Writes frame N (counted from 1) as a BMP file with the frame's own colour table and\n"
    "size, nothing of the animation applied; N = 0 writes the GIF itself.\n",
    "用法: gifanim frame 文件 N -o OUT\n"
    "\n"
    "把第N帧（从1开始编号）写成BMP文件，使用该帧自己的颜色表和尺寸，不套用动画的任何设置；\n"
    "N = 0 写出GIF本身。\n"};

void PrintFrameHelp(std::ostream& out) {
    out << Say(kFrameHelp);
}

int RunFrame(const std::vector<std::string>& args) {
    std::vector<std::string> positional;
    std::optional<std::string> output;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-o" || args[i] == "--output") {
            if (i + 1 >= args.size()) return UsageError("frame", args[i] + Say(kNeedsFile));
            output = args[++i];
        } else if (args[i].size() > 1 && args[i][0] == '-') {
            return UsageError("frame", Say(kUnknownOption) + args[i]);
        } else {
            positional.push_back(args[i]);
        }
    }
    if (positional.size() != 2)
        return UsageError("frame",
                          Say({"give the GIF file and a frame number", "要给出GIF文件和帧序号"}));
    const auto frame = ParseNumber(positional[1], 0xFFFFFFFFu);
    if (!frame) return UsageError("frame", Say(kFrameNumber));
    if (!output)
        return UsageError("frame", Say({"no output file (-o OUT)", "没有输出文件（-o OUT）"}));

    gif::GifReader reader;
    if (!Load("frame", reader, positional[0])) return kExitFailure;
    const std::vector<uint8_t> bytes = reader.GetGifData(*frame);
    if (bytes.empty())
        return Failure("frame", reader.GetErrorCode() == gif::ErrorCode::NoError
                                    ? Say({"frame ", "第 "}) + positional[1] +
                                          Say({" holds no image", " 帧没有图像"})
                                    : LibraryMessage(reader));
    return Save("frame", bytes, *output) ? 0 : kExitFailure;
}

// ---- palette

constexpr Text kPaletteHelp{
    "usage: gifanim palette FILE N INDEX [--set #RRGGBB -o OUT.gif]\n"
    "\n"
    "Prints entry INDEX (0-255) of frame N's local colour table as #RRGGBB; N = 0 is the\n"
    "global colour table. With --set the entry gets the new colour and the GIF is\n"
    "saved to OUT.gif, otherwise unchanged.\n",
    "用法: gifanim palette 文件 N 序号 [--set #RRGGBB -o OUT.gif]\n"
    "\n"
    "以 #RRGGBB 打印第N帧局部颜色表的第“序号”项（0-255）；N = 0 表示全局颜色表。\n"
    "加 --set 时该项改成新颜色并把GIF保存到 OUT.gif，原文件不变。\n"};

void PrintPaletteHelp(std::ostream& out) {
    out << Say(kPaletteHelp);
}

int RunPalette(const std::vector<std::string>& args) {
    std::vector<std::string> positional;
    std::optional<std::string> output;
    std::optional<uint32_t> colour;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "-o" || arg == "--output" || arg == "--set") {
            if (i + 1 >= args.size())
                return UsageError("palette", arg + Say({" needs a value", " 后面要有值"}));
            const std::string& value = args[++i];
            if (arg == "--set") {
                colour = ParseColour(value);
                if (!colour)
                    return UsageError("palette",
                                      Say({"colours are written #RRGGBB", "颜色要写成 #RRGGBB"}));
            } else {
                output = value;
            }
        } else if (arg.size() > 1 && arg[0] == '-') {
            return UsageError("palette", Say(kUnknownOption) + arg);
        } else {
            positional.push_back(arg);
        }
    }
    if (positional.size() != 3)
        return UsageError("palette", Say({"give the GIF file, a frame number and an entry",
                                          "要给出GIF文件、帧序号和颜色表项序号"}));
    const auto frame = ParseNumber(positional[1], 0xFFFFFFFFu);
    const auto index = ParseNumber(positional[2], 255);
    if (!frame) return UsageError("palette", Say(kFrameNumber));
    if (!index)
        return UsageError("palette", Say({"the entry must be a number from 0 to 255",
                                          "颜色表项序号必须是 0 到 255 之间的数"}));
    if (colour.has_value() != output.has_value())
        return UsageError("palette", Say({"--set and -o go together", "--set 和 -o 要一起给出"}));

    gif::GifReader reader;
    if (!Load("palette", reader, positional[0])) return kExitFailure;
    if (!colour) {
        const int32_t value = reader.GetPalette(*frame, uint8_t(*index));
        if (value < 0) return Failure("palette", LibraryMessage(reader));
        std::cout << FormatColour(uint32_t(value)) << '\n';
        return 0;
    }
    if (!reader.SetPalette(*frame, uint8_t(*index), *colour))
        return Failure("palette", LibraryMessage(reader));
    return Save("palette", reader, *output) ? 0 : kExitFailure;
}

// ---- patch

constexpr Text kPatchHelp{
    "usage: gifanim patch FILE -o OUT.gif [FRAME OPTIONS] [ANIMATION OPTIONS]\n"
    "\n"
    "Changes settings in place and saves the result; every other byte stays as it was.\n"
    "Elements not named keep their values.\n"
    "\n"
    "Frame options (need --frame):\n"
    "  --frame N          the frame to change, counted from 1\n"
    "  --delay D          time on screen in hundredths of a second\n"
    "  --disposal M       0 none, 1 leave, 2 restore background, 3 restore previous\n"
    "  --transparent 0|1  whether the frame's transparent colour applies\n"
    "  --left X, --top Y  position within the logical screen\n"
    "  (delay, disposal and transparency live in the frame's graphic control extension;\n"
    "  a frame without one only takes --left and --top)\n"
    "\n"
    "Animation options:\n"
    "  --width W, --height H  logical screen size\n"
    "  --bg-index I           background colour index\n"
    "  --loop-count C         repetitions (0 endless); only a looping GIF has one\n",
    "用法: gifanim patch 文件 -o OUT.gif [帧选项] [动画选项]\n"
    "\n"
    "就地修改设置并保存结果；其他每个字节都保持原样。没有指定的元素保留原值。\n"
    "\n"
    "帧选项（需要 --frame）:\n"
    "  --frame N          要修改的帧，从1开始编号\n"
    "  --delay D          显示时间，单位百分之一秒\n"
    "  --disposal M       0 不指定，1 保留，2 恢复背景，3 恢复先前画面\n"
    "  --transparent 0|1  该帧的透明色是否生效\n"
    "  --left X, --top Y  在逻辑屏幕中的位置\n"
    "  （延迟、处置方式和透明度保存在帧的图形控制扩展中；没有该扩展的帧只接受\n"
    "  --left 和 --top）\n"
    "\n"
    "动画选项:\n"
    "  --width W, --height H  逻辑屏幕尺寸\n"
    "  --bg-index I           背景色索引\n"
    "  --loop-count C         循环次数（0 为无限）；只有循环播放的GIF才有\n"};

void PrintPatchHelp(std::ostream& out) {
    out << Say(kPatchHelp);
}

int RunPatch(const std::vector<std::string>& args) {
    std::optional<std::string> input, output;
    std::optional<uint32_t> frame, delay, disposal, transparent, left, top;
    std::optional<uint32_t> width, height, background, loopCount;
    struct Option {
        const char* name;
        std::optional<uint32_t>* target;
        uint32_t max;
    };
    const Option options[] = {
        {"--frame", &frame, 0xFFFFFFFFu}, {"--delay", &delay, 65535},
        {"--disposal", &disposal, 7},     {"--transparent", &transparent, 1},
        {"--left", &left, 65535},         {"--top", &top, 65535},
        {"--width", &width, 65535},       {"--height", &height, 65535},
        {"--bg-index", &background, 255}, {"--loop-count", &loopCount, 65535},
    };
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "-o" || arg == "--output") {
            if (i + 1 >= args.size()) return UsageError("patch", arg + Say(kNeedsFile));
            output = args[++i];
            continue;
        }
        bool known = false;
        for (const Option& option : options) {
            if (arg != option.name) continue;
            known = true;
            if (i + 1 >= args.size())
                return UsageError("patch", arg + Say({" needs a number", " 后面要有数"}));
            *option.target = ParseNumber(args[++i], option.max);
            if (!*option.target)
                return UsageError("patch",
                                  arg + Say({" needs a number from 0 to ", " 后面要有 0 到 "}) +
                                      std::to_string(option.max) + Say({"", " 之间的数"}));
        }
        if (known) continue;
        if (arg.size() > 1 && arg[0] == '-') return UsageError("patch", Say(kUnknownOption) + arg);
        if (input) return UsageError("patch", Say(kOneFile));
        input = arg;
    }
    if (!input) return UsageError("patch", Say(kNoFile));
    if (!output)
        return UsageError("patch",
                          Say({"no output file (-o OUT.gif)", "没有输出文件（-o OUT.gif）"}));
    const bool frameOptions = delay || disposal || transparent || left || top;
    if (frameOptions && !frame)
        return UsageError("patch", Say({"frame options need --frame N", "帧选项需要 --frame N"}));

    gif::GifReader reader;
    if (!Load("patch", reader, *input)) return kExitFailure;
    if (frame) {
        gif::FrameInfo info = reader.GetFrameInfo(*frame);
        if (reader.GetErrorCode() != gif::ErrorCode::NoError)
            return Failure("patch", LibraryMessage(reader));
        if (delay) info.DelayTime = uint16_t(*delay);
        if (disposal) info.DisposalMethod = uint8_t(*disposal);
        if (transparent) info.Transparency = *transparent != 0;
        if (left) info.Left = uint16_t(*left);
        if (top) info.Top = uint16_t(*top);
        if (!reader.SetFrameInfo(info, *frame)) return Failure("patch", LibraryMessage(reader));
    }
    if (width || height || background || loopCount) {
        gif::AnimationInfo info = reader.GetGifInfo();
        if (width) info.Width = uint16_t(*width);
        if (height) info.Depth = uint16_t(*height);
        if (background) info.BgColorIndex = uint8_t(*background);
        if (loopCount) {
            if (!info.LOOP)
                std::cerr << "gifanim patch: "
                          << Say({"the GIF does not loop; --loop-count ignored",
                                  "这个GIF不循环播放；忽略 --loop-count"})
                          << '\n';
            info.LoopCount = uint16_t(*loopCount);
        }
        if (!reader.SetGifInfo(info)) return Failure("patch", LibraryMessage(reader));
    }
    return Save("patch", reader, *output) ? 0 : kExitFailure;
}

const Registration info{
    {"info",
     {"print a GIF's animation and frame settings", "打印GIF的动画设置和帧设置"},
     RunInfo,
     PrintInfoHelp}};
const Registration frame{{"frame",
                          {"write one frame of a GIF as a BMP file", "把GIF的一帧写成BMP文件"},
                          RunFrame,
                          PrintFrameHelp}};
const Registration palette{
    {"palette",
     {"print or change one colour of a GIF's colour table", "打印或修改GIF颜色表中的一种颜色"},
     RunPalette,
     PrintPaletteHelp}};
const Registration patch{
    {"patch",
     {"change a GIF's frame or animation settings in place", "就地修改GIF的帧设置或动画设置"},
     RunPatch,
     PrintPatchHelp}};

}  // namespace
}  // namespace gifanim
