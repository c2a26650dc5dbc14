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

void PrintMakeHelp(std::ostream& out) {
    out << "usage: gifanim make [OPTIONS] -o OUT.gif PICTURE...\n"
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
           "                        of its colours instead of a 16-step level\n";
    PrintEncodingHelp(out);
    out << "\n"
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
           "Commands of gifanim:\n";
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
    std::cerr << "gifanim make: " << message << "\n(gifanim make --help explains the options)\n";
    return kExitUsage;
}

std::optional<uint32_t> ParseNumber(const std::string& text, uint32_t max) {
    uint32_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value > max) return {};
    return value;
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
            return UsageError(arg + " is an animation option: give it before the first picture");

        if (arg == "-o" || arg == "--output") {
            const std::string* path = value();
            if (!path) return UsageError(arg + " needs a file name");
            plan.output = *path;
        } else if (arg == "--width" || arg == "--height" || arg == "--loop-count") {
            auto n = number(65535);
            if (!n) return UsageError(arg + " needs a number from 0 to 65535");
            uint16_t& target = arg == "--width"    ? plan.animation.Width
                               : arg == "--height" ? plan.animation.Depth
                                                   : plan.animation.LoopCount;
            target = uint16_t(*n);
        } else if (arg == "--no-loop") {
            plan.animation.LOOP = false;
        } else if (arg == "--comment") {
            const std::string* text = value();
            if (!text) return UsageError("--comment needs a text");
            plan.animation.exposition = *text;
        } else if (arg == "--interlace") {
            plan.animation.Interlace = true;
        } else if (arg == "--optimize") {
            plan.encoding.options.optimise = true;
        } else if (arg == "--exact-colours") {
            plan.encoding.options.exactColours = true;
        } else if (arg == "--delay" || arg == "--left" || arg == "--top") {
            auto n = number(65535);
            if (!n) return UsageError(arg + " needs a number from 0 to 65535");
            uint16_t& target = arg == "--delay"  ? frame.DelayTime
                               : arg == "--left" ? frame.Left
                                                 : frame.Top;
            target = uint16_t(*n);
        } else if (arg == "--disposal") {
            auto n = number(255);
            if (!n) return UsageError("--disposal needs a number from 0 to 255");
            frame.DisposalMethod = uint8_t(*n);
        } else if (arg == "--transparent" || arg == "--no-transparent") {
            frame.Transparency = arg == "--transparent";
        } else if (arg == "--frame-comment") {
            const std::string* text = value();
            if (!text) return UsageError("--frame-comment needs a text");
            frame.exposition = *text;
        } else if (arg == "--dither" || arg == "--no-dither") {
            frame.Dither = arg == "--dither";
        } else if (arg == "--") {
            for (++i; i < args.size(); ++i) plan.pictures.push_back({frame, args[i]});
            picturesSeen = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return UsageError("unknown option " + arg);
        } else {
            plan.pictures.push_back({frame, arg});
            picturesSeen = true;
        }
    }
    if (!plan.output) return UsageError("no output file (-o OUT.gif)");
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
        std::cerr << "gifanim make: out of memory\n";
        return kExitFailure;
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

const Registration registration{
    {"make", "make an animated GIF from picture files", RunMake, PrintMakeHelp}};

}  // namespace
}  // namespace gifanim
