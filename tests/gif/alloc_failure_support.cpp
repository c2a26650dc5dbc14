#include "alloc_failure_support.h"

#include <atomic>
#include <new>

#include "common/allocation_hook.h"

namespace {

std::atomic<size_t> remaining{0};
std::atomic<bool> refused{false};

void CountDown(size_t) {
    if (remaining.load() <= 1) {
        remaining = 0;
        refused = true;
        throw std::bad_alloc();
    }
    --remaining;
}

}  // namespace

namespace gif::testing {

void FailAllocationNumber(size_t n) {
    refused = false;
    remaining = n;
    testsupport::SetAllocationHook(CountDown);
}

bool Disarm() {
    testsupport::SetAllocationHook(nullptr);
    return refused.exchange(false);
}

}  // namespace gif::testing
