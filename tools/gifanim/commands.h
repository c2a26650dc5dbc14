// gifanim's subcommands. Each lives in its own file and registers itself with one line:
//
//     static const gifanim::Registration registration{
//         {"make", "make an animated GIF from pictures", RunMake, PrintMakeHelp}};
//
// `run` gets the arguments after the subcommand's name and returns the exit status;
// `printHelp` writes the subcommand's full help to `out`.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace gifanim {

struct Command {
    const char* name;
    const char* summary;  // one line for the overview
    int (*run)(const std::vector<std::string>& args);
    void (*printHelp)(std::ostream& out);
};

// Registers a command during static initialisation.
struct Registration {
    explicit Registration(const Command& command);
};

// Every registered command, sorted by name.
std::vector<Command> Commands();

// Writes one line per registered command (name and summary), for help texts.
void PrintCommandList(std::ostream& out);

// Exit statuses shared by the commands.
inline constexpr int kExitFailure = 1;  // the library reported a failure
inline constexpr int kExitUsage = 2;    // the command line is wrong

}  // namespace gifanim
