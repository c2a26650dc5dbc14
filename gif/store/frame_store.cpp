#include "gif/store/frame_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "bitmap/byte_order.h"
#include "gif/base/library_error.h"

namespace gif {
namespace {

constexpr uint8_t kMagic[8] = {'G', 'I', 'F', 'R', 'E', 'C', 'F', 1};
constexpr size_t kLengthBytes = 4, kChecksumBytes = 4;
constexpr ErrorCode kStoreCreate = ErrorCode::StoreCreateFailed;
constexpr ErrorCode kStoreWrite = ErrorCode::StoreWriteFailed;
constexpr ErrorCode kStoreRead = ErrorCode::StoreReadFailed;

// Catches a record cut short or overwritten; eight bytes a step, so it costs little beside
// the encoding.
uint32_t Checksum(std::span<const uint8_t> bytes) {
    uint64_t sum = 0x9E3779B97F4A7C15u ^ bytes.size();
    size_t at = 0;
    for (; at + 8 <= bytes.size(); at += 8) {
        uint64_t word;
        std::memcpy(&word, bytes.data() + at, 8);
        sum = (sum ^ word) * 0x100000001B3u;
        sum ^= sum >> 29;
    }
    for (; at < bytes.size(); ++at) sum = (sum ^ bytes[at]) * 0x100000001B3u;
    return uint32_t(sum ^ sum >> 32);
}

// Writes all of `parts` at `offset`; false with errno set when the file takes less.
bool WriteAll(int descriptor, uint64_t offset, iovec* parts, int count) {
    while (count > 0) {
        ssize_t put = ::pwritev(descriptor, parts, count, off_t(offset));
        if (put < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (put == 0) {
            errno = ENOSPC;
            return false;
        }
        offset += uint64_t(put);
        size_t left = size_t(put);
        while (count > 0 && left >= parts->iov_len) {
            left -= parts->iov_len;
            ++parts;
            --count;
        }
        if (count > 0) {
            parts->iov_base = static_cast<uint8_t*>(parts->iov_base) + left;
            parts->iov_len -= left;
        }
    }
    return true;
}

// Reads exactly `length` bytes at `offset`; false at the end of the file or on an error.
bool ReadAll(int descriptor, uint64_t offset, uint8_t* out, size_t length) {
    while (length > 0) {
        ssize_t got = ::pread(descriptor, out, length, off_t(offset));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        out += got;
        offset += uint64_t(got);
        length -= size_t(got);
    }
    return true;
}

std::string TemporaryFolder(const std::string& folder) {
    if (!folder.empty()) return folder;
    const char* tmp = std::getenv("TMPDIR");
    return tmp && *tmp ? tmp : "/tmp";
}

}  // namespace

void MemoryFrameStore::Append(std::span<const uint8_t> record) {
    records_.emplace_back(record.begin(), record.end());
    bytes_ += record.size();
}

std::span<const uint8_t> MemoryFrameStore::Read(size_t index, std::vector<uint8_t>&) const {
    return records_.at(index);
}

void MemoryFrameStore::Clear() {
    records_.clear();
    bytes_ = 0;
}

FileFrameStore::FileFrameStore(int descriptor, std::string path)
    : descriptor_(descriptor), path_(std::move(path)) {}

FileFrameStore::~FileFrameStore() {
    if (descriptor_ >= 0) ::close(descriptor_);
}

std::unique_ptr<FileFrameStore> FileFrameStore::Create(const std::string& path) {
    const int descriptor = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (descriptor < 0) throw FileError(kStoreCreate, path, errno);
    std::unique_ptr<FileFrameStore> store(new FileFrameStore(descriptor, path));
    store->Clear();
    return store;
}

std::unique_ptr<FileFrameStore> FileFrameStore::CreateUnnamed(const std::string& folder) {
    const std::string where = TemporaryFolder(folder);
    int descriptor = ::open(where.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (descriptor < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
        // File systems without unnamed files: a named one, unlinked at once.
        std::string pattern = where + "/.gif-frames.XXXXXX";
        descriptor = ::mkostemp(pattern.data(), O_CLOEXEC);
        if (descriptor >= 0) ::unlink(pattern.c_str());
    }
    if (descriptor < 0) throw FileError(kStoreCreate, where, errno);
    std::unique_ptr<FileFrameStore> store(new FileFrameStore(descriptor, {}));
    store->Clear();
    return store;
}

std::unique_ptr<FileFrameStore> FileFrameStore::Open(const std::string& path) {
    const int descriptor = ::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    if (descriptor < 0) throw FileError(kStoreRead, path, errno);
    std::unique_ptr<FileFrameStore> store(new FileFrameStore(descriptor, path));
    uint8_t magic[sizeof kMagic];
    struct stat info;
    if (::fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode) ||
        !ReadAll(descriptor, 0, magic, sizeof magic) ||
        std::memcmp(magic, kMagic, sizeof magic) != 0)
        throw LibraryError(ErrorCode::NotAStore);
    store->ScanFrames();
    return store;
}

void FileFrameStore::ScanFrames() {
    frames_.clear();
    uint64_t at = sizeof kMagic;
    std::vector<uint8_t> record;
    for (;;) {
        uint8_t length[kLengthBytes];
        if (!ReadAll(descriptor_, at, length, sizeof length)) break;
        const uint32_t size = bitmap::Read32(length);
        record.resize(size + kChecksumBytes);
        if (!ReadAll(descriptor_, at + kLengthBytes, record.data(), record.size())) break;
        if (Checksum({record.data(), size}) != bitmap::Read32(record.data() + size)) break;
        frames_.push_back({at + kLengthBytes, size});
        at += kLengthBytes + size + kChecksumBytes;
    }
    end_ = at;
}

void FileFrameStore::Append(std::span<const uint8_t> record) {
    if (record.size() > UINT32_MAX) throw LibraryError(kStoreWrite, path_);
    frames_.reserve(frames_.size() + 1);
    uint8_t length[kLengthBytes], checksum[kChecksumBytes];
    bitmap::Write32(length, uint32_t(record.size()));
    bitmap::Write32(checksum, Checksum(record));
    iovec parts[3] = {{length, sizeof length},
                      {const_cast<uint8_t*>(record.data()), record.size()},
                      {checksum, sizeof checksum}};
    if (!WriteAll(descriptor_, end_, parts, 3)) {
        const int error = errno;
        // What did get written is no frame; cut it off so that the file ends on a whole one.
        if (::ftruncate(descriptor_, off_t(end_)) != 0) {
            // Left as it is: the next frame overwrites it, and a reader stops at its checksum.
        }
        throw FileError(kStoreWrite, path_, error);
    }
    frames_.push_back({end_ + kLengthBytes, uint32_t(record.size())});
    end_ += kLengthBytes + record.size() + kChecksumBytes;
}

std::span<const uint8_t> FileFrameStore::Read(size_t index, std::vector<uint8_t>& scratch) const {
    const Frame& frame = frames_.at(index);
    scratch.resize(frame.length);
    if (!ReadAll(descriptor_, frame.offset, scratch.data(), frame.length))
        throw FileError(kStoreRead, path_, errno ? errno : EIO);
    return scratch;
}

void FileFrameStore::Clear() {
    frames_.clear();
    end_ = sizeof kMagic;
    iovec magic{const_cast<uint8_t*>(kMagic), sizeof kMagic};
    if (::ftruncate(descriptor_, 0) != 0 || !WriteAll(descriptor_, 0, &magic, 1))
        throw FileError(kStoreWrite, path_, errno);
}

bool FileFrameStore::TryLock() {
    return ::flock(descriptor_, LOCK_EX | LOCK_NB) == 0;
}

SpillingFrameStore::SpillingFrameStore(uint64_t memoryBudget, std::string folder)
    : memoryBudget_(memoryBudget), folder_(std::move(folder)) {}

void SpillingFrameStore::Append(std::span<const uint8_t> record) {
    if (!file_ && memory_.Bytes() + record.size() <= memoryBudget_) {
        memory_.Append(record);
        return;
    }
    if (!file_) file_ = FileFrameStore::CreateUnnamed(folder_);
    file_->Append(record);
}

size_t SpillingFrameStore::Count() const {
    return memory_.Count() + (file_ ? file_->Count() : 0);
}

std::span<const uint8_t> SpillingFrameStore::Read(size_t index,
                                                  std::vector<uint8_t>& scratch) const {
    if (index < memory_.Count()) return memory_.Read(index, scratch);
    if (!file_) throw std::out_of_range("frame index");
    return file_->Read(index - memory_.Count(), scratch);
}

void SpillingFrameStore::Clear() {
    memory_.Clear();
    file_.reset();
}

}  // namespace gif
