// A test binary that links allocation_hook.cpp sends every global operator new through one
// hook, which may take notes or refuse the request by throwing std::bad_alloc. C libraries
// (libpng, libjpeg, giflib) allocate with malloc and are not seen, but the pictures they decode
// into are.
#pragma once

#include <cstddef>

namespace testsupport {

using AllocationHook = void (*)(std::size_t size);

// Installs `hook` (nullptr: allocations go straight to malloc) and returns the previous one.
AllocationHook SetAllocationHook(AllocationHook hook);

}  // namespace testsupport
