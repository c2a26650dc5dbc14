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

void PrintOptimizeHelp(std::ostream& out) {
    out << "usage: gifanim optimize [OPTIONS] IN.gif -o OUT.gif\n"
           "\n"
           "Rewrites a GIF, from any program, so that it is smaller and looks the same: it is\n"
           "played as a viewer shows it, and every frame after the first holds only the\n"
           "rectangle whose pixels changed, painted over the picture before it, its unchanged\n"
           "pixels transparent where that is smaller. A frame that changes nothing adds its\n"
           "time to the one before. Colour tables hold just the colours used, and a frame gets\n"
           "its own table only when the first frame's cannot show it. Every picture and its\n"
           "time on screen stay exactly as they were.\n"
           "\n"
           "  -o, --output OUT.gif  the file to write (required; may be IN.gif itself)\n"
           "\n"
           "With any of these, the pictures are made again instead (at --colours best unless\n"
           "another is given), and may change as the option says:\n";
    PrintEncodingHelp(out);
    out << "\n"
           "When the result would be larger than IN.gif, or IN.gif shows a picture that only\n"
           "its own frame disposal can show, this says so and writes IN.gif's bytes unchanged.\n"
           "A file that cannot be read is reported on standard error with exit status 1; a\n"
           "wrong command line exits with status 2.\n"
           "\n"
           "Commands of gifanim:\n";
    PrintCommandList(out);
}

int UsageError(const std::string& message) {
    std::cerr << "gifanim optimize: " << message
              << "\n(gifanim optimize --help explains the options)\n";
    return kExitUsage;
}

int Failure(const std::string& message) {
    std::cerr << "gifanim optimize: " << message << '\n';
    return kExitFailure;
}

int RunOptimize(const std::vector<std::string>& args) {
    std::optional<std::string> input, output;
    EncodingChoices choices;
    choices.options.screenColours = true;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string wrong;
        const Taken taken = TakeEncodingOption(args, i, choices, wrong);
        if (taken == Taken::Wrong) return UsageError(wrong);
        if (taken == Taken::Yes) continue;
        if (args[i] == "-o" || args[i] == "--output") {
            if (i + 1 == args.size()) return UsageError(args[i] + " needs a file name");
            output = args[++i];
        } else if (args[i].size() > 1 && args[i][0] == '-') {
            return UsageError("unknown option " + args[i]);
        } else if (input) {
            return UsageError("one input file only");
        } else {
            input = args[i];
        }
    }
    if (!input) return UsageError("no input file");
    if (!output) return UsageError("no output file (-o OUT.gif)");

    try {
        const std::vector<uint8_t> in =
            gif::ReadWholeFile(*input, gif::kMaxGifBytes, gif::ErrorCode::GifFileTooLarge);
        std::vector<uint8_t> out;
        gif::LibraryError error;
        if (choices.reencode) {
            gif::ReencodeOptions options;
            options.maker = choices.options;
            options.maker.optimise = true;
            if (!gif::ReencodeGif(in, options, out, error))
                return Failure(*input + ": " + English(error));
            return WriteFitted("optimize", *output, out, choices);
        }
        switch (gif::OptimiseGif(in, out, error)) {
            case gif::OptimiseResult::Ok:
                if (out.size() > in.size()) {
                    std::cout << "gifanim optimize: the optimised file would be larger ("
                              << out.size() << " bytes against " << in.size()
                              << "); writing the input unchanged\n";
                    out = in;
                }
                break;
            case gif::OptimiseResult::NotRepresentable:
                std::cout << "gifanim optimize: " << English(error)
                          << "; writing the input unchanged\n";
                out = in;
                break;
            case gif::OptimiseResult::Failed:
            default:
                return Failure(*input + ": " + English(error));
        }
        return WriteFitted("optimize", *output, out, choices);
    } catch (const gif::LibraryError& failure) {
        return Failure(English(failure));
    } catch (const std::bad_alloc&) {
        return Failure("out of memory");
    }
}

const Registration registration{{"optimize",
                                 "rewrite a GIF smaller, showing exactly the same pictures",
                                 RunOptimize, PrintOptimizeHelp}};

}  // namespace
}  // namespace gifanim
