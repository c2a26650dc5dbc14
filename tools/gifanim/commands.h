// gifanim's subcommands. Each lives in its own file and registers itself with one line:
//
//     static const gifanim::Registration registration{
//         {"make", {"make an animated GIF from pictures", "用图片做GIF动画"}, RunMake,
//          PrintMakeHelp}};
//
// `run` gets the arguments after the subcommand's name and returns the exit status;
// `printHelp` writes the subcommand's full help to `out`, in the current language: keep the
// help as a Text pair (texts.h) and write Say(kHelp). A summary or help given in English only
// shows in English in both languages until its Chinese is added.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "gif/base/library_error.h"
#include "tools/gifanim/texts.h"

namespace gifanim {

struct Command {
    const char* name;
    Text summary;  // one line for the overview
    int (*run)(const std::vector<std::string>& args);
    void (*printHelp)(std::ostream& out);
};

// Registers a command during static initialisation.
struct Registration {
    explicit Registration(const Command& command);
};

// A whole decimal number from `min` to `max`, or nothing.
std::optional<uint32_t> ParseNumber(const std::string& text, uint32_t max, uint32_t min = 0);

// Every registered command, sorted by name.
std::vector<Command> Commands();

// Writes one line per registered command (name and summary), for help texts.
void PrintCommandList(std::ostream& out);

}  // namespace gifanim
