#include "platform/wayland/portal_support.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <system_error>

namespace platform::wayland {

namespace {
constexpr size_t kMaxTokenLength = 512;
}

uint32_t ChooseCursorMode(uint32_t availableModes) {
    if (availableModes & kCursorEmbedded) return kCursorEmbedded;
    if (availableModes & kCursorHidden) return kCursorHidden;
    return 0;
}

SourceSelection ChooseSelection(uint32_t sourceType, uint32_t version, uint32_t cursorModes) {
    SourceSelection selection;
    selection.types = sourceType;
    // cursor_mode came with version 2 of the interface.
    if (version >= 2) selection.cursorMode = ChooseCursorMode(cursorModes);
    selection.persist = version >= 4 && sourceType == kSourceMonitor;
    return selection;
}

std::string NewHandleToken() {
    static std::atomic<unsigned> counter{0};
    return "gifrec" + std::to_string(::getpid()) + "_" + std::to_string(++counter);
}

std::string RequestPath(const std::string& uniqueName, const std::string& handleToken) {
    std::string sender = uniqueName;
    if (!sender.empty() && sender[0] == ':') sender.erase(0, 1);
    std::replace(sender.begin(), sender.end(), '.', '_');
    return "/org/freedesktop/portal/desktop/request/" + sender + "/" + handleToken;
}

CaptureProblem ProblemOfResponse(uint32_t code) {
    if (code == 0) return CaptureProblem::NoProblem;
    if (code == 1) return CaptureProblem::Refused;
    return CaptureProblem::PortalFailed;
}

std::optional<StreamInfo> ChooseStream(const std::vector<StreamInfo>& streams) {
    for (const StreamInfo& stream : streams) {
        if (stream.node != 0) return stream;
    }
    return std::nullopt;
}

std::filesystem::path RestoreTokenPath(const char* stateHome, const char* home) {
    std::filesystem::path folder;
    if (stateHome && stateHome[0] == '/')
        folder = stateHome;
    else if (home && home[0] == '/')
        folder = std::filesystem::path(home) / ".local" / "state";
    else
        return {};
    return folder / "gifrec" / "screencast-token";
}

bool IsUsableToken(const std::string& token) {
    if (token.empty() || token.size() > kMaxTokenLength) return false;
    return std::all_of(token.begin(), token.end(), [](char c) { return c > ' ' && c < 0x7F; });
}

std::optional<std::string> ReadRestoreToken(const std::filesystem::path& path) {
    if (path.empty()) return std::nullopt;
    // Only a regular file: a FIFO planted there must not block the start of a recording.
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    std::string token(kMaxTokenLength + 2, '\0');
    in.read(token.data(), std::streamsize(token.size()));
    token.resize(size_t(in.gcount()));
    while (!token.empty() && token.back() == '\n') token.pop_back();
    if (!IsUsableToken(token)) return std::nullopt;
    return token;
}

bool WriteRestoreToken(const std::filesystem::path& path, const std::string& token) {
    if (path.empty() || !IsUsableToken(token)) return false;
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    const std::filesystem::path temporary = path.string() + ".new";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW,
                          S_IRUSR | S_IWUSR);
    if (fd < 0) return false;
    const std::string text = token + "\n";
    const bool written = ::write(fd, text.data(), text.size()) == ssize_t(text.size());
    const bool closed = ::close(fd) == 0;
    if (!written || !closed) {
        ::unlink(temporary.c_str());
        return false;
    }
    std::filesystem::rename(temporary, path, error);
    if (error) ::unlink(temporary.c_str());
    return !error;
}

}  // namespace platform::wayland
