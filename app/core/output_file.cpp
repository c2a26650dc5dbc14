#include "app/core/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "app/core/texts.h"

namespace app {
namespace {

std::string Reason(int errorNumber) {
    char buffer[256];
    // The GNU strerror_r returns its text, which need not be in the buffer.
    return strerror_r(errorNumber, buffer, sizeof buffer);
}

// The first of `path` and its parents that exists, for the message of a folder that could not
// be made below it.
std::filesystem::path ExistingAncestor(std::filesystem::path path) {
    std::error_code error;
    while (path.has_relative_path() && !std::filesystem::exists(path, error)) {
        path = path.parent_path();
    }
    return path;
}

}  // namespace

std::string PrepareOutputFolder(const std::filesystem::path& desktop,
                                const std::filesystem::path& folder) {
    // "/Desktop" (HOME unset) or "/" itself: the folder would land at the top of the system.
    const std::filesystem::path normal = desktop.lexically_normal();
    int depth = 0;
    for (const std::filesystem::path& part : normal.relative_path()) {
        if (!part.empty() && part != ".") ++depth;
    }
    if (normal.is_absolute() && depth <= 1) {
        return Translated("OutputFile", "桌面文件夹 ") + desktop.string() +
               Translated("OutputFile", " 在根目录下, 不在那里保存 (没有设置 HOME?)");
    }
    std::error_code error;
    if (std::filesystem::is_directory(folder, error)) return {};
    if (std::filesystem::exists(std::filesystem::symlink_status(folder, error))) {
        return Translated("OutputFile", "无法创建文件夹 ") + folder.string() +
               Translated("OutputFile", ": 同名的文件已存在");
    }
    if (std::filesystem::create_directories(folder, error) ||
        std::filesystem::is_directory(folder)) {
        return {};
    }
    // Say which folder is in the way: a parent that is a file, or one we may not write in.
    const std::filesystem::path blocker = ExistingAncestor(folder.parent_path());
    std::error_code ignored;
    if (!blocker.empty() && !std::filesystem::is_directory(blocker, ignored)) {
        return Translated("OutputFile", "无法创建文件夹 ") + folder.string() + ": " +
               blocker.string() + Translated("OutputFile", " 不是文件夹");
    }
    return Translated("OutputFile", "无法创建文件夹 ") + folder.string() + ": " +
           Reason(error.value());
}

std::string ReserveOutputFile(const std::filesystem::path& folder, const std::string& stamp,
                              std::string& name) {
    name = stamp;
    for (int suffix = 2; suffix < 100000; ++suffix) {
        const std::filesystem::path path = folder / (name + ".gif");
        // O_EXCL with O_CREAT never follows a link, a dangling one included: it counts as taken.
        const int file =
            ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (file >= 0) {
            ::close(file);
            return {};
        }
        if (errno != EEXIST)
            return Translated("OutputFile", "创建文件失败: ") + path.string() + ": " +
                   Reason(errno);
        name = stamp + "_" + std::to_string(suffix);
    }
    return Translated("OutputFile", "创建文件失败: ") + (folder / (stamp + ".gif")).string() +
           Translated("OutputFile", ": 名称都已被占用");
}

void DropEmptyOutputFile(const std::filesystem::path& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_size == 0) {
        ::unlink(path.c_str());
    }
}

}  // namespace app
