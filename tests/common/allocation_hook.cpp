#include "common/allocation_hook.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<testsupport::AllocationHook> currentHook{nullptr};

void* Allocate(size_t size) {
    if (testsupport::AllocationHook hook = currentHook.load()) hook(size);
    if (void* memory = std::malloc(size ? size : 1)) return memory;
    throw std::bad_alloc();
}

}  // namespace

void* operator new(size_t size) {
    return Allocate(size);
}
void* operator new[](size_t size) {
    return Allocate(size);
}
void operator delete(void* memory) noexcept {
    std::free(memory);
}
void operator delete[](void* memory) noexcept {
    std::free(memory);
}
void operator delete(void* memory, size_t) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, size_t) noexcept {
    std::free(memory);
}

namespace testsupport {

AllocationHook SetAllocationHook(AllocationHook hook) {
    return currentHook.exchange(hook);
}

}  // namespace testsupport
