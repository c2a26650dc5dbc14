#include "gif/base/frame_memory.h"

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace gif {
namespace {

constexpr size_t kHugePage = size_t{2} << 20;

// Only hints: a kernel that refuses them leaves the memory as it is.
void AdviseHugePages([[maybe_unused]] uint8_t* block, [[maybe_unused]] size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    madvise(block, bytes, MADV_HUGEPAGE);
#endif
}

void MapInPages([[maybe_unused]] uint8_t* block, [[maybe_unused]] size_t bytes) {
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
    static const uintptr_t kPage = uintptr_t(sysconf(_SC_PAGESIZE));
    const uintptr_t first = (reinterpret_cast<uintptr_t>(block) + kPage - 1) & ~(kPage - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(block) + bytes) & ~(kPage - 1);
    // Kernels before 5.14 refuse the advice; the pages then come one fault at a time.
    if (end > first) madvise(reinterpret_cast<void*>(first), end - first, MADV_POPULATE_WRITE);
#endif
}

}  // namespace

FrameRows AllocateFrameRows(size_t bytes) {
    const size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
    // Rounding up may waste at most an eighth of the block.
    const bool huge = bytes >= kHugePage / 2 && rounded - bytes <= bytes / 8;
    FrameRowsDeleter deleter;
    if (huge) deleter.alignment = std::align_val_t{kHugePage};
    const size_t size = huge ? rounded : bytes;
    auto* rows = static_cast<uint8_t*>(::operator new[](size ? size : 1, deleter.alignment));
    if (huge) AdviseHugePages(rows, size);
    MapInPages(rows, bytes);
    return FrameRows(rows, deleter);
}

}  // namespace gif
