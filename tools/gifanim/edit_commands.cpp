// gifanim trim, cut and speed: the library's streaming edits, frames counted as gifanim info
// counts them (from 1).
#include <cctype>
#include <cmath>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "gif/file_io.h"
#include "gif/gif_edit.h"
#include "gif/gif_stream.h"
#include "tools/gifanim/commands.h"

namespace gifanim {
namespace {

constexpr double kMinSpeed = 0.01, kMaxSpeed = 100.0;

void PrintCommon(std::ostream& out) {
    out << "  -o, --output OUT.gif  the file to write (required; may be IN.gif itself)\n"
           "\n"
           "Only the frame at an edit point is encoded again, as the picture a viewer saw\n"
           "there; every other kept frame is copied as it is. The file is read a frame at a\n"
           "time, so memory does not grow with its length. OUT.gif is replaced only once\n"
           "the new file is complete: a failure leaves it as it was.\n"
           "A wrong command line or a range outside the frames exits with status 2; a file\n"
           "that cannot be read or written, with status 1.\n"
           "\n"
           "Commands of gifanim:\n";
    PrintCommandList(out);
}

void PrintTrimHelp(std::ostream& out) {
    out << "usage: gifanim trim IN.gif --from N --to M -o OUT.gif\n"
           "\n"
           "Keeps frames N to M (counted from 1, as gifanim info counts them) and drops the\n"
           "rest. The first kept frame shows the picture a viewer saw at that moment; every\n"
           "frame keeps its time.\n"
           "\n"
           "  --from N              the first frame kept (default 1)\n"
           "  --to M                the last frame kept (default the last frame)\n";
    PrintCommon(out);
}

void PrintCutHelp(std::ostream& out) {
    out << "usage: gifanim cut IN.gif --from N --to M -o OUT.gif\n"
           "\n"
           "Removes frames N to M (counted from 1, as gifanim info counts them). The frame\n"
           "after the cut shows the picture a viewer saw there; every kept frame keeps its\n"
           "time. A cut may not remove every frame.\n"
           "\n"
           "  --from N              the first frame removed (required)\n"
           "  --to M                the last frame removed (default N)\n";
    PrintCommon(out);
}

void PrintSpeedHelp(std::ostream& out) {
    out << "usage: gifanim speed IN.gif FACTOR -o OUT.gif\n"
           "\n"
           "Plays the animation FACTOR times as fast (0.01 to 100; 2 halves every delay, 0.5\n"
           "doubles it). Each delay is rounded to hundredths of a second with the remainder\n"
           "carried to the next, so the whole keeps its time; no delay becomes shorter than\n"
           "2 hundredths, and delays of 0 or 1, which browsers show as 10, count as 10.\n"
           "\n";
    PrintCommon(out);
}

struct Arguments {
    std::vector<std::string> positional;
    std::optional<std::string> output, from, to;
};

int UsageError(const char* command, const std::string& message) {
    std::cerr << "gifanim " << command << ": " << message << "\n(gifanim " << command
              << " --help explains the options)\n";
    return kExitUsage;
}

int Failure(const char* command, const std::string& message) {
    std::cerr << "gifanim " << command << ": " << message << '\n';
    return kExitFailure;
}

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
            if (i + 1 == args.size()) return arg + " needs a value";
            *target = args[++i];
        } else if (arg.size() > 1 && arg[0] == '-' && !std::isdigit(uint8_t(arg[1]))) {
            return "unknown option " + arg;
        } else {
            parsed.positional.push_back(arg);
        }
    }
    if (parsed.positional.empty()) return std::string("no input file");
    if (!parsed.output) return std::string("no output file (-o OUT.gif)");
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
                                        English(gif::LibraryError(gif::ErrorCode::NoImages)));
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
        return Failure(command, English(failure));
    } catch (const std::bad_alloc&) {
        return Failure(command, "out of memory");
    }
}

int RunRange(const char* command, const std::vector<std::string>& args, bool trim) {
    Arguments parsed;
    if (auto wrong = Parse(args, true, parsed)) return UsageError(command, *wrong);
    if (parsed.positional.size() != 1) return UsageError(command, "one input file only");
    if (!trim && !parsed.from)
        return UsageError(command, "give the first frame to remove (--from N)");
    std::optional<uint32_t> from = 1, to;
    if (parsed.from && !(from = FrameNumber(*parsed.from)))
        return UsageError(command,
                          "--from takes a frame number from 1, not \"" + *parsed.from + '"');
    if (parsed.to && !(to = FrameNumber(*parsed.to)))
        return UsageError(command, "--to takes a frame number from 1, not \"" + *parsed.to + '"');
    if (!trim && !to) to = from;
    if (to && *from > *to)
        return UsageError(command, "--from " + std::to_string(*from) + " comes after --to " +
                                       std::to_string(*to));
    return Edit(command, parsed, [&](uint32_t count, std::string& wrong) {
        const uint32_t last = to.value_or(count);
        const std::string range = std::to_string(*from) + " to " + std::to_string(last);
        if (last > count) {
            wrong = "frames " + range + " reach past the last frame: the file has " +
                    std::to_string(count) + (count == 1 ? " frame" : " frames");
            return std::optional<gif::EditPlan>();
        }
        auto plan = trim ? gif::TrimPlan(count, *from - 1, last - 1)
                         : gif::CutPlan(count, *from - 1, last - 1);
        if (!plan) wrong = "cutting frames " + range + " would leave no frame";
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
        return UsageError("speed", "give the input file and a factor");
    const std::string& text = parsed.positional[1];
    double factor = 0;
    size_t used = 0;
    try {
        factor = std::stod(text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used != text.size() || !std::isfinite(factor) || factor < kMinSpeed || factor > kMaxSpeed)
        return UsageError("speed",
                          "the factor must be a number from 0.01 to 100, not \"" + text + '"');
    return Edit("speed", parsed, [&](uint32_t count, std::string&) {
        return std::optional<gif::EditPlan>(gif::SpeedPlan(count, factor));
    });
}

const Registration trim{{"trim", "keep frames N to M of a GIF", RunTrim, PrintTrimHelp}};
const Registration cut{{"cut", "remove frames N to M from a GIF", RunCut, PrintCutHelp}};
const Registration speed{{"speed", "play a GIF faster or slower", RunSpeed, PrintSpeedHelp}};

}  // namespace
}  // namespace gifanim
