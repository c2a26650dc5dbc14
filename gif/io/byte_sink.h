// Where a saved GIF's bytes go: a file, or memory for tests and callers that keep the GIF.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "gif/base/library_error.h"

namespace gif {

class ByteSink {
  public:
    virtual ~ByteSink() = default;
    // Appends `bytes`. On failure returns false and puts the failure into `error` (the writer
    // stops at the first failure).
    virtual bool Write(std::span<const uint8_t> bytes, LibraryError& error) = 0;
};

// Collects everything in memory.
class MemorySink final : public ByteSink {
  public:
    bool Write(std::span<const uint8_t> bytes, LibraryError& error) override;

    std::vector<uint8_t> bytes;
};

}  // namespace gif
