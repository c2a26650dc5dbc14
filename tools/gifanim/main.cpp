// gifanim: command-line front end of the GIF library. The subcommands register themselves
// (commands.h); this file only dispatches.
#include <algorithm>
#include <charconv>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "gif/base/message_language.h"
#include "tools/gifanim/commands.h"

namespace gifanim {
namespace {

// A function-local list, so registrations in other files may run in any order.
std::vector<Command>& Registry() {
    static std::vector<Command> commands;
    return commands;
}

void PrintOverview(std::ostream& out) {
    out << Say(
        {"usage: gifanim COMMAND [OPTIONS] ...\n"
         "       gifanim COMMAND --help    help on one command\n"
         "       gifanim --version\n"
         "\n"
         "Messages are in Chinese for a zh locale (LC_ALL, LC_MESSAGES, LANG) and in\n"
         "English otherwise; --lang zh|en, anywhere on the line, chooses.\n"
         "\n"
         "commands:\n",
         "用法: gifanim 命令 [选项] ...\n"
         "      gifanim 命令 --help    显示一个命令的帮助\n"
         "      gifanim --version\n"
         "\n"
         "区域设置（LC_ALL、LC_MESSAGES、LANG）为 zh 时消息用中文，否则用英文；\n"
         "命令行任何位置的 --lang zh|en 可以指定语言。\n"
         "\n"
         "命令:\n"});
    PrintCommandList(out);
}

// Takes --lang zh|en (or --lang=zh|en) out of the arguments, wherever it stands before a
// "--". Returns false, with `error` set, when its value is missing or not zh or en.
bool TakeLanguage(std::vector<std::string>& args, std::string& choice, std::string& error) {
    for (size_t i = 0; i < args.size();) {
        if (args[i] == "--") break;  // what follows is file names
        if (args[i] != "--lang" && args[i].rfind("--lang=", 0) != 0) {
            ++i;
            continue;
        }
        const bool separate = args[i] == "--lang";
        if (separate && i + 1 == args.size()) {
            error = "--lang";
            return false;
        }
        choice = separate ? args[i + 1] : args[i].substr(7);
        args.erase(args.begin() + long(i), args.begin() + long(i + (separate ? 2 : 1)));
        if (choice != "zh" && choice != "en") {
            error = choice;
            return false;
        }
    }
    return true;
}

}  // namespace

Registration::Registration(const Command& command) {
    Registry().push_back(command);
}

std::vector<Command> Commands() {
    std::vector<Command> sorted = Registry();
    std::sort(sorted.begin(), sorted.end(),
              [](const Command& a, const Command& b) { return std::strcmp(a.name, b.name) < 0; });
    return sorted;
}

std::optional<uint32_t> ParseNumber(const std::string& text, uint32_t max, uint32_t min) {
    uint32_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < min || value > max)
        return {};
    return value;
}

void PrintCommandList(std::ostream& out) {
    for (const Command& command : Commands()) {
        std::string name = command.name;
        name.resize(std::max<size_t>(name.size() + 2, 10), ' ');
        out << "  " << name << Say(command.summary) << '\n';
    }
}

}  // namespace gifanim

int main(int argc, char** argv) {
    using namespace gifanim;
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string choice, wrong;
    const bool languageOk = TakeLanguage(args, choice, wrong);
    SetLanguage(gif::MessageLanguage(languageOk ? choice : ""));
    if (!languageOk) {
        std::cerr << "gifanim: "
                  << Say({"--lang takes zh or en, not ", "--lang 只能是 zh 或 en，不能是 "})
                  << (wrong == "--lang" ? "" : wrong) << '\n';
        return kExitUsage;
    }
    if (args.empty()) {
        PrintOverview(std::cerr);
        return kExitUsage;
    }
    const std::string name = args.front();
    if (name == "--version") {
        std::cout << "gifanim " GIFREC_VERSION "\n";
        return 0;
    }
    if (name == "--help" || name == "-h" || name == "help") {
        PrintOverview(std::cout);
        return 0;
    }
    for (const Command& command : Commands()) {
        if (name != command.name) continue;
        args.erase(args.begin());
        if (std::find(args.begin(), args.end(), "--help") != args.end()) {
            command.printHelp(std::cout);
            return 0;
        }
        return command.run(args);
    }
    std::cerr << "gifanim: " << Say({"unknown command \"", "未知命令“"}) << name << Say({"\"", "”"})
              << "\n\n";
    PrintOverview(std::cerr);
    return kExitUsage;
}
