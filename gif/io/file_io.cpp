#include "gif/io/file_io.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "gif/base/library_error.h"

namespace gif {
namespace {

// Paths are handed to the system as C strings; one with a zero byte names no file.
void CheckPath(ErrorCode operation, std::string_view path) {
    if (path.find('\0') != std::string_view::npos) throw FileError(operation, path, EINVAL);
}

class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }

  private:
    int fd_;
};

}  // namespace

std::vector<uint8_t> ReadWholeFile(std::string_view path, uint64_t maxBytes, ErrorCode tooLarge) {
    constexpr ErrorCode kOpen = ErrorCode::OpenFailed;
    constexpr ErrorCode kRead = ErrorCode::ReadFailed;
    CheckPath(kOpen, path);
    std::string cPath;
    try {
        cPath.assign(path);
    } catch (const std::bad_alloc&) {
        throw LibraryError(ErrorCode::NoFileMemory);
    }
    // Non-blocking, so that a FIFO without a writer cannot hold the caller up; regular files
    // are unaffected.
    Descriptor file(::open(cPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (file.get() < 0) throw FileError(kOpen, path, errno);
    struct stat info;
    if (::fstat(file.get(), &info) != 0) throw FileError(ErrorCode::LengthFailed, path, errno);
    if (S_ISDIR(info.st_mode)) throw FileError(kOpen, path, EISDIR);
    // Devices hold no pictures, and some (/dev/zero, /dev/urandom) never end.
    if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode)) {
        throw LibraryError(ErrorCode::ReadDevice, path);
    }
    const uint64_t size = info.st_size > 0 ? uint64_t(info.st_size) : 0;
    std::vector<uint8_t> bytes;

    if (S_ISREG(info.st_mode) && size > 0) {
        if (size > maxBytes) throw LibraryError(tooLarge);
        try {
            bytes.resize(size_t(size));
        } catch (const std::bad_alloc&) {
            throw LibraryError(ErrorCode::NoFileMemory);
        }
        // A file that shrank meanwhile leaves zero bytes at the end, like a read of its old
        // length.
        size_t done = 0;
        while (done < bytes.size()) {
            ssize_t got = ::read(file.get(), bytes.data() + done, bytes.size() - done);
            if (got < 0) {
                if (errno == EINTR) continue;
                throw FileError(kRead, path, errno);
            }
            if (got == 0) break;
            done += size_t(got);
        }
        return bytes;
    }

    // No length known up front (a pipe, a socket, an empty or virtual file): read until the end,
    // one byte beyond the ceiling at most, so that an endless writer is refused at once.
    const uint64_t limit = std::min(maxBytes, kMaxStreamBytes);
    size_t done = 0;
    for (;;) {
        if (done == bytes.size()) {
            const uint64_t grown = std::min<uint64_t>(std::max<size_t>(2 * done, 65536), limit + 1);
            try {
                bytes.reserve(size_t(grown));  // exactly, not resize's doubling past the ceiling
                bytes.resize(size_t(grown));
            } catch (const std::bad_alloc&) {
                throw LibraryError(ErrorCode::NoFileMemory);
            }
        }
        ssize_t got = ::read(file.get(), bytes.data() + done, bytes.size() - done);
        if (got < 0) {
            if (errno == EINTR) continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK) throw FileError(kRead, path, errno);
            // A writer is there but has not written yet: wait for data or its end.
            pollfd ready{file.get(), POLLIN, 0};
            if (::poll(&ready, 1, -1) < 0 && errno != EINTR) throw FileError(kRead, path, errno);
            continue;
        }
        // End of data; a FIFO that nobody has open for writing ends at once.
        if (got == 0) break;
        done += size_t(got);
        if (done > limit) throw LibraryError(tooLarge);
    }
    bytes.resize(done);
    return bytes;
}

