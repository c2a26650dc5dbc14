// Running a command-line tool from a test: its exit status and what it wrote.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace gif::testing {

struct ToolRun {
    int status = -1;  // exit status; -1 when it did not exit normally
    std::string out, err;
};

// `text` as one word for /bin/sh.
std::string ShellQuote(const std::string& text);

std::vector<uint8_t> ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);

// Runs `program` with `args`; its standard output and error pass through files in `folder`.
// `shellPrefix` runs first in the same shell (to set limits, say). LC_ALL is C.UTF-8 unless
// the prefix changes it.
ToolRun RunTool(const std::string& program, const std::vector<std::string>& args,
                const std::string& folder, const std::string& shellPrefix = "");

}  // namespace gif::testing
