#include "app/core/command_line.h"

namespace app {

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    CommandLine line;
    auto usage = [&](std::string error) {
        line.action = CommandLine::Action::Usage;
        line.error = std::move(error);
        return line;
    };
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            line.action = CommandLine::Action::Help;
        } else if (arg == "--version" || arg == "-v") {
            if (line.action != CommandLine::Action::Help)
                line.action = CommandLine::Action::Version;
        } else if (arg == "--toggle" || arg == "--pause") {
            // Only alone: it is a message to another gifrec, not a way to start this one.
            if (args.size() != 1) return usage(arg + " takes no other options");
            line.action =
                arg == "--toggle" ? CommandLine::Action::Toggle : CommandLine::Action::Pause;
        } else if (arg == "--lang" || arg.rfind("--lang=", 0) == 0) {
            std::string value;
            if (arg == "--lang") {
                if (i + 1 >= args.size()) return usage("--lang needs zh or en");
                value = args[++i];
            } else {
                value = arg.substr(7);
            }
            if (value != "zh" && value != "en") return usage("--lang takes zh or en, not " + value);
            line.language = value;
        } else if (arg.rfind("--", 0) == 0) {
            return usage("unknown option " + arg);
        }
    }
    return line;
}

std::string HelpText() {
    return "usage: gifrec [--lang zh|en]\n"
           "       gifrec --toggle | --pause\n"
           "       gifrec --help | --version\n"
           "\n"
           "Records the full screen, a picked window or a dragged rectangle as an animated GIF.\n"
           "F2 starts and stops a recording, Shift+F2 pauses it; the GIF goes to \"GIF动画\" on\n"
           "the desktop.\n"
           "\n"
           "  --lang zh|en   interface language (default: Chinese for zh locales, else English)\n"
           "  --toggle       start or stop the recording of the gifrec that runs (for a desktop\n"
           "                 shortcut); starts no gifrec when none runs\n"
           "  --pause        pause or resume the recording of the gifrec that runs\n"
           "  -h, --help     print this help and exit\n"
           "  -v, --version  print the version and exit\n";
}

std::string VersionText() {
    return "gifrec " GIFREC_VERSION "\n";
}

}  // namespace app
