// gifanim optimize: any GIF rewritten in the optimised layout, never larger than it was.
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "gif/file_io.h"
#include "gif/gif_optimise.h"
#include "gif/gif_reader.h"
#include "gif/library_error.h"
#include "tools/gifanim/commands.h"

namespace gifanim {
namespace {

void PrintOptimizeHelp(std::ostream& out) {
    out << "usage: gifanim optimize IN.gif -o OUT.gif [--strip]\n"
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
           "When the result would be larger than IN.gif, IN.gif shows a picture that only its\n"
           "own frame disposal can show, or the colour table has no room for the background\n"
           "colour, this says so and writes IN.gif's bytes unchanged.\n"
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
    gif::OptimiseOptions options;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--strip") {
            options.strip = true;
        } else if (args[i] == "-o" || args[i] == "--output") {
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
        switch (gif::OptimiseGif(in, out, error, options)) {
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
        gif::FileSink file;
        file.Open(*output);
        if (!file.Write(out, error)) return Failure(English(error));
        file.Commit();
        return 0;
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
