// Memory for the index rows of stored frames. A recording keeps every frame, so each one is
// fresh memory; on virtual machines taking that memory one 4 KiB page fault at a time can cost
// more than reducing the frame's colours.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>

namespace gif {

struct FrameRowsDeleter {
    std::align_val_t alignment{alignof(std::max_align_t)};
    void operator()(uint8_t* rows) const noexcept { ::operator delete[](rows, alignment); }
};
using FrameRows = std::unique_ptr<uint8_t[], FrameRowsDeleter>;

// Uninitialised rows of `bytes` bytes, their pages already mapped in. A block near a whole
// number of 2 MiB is aligned and rounded to it, so the kernel can back it with huge pages
// (one fault a frame at 1080p). Throws std::bad_alloc.
FrameRows AllocateFrameRows(size_t bytes);

}  // namespace gif
