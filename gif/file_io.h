// File access for the maker: reading a picture file whole, and writing a GIF so that the
// target path holds either the complete new file or what it held before.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "gif/byte_sink.h"

namespace gif {

// Reads the whole file. Throws LibraryError naming the failed operation, or with
// "为读取文件分配内存失败" when its bytes do not fit in memory.
std::vector<uint8_t> ReadWholeFile(std::string_view path);

// Writes to a new file in the target's folder and renames it over the target on Commit;
// a sink destroyed without Commit removes its file. A target that exists but is not a regular
// file (a device, a FIFO, a symbolic link) is opened and written directly instead.
class FileSink final : public ByteSink {
  public:
    ~FileSink() override;

    // Throws LibraryError when the file cannot be created.
    void Open(std::string_view path);
    bool Write(std::span<const uint8_t> bytes, std::string& error) override;
    // Throws LibraryError when closing or renaming fails.
    void Commit();

  private:
    std::string path_;
    std::string temporaryPath_;  // empty when writing the target directly
    int descriptor_ = -1;
};

}  // namespace gif
