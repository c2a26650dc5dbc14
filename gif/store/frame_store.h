// Where a maker keeps its encoded frames: in memory, in a file, or in memory up to a budget and
// in a file past it. The bytes of each frame come back exactly as they went in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace gif {

inline constexpr uint64_t kDefaultMemoryBudget = uint64_t{64} << 20;

class FrameStore {
  public:
    virtual ~FrameStore() = default;

    // Appends one frame's record. On failure stores nothing and throws LibraryError (a file
    // error) or std::bad_alloc.
    virtual void Append(std::span<const uint8_t> record) = 0;
    virtual size_t Count() const = 0;
    // Frame `index`'s record. It stays valid until the next call on the store or on `scratch`,
    // which holds it when it has to be read from a file. Throws LibraryError or std::bad_alloc.
    virtual std::span<const uint8_t> Read(size_t index, std::vector<uint8_t>& scratch) const = 0;
    // Drops every frame.
    virtual void Clear() = 0;
    // About the bytes the frames take (what the file will hold, give or take their headers).
    virtual uint64_t Bytes() const = 0;
};

class MemoryFrameStore final : public FrameStore {
  public:
    void Append(std::span<const uint8_t> record) override;
    size_t Count() const override { return records_.size(); }
    std::span<const uint8_t> Read(size_t index, std::vector<uint8_t>& scratch) const override;
    void Clear() override;
    uint64_t Bytes() const override { return bytes_; }

  private:
    std::vector<std::vector<uint8_t>> records_;
    uint64_t bytes_ = 0;
};

// Frames in one file: a short file header, then per frame its length, its record and a
// checksum, so that a file cut short (a crash while appending) still gives every whole frame.
// Every Append reaches the file at once, so a process that dies loses nothing appended.
class FileFrameStore final : public FrameStore {
  public:
    ~FileFrameStore() override;
    FileFrameStore(const FileFrameStore&) = delete;
    FileFrameStore& operator=(const FileFrameStore&) = delete;

    // A new empty file at `path` (it must not exist yet). Throws LibraryError.
    static std::unique_ptr<FileFrameStore> Create(const std::string& path);
    // A file that no name leads to, in `folder` (the system's temporary folder when empty); it
    // goes away with the store. Throws LibraryError.
    static std::unique_ptr<FileFrameStore> CreateUnnamed(const std::string& folder);
    // An existing store file, with every whole frame it holds; anything after the last whole
    // frame is cut off before the next Append. Throws LibraryError when it cannot be opened or
    // is no store file.
    static std::unique_ptr<FileFrameStore> Open(const std::string& path);

    void Append(std::span<const uint8_t> record) override;
    size_t Count() const override { return frames_.size(); }
    std::span<const uint8_t> Read(size_t index, std::vector<uint8_t>& scratch) const override;
    void Clear() override;
    uint64_t Bytes() const override { return end_; }

    // An exclusive advisory lock on the file, held until the store is destroyed; false when
    // another open file holds it.
    bool TryLock();
    const std::string& Path() const { return path_; }

  private:
    struct Frame {
        uint64_t offset;  // of the record
        uint32_t length;
    };
    FileFrameStore(int descriptor, std::string path);
    void ScanFrames();

    int descriptor_;
    std::string path_;  // empty for an unnamed file
    std::vector<Frame> frames_;
    uint64_t end_ = 0;  // where the next frame goes
};

// Memory up to `memoryBudget` bytes of records, then an unnamed file in `folder` (the system's
// temporary folder when empty), made when it is first needed.
class SpillingFrameStore final : public FrameStore {
  public:
    explicit SpillingFrameStore(uint64_t memoryBudget = kDefaultMemoryBudget,
                                std::string folder = {});

    void Append(std::span<const uint8_t> record) override;
    size_t Count() const override;
    std::span<const uint8_t> Read(size_t index, std::vector<uint8_t>& scratch) const override;
    void Clear() override;
    uint64_t Bytes() const override { return memory_.Bytes() + (file_ ? file_->Bytes() : 0); }

  private:
    uint64_t memoryBudget_;
    std::string folder_;
    MemoryFrameStore memory_;
    std::unique_ptr<FileFrameStore> file_;
};

}  // namespace gif
