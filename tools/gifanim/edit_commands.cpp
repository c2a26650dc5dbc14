// gifanim trim, cut and speed: the library's streaming edits, frames counted as gifanim info
// counts them (from 1).
#include <cctype>
#include <cmath>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "gif/gif_edit.h"
#include "gif/gif_stream.h"
#include "gif/io/file_io.h"
#include "tools/gifanim/commands.h"
#include "tools/gifanim/texts.h"

namespace gifanim {
namespace {

constexpr double kMinSpeed = 0.01, kMaxSpeed = 100.0;

constexpr Text kCommonHelp{
    "  -o, --output OUT.gif  the file to write (required; may be IN.gif itself)\n"
    "\n"
    "Only the frame at an edit point is encoded again, as the picture a viewer saw\n"
    "there; every other kept frame is copied as it is. The file is read a frame at a\n"
    "time, so memory does not grow with its length. OUT.gif is replaced only once\n"
    "the new file is complete: a failure leaves it as it was.\n"
    "A wrong command line or a range outside the frames exits with status 2; a file\n"
    "that cannot be read or written, with status 1.\n"
    "\n"
    "Commands of gifanim:\n",
    "  -o, --output OUT.gif  要写出的文件（必需；可以就是 IN.gif）\n"
    "\n"
    "只有编辑点上的帧重新编码，成为看图程序在那里显示的画面；其余保留的帧原样复制。文件\n"
    "逐帧读取，内存不随长度增长。新文件完整写好后才替换 OUT.gif：失败时它保持原样。\n"
    "命令行有误或范围超出帧数时退出状态为 2；文件读写失败时为 1。\n"
    "\n"
    "gifanim 的命令:\n"};

void PrintCommon(std::ostream& out) {
    out << Say(kCommonHelp);
    PrintCommandList(out);
}

constexpr Text kTrimHelp{
    "usage: gifanim trim IN.gif --from N --to M -o OUT.gif\n"
    "\n"
    "Keeps frames N to M (counted from 1, as gifanim info counts them) and drops the\n"
    "rest. The first kept frame shows the picture a viewer saw at that moment; every\n"
    "frame keeps its time.\n"
    "\n"
    "  --from N              the first frame kept (default 1)\n"
    "  --to M                the last frame kept (default the last frame)\n",
    "用法: gifanim trim IN.gif --from N --to M -o OUT.gif\n"
    "\n"
    "保留第 N 到第 M 帧（从1数起，与 gifanim info 的数法相同），去掉其余的帧。保留的第一帧\n"
    "显示看图程序在那一刻显示的画面；每一帧保持它的时间。\n"
    "\n"
    "  --from N              保留的第一帧（默认1）\n"
    "  --to M                保留的最后一帧（默认最后一帧）\n"};

constexpr Text kCutHelp{
    "usage: gifanim cut IN.gif --from N --to M -o OUT.gif\n"
    "\n"
    "Removes frames N to M (counted from 1, as gifanim info counts them). The frame\n"
    "after the cut shows the picture a viewer saw there; every kept frame keeps its\n"
    "time. A cut may not remove every frame.\n"
    "\n"
    "  --from N              the first frame removed (required)\n"
    "  --to M                the last frame removed (default N)\n",
    "用法: gifanim cut IN.gif --from N --to M -o OUT.gif\n"
    "\n"
    "删除第 N 到第 M 帧（从1数起，与 gifanim info 的数法相同）。删除处之后的帧显示看图程序\n"
    "在那里显示的画面；保留的每一帧保持它的时间。不能删除全部帧。\n"
    "\n"
    "  --from N              删除的第一帧（必需）\n"
    "  --to M                删除的最后一帧（默认 N）\n"};

constexpr Text kSpeedHelp{
    "usage: gifanim speed IN.gif FACTOR -o OUT.gif\n"
    "\n"
    "Plays the animation FACTOR times as fast (0.01 to 100; 2 halves every delay, 0.5\n"
    "doubles it). Each delay is rounded to hundredths of a second with the remainder\n"
    "carried to the next, so the whole keeps its time; no delay becomes shorter than\n"
    "2 hundredths, and delays of 0 or 1, which browsers show as 10, count as 10.\n"
    "\n",
    "用法: gifanim speed IN.gif FACTOR -o OUT.gif\n"
    "\n"
    "以 FACTOR 倍的速度播放动画（0.01 到 100；2 把每个延迟减半，0.5 加倍）。每个延迟取整到\n"
    "百分之一秒，余数计入下一个，所以总时间不变；延迟不短于百分之二秒，浏览器按10显示的\n"
    "0 和 1 按10计算。\n"
    "\n"};

void PrintTrimHelp(std::ostream& out) {
    out << Say(kTrimHelp);
    PrintCommon(out);
}

void PrintCutHelp(std::ostream& out) {
    out << Say(kCutHelp);
    PrintCommon(out);
}

void PrintSpeedHelp(std::ostream& out) {
    out << Say(kSpeedHelp);
    PrintCommon(out);
}

struct Arguments {
    std::vector<std::string> positional;
    std::optional<std::string> output, from, to;
};

// Fills `parsed`; an error text when the command line is wrong.
std::optional<std::string> Parse(const std::vector<std::string>& args, bool ranges,
                                 Arguments& parsed) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::optional<std::string>* target = nullptr;
        if (arg == "-o" || arg == "--output") target = &parsed.output;
        if (ranges && arg == "--from") target = &parsed.from;
        if (ranges && arg == "--to") target = &parsed.to;
        if (target) {
            if (i + 1 == args.size()) return arg + Say({" needs a value", " 后面要有值"});
            *target = args[++i];
        } else if (arg.size() > 1 && arg[0] == '-' && !std::isdigit(uint8_t(arg[1]))) {
            return Say({"unknown option ", "未知选项 "}) + arg;
        } else {
            parsed.positional.push_back(arg);
        }
    }
    if (parsed.positional.empty()) return std::string(Say({"no input file", "没有输入文件"}));
    if (!parsed.output)
        return std::string(Say({"no output file (-o OUT.gif)", "没有输出文件（-o OUT.gif）"}));
    return std::nullopt;
}

