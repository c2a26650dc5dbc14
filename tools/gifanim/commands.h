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

#include "gif/base/library_error.h"

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

// The library's last failure as gifanim reports it: in English, like the rest of its output.
template <typename LibraryObject>
std::string LibraryMessage(const LibraryObject& object) {
    return object.GetErrorText(gif::Language::English);
}

inline std::string English(const gif::LibraryError& error) {
    return gif::ErrorText(error.Code(), error.Detail(), gif::Language::English);
}

// Exit statuses shared by the commands.
inline constexpr int kExitFailure = 1;  // the library reported a failure
inline constexpr int kExitUsage = 2;    // the command line is wrong

}  // namespace gifanim
