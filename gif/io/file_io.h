// File access for the maker and the reader: reading a file whole, and writing a GIF so that the
// target path holds either the complete new file or what it held before.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "gif/base/error_code.h"
#include "gif/io/byte_sink.h"

namespace gif {

// Larger picture files are not pictures the maker can take.
inline constexpr uint64_t kMaxPictureFileBytes = uint64_t{2} << 30;
// Pipes have no length to check up front, and some never end; they are read up to this much
// (or `maxBytes` when lower) and refused as soon as they pass it.
inline constexpr uint64_t kMaxStreamBytes = uint64_t{64} << 20;

// Reads the whole file, failing with `tooLarge` when it holds more than `maxBytes`.
// A FIFO without a writer reads as empty instead of waiting for one; devices are refused. Throws
// LibraryError with the failed operation's code, or NoFileMemory when its bytes do not fit in
// memory.
std::vector<uint8_t> ReadWholeFile(std::string_view path, uint64_t maxBytes = kMaxPictureFileBytes,
                                   ErrorCode tooLarge = ErrorCode::PictureFileTooLarge);

// Writes to a new file in the target's folder and renames it over the target on Commit, so
// that a failure at any point leaves the target as it was; a sink destroyed without Commit
// removes its file. A symbolic link is followed to the file it finally names, which is replaced
// the same way (the link stays); a dangling link is replaced by the file. A device or a FIFO is
// opened and written directly instead; a FIFO without a reader fails at once rather than
// waiting for one.
class FileSink final : public ByteSink {
  public:
    ~FileSink() override;

    // Throws LibraryError when the file cannot be created.
    void Open(std::string_view path);
    bool Write(std::span<const uint8_t> bytes, LibraryError& error) override;
    // Throws LibraryError when closing or renaming fails.
    void Commit();

  private:
    std::string path_;           // as given, for messages
    std::string finalPath_;      // where the file lands: the path, or the file its link names
    std::string temporaryPath_;  // empty when writing the target directly
    int descriptor_ = -1;
};

}  // namespace gif