// A frame number from 1, or nothing.
std::optional<uint32_t> FrameNumber(const std::string& text) {
    if (text.empty() || text.size() > 10 || text.find_first_not_of("0123456789") != text.npos)
        return std::nullopt;
    const unsigned long long value = std::stoull(text);
    if (value < 1 || value > UINT32_MAX) return std::nullopt;
    return uint32_t(value);
}

// Opens and indexes IN, makes the plan from its frame count and writes OUT.
template <typename Planner>
int Edit(const char* command, const Arguments& args, Planner planner) {
    try {
        gif::GifStream stream;
        stream.Open(args.positional[0]);
        const uint32_t count = stream.IndexAll();
        if (count == 0)
            return Failure(command, args.positional[0] + ": " +
                                        Message(gif::LibraryError(gif::ErrorCode::NoImages)));
        std::string wrong;
        const std::optional<gif::EditPlan> plan = planner(count, wrong);
        if (!plan) return UsageError(command, wrong);
        gif::MakerOptions options;
        options.exactColours = true;
        gif::FileSink sink;
        sink.Open(*args.output);
        gif::WriteEdited(stream, *plan, options, sink);
        sink.Commit();
        return 0;
    } catch (const gif::LibraryError& failure) {
        return Failure(command, Message(failure));
    } catch (const std::bad_alloc&) {
        return Failure(command, Message(gif::LibraryError(gif::ErrorCode::OutOfMemory)));
    }
}

int RunRange(const char* command, const std::vector<std::string>& args, bool trim) {
    Arguments parsed;
    if (auto wrong = Parse(args, true, parsed)) return UsageError(command, *wrong);
    if (parsed.positional.size() != 1)
        return UsageError(command, Say({"one input file only", "只能有一个输入文件"}));
    if (!trim && !parsed.from)
        return UsageError(command, Say({"give the first frame to remove (--from N)",
                                        "要给出删除的第一帧（--from N）"}));
    std::optional<uint32_t> from = 1, to;
    if (parsed.from && !(from = FrameNumber(*parsed.from)))
        return UsageError(command, Say({"--from takes a frame number from 1, not \"",
                                        "--from 要有从1起的帧号，而不是 \""}) +
                                       *parsed.from + '"');
    if (parsed.to && !(to = FrameNumber(*parsed.to)))
        return UsageError(command, Say({"--to takes a frame number from 1, not \"",
                                        "--to 要有从1起的帧号，而不是 \""}) +
                                       *parsed.to + '"');
    if (!trim && !to) to = from;
    if (to && *from > *to)
        return UsageError(command, "--from " + std::to_string(*from) +
                                       Say({" comes after --to ", " 在 --to 之后: "}) +
                                       std::to_string(*to));
    return Edit(command, parsed, [&](uint32_t count, std::string& wrong) {
        const uint32_t last = to.value_or(count);
        const std::string range =
            std::to_string(*from) + Say({" to ", " 到 "}) + std::to_string(last);
        if (last > count) {
            wrong =
                Say({"frames ", "第 "}) + range +
                Say({" reach past the last frame: the file has ", " 帧超出了最后一帧: 文件共有 "}) +
                std::to_string(count) +
                Say(count == 1 ? Text{" frame", " 帧"} : Text{" frames", " 帧"});
            return std::optional<gif::EditPlan>();
        }
        auto plan = trim ? gif::TrimPlan(count, *from - 1, last - 1)
                         : gif::CutPlan(count, *from - 1, last - 1);
        if (!plan)
            wrong = Say({"cutting frames ", "删除第 "}) + range +
                    Say({" would leave no frame", " 帧后就没有帧了"});
        return plan;
    });
}

int RunTrim(const std::vector<std::string>& args) {
    return RunRange("trim", args, true);
}

int RunCut(const std::vector<std::string>& args) {
    return RunRange("cut", args, false);
}

int RunSpeed(const std::vector<std::string>& args) {
    Arguments parsed;
    if (auto wrong = Parse(args, false, parsed)) return UsageError("speed", *wrong);
    if (parsed.positional.size() != 2)
        return UsageError("speed",
                          Say({"give the input file and a factor", "要给出输入文件和倍数"}));
    const std::string& text = parsed.positional[1];
    double factor = 0;
    size_t used = 0;
    try {
        factor = std::stod(text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used != text.size() || !std::isfinite(factor) || factor < kMinSpeed || factor > kMaxSpeed)
        return UsageError("speed", Say({"the factor must be a number from 0.01 to 100, not \"",
                                        "倍数必须是 0.01 到 100 的数，而不是 \""}) +
                                       text + '"');
    return Edit("speed", parsed, [&](uint32_t count, std::string&) {
        return std::optional<gif::EditPlan>(gif::SpeedPlan(count, factor));
    });
}

const Registration trim{
    {"trim", {"keep frames N to M of a GIF", "保留GIF的第 N 到第 M 帧"}, RunTrim, PrintTrimHelp}};
const Registration cut{
    {"cut", {"remove frames N to M from a GIF", "删除GIF的第 N 到第 M 帧"}, RunCut, PrintCutHelp}};
const Registration speed{
    {"speed", {"play a GIF faster or slower", "让GIF播放得更快或更慢"}, RunSpeed, PrintSpeedHelp}};

}  // namespace
}  // namespace gifanim
