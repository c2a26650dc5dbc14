#include "app/core/trash.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <optional>
#include <vector>

namespace app {
namespace {

namespace fs = std::filesystem;

std::optional<dev_t> DeviceOf(const fs::path& path) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0) return std::nullopt;
    return status.st_dev;
}

fs::path HomeTrash() {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && data[0] == '/') return fs::path(data) / "Trash";
    const char* home = std::getenv("HOME");
    return fs::path(home ? home : "/") / ".local/share/Trash";
}

// The top of the file system `folder` lies on: the last folder up whose device is the same.
fs::path TopDirectory(const fs::path& folder, dev_t device) {
    fs::path top = folder;
    while (top.has_parent_path() && top.parent_path() != top) {
        const std::optional<dev_t> parent = DeviceOf(top.parent_path());
        if (!parent || *parent != device) break;
        top = top.parent_path();
    }
    return top;
}

// The trash folders to try for a file in `folder` on `device`, best first.
std::vector<fs::path> Candidates(const fs::path& folder, dev_t device) {
    std::vector<fs::path> trashes;
    const fs::path home = HomeTrash();
    std::error_code ignored;
    fs::create_directories(home, ignored);
    // Files on the home trash's file system go there or nowhere (its nearest folder that
    // exists tells the file system when it cannot be made).
    fs::path existing = home;
    while (!DeviceOf(existing) && existing.has_parent_path() && existing.parent_path() != existing)
        existing = existing.parent_path();
    if (DeviceOf(existing) == device) return {home};
    const fs::path top = TopDirectory(folder, device);
    const std::string uid = std::to_string(::getuid());
    // An administrator's shared trash counts only with the sticky bit and not as a link.
    struct stat shared {};
    if (::lstat((top / ".Trash").c_str(), &shared) == 0 && S_ISDIR(shared.st_mode) &&
        (shared.st_mode & S_ISVTX))
        trashes.push_back(top / ".Trash" / uid);
    trashes.push_back(top / (".Trash-" + uid));
    return trashes;
}

// Percent-encoding of a path as the .trashinfo's Path= wants it.
std::string Escaped(const std::string& path) {
    static const char* kHex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : path) {
        if (std::isalnum(c) || std::strchr("/-_.~", c)) {
            out += char(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

bool WriteAll(int descriptor, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t wrote = ::write(descriptor, text.data() + done, text.size() - done);
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote <= 0) return false;
        done += size_t(wrote);
    }
    return true;
}

// Moves `file` into `trash`; false with `error` set when this trash cannot take it.
bool MoveInto(const fs::path& file, const fs::path& trash, TrashResult& result) {
    std::error_code failed;
    fs::create_directories(trash / "files", failed);
    fs::create_directories(trash / "info", failed);
    ::chmod(trash.c_str(), 0700);
    const std::string stem = file.stem().string(), extension = file.extension().string();
    char when[32];
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::strftime(when, sizeof when, "%Y-%m-%dT%H:%M:%S", &local);
    const std::string info = "[Trash Info]\nPath=" + Escaped(fs::absolute(file).string()) +
                             "\nDeletionDate=" + when + "\n";
    for (int attempt = 1; attempt < 1000; ++attempt) {
        const std::string name = attempt == 1 ? file.filename().string()
                                              : stem + "." + std::to_string(attempt) + extension;
        // The .trashinfo, made exclusively, claims the name.
        const fs::path infoPath = trash / "info" / (name + ".trashinfo");
        const int descriptor =
            ::open(infoPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (descriptor < 0 && errno == EEXIST) continue;
        if (descriptor < 0) {
            result.error = infoPath.string() + ": " + std::strerror(errno);
            return false;
        }
        const bool written = WriteAll(descriptor, info);
        ::close(descriptor);
        const fs::path target = trash / "files" / name;
        if (written && fs::exists(target, failed)) {  // a file left without its info
            ::unlink(infoPath.c_str());
            continue;
        }
        if (!written || ::rename(file.c_str(), target.c_str()) != 0) {
            result.error = target.string() + ": " + std::strerror(written ? errno : EIO);
            ::unlink(infoPath.c_str());
            return false;
        }
        result.moved = true;
        result.trashedAs = target;
        result.info = infoPath;
        return true;
    }
    result.error = trash.string() + ": no free name";
    return false;
}

}  // namespace

TrashResult MoveToTrash(const fs::path& file) {
    TrashResult result;
    const fs::path absolute = fs::absolute(file);
    const std::optional<dev_t> device = DeviceOf(absolute);
    if (!device) {
        result.error = absolute.string() + ": " + std::strerror(errno);
        return result;
    }
    for (const fs::path& trash : Candidates(absolute.parent_path(), *device))
        if (DeviceOf(trash.parent_path()) == device && MoveInto(absolute, trash, result))
            return result;
    if (result.error.empty()) result.error = "no trash on the file's file system";
    return result;
}

bool RestoreFromTrash(const TrashResult& trashed, const fs::path& original) {
    if (::rename(trashed.trashedAs.c_str(), original.c_str()) != 0) return false;
    ::unlink(trashed.info.c_str());
    return true;
}

}  // namespace app
