#include "tool_run_support.h"

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace gif::testing {

std::string ShellQuote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

ToolRun RunTool(const std::string& program, const std::vector<std::string>& args,
                const std::string& folder, const std::string& shellPrefix) {
    // The tools answer in English whatever the locale the tests run in, unless the prefix
    // chooses another.
    std::string command = "export LC_ALL=C.UTF-8; " + shellPrefix + ShellQuote(program);
    for (const auto& arg : args) command.append(" ").append(ShellQuote(arg));
    const std::string outPath = folder + "/tool-stdout", errPath = folder + "/tool-stderr";
    command.append(" >").append(ShellQuote(outPath)).append(" 2>").append(ShellQuote(errPath));
    ToolRun run;
    const int raw = std::system(command.c_str());
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    const std::vector<uint8_t> out = ReadFileBytes(outPath), err = ReadFileBytes(errPath);
    run.out.assign(out.begin(), out.end());
    run.err.assign(err.begin(), err.end());
    return run;
}

}  // namespace gif::testing
