#include "common/allocation_probe.h"

#include <atomic>

#include "common/allocation_hook.h"

namespace {

std::atomic<size_t> largest{0};

void NoteSize(size_t size) {
    size_t seen = largest.load(std::memory_order_relaxed);
    while (size > seen && !largest.compare_exchange_weak(seen, size)) {
    }
}

}  // namespace

namespace testsupport {

AllocationProbe::AllocationProbe() {
    largest = 0;
    testsupport::SetAllocationHook(NoteSize);
}
AllocationProbe::~AllocationProbe() {
    testsupport::SetAllocationHook(nullptr);
}
size_t AllocationProbe::Largest() const {
    return largest;
}

}  // namespace testsupport
