// gifanim: command-line front end of the GIF library. The subcommands register themselves
// (commands.h); this file only dispatches.
#include <algorithm>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "tools/gifanim/commands.h"

namespace gifanim {
namespace {

// A function-local list, so registrations in other files may run in any order.
std::vector<Command>& Registry() {
    static std::vector<Command> commands;
    return commands;
}

void PrintOverview(std::ostream& out) {
    out << "usage: gifanim COMMAND [OPTIONS] ...\n"
           "       gifanim COMMAND --help    help on one command\n"
           "       gifanim --version\n\n"
           "commands:\n";
    PrintCommandList(out);
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

void PrintCommandList(std::ostream& out) {
    for (const Command& command : Commands()) {
        std::string name = command.name;
        name.resize(std::max<size_t>(name.size() + 2, 10), ' ');
        out << "  " << name << command.summary << '\n';
    }
}

}  // namespace gifanim

int main(int argc, char** argv) {
    using namespace gifanim;
    if (argc < 2) {
        PrintOverview(std::cerr);
        return kExitUsage;
    }
    std::string name = argv[1];
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
        std::vector<std::string> args(argv + 2, argv + argc);
        if (std::find(args.begin(), args.end(), "--help") != args.end()) {
            command.printHelp(std::cout);
            return 0;
        }
        return command.run(args);
    }
    std::cerr << "gifanim: unknown command \"" << name << "\"\n\n";
    PrintOverview(std::cerr);
    return kExitUsage;
}