FileSink::~FileSink() {
    if (descriptor_ >= 0) ::close(descriptor_);
    if (!temporaryPath_.empty()) ::unlink(temporaryPath_.c_str());
}

void FileSink::Open(std::string_view path) {
    constexpr ErrorCode kCreate = ErrorCode::CreateFailed;
    CheckPath(kCreate, path);
    path_.assign(path);
    // A link is followed to the file it finally names, which is then replaced like any other:
    // writing through the link would truncate that file before the new one is complete. A link
    // that leads nowhere is itself replaced.
    std::string target = path_;
    struct stat info;
    bool exists = ::lstat(target.c_str(), &info) == 0;
    if (exists && S_ISLNK(info.st_mode)) {
        if (char* resolved = ::realpath(path_.c_str(), nullptr)) {
            target = resolved;
            std::free(resolved);
            exists = ::stat(target.c_str(), &info) == 0;
        } else if (errno != ENOENT) {
            throw FileError(kCreate, path, errno);  // a loop of links, or one we may not read
        }
    }
    if (exists && !S_ISREG(info.st_mode) && !S_ISLNK(info.st_mode)) {
        // A device or a FIFO takes the bytes as they come. Non-blocking, so that a FIFO nobody
        // reads fails (ENXIO) instead of waiting for a reader; writes then block as usual.
        descriptor_ =
            ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NONBLOCK, 0666);
        if (descriptor_ < 0) throw FileError(kCreate, path, errno);
        const int flags = ::fcntl(descriptor_, F_GETFL);
        if (flags < 0 || ::fcntl(descriptor_, F_SETFL, flags & ~O_NONBLOCK) != 0)
            throw FileError(kCreate, path, errno);
        return;
    }
    const bool replacesFile = exists && S_ISREG(info.st_mode);
    // Replacing a file that could not be opened for writing would overrule its permissions.
    if (replacesFile && ::access(target.c_str(), W_OK) != 0) throw FileError(kCreate, path, errno);
    // A hidden name beside the target, so that the rename stays within one file system.
    size_t slash = target.rfind('/');
    std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    uint64_t seed = uint64_t(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                    uint64_t(::getpid()) << 32 ^ uint64_t(reinterpret_cast<uintptr_t>(this));
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[32];
        seed = seed * 6364136223846793005u + 1442695040888963407u;
        std::snprintf(suffix, sizeof suffix, ".%06x.tmp", unsigned(seed >> 40));
        temporaryPath_ = folder + "." + name + suffix;
        descriptor_ = ::open(temporaryPath_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (descriptor_ >= 0) {
            // The new file keeps the permissions of the one it replaces.
            if (replacesFile) ::fchmod(descriptor_, info.st_mode & 07777);
            finalPath_ = std::move(target);
            return;
        }
        if (errno != EEXIST) break;
    }
    int error = errno;
    temporaryPath_.clear();
    throw FileError(kCreate, path, error);
}

bool FileSink::Write(std::span<const uint8_t> bytes, LibraryError& error) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t put = ::write(descriptor_, bytes.data() + done, bytes.size() - done);
        if (put < 0) {
            if (errno == EINTR) continue;
            error = FileError(ErrorCode::WriteFailed, path_, errno);
            return false;
        }
        if (put == 0) {
            error = FileError(ErrorCode::WriteFailed, path_, ENOSPC);
            return false;
        }
        done += size_t(put);
    }
    return true;
}

void FileSink::Commit() {
    int fd = descriptor_;
    descriptor_ = -1;
    // Delayed write errors (a full disk on some file systems, a network file system) show here.
    if (::close(fd) != 0) throw FileError(ErrorCode::CloseFailed, path_, errno);
    if (temporaryPath_.empty()) return;
    if (::rename(temporaryPath_.c_str(), finalPath_.c_str()) != 0)
        throw FileError(ErrorCode::ReplaceFailed, path_, errno);
    temporaryPath_.clear();
}

}  // namespace gif
