#include "alloc_failure_support.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<bool> armed{false};
std::atomic<size_t> remaining{0};
std::atomic<bool> refused{false};

void* Allocate(size_t size) {
    if (armed.load(std::memory_order_relaxed)) {
        if (remaining.load() <= 1) {
            remaining = 0;
            refused = true;
            throw std::bad_alloc();
        }
        --remaining;
    }
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

namespace gif::testing {

void FailAllocationNumber(size_t n) {
    refused = false;
    remaining = n;
    armed = true;
}

bool Disarm() {
    armed = false;
    return refused.exchange(false);
}

}  // namespace gif::testing
