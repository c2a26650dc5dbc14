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
        } else if (arg == "--no-settings") {
            line.noSettings = true;
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

std::string HelpText(const std::string& language) {
    if (language == "zh")
        return "用法: gifrec [--lang zh|en] [--no-settings]\n"
               "      gifrec --toggle | --pause\n"
               "      gifrec --help | --version\n"
               "\n"
               "把整个屏幕、选中的窗口或拖出的矩形区域录制成GIF动画。\n"
               "F2 开始和停止录制，Shift+F2 暂停；GIF 保存到桌面上的“GIF动画”文件夹。\n"
               "\n"
               "  --lang zh|en   界面和消息的语言（默认：工具菜单中选的语言；未选时区域设置\n"
               "                 LC_ALL、LC_MESSAGES、LANG 为 zh 时用中文，否则用英文）\n"
               "  --no-settings  以默认设置启动，不记住任何更改\n"
               "  --pause        暂停或继续正在运行的 gifrec 的录制\n"
               "  --toggle       开始或停止正在运行的 gifrec 的录制（供桌面快捷键使用）；\n"
               "                 没有 gifrec 在运行时不启动新的\n"
               "  -h, --help     显示本帮助并退出\n"
               "  -v, --version  显示版本并退出\n";
    return "usage: gifrec [--lang zh|en] [--no-settings]\n"
           "       gifrec --toggle | --pause\n"
           "       gifrec --help | --version\n"
           "\n"
           "Records the full screen, a picked window or a dragged rectangle as an animated GIF.\n"
           "F2 starts and stops a recording, Shift+F2 pauses it; the GIF goes to \"GIF动画\" on\n"
           "the desktop.\n"
           "\n"
           "  --lang zh|en   language of the windows and messages (default: the tools menu's\n"
           "                 choice, else Chinese when the locale, LC_ALL, LC_MESSAGES or\n"
           "                 LANG, is zh, else English)\n"
           "  --no-settings  start with the default settings and remember no change\n"
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
