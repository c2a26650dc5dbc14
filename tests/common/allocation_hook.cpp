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

void* AllocateAligned(size_t size, std::align_val_t alignment) {
    if (testsupport::AllocationHook hook = currentHook.load()) hook(size);
    const size_t align = static_cast<size_t>(alignment);
    const size_t rounded = (size + align - 1) / align * align;
    if (void* memory = std::aligned_alloc(align, rounded ? rounded : align)) return memory;
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
void* operator new(size_t size, std::align_val_t alignment) {
    return AllocateAligned(size, alignment);
}
void* operator new[](size_t size, std::align_val_t alignment) {
    return AllocateAligned(size, alignment);
}
void operator delete(void* memory, std::align_val_t) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, std::align_val_t) noexcept {
    std::free(memory);
}
void operator delete(void* memory, size_t, std::align_val_t) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, size_t, std::align_val_t) noexcept {
    std::free(memory);
}

// The nothrow forms go through the same hook (a refusal becomes nullptr), so that every form
// of new is paired with the delete above; the library's own would not be.
void* operator new(size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void operator delete(void* memory, const std::nothrow_t&) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, const std::nothrow_t&) noexcept {
    std::free(memory);
}

namespace testsupport {

AllocationHook SetAllocationHook(AllocationHook hook) {
    return currentHook.exchange(hook);
}

}  // namespace testsupport
