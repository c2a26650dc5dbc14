#include "app/core/allocator_tuning.h"

#include <cstdlib>  // defines __GLIBC__ on glibc

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace app {

void KeepFrameBuffersInHeap() {
#if defined(__GLIBC__)
    // Up to 32 MB (a 4K frame at 32 bits) from the heap, and the heap trimmed only past 256 MB.
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 256 * 1024 * 1024);
#endif
}

}  // namespace app
